// The main window and the program's central object: the state every worker thread shares, the window
// operations the workers report through, and the device, service and update operations (each defined in
// the folder of its subsystem).
#pragma once
#include <atomic>
#include <functional>
#include <string>

#include "host/disable_gate.h"
#include "host/service_guard.h"
#include "platform/host.h"
#include "platform/unique_handle.h"
#include "ui/device_slot.h"
#include "ui/framework/dialog.h"
#include "ui/framework/list_ctrl.h"
#include "ui/run_observer.h"

enum class BurnProcedure { kMonitored, kUnmonitored };
// What an update came to, and the update thread's exit code. A second scanner on the bus is an outcome of its
// own: the update refused, or gave up, because it could not be sure which scanner answered.
enum class UpdateOutcome : DWORD { kFailed = 0, kUpdated = 1, kMoreThanOneScanner = 2 };
// Who runs the device search: the stop thread, or any other (the window's thread, the update thread).
enum class SearchOrigin { kOther = 0, kStopThread = 1 };
// The scan-application locks by kind.
enum class ScanAppLock { kScanExt = 0, kGuid = 1, kQuenby = 2 };

// The window's own messages: sent by the update thread, handled on the window's thread.
inline constexpr UINT kBlockShutdownMessage = WM_APP + 1;
inline constexpr UINT kUnblockShutdownMessage = WM_APP + 2;
// Carries a WindowTask: work on the texts the window shares with the workers, which only its thread touches.
inline constexpr UINT kWindowTaskMessage = WM_APP + 3;

class CFWUpdateDlg : public CDialogEx {
 public:
  explicit CFWUpdateDlg(plat::Host& host);

  // Device discovery and status (src/device).
  int GetDeviceStatus(SearchOrigin fromStopThread, int event);
  BOOL FindDeviceFriendlyName();

  // Host coordination (src/host).
  BOOL CheckWIAClosed(SearchOrigin fromStopThread, int event);
  BOOL LockScanAppMutex(ScanAppLock kind);
  BOOL LockScanApps();
  void ReleaseScanAppMutexes();

  // Firmware update engine (src/update).
  BOOL LoadFirmwareImage(WORD imageId, const BYTE** data, DWORD* size, int row);
  BOOL UpdateDevice(const std::wstring& channel, int row);  // RunUpdate's outcome is kUpdated
  UpdateOutcome RunUpdate(const std::wstring& channel, int row);
  BOOL BurnFirmware(const std::wstring& channel, WORD imageId, WORD imageCode, BurnProcedure procedure,
                    int powerWaitLimit, int row);

  // Window operations the workers use; synchronous, served by the window's thread.
  // Status posting: the text into column 1 of the row, read back, and shown in the status text (1017).
  void PostStatus(int row, const std::wstring& text);
  void SetStatusText(const std::wstring& text);
  void SetRowCheck(int row, bool checked);  // state image 2 when set, 1 when cleared
  bool IsRowChecked(int row);
  std::wstring GetCellText(int row, int column);
  void SetCellText(int row, int column, const std::wstring& text);
  void EnableControl(int id, bool enable);
  bool AnySlotBusy() const;
  bool AnyOtherSlotBusy(int row) const;
  // The device texts and the friendly name are written by whichever search ran last, on the window's thread or a
  // worker's: each write and read is done by the window's thread, so two searches never touch one string at once.
  // The name and interface are shown as one pair.
  void ShowDeviceTexts(const std::wstring& deviceName, const std::wstring& interfaceText);
  bool StoreFriendlyName(const WCHAR* friendlyName);  // false once the window has gone
  bool CopyFriendlyName(std::wstring* friendlyName);   // false once the window has gone
  // Runs the task on the window's thread and waits for it: at once when called there or before the window
  // exists (no worker runs then). False when the window has gone and the task did not run.
  bool RunOnWindowThread(const std::function<void()>& task);
  // While an update runs the end of the session is held off with a reason the user sees; the reason belongs to
  // the window and is set and removed on the window's thread.
  void BlockShutdown(const std::wstring& reason);
  void UnblockShutdown();

