#include "sim/windows.h"

#include <memory>

namespace sim {

bool Windows::OnWindowThread() const { return state_.world.scheduler().CurrentThread() == windowThread_; }

INT_PTR Windows::DialogBoxParamW(LPCWSTR templateName, HWND, plat::IDialogEvents& events) {
  events_ = &events;
  ++openCount_;
  templateId_ = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(templateName));
  windowThread_ = state_.world.scheduler().CurrentThread();
  dialog_ = reinterpret_cast<HWND>(nextHwnd_++);
  ended_ = false;
  events.OnDialogMessage(dialog_, WM_INITDIALOG, 0, 0);
  Scheduler& scheduler = state_.world.scheduler();
  while (!ended_) {
    if (queue_.empty()) scheduler.BlockUntil([this] { return !queue_.empty() || ended_; }, kForever);
    if (!queue_.empty()) ServeOne();
  }
  // Calls still waiting when the dialog ends fail, as sends to a destroyed window do.
  while (!queue_.empty()) ServeOne();
  events_ = nullptr;
  return result_;
}

void Windows::ServeOne() {
  auto fn = std::move(queue_.front());
  queue_.pop_front();
  fn();
}

void Windows::Send(const std::function<void()>& fn) {
  if (OnWindowThread() || events_ == nullptr) {
    fn();
    return;
  }
  auto done = std::make_shared<bool>(false);
  queue_.push_back([fn, done] {
    fn();
    *done = true;
  });
  state_.world.scheduler().BlockUntil([done] { return *done; }, kForever);
}

BOOL Windows::EndDialog(HWND dialog, INT_PTR result) {
  if (dialog != dialog_ || events_ == nullptr) return FALSE;
  Send([this, result] {
    ended_ = true;
    result_ = result;
  });
  return TRUE;
}

Control& Windows::ControlById(int id) {
  Control& control = controls_[id];
  if (control.hwnd == nullptr) control.hwnd = reinterpret_cast<HWND>(nextHwnd_++);
  return control;
}

HWND Windows::GetDlgItem(HWND dialog, int id) {
  if (dialog != dialog_ || dialog == nullptr) return nullptr;
  return ControlById(id).hwnd;
}

BOOL Windows::SetWindowTextW(HWND window, LPCWSTR text) {
  if (window == nullptr) return FALSE;
  const std::wstring value = text != nullptr ? text : L"";
  Send([this, window, value] {
    if (window == dialog_) {
      caption_ = value;
      return;
    }
    for (auto& [id, control] : controls_) {
      if (control.hwnd == window) control.text = value;
    }
  });
  return TRUE;
}

std::wstring Windows::ControlText(int id) const {
  const auto it = controls_.find(id);
  return it == controls_.end() ? std::wstring() : it->second.text;
}

void Windows::PostCommand(int id) {
  queue_.push_back([this, id] {
    if (events_ != nullptr) events_->OnDialogMessage(dialog_, WM_COMMAND, static_cast<WPARAM>(id), 0);
  });
}

bool Windows::Pump(const std::function<bool()>& done, uint64_t boundMs) {
  Scheduler& scheduler = state_.world.scheduler();
  const uint64_t deadline = scheduler.Now() + boundMs;
  for (;;) {
    while (!queue_.empty()) ServeOne();
    if (done()) return true;
    if (!scheduler.BlockUntil([&] { return !queue_.empty() || done(); }, deadline) && queue_.empty()) return done();
  }
}

}  // namespace sim
