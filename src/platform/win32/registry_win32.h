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
  LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options, REGSAM access,
                       LPSECURITY_ATTRIBUTES attributes, PHKEY result, LPDWORD disposition) override;
  LONG RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                      DWORD dataSize) override;
  LONG RegDeleteValueW(HKEY key, LPCWSTR valueName) override;
};

}  // namespace plat::win32
