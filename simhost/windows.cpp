#include "simhost/windows.h"

#include <algorithm>
#include <memory>
#include <stdexcept>

#include "res/resource.h"
#include "simhost/dialog_templates.h"

namespace simhost {
namespace {

constexpr const wchar_t* kListViewClass = L"SysListView32";  // WC_LISTVIEW

}  // namespace

bool Windows::OnWindowThread() const { return state_.world.scheduler().CurrentThread() == windowThread_; }

LRESULT Windows::SendToDialog(UINT message, WPARAM wParam, LPARAM lParam, LRESULT defaultResult) {
  return *SendToDialogWithin(message, wParam, lParam, defaultResult, kForever);
}

std::optional<LRESULT> Windows::SendToDialogWithin(UINT message, WPARAM wParam, LPARAM lParam,
                                                   LRESULT defaultResult, uint64_t limitMs) {
  return SendWithin(
      [this, message, wParam, lParam, defaultResult]() -> LRESULT {
        if (dialogs_.empty()) return 0;  // the window has gone: a send to a destroyed window answers 0
        messageResult_ = defaultResult;
        const INT_PTR handled = Top().events->OnDialogMessage(Top().hwnd, message, wParam, lParam);
        return handled ? messageResult_ : defaultResult;
      },
      limitMs);
}

// The window's thread is stopped where it was; its last stretch out of the loop counts up to this moment.
void Windows::EndWithProcess() {
  if (gone_) return;
  if (!dialogs_.empty() && !idleInLoop_) {
    longestUnservedMs_ = std::max(longestUnservedMs_, state_.world.scheduler().Now() - lastInLoopMs_);
  }
  idleInLoop_ = true;
  gone_ = true;
  posted_.clear();
  sent_.clear();
  // Queued or in the middle of being served by the stopped thread: each sender gets 0.
  for (const auto& waiting : sendsUnderWay_) {
    if (const auto done = waiting.lock()) *done = true;
  }
  sendsUnderWay_.clear();
}

INT_PTR Windows::DialogBoxParamW(LPCWSTR templateName, HWND, plat::IDialogEvents& events) {
  Dialog dialog;
  dialog.templateId = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(templateName));
  dialog.hwnd = NewHwnd();
  dialog.events = &events;
  for (Control& control : TemplateControls(dialog.templateId, dialog.caption)) {
    control.hwnd = NewHwnd();
    dialog.controls.emplace(control.id, control);  // of controls sharing an id, GetDlgItem finds the first
  }
  const HWND hwnd = dialog.hwnd;
  dialogs_.push_back(std::move(dialog));
  ++openCount_;
  lastTemplate_ = dialogs_.back().templateId;
  lastCaption_ = dialogs_.back().caption;
  windowThread_ = state_.world.scheduler().CurrentThread();
  Scheduler& scheduler = state_.world.scheduler();
  BackInLoop();
  idleInLoop_ = false;
  events.OnDialogMessage(hwnd, WM_INITDIALOG, 0, 0);
  // The templates are visible, so the dialog is shown once initialised: ShowWindow's position change asks the
  // dialog first, and a dialog that takes SWP_SHOWWINDOW out of the request stays hidden, as on Windows.
  WINDOWPOS show{hwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW};
  events.OnDialogMessage(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&show));
  if ((show.flags & SWP_SHOWWINDOW) != 0) everShown_ = true;
  while (!Top().ended) {
    BackInLoop();
    if (!AnyQueued()) {
      scheduler.BlockUntil([this] { return AnyQueued() || Top().ended; }, kForever);
      lastInLoopMs_ = scheduler.Now();  // waiting for a message is serving, not hanging
    }
    idleInLoop_ = false;
    if (AnyQueued() && !Top().ended) ServeOne();
  }
  BackInLoop();
  const INT_PTR result = Top().result;
  lastCaption_ = Top().caption;
  dialogs_.pop_back();
  if (dialogs_.empty()) {
    // Calls still waiting when the window ends return at once, as sends to a destroyed window do.
    while (AnyQueued()) ServeOne();
  }
  return result;
}

