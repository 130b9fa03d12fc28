// A window served by one real thread, outside the deterministic scheduler: calls from other threads wait in a
// queue until the window's thread serves them, as SendMessage does on Windows. The scheduler runs one thread at a
// time, so ThreadSanitizer cannot see two workers touching the window's state at once there; with this model
// the threads really run side by side, and any state a worker touches without the window's thread shows up.
// It implements plat::IWindows whole: a call added to that interface must be added here too.
#pragma once
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/window.h"

namespace testing_support {

class ThreadedWindows final : public plat::IWindows {
 public:
  static HWND DialogHandle() { return reinterpret_cast<HWND>(0x10000); }

  // The calling thread becomes the window's thread of a dialog already open as DialogHandle().
  void Open(plat::IDialogEvents& events);
  // On the window's thread: serves what the other threads have sent, waiting up to waitMs for the first.
  void ServePending(int waitMs);

  // Window's thread only: every text a control was given, in order.
  const std::vector<std::wstring>& TextHistory(int id) { return texts_[id]; }

  INT_PTR DialogBoxParamW(LPCWSTR, HWND, plat::IDialogEvents&) override { return -1; }
  BOOL EndDialog(HWND, INT_PTR) override { return FALSE; }
  HWND GetDlgItem(HWND dialog, int id) override;
  BOOL SetWindowTextW(HWND window, LPCWSTR text) override;
  BOOL EnableWindow(HWND, BOOL) override { return FALSE; }
  LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  BOOL PostMessageW(HWND, UINT, WPARAM, LPARAM) override { return FALSE; }
  LONG_PTR SetWindowLongPtrW(HWND, int, LONG_PTR) override { return 0; }
  HICON LoadIconW(LPCWSTR) override { return nullptr; }
  HMENU GetSystemMenu(HWND, BOOL) override { return nullptr; }
  BOOL AppendMenuW(HMENU, UINT, UINT_PTR, LPCWSTR) override { return FALSE; }
  BOOL IsIconic(HWND) override { return FALSE; }
  HDC BeginPaint(HWND, PAINTSTRUCT*) override { return nullptr; }
  BOOL EndPaint(HWND, const PAINTSTRUCT*) override { return TRUE; }
  BOOL GetClientRect(HWND, RECT*) override { return FALSE; }
  int GetSystemMetrics(int) override { return 0; }
  BOOL DrawIcon(HDC, int, int, HICON) override { return FALSE; }

 private:
  struct Call {
    std::function<LRESULT()> body;
    LRESULT result = 0;
    bool done = false;
  };

  // Runs body on the window's thread: at once when called there, else queued and waited for.
  LRESULT Send(std::function<LRESULT()> body);
  bool OnWindowThread() const;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Call*> queue_;
  std::thread::id windowThread_;
  plat::IDialogEvents* events_ = nullptr;
  std::map<int, std::vector<std::wstring>> texts_;  // window's thread only
};

}  // namespace testing_support
