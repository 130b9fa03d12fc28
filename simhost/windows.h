// The window model. The thread that runs the modal dialog is the window's thread; calls from other threads
// wait in a queue until the window's thread serves them, as SendMessage does. User input (a button press) is
// posted to a second queue, served only when no sent call waits, as GetMessage dispatches sent messages before
// posted ones. A message box keeps serving both while it is open (its own message loop). The model measures how
// long the window's thread goes without coming back to a message loop: Windows calls a window hung after 5 s
// of that. Controls come from the dialog templates the program carries (simhost/dialog_templates).
#pragma once
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/window.h"
#include "simhost/process_state.h"

namespace simhost {

struct IconPosition {
  int x = 0;
  int y = 0;
};

struct ListRow {
  std::vector<std::wstring> cells;
  UINT state = 0;
};

struct Control {
  int id = 0;
  HWND hwnd = nullptr;
  std::wstring className;
  std::wstring text;
  std::vector<std::wstring> history;  // every text the control was given, in order
  bool enabled = true;
  bool visible = true;
  // list view
  std::vector<std::wstring> columns;
  std::vector<int> columnWidths;
  std::vector<ListRow> rows;
  DWORD extendedStyle = 0;
};

class Windows final : public plat::IWindows {
 public:
  explicit Windows(ProcessState& state) : state_(state) {}

  INT_PTR DialogBoxParamW(LPCWSTR templateName, HWND parent, plat::IDialogEvents& events) override;
  BOOL EndDialog(HWND dialog, INT_PTR result) override;
  HWND GetDlgItem(HWND dialog, int id) override;
  BOOL SetWindowTextW(HWND window, LPCWSTR text) override;
  BOOL EnableWindow(HWND window, BOOL enable) override;
  LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  LONG_PTR SetWindowLongPtrW(HWND window, int index, LONG_PTR value) override;
  HICON LoadIconW(LPCWSTR name) override;
  HMENU GetSystemMenu(HWND, BOOL) override { return nullptr; }  // the templates have no system menu
  BOOL AppendMenuW(HMENU, UINT, UINT_PTR, LPCWSTR) override { return FALSE; }
  BOOL IsIconic(HWND window) override { return window == Top().hwnd && iconic_; }
  HDC BeginPaint(HWND window, PAINTSTRUCT* paint) override;
  BOOL EndPaint(HWND, const PAINTSTRUCT*) override { return TRUE; }
  BOOL GetClientRect(HWND window, RECT* rect) override;
  int GetSystemMetrics(int index) override { return index == SM_CXICON || index == SM_CYICON ? 32 : 0; }
  BOOL DrawIcon(HDC dc, int x, int y, HICON icon) override;

  // What a user and a test see and do.
  bool IsOpen() const { return !dialogs_.empty() && !gone_; }
  // Whether any dialog of the process was ever shown on the screen (see DialogBoxParamW).
  bool EverShown() const { return everShown_; }
  int OpenCount() const { return openCount_; }
  UINT TemplateId() const { return lastTemplate_; }
  std::wstring Caption() const { return lastCaption_; }
  std::wstring ControlText(int id) const;
  // Every text control id of the main window was given, also after the window has closed.
  const std::vector<std::wstring>& TextHistory(int id) const;
  bool IsEnabled(int id) const;
  const Control* FindControl(int id) const;
  const Control& List() const;  // the dialog's list view
  std::wstring CellText(int row, int column) const;
  bool RowChecked(int row) const;
  LONG_PTR MessageResult() const { return messageResult_; }
  HICON BigIcon() const { return bigIcon_; }
  HICON SmallIcon() const { return smallIcon_; }
  void SetIconic(bool iconic) { iconic_ = iconic; }
  IconPosition LastIconDrawnAt() const { return lastIconAt_; }
  int WindowThread() const { return windowThread_; }
  // The innermost open dialog's window; null when none is open.
  HWND DialogHandle() const { return IsOpen() ? Top().hwnd : nullptr; }
  // Sends a message to the main dialog as the system does (synchronously, served by the window's thread) and
  // returns the dialog's answer: its message result when it handled the message, else the default; 0 once the
  // window has gone.
  LRESULT SendToDialog(UINT message, WPARAM wParam, LPARAM lParam, LRESULT defaultResult);
  // The same with a limit, as SendMessageTimeout: none when the window's thread has not served it within
  // limitMs (it stays queued, and its answer is lost when the thread gets to it).
  std::optional<LRESULT> SendToDialogWithin(UINT message, WPARAM wParam, LPARAM lParam, LRESULT defaultResult,
                                            uint64_t limitMs);
  // The process has ended (Process::Terminate): its windows go with it, though its window's thread never
  // left them; calls waiting on them return 0, and later ones at once.
  void EndWithProcess();