void Windows::RunModalLoopFor(uint64_t milliseconds) {
  Scheduler& scheduler = state_.world.scheduler();
  const uint64_t until = scheduler.Now() + milliseconds;
  const bool wasIdle = idleInLoop_;
  while (scheduler.Now() < until) {
    BackInLoop();
    if (!AnyQueued()) {
      scheduler.BlockUntil([this] { return AnyQueued(); }, until);
      lastInLoopMs_ = scheduler.Now();
    }
    idleInLoop_ = false;
    if (AnyQueued()) ServeOne();
  }
  BackInLoop();
  idleInLoop_ = wasIdle;
}

void Windows::BackInLoop() {
  const uint64_t now = state_.world.scheduler().Now();
  if (!idleInLoop_) longestUnservedMs_ = std::max(longestUnservedMs_, now - lastInLoopMs_);
  lastInLoopMs_ = now;
  idleInLoop_ = true;
}

uint64_t Windows::LongestUnservedMs() const {
  if (dialogs_.empty() || idleInLoop_ || gone_) return longestUnservedMs_;
  return std::max(longestUnservedMs_, state_.world.scheduler().Now() - lastInLoopMs_);
}

// A sent call first, as GetMessage dispatches every waiting sent message before it returns a posted one.
void Windows::ServeOne() {
  auto& queue = sent_.empty() ? posted_ : sent_;
  auto fn = std::move(queue.front());
  queue.pop_front();
  fn();
}

std::optional<LRESULT> Windows::SendWithin(const std::function<LRESULT()>& fn, uint64_t limitMs) {
  if (gone_) return 0;
  if (OnWindowThread() || dialogs_.empty()) return fn();
  auto done = std::make_shared<bool>(false);
  auto result = std::make_shared<LRESULT>(0);
  std::erase_if(sendsUnderWay_, [](const std::weak_ptr<bool>& waiting) { return waiting.expired(); });
  sendsUnderWay_.push_back(done);
  sent_.push_back([this, fn, done, result] {
    *result = dialogs_.empty() || gone_ ? 0 : fn();
    *done = true;
  });
  Scheduler& scheduler = state_.world.scheduler();
  const uint64_t deadline = limitMs >= kForever - scheduler.Now() ? kForever : scheduler.Now() + limitMs;
  if (!scheduler.BlockUntil([done] { return *done; }, deadline)) return std::nullopt;
  return *result;
}

Windows::Dialog* Windows::DialogByHwnd(HWND hwnd) {
  for (auto& dialog : dialogs_) {
    if (dialog.hwnd == hwnd) return &dialog;
  }
  return nullptr;
}

Control* Windows::ControlByHwnd(HWND hwnd) {
  for (auto& dialog : dialogs_) {
    for (auto& [id, control] : dialog.controls) {
      if (control.hwnd == hwnd) return &control;
    }
  }
  return nullptr;
}

BOOL Windows::EndDialog(HWND hwnd, INT_PTR result) {
  return static_cast<BOOL>(Send([this, hwnd, result]() -> LRESULT {
    Dialog* dialog = DialogByHwnd(hwnd);
    if (dialog == nullptr) return FALSE;
    dialog->ended = true;
    dialog->result = result;
    return TRUE;
  }));
}

HWND Windows::GetDlgItem(HWND hwnd, int id) {
  Dialog* dialog = DialogByHwnd(hwnd);
  if (dialog == nullptr) return nullptr;
  const auto it = dialog->controls.find(id);
  return it == dialog->controls.end() ? nullptr : it->second.hwnd;
}

BOOL Windows::SetWindowTextW(HWND window, LPCWSTR text) {
  const std::wstring value = text != nullptr ? text : L"";
  return static_cast<BOOL>(Send([this, window, value]() -> LRESULT {
    if (Dialog* dialog = DialogByHwnd(window)) {
      dialog->caption = value;
      lastCaption_ = value;
      return TRUE;
    }
    if (Control* control = ControlByHwnd(window)) {
      control->text = value;
      if (Top().templateId == IDD_FWUPDATE_DIALOG) histories_[control->id].push_back(value);
      return TRUE;
    }
    return FALSE;
  }));
}

BOOL Windows::EnableWindow(HWND window, BOOL enable) {
  return static_cast<BOOL>(Send([this, window, enable]() -> LRESULT {
    Control* control = ControlByHwnd(window);
    if (control == nullptr) return FALSE;
    const bool wasDisabled = !control->enabled;
    control->enabled = enable != FALSE;
    return wasDisabled ? TRUE : FALSE;
  }));
}

