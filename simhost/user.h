// Common controls and message boxes: recorded, so tests see what the user was shown.
#pragma once
#include <string>
#include <vector>

#include "platform/user.h"

namespace simhost {

struct MessageBoxCall {
  std::wstring text;
  std::wstring caption;
  UINT type = 0;
};

class User final : public plat::IUser {
 public:
  BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* classes) override {
    if (classes == nullptr || classes->dwSize != sizeof(INITCOMMONCONTROLSEX)) return FALSE;
    registeredClasses_ |= classes->dwICC;
    return TRUE;
  }
  int MessageBoxW(HWND, LPCWSTR text, LPCWSTR caption, UINT type) override {
    messageBoxes_.push_back({text != nullptr ? text : L"", caption != nullptr ? caption : L"", type});
    return IDOK;
  }

  DWORD RegisteredClasses() const { return registeredClasses_; }
  const std::vector<MessageBoxCall>& MessageBoxes() const { return messageBoxes_; }

 private:
  DWORD registeredClasses_ = 0;
  std::vector<MessageBoxCall> messageBoxes_;
};

}  // namespace simhost
