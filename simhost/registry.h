// The registry as the device enumeration relies on it: keys under HKEY_LOCAL_MACHINE with typed values, read
// only through the seam, and a count of the keys still open.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "simhost/handle_table.h"

namespace simhost {

struct RegistryValue {
  DWORD type = REG_SZ;
  std::vector<BYTE> data;
};

// The bytes of wide characters as a value stores them; a text's NUL is the caller's to add.
std::vector<BYTE> WideBytes(const std::wstring& units);

class Registry final : public plat::IRegistry {
 public:
  LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result) override;
  LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                        LPDWORD dataSize) override;
  LONG RegCloseKey(HKEY key) override;

  // The machine. Paths are under HKEY_LOCAL_MACHINE, without a leading backslash.
  void AddKey(const std::wstring& path);
  void SetValue(const std::wstring& keyPath, const std::wstring& name, RegistryValue value);
  // A REG_SZ value: the text and its terminating NUL, in wide characters.
  void SetText(const std::wstring& keyPath, const std::wstring& name, const std::wstring& text);

  // What tests observe.
  size_t OpenKeys() const { return keys_.Count(); }
  const std::vector<std::wstring>& OpenedKeyPaths() const { return openedKeyPaths_; }

 private:
  bool KeyExists(const std::wstring& foldedPath) const;

  std::map<std::wstring, std::map<std::wstring, RegistryValue>> values_;  // folded key path, folded value name
  HandleTable keys_{0x52000};
  std::vector<std::wstring> openedKeyPaths_;
};

}  // namespace simhost