LRESULT Windows::SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return Send([this, window, message, wParam, lParam]() -> LRESULT {
    if (Dialog* dialog = DialogByHwnd(window)) {
      if (message == WM_SETICON) {
        HICON& slot = wParam == ICON_BIG ? bigIcon_ : smallIcon_;
        const HICON old = slot;
        slot = reinterpret_cast<HICON>(lParam);
        return reinterpret_cast<LRESULT>(old);
      }
      // Other messages reach the dialog procedure; a handled one answers with its message result.
      if (message >= 0x8000 && dialog->events != nullptr) {
        return dialog->events->OnDialogMessage(dialog->hwnd, message, wParam, lParam) ? messageResult_ : 0;
      }
      return 0;
    }
    Control* control = ControlByHwnd(window);
    if (control == nullptr) return 0;
    if (message == WM_SETTEXT) {
      control->text = reinterpret_cast<LPCWSTR>(lParam);
      return TRUE;
    }
    if (control->className == kListViewClass) return ListMessage(*control, message, wParam, lParam);
    return 0;
  });
}

LRESULT Windows::ListMessage(Control& list, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto row = static_cast<size_t>(wParam);
  switch (message) {
    case LVM_INSERTCOLUMNW: {
      const auto* info = reinterpret_cast<const LVCOLUMNW*>(lParam);
      const size_t at = std::min(static_cast<size_t>(wParam), list.columns.size());
      list.columns.insert(list.columns.begin() + static_cast<long>(at), info->pszText != nullptr ? info->pszText : L"");
      list.columnWidths.insert(list.columnWidths.begin() + static_cast<long>(at), info->cx);
      return static_cast<LRESULT>(at);
    }
    case LVM_SETEXTENDEDLISTVIEWSTYLE: {
      const DWORD old = list.extendedStyle;
      const auto mask = static_cast<DWORD>(wParam);
      const auto style = static_cast<DWORD>(lParam);
      list.extendedStyle = mask == 0 ? style : ((old & ~mask) | (style & mask));
      // Turning check boxes on gives every row the unchecked state image.
      if ((list.extendedStyle & LVS_EX_CHECKBOXES) && !(old & LVS_EX_CHECKBOXES)) {
        for (auto& r : list.rows) r.state = (r.state & ~LVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(1u);
      }
      return static_cast<LRESULT>(old);
    }
    case LVM_INSERTITEMW: {
      const auto* info = reinterpret_cast<const LVITEMW*>(lParam);
      const size_t at = std::min(static_cast<size_t>(std::max(info->iItem, 0)), list.rows.size());
      ListRow newRow;
      newRow.cells.assign(std::max<size_t>(list.columns.size(), 1), L"");
      if ((info->mask & LVIF_TEXT) && info->pszText != nullptr) newRow.cells[0] = info->pszText;
      if (list.extendedStyle & LVS_EX_CHECKBOXES) newRow.state = INDEXTOSTATEIMAGEMASK(1u);
      list.rows.insert(list.rows.begin() + static_cast<long>(at), newRow);
      return static_cast<LRESULT>(at);
    }
    case LVM_SETITEMTEXTW: {
      const auto* info = reinterpret_cast<const LVITEMW*>(lParam);
      if (row >= list.rows.size() || info->iSubItem < 0) return FALSE;
      auto& cells = list.rows[row].cells;
      if (cells.size() <= static_cast<size_t>(info->iSubItem)) cells.resize(static_cast<size_t>(info->iSubItem) + 1);
      cells[static_cast<size_t>(info->iSubItem)] = info->pszText != nullptr ? info->pszText : L"";
      return TRUE;
    }
    case LVM_GETITEMTEXTW: {
      auto* info = reinterpret_cast<LVITEMW*>(lParam);
      if (info->pszText == nullptr || info->cchTextMax <= 0) return 0;
      std::wstring value;
      if (row < list.rows.size() && info->iSubItem >= 0 &&
          static_cast<size_t>(info->iSubItem) < list.rows[row].cells.size()) {
        value = list.rows[row].cells[static_cast<size_t>(info->iSubItem)];
      }
      const size_t length = std::min(value.size(), static_cast<size_t>(info->cchTextMax - 1));
      std::copy_n(value.begin(), length, info->pszText);
      info->pszText[length] = L'\0';
      return static_cast<LRESULT>(length);
    }
    case LVM_SETITEMSTATE: {
      const auto* info = reinterpret_cast<const LVITEMW*>(lParam);
      if (row >= list.rows.size()) return FALSE;
      list.rows[row].state = (list.rows[row].state & ~info->stateMask) | (info->state & info->stateMask);
      return TRUE;
    }
    case LVM_GETITEMSTATE:
      return row < list.rows.size() ? static_cast<LRESULT>(list.rows[row].state & static_cast<UINT>(lParam)) : 0;
    default:
      return 0;
  }
}

LONG_PTR Windows::SetWindowLongPtrW(HWND, int index, LONG_PTR value) {
  if (index == DWLP_MSGRESULT) messageResult_ = value;
  return 0;
}

HICON Windows::LoadIconW(LPCWSTR name) {
  return reinterpret_cast<ULONG_PTR>(name) == 500 ? reinterpret_cast<HICON>(static_cast<uintptr_t>(0x500)) : nullptr;
}

HDC Windows::BeginPaint(HWND, PAINTSTRUCT* paint) {
  *paint = PAINTSTRUCT{};
  paint->hdc = reinterpret_cast<HDC>(static_cast<uintptr_t>(0xDC));
  return paint->hdc;
}

// The minimized window's client area, as Windows gives it for an icon: 160 by 28 pixels.
BOOL Windows::GetClientRect(HWND, RECT* rect) {
  *rect = RECT{0, 0, 160, 28};
  return TRUE;
}

BOOL Windows::DrawIcon(HDC, int x, int y, HICON) {
  lastIconAt_ = {x, y};
  return TRUE;
}

const std::vector<std::wstring>& Windows::TextHistory(int id) const {
  static const std::vector<std::wstring> none;
  const auto it = histories_.find(id);
  return it == histories_.end() ? none : it->second;
}

const Control* Windows::FindControl(int id) const {
  if (dialogs_.empty()) return nullptr;
  const auto it = Top().controls.find(id);
  return it == Top().controls.end() ? nullptr : &it->second;
}

std::wstring Windows::ControlText(int id) const {
  const Control* control = FindControl(id);
  return control != nullptr ? control->text : std::wstring();
}

bool Windows::IsEnabled(int id) const {
  const Control* control = FindControl(id);
  return control != nullptr && control->enabled;
}

const Control& Windows::List() const {
  if (!dialogs_.empty()) {
    for (const auto& [id, control] : Top().controls) {
      if (control.className == kListViewClass) return control;
    }
  }
  throw std::logic_error("no device list: the main window is not open");
}

std::wstring Windows::CellText(int row, int column) const {
  const Control& list = List();
  if (row < 0 || static_cast<size_t>(row) >= list.rows.size()) return std::wstring();
  const auto& cells = list.rows[static_cast<size_t>(row)].cells;
  return static_cast<size_t>(column) < cells.size() ? cells[static_cast<size_t>(column)] : std::wstring();
}

bool Windows::RowChecked(int row) const {
  const Control& list = List();
  return row >= 0 && static_cast<size_t>(row) < list.rows.size() &&
         ((list.rows[static_cast<size_t>(row)].state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

BOOL Windows::PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (dialogs_.empty() || gone_ || window != Top().hwnd) {
    state_.CurrentThread().lastError = ERROR_INVALID_HANDLE;
    return FALSE;
  }
  PostDialogMessage(message, wParam, lParam);
  return TRUE;
}

void Windows::PostCommand(int id) { PostDialogMessage(WM_COMMAND, static_cast<WPARAM>(id), 0); }

void Windows::PostDialogMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (gone_) return;
  posted_.push_back([this, message, wParam, lParam] {
    if (dialogs_.empty()) return;
    const INT_PTR handled = Top().events->OnDialogMessage(Top().hwnd, message, wParam, lParam);
    // The default dialog procedure answers a WM_CLOSE the dialog left to it with the cancel command, posted
    // whatever the state of the Cancel button (Wine's DefDlgProc does so).
    if (!handled && message == WM_CLOSE) PostCommand(IDCANCEL);
  });
}

}  // namespace simhost
