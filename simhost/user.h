// Common controls and message boxes: recorded, so tests see what the user was shown. A message box stays open
// until the user answers it (at once unless a test or a world says otherwise) and runs its own message loop
// meanwhile: on the window's thread the window's messages keep being served.
#pragma once
#include <string>
#include <vector>

#include "platform/user.h"
#include "simhost/windows.h"

namespace simhost {

struct MessageBoxCall {
  std::wstring text;
  std::wstring caption;
  UINT type = 0;
};

class User final : public plat::IUser {
 public:
  User(ProcessState& state, Windows& windows) : state_(state), windows_(windows) {}

  BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* classes) override {
    if (classes == nullptr || classes->dwSize != sizeof(INITCOMMONCONTROLSEX)) return FALSE;
    registeredClasses_ |= classes->dwICC;
    return TRUE;
  }
  int MessageBoxW(HWND, LPCWSTR text, LPCWSTR caption, UINT type) override {
    messageBoxes_.push_back({text != nullptr ? text : L"", caption != nullptr ? caption : L"", type});
    if (answerAfterMs_ == 0) return IDOK;
    if (state_.world.scheduler().CurrentThread() == windows_.WindowThread() && windows_.IsOpen()) {
      windows_.RunModalLoopFor(answerAfterMs_);
    } else {
      state_.world.scheduler().Sleep(answerAfterMs_);
    }
    return IDOK;
  }
  // How long the user takes to answer a message box.
  void SetAnswerAfterMs(uint64_t milliseconds) { answerAfterMs_ = milliseconds; }

  DWORD RegisteredClasses() const { return registeredClasses_; }
  const std::vector<MessageBoxCall>& MessageBoxes() const { return messageBoxes_; }

 private:
  ProcessState& state_;
  Windows& windows_;
  uint64_t answerAfterMs_ = 0;
  DWORD registeredClasses_ = 0;
  std::vector<MessageBoxCall> messageBoxes_;
};

}  // namespace simhost
