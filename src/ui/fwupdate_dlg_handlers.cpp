// The main window's message map and its handlers.
#include "app/console_log.h"
#include "app/string_table.h"
#include "app/time_limits.h"
#include "res/resource.h"
#include "res/string_ids.h"
#include "ui/about_dlg.h"
#include "ui/framework/win_app.h"
#include "ui/fwupdate_dlg.h"

namespace {
constexpr UINT kAboutCommand = 16;
}  // namespace

struct CFWUpdateDlg::MessageMapEntry {
  UINT message;
  UINT id;  // command id, or notification code for WM_NOTIFY; 0 for any
  INT_PTR (*handle)(CFWUpdateDlg& dialog, WPARAM wParam, LPARAM lParam);
};

// In the order the window routes them; the first matching entry handles the message.
const CFWUpdateDlg::MessageMapEntry CFWUpdateDlg::kMessageMap[] = {
    {WM_SYSCOMMAND, 0, [](CFWUpdateDlg& d, WPARAM w, LPARAM) -> INT_PTR { d.OnSysCommand(static_cast<UINT>(w)); return (w & 0xFFF0) == kAboutCommand; }},
    {WM_PAINT, 0, [](CFWUpdateDlg& d, WPARAM, LPARAM) -> INT_PTR { d.OnPaint(); return d.Host().windows.IsIconic(d.m_hWnd); }},
    {WM_TIMER, 0, [](CFWUpdateDlg&, WPARAM, LPARAM) -> INT_PTR { return FALSE; }},
    {WM_QUERYDRAGICON, 0, [](CFWUpdateDlg& d, WPARAM, LPARAM) -> INT_PTR { return reinterpret_cast<INT_PTR>(d.m_hIcon); }},
    {WM_COMMAND, IDC_UPDATE, [](CFWUpdateDlg& d, WPARAM, LPARAM) -> INT_PTR { d.OnUpdate(); return TRUE; }},
    {WM_COMMAND, IDCANCEL, [](CFWUpdateDlg& d, WPARAM, LPARAM) -> INT_PTR { d.OnClose(); return TRUE; }},
    {WM_COMMAND, IDC_SEARCH_DEVICE, [](CFWUpdateDlg& d, WPARAM, LPARAM) -> INT_PTR { d.OnSearchDevice(); return TRUE; }},
    {WM_NOTIFY, LVN_ITEMCHANGED, [](CFWUpdateDlg& d, WPARAM, LPARAM) -> INT_PTR {
       d.Host().windows.SetWindowLongPtrW(d.m_hWnd, DWLP_MSGRESULT, 0);
       return TRUE;
     }},
    {WM_COMMAND, IDOK, [](CFWUpdateDlg&, WPARAM, LPARAM) -> INT_PTR { return TRUE; }},
    {WM_QUERYENDSESSION, 0, [](CFWUpdateDlg& d, WPARAM, LPARAM) -> INT_PTR { return d.OnQueryEndSession(); }},
    {WM_ENDSESSION, 0, [](CFWUpdateDlg& d, WPARAM w, LPARAM) -> INT_PTR { d.OnEndSession(w != 0); return TRUE; }},
    {kBlockShutdownMessage, 0, [](CFWUpdateDlg& d, WPARAM, LPARAM l) -> INT_PTR {
       d.Host().power.ShutdownBlockReasonCreate(d.m_hWnd, reinterpret_cast<LPCWSTR>(l));
       return TRUE;
     }},
    {kWindowTaskMessage, 0, [](CFWUpdateDlg&, WPARAM, LPARAM l) -> INT_PTR {
       auto* task = reinterpret_cast<WindowTask*>(l);
       (*task->body)();
       task->ran = true;
       return TRUE;
     }},
    {kUnblockShutdownMessage, 0, [](CFWUpdateDlg& d, WPARAM, LPARAM) -> INT_PTR {
       d.Host().power.ShutdownBlockReasonDestroy(d.m_hWnd);
       return TRUE;
     }},
};

bool CFWUpdateDlg::OnCommand(UINT id) {
  INT_PTR result = FALSE;
  return OnMessage(WM_COMMAND, id, 0, result);
}

bool CFWUpdateDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
  for (const auto& entry : kMessageMap) {
    if (entry.message != message) continue;
    if (message == WM_COMMAND && entry.id != (wParam & 0xFFFF)) continue;
    if (message == WM_NOTIFY) {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header == nullptr || header->idFrom != IDC_DEVICE_LIST || header->code != entry.id) continue;
    }
    result = entry.handle(*this, wParam, lParam);
    return result != FALSE;
  }
  return false;
}

// While a search, an update or the close runs, the user can start nothing else.
void CFWUpdateDlg::DisableButtons() {
  EnableDlgItem(IDC_DEVICE_LIST, false);
  EnableDlgItem(IDC_SEARCH_DEVICE, false);
  EnableDlgItem(IDC_UPDATE, false);
  EnableDlgItem(IDCANCEL, false);
}

void CFWUpdateDlg::EnableSearchAndClose() {
  EnableDlgItem(IDC_SEARCH_DEVICE, true);
  EnableDlgItem(IDCANCEL, true);
}

// A command posted to the window reaches the handlers whatever the buttons' states. Once Close has been accepted
// the cancel thread has waited (or is waiting) for the workers, so nothing new may start: Update and Search
// Device then do nothing.
bool CFWUpdateDlg::Closing() const { return !m_hCancelThread.IsEmpty(); }

