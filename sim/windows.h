// The window model. The thread that runs the modal dialog is the window's thread; calls from other threads
// wait in a queue until the window's thread serves them, as SendMessage does. User input (a button press)
// is posted to the same queue.
#pragma once
#include <deque>
#include <functional>
#include <map>
#include <string>

#include "platform/window.h"
#include "sim/process_state.h"

namespace sim {

struct Control {
  HWND hwnd = nullptr;
  std::wstring text;
  bool enabled = true;
};

class Windows final : public plat::IWindows {
 public:
  explicit Windows(ProcessState& state) : state_(state) {}

  INT_PTR DialogBoxParamW(LPCWSTR templateName, HWND parent, plat::IDialogEvents& events) override;
  BOOL EndDialog(HWND dialog, INT_PTR result) override;
  HWND GetDlgItem(HWND dialog, int id) override;
  BOOL SetWindowTextW(HWND window, LPCWSTR text) override;

  // What a user and a test see and do.
  bool IsOpen() const { return events_ != nullptr; }
  int OpenCount() const { return openCount_; }
  UINT TemplateId() const { return templateId_; }
  const std::wstring& Caption() const { return caption_; }
  std::wstring ControlText(int id) const;
  // Presses a button: posts WM_COMMAND to the dialog, handled when the window's thread gets to it.
  void PostCommand(int id);
  // On the window's thread: serves the queue until done() holds or the virtual bound passes.
  bool Pump(const std::function<bool()>& done, uint64_t boundMs);

 private:
  // Runs fn on the window's thread: at once when called there, else queued and waited for.
  void Send(const std::function<void()>& fn);
  void ServeOne();
  bool OnWindowThread() const;
  Control& ControlById(int id);

  ProcessState& state_;
  plat::IDialogEvents* events_ = nullptr;
  HWND dialog_ = nullptr;
  UINT templateId_ = 0;
  int openCount_ = 0;
  int windowThread_ = 0;
  bool ended_ = false;
  INT_PTR result_ = 0;
  std::wstring caption_;
  std::map<int, Control> controls_;
  std::deque<std::function<void()>> queue_;
  uintptr_t nextHwnd_ = 0x10000;
};

}  // namespace sim