  // Posts a message to the dialog, handled when the window's thread gets to it (a button press, a key). A
  // WM_CLOSE the dialog does not handle becomes the cancel command, as the default dialog procedure makes it.
  void PostCommand(int id);
  void PostDialogMessage(UINT message, WPARAM wParam, LPARAM lParam);
  size_t QueuedCalls() const { return sent_.size() + posted_.size(); }

  // The longest time, in virtual ms, the window's thread spent in one handler without coming back to a message
  // loop (a handler still running counts up to now); waiting idle in the loop does not count.
  uint64_t LongestUnservedMs() const;
  // Runs a message loop on the window's thread for the given time, as an open message box does.
  void RunModalLoopFor(uint64_t milliseconds);

 private:
  struct Dialog {
    UINT templateId = 0;
    HWND hwnd = nullptr;
    plat::IDialogEvents* events = nullptr;
    std::wstring caption;
    std::map<int, Control> controls;
    bool ended = false;
    INT_PTR result = 0;
  };

  // Runs fn on the window's thread: at once when called there, else queued and waited for (at most limitMs).
  std::optional<LRESULT> SendWithin(const std::function<LRESULT()>& fn, uint64_t limitMs);
  LRESULT Send(const std::function<LRESULT()>& fn) { return *SendWithin(fn, kForever); }
  void ServeOne();
  bool AnyQueued() const { return !sent_.empty() || !posted_.empty(); }
  // The window's thread is in a message loop now (serving or about to wait).
  void BackInLoop();
  bool OnWindowThread() const;
  Dialog& Top() { return dialogs_.back(); }
  const Dialog& Top() const { return dialogs_.back(); }
  Control* ControlByHwnd(HWND hwnd);
  Dialog* DialogByHwnd(HWND hwnd);
  LRESULT ListMessage(Control& list, UINT message, WPARAM wParam, LPARAM lParam);
  HWND NewHwnd() { return reinterpret_cast<HWND>(nextHwnd_ += 4); }

  ProcessState& state_;
  std::vector<Dialog> dialogs_;  // modal dialogs, innermost last
  int openCount_ = 0;
  UINT lastTemplate_ = 0;
  std::wstring lastCaption_;
  std::map<int, std::vector<std::wstring>> histories_;
  int windowThread_ = 0;
  std::deque<std::function<void()>> sent_;
  std::deque<std::function<void()>> posted_;
  uint64_t lastInLoopMs_ = 0;
  uint64_t longestUnservedMs_ = 0;
  bool idleInLoop_ = true;
  uintptr_t nextHwnd_ = 0x10000;
  LONG_PTR messageResult_ = -1;
  HICON bigIcon_ = nullptr;
  HICON smallIcon_ = nullptr;
  bool iconic_ = false;
  bool everShown_ = false;
  bool gone_ = false;  // ended with its process
  std::vector<std::weak_ptr<bool>> sendsUnderWay_;  // their senders wait for these to be set
  IconPosition lastIconAt_{-1, -1};
};

}  // namespace simhost
