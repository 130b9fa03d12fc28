#include "support/threaded_windows.h"

#include <chrono>

namespace testing_support {

namespace {

// Control handles are the id above a base, so a handle names its control without a table.
constexpr uintptr_t kControlBase = 0x20000;

}  // namespace

void ThreadedWindows::Open(plat::IDialogEvents& events) {
  const std::lock_guard<std::mutex> lock(mutex_);
  windowThread_ = std::this_thread::get_id();
  events_ = &events;
}

bool ThreadedWindows::OnWindowThread() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return std::this_thread::get_id() == windowThread_;
}

void ThreadedWindows::ServePending(int waitMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait_for(lock, std::chrono::milliseconds(waitMs), [&] { return !queue_.empty(); });
  while (!queue_.empty()) {
    Call* call = queue_.front();
    queue_.pop_front();
    lock.unlock();
    const LRESULT result = call->body();
    lock.lock();
    call->result = result;
    call->done = true;
    changed_.notify_all();
  }
}

LRESULT ThreadedWindows::Send(std::function<LRESULT()> body) {
  if (OnWindowThread()) return body();
  Call call{std::move(body)};
  std::unique_lock<std::mutex> lock(mutex_);
  queue_.push_back(&call);
  changed_.notify_all();
  changed_.wait(lock, [&] { return call.done; });
  return call.result;
}

HWND ThreadedWindows::GetDlgItem(HWND dialog, int id) {
  return dialog == DialogHandle() ? reinterpret_cast<HWND>(kControlBase + static_cast<uintptr_t>(id)) : nullptr;
}

BOOL ThreadedWindows::SetWindowTextW(HWND window, LPCWSTR text) {
  const std::wstring value = text != nullptr ? text : L"";
  return static_cast<BOOL>(Send([this, window, value]() -> LRESULT {
    const auto id = static_cast<int>(reinterpret_cast<uintptr_t>(window) - kControlBase);
    texts_[id].push_back(value);
    return TRUE;
  }));
}

// Messages to the dialog reach its procedure on the window's thread. The answer is the procedure's own; the
// tasks the dialog sends carry their outcome in their record.
LRESULT ThreadedWindows::SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window != DialogHandle()) return 0;
  return Send([this, window, message, wParam, lParam]() -> LRESULT {
    return events_->OnDialogMessage(window, message, wParam, lParam);
  });
}

}  // namespace testing_support
