#include "platform/win32/registry_win32.h"

namespace plat::win32 {

LONG Registry::RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result) {
  return ::RegOpenKeyExW(key, subKey, options, access, result);
}
LONG Registry::RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                LPDWORD dataSize) {
  return ::RegQueryValueExW(key, valueName, reserved, type, data, dataSize);
}
LONG Registry::RegCloseKey(HKEY key) { return ::RegCloseKey(key); }

}  // namespace plat::win32
