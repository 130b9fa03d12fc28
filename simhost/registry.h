// The registry as the device enumeration relies on it: keys under HKEY_LOCAL_MACHINE with typed values, read
// only through the seam, and a count of the keys still open.
#pragma once
#include <map>
#include <memory>
#include <optional>
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
  // Keys are made on the way down as Windows does; values are written as given.
  LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options, REGSAM access,
                       LPSECURITY_ATTRIBUTES attributes, PHKEY result, LPDWORD disposition) override;
  LONG RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                      DWORD dataSize) override;
  LONG RegDeleteValueW(HKEY key, LPCWSTR valueName) override;

  // Another program copy on the same machine: from now on both see the same keys and values.
  void ShareMachineOf(const Registry& other) { values_ = other.values_; }

  // The machine. Paths are under HKEY_LOCAL_MACHINE, without a leading backslash.
  void AddKey(const std::wstring& path);
  void SetValue(const std::wstring& keyPath, const std::wstring& name, RegistryValue value);
  // A REG_SZ value: the text and its terminating NUL, in wide characters.
  void SetText(const std::wstring& keyPath, const std::wstring& name, const std::wstring& text);
  const RegistryValue* Value(const std::wstring& keyPath, const std::wstring& name) const;

  // What tests observe.
  size_t OpenKeys() const { return keys_.Count(); }
  const std::vector<std::wstring>& OpenedKeyPaths() const { return openedKeyPaths_; }

 private:
  bool KeyExists(const std::wstring& foldedPath) const;
  // The folded path a key handle and a sub-key name stand for; none for a handle that is not open.
  std::optional<std::wstring> PathOf(HKEY key, LPCWSTR subKey) const;

  using Machine = std::map<std::wstring, std::map<std::wstring, RegistryValue>>;  // folded key path, value name
  std::shared_ptr<Machine> values_ = std::make_shared<Machine>();
  HandleTable keys_{0x52000};
  std::vector<std::wstring> openedKeyPaths_;
};

}  // namespace simhost
