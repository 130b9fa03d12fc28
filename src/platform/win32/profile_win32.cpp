#include "platform/win32/win32_host.h"

namespace plat::win32 {

UINT Profile::GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, INT defaultValue, LPCWSTR fileName) {
  return ::GetPrivateProfileIntW(section, key, defaultValue, fileName);
}

}  // namespace plat::win32