  // Tell the run's observer, when there is one (src/ui/fwupdate_dlg_observer.cpp). Any thread; the ends are told
  // on the window's thread.
  void KeepSearchReport(const SearchReport& report);
  void ReportSearchEnded();
  void ReportUpdateEnded(bool updated, const std::wstring& reason);
  void ReportStatusText(const std::wstring& text);

  // Starts a stop thread for the event; its handle and id go into m_hStopThread and m_dwStopThreadId.
  void StartStopThread(int event);
  // The search thread's result reaches the window's thread here: the one moment a Search Device has ended.
  void OnSearchEnded(int result);

  plat::Host& Host() { return CDialogEx::Host(); }

  HICON m_hIcon = nullptr;
  std::wstring m_strCurrentDestination;
  LONG m_nRowCount = 0;
  std::atomic<LONG> m_nCurrentRow{0};
  CListCtrl m_listDevices;
  // Window's thread only (see ShowDeviceTexts).
  std::wstring m_strDeviceName;
  std::wstring m_strInterface;
  std::wstring m_strStatus;
  std::atomic<DWORD> m_dwUpdateThreadId{0};
  plat::ThreadSlot m_hStopThread{Host().kernel};
  std::atomic<DWORD> m_dwStopThreadId{0};
  plat::ThreadSlot m_hCancelThread{Host().kernel};
  std::atomic<DWORD> m_dwCancelThreadId{0};
  // The search Search Device started; kept until the next search or the cancel thread closes it.
  plat::ThreadSlot m_hSearchThread{Host().kernel};
  std::atomic<DWORD> m_dwSearchThreadId{0};
  bool m_bSearching = false;  // window's thread only: from Search Device until OnSearchEnded
  std::atomic<LONG> m_nSearchesRunning{0};  // searches under way on any thread (the stop thread's too)
  DeviceSlots m_slots = MakeDeviceSlots(Host().kernel);
  WCHAR m_szFriendlyName[256] = {};  // window's thread only (see StoreFriendlyName)
  plat::LockSlot m_hScanExtMutex{Host().kernel};
  plat::LockSlot m_hGuidMutex{Host().kernel};
  plat::LockSlot m_hQuenbyMutex{Host().kernel};
  // Shut when the session ends: no stop thread disables the service after the window has given it back.
  DisableGate m_disableGate;
  // Gives the service back should this program end without doing so itself.
  ServiceGuard m_serviceGuard{Host()};
  // Set by start-up when the last run ended without giving the service back: the status line says so below its
  // own text until the user starts a search or an update. Read by the threads that post status texts.
  std::atomic<bool> m_bUpdateCutOff{false};
  // Set before the modal run when nobody sits at the window (/quiet, /check); null otherwise.
  IRunObserver* m_pRunObserver = nullptr;
  SearchReport m_lastSearch;  // window's thread only

 protected:
  void DoDataExchange() override;
  BOOL OnInitDialog() override;
  bool OnCommand(UINT id) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

 private:
  bool Closing() const;
  std::wstring WithCutOffNotice(const std::wstring& text);
  bool Occupied() const;  // closing, searching or updating: Update and Search Device do nothing
  void DisableButtons();        // the device list, Search Device, Update and Close
  void EnableSearchAndClose();  // what the user may do again once nothing runs
  void OnUpdate();
  void OnClose();
  void OnSearchDevice();
  void OnSysCommand(UINT id);
  void OnPaint();
  INT_PTR OnQueryEndSession();
  void OnEndSession(bool ending);
  std::wstring ReadFileVersion();
  void WaitForEarlierUpdateThread();

  struct MessageMapEntry;
  static const MessageMapEntry kMessageMap[];
};

// Thread routines; each takes the dialog (the stop thread a record with the dialog and the event number).
DWORD WINAPI Thread_CloseWIA(LPVOID parameter);
DWORD WINAPI Thread_VoskUpdate(LPVOID parameter);
DWORD WINAPI Thread_Cancel(LPVOID parameter);
DWORD WINAPI Thread_Search(LPVOID parameter);

// What kWindowTaskMessage carries; ran is set by the window's thread, as a dialog's message result is not the
// procedure's answer.
struct WindowTask {
  const std::function<void()>* body;
  bool ran;
};

// The record the stop thread is started with.
struct StopThreadRecord {
  CFWUpdateDlg* dialog;
  DWORD event;
};
