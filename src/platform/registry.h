// The registry: the keys a device record names and their values (read), and the service guard's entries (written).
#pragma once
#include "platform/win_types.h"

namespace plat {

class IRegistry {
 public:
  virtual ~IRegistry() = default;
  virtual LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result) = 0;
  virtual LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                LPDWORD dataSize) = 0;
  virtual LONG RegCloseKey(HKEY key) = 0;
  virtual LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options,
                               REGSAM access, LPSECURITY_ATTRIBUTES attributes, PHKEY result, LPDWORD disposition) = 0;
  virtual LONG RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                              DWORD dataSize) = 0;
  virtual LONG RegDeleteValueW(HKEY key, LPCWSTR valueName) = 0;
};

}  // namespace plat
