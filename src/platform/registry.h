// The registry, read only: the keys a device record names and their values.
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
};

}  // namespace plat
