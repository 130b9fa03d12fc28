// The user side of the shell: common controls and message boxes.
#pragma once
#include "platform/win_types.h"

namespace plat {

class IUser {
 public:
  virtual ~IUser() = default;
  virtual BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* classes) = 0;
  virtual int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) = 0;
};

}  // namespace plat
