#include "platform/win32/win32_host.h"

namespace plat::win32 {

BOOL User::InitCommonControlsEx(const INITCOMMONCONTROLSEX* classes) { return ::InitCommonControlsEx(classes); }
int User::MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  return ::MessageBoxW(owner, text, caption, type);
}

}  // namespace plat::win32
