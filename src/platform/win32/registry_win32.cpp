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
LONG Registry::RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options,
                               REGSAM access, LPSECURITY_ATTRIBUTES attributes, PHKEY result, LPDWORD disposition) {
  return ::RegCreateKeyExW(key, subKey, reserved, keyClass, options, access, attributes, result, disposition);
}
LONG Registry::RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                              DWORD dataSize) {
  return ::RegSetValueExW(key, valueName, reserved, type, data, dataSize);
}
LONG Registry::RegDeleteValueW(HKEY key, LPCWSTR valueName) { return ::RegDeleteValueW(key, valueName); }

}  // namespace plat::win32