// Any program can post Update or Search Device to disabled buttons. Handled while a search or an update runs they
// would talk to the scanner in the middle of it (or start a second stop thread nobody waits for), so they do
// nothing then, as after Close; the button states stay the running work's to give back.
bool CFWUpdateDlg::Occupied() const {
  return Closing() || m_bSearching || m_nSearchesRunning.load() != 0 || AnySlotBusy();
}

void CFWUpdateDlg::OnUpdate() {
  if (Occupied()) return;
  m_bUpdateCutOff = false;  // the update run again, as the notice asked
  m_nCurrentRow = 0;
  m_strCurrentDestination.clear();
  DisableButtons();

  if (!IsRowChecked(0)) {
    plat::Host& host = Host();
    host.user.MessageBoxW(m_hWnd, app::LoadStringById(host, IDS_DEVICE_NOT_FOUND).c_str(),
                         ApplicationTitle(host).c_str(), MB_OK);
    if (!AnySlotBusy()) EnableSearchAndClose();
    return;
  }

  m_listDevices.SetItemText(0, 1, L"");
  m_strCurrentDestination = m_listDevices.GetItemText(0, 0);
  DeviceSlot& slot = m_slots[0];
  LONG idle = 0;
  if (!slot.bBusy.compare_exchange_strong(idle, 1)) return;  // an update of the row is running
  Host().kernel.SwitchPoint();
  if (m_strCurrentDestination != L"USB") return;

  WaitForEarlierUpdateThread();
  DWORD id = 0;
  slot.hUpdateThread.Reset(Host().kernel.CreateThread(nullptr, 0, &Thread_VoskUpdate, this, 0, &id));
  m_dwUpdateThreadId = id;
  if (slot.hUpdateThread.IsEmpty()) {
    // No thread will ever clear the flag or give the buttons back: do it here, or the window is stuck.
    slot.bBusy = 0;
    EnableSearchAndClose();
  }
}

// The handle stays in the slot while it is waited for, as the cancel thread's waits leave theirs.
void CFWUpdateDlg::WaitForEarlierUpdateThread() {
  plat::Host& host = Host();
  const HANDLE earlier = m_slots[0].hUpdateThread.Load();
  if (earlier == nullptr) return;
  for (int step = 0; step < limits::kEarlierUpdateWaitSteps; ++step) {
    const DWORD result = host.kernel.WaitForSingleObject(earlier, limits::kEarlierUpdateWaitStepMs);
    if (result == WAIT_TIMEOUT) {
      app::ConsolePrint(host, L"[Update] VoskUpdate Thread return wait time out!!\n");
      continue;
    }
    if (result == WAIT_FAILED) {
      app::ConsolePrint(host, L"[Update] VoskUpdate Thread return Wait failed!!\n");
    } else if (result != WAIT_OBJECT_0) {
      app::ConsolePrint(host, L"[Update] VoskUpdate Thread return Unknow(%u)\n", result);
    }
    break;
  }
  m_slots[0].hUpdateThread.CloseIfStillHeld(earlier);
}

// Escape, a WM_CLOSE or another program's command 2 arrive here even while the Close button is disabled. During
// an update the cancel thread would give up waiting for it after its steps and end the window in the middle of the
// burn, so Close does nothing until no slot is busy (as Update refuses a second update).
void CFWUpdateDlg::OnClose() {
  if (AnySlotBusy()) return;
  DisableButtons();
  if (!m_hCancelThread.IsEmpty()) return;
  app::ConsolePrint(Host(), L"[Cancel Button] Create Cancel Thread...\n");
  DWORD id = 0;
  m_hCancelThread.Reset(Host().kernel.CreateThread(nullptr, 0, &Thread_Cancel, this, 0, &id));
  m_dwCancelThreadId = id;
  if (m_hCancelThread.IsEmpty()) EnableDlgItem(IDCANCEL, true);  // let the user try again
}

// The search waits on the scanner (up to the driver's time-out per request), the service and the locks, so it
// runs on a thread of its own: the window keeps serving its messages, and Close, Escape and the end of the
// session are handled meanwhile. The buttons stay disabled until its result arrives (OnSearchEnded).
void CFWUpdateDlg::OnSearchDevice() {
  if (Occupied()) return;
  m_bUpdateCutOff = false;
  DisableButtons();
  m_bSearching = true;
  Host().kernel.SwitchPoint();
  DWORD id = 0;
  m_hSearchThread.Reset(Host().kernel.CreateThread(nullptr, 0, &Thread_Search, this, 0, &id));
  m_dwSearchThreadId = id;
  if (m_hSearchThread.IsEmpty()) OnSearchEnded(-1);  // no search will report: give the buttons back now
}

void CFWUpdateDlg::OnSearchEnded(int) {
  m_bSearching = false;
  if (!Closing() && !AnySlotBusy()) EnableSearchAndClose();
}

// Nothing in the window generates the About command (no menu item exists), so the About box is never shown.
void CFWUpdateDlg::OnSysCommand(UINT id) {
  if ((id & 0xFFF0) == kAboutCommand) {
    CAboutDlg about(Host());
    about.DoModal();
  }
}

void CFWUpdateDlg::OnPaint() {
  plat::IWindows& windows = Host().windows;
  if (!windows.IsIconic(m_hWnd)) return;
  PAINTSTRUCT paint{};
  HDC dc = windows.BeginPaint(m_hWnd, &paint);
  windows.SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client{};
  windows.GetClientRect(m_hWnd, &client);
  const int x = (client.right - client.left - windows.GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - client.top - windows.GetSystemMetrics(SM_CYICON) + 1) / 2;
  windows.DrawIcon(dc, x, y, m_hIcon);
  windows.EndPaint(m_hWnd, &paint);
}
