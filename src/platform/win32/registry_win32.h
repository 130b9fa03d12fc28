// The registry, forwarded one to one.
#pragma once
#include "platform/registry.h"

namespace plat::win32 {

class Registry final : public IRegistry {
 public:
  LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result) override;
  LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                        LPDWORD dataSize) override;
  LONG RegCloseKey(HKEY key) override;
};

}  // namespace plat::win32
