#include "simhost/registry.h"

#include <cstring>
#include <optional>

#include "simhost/world.h"

namespace simhost {
namespace {

constexpr REGSAM kKeyQueryValue = 0x0001;

struct KeyObject : Object {
  std::wstring path;  // folded
  REGSAM access = 0;
};

}  // namespace

std::vector<BYTE> WideBytes(const std::wstring& units) {
  std::vector<BYTE> bytes(units.size() * sizeof(WCHAR));
  std::memcpy(bytes.data(), units.data(), bytes.size());
  return bytes;
}

void Registry::AddKey(const std::wstring& path) { (*values_)[FoldCase(path)]; }

void Registry::SetValue(const std::wstring& keyPath, const std::wstring& name, RegistryValue value) {
  (*values_)[FoldCase(keyPath)][FoldCase(name)] = std::move(value);
}

void Registry::SetText(const std::wstring& keyPath, const std::wstring& name, const std::wstring& text) {
  SetValue(keyPath, name, {REG_SZ, WideBytes(text + L'\0')});
}

bool Registry::KeyExists(const std::wstring& foldedPath) const {
  if (values_->count(foldedPath) != 0) return true;
  const std::wstring prefix = foldedPath + L'\\';
  const auto it = values_->lower_bound(prefix);
  return it != values_->end() && it->first.compare(0, prefix.size(), prefix) == 0;
}

LONG Registry::RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result) {
  if (result == nullptr || options != 0) return static_cast<LONG>(ERROR_INVALID_PARAMETER);
  const std::optional<std::wstring> path = PathOf(key, subKey);
  if (!path) return static_cast<LONG>(ERROR_INVALID_HANDLE);
  if (path->empty() || !KeyExists(*path)) return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
  auto object = std::make_shared<KeyObject>();
  object->path = *path;
  object->access = access;
  *result = static_cast<HKEY>(keys_.Insert(std::move(object)));
  openedKeyPaths_.push_back(subKey != nullptr ? subKey : L"");
  return static_cast<LONG>(ERROR_SUCCESS);
}

// As the platform: a buffer too small gets ERROR_MORE_DATA, the size needed, and undefined contents (here the
// part that fitted), so a caller that uses the buffer after a failure is seen doing so.
LONG Registry::RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                LPDWORD dataSize) {
  const auto object = keys_.Get<KeyObject>(key);
  if (!object) return static_cast<LONG>(ERROR_INVALID_HANDLE);
  if (reserved != nullptr || (data != nullptr && dataSize == nullptr)) {
    return static_cast<LONG>(ERROR_INVALID_PARAMETER);
  }
  if ((object->access & kKeyQueryValue) == 0) return static_cast<LONG>(ERROR_ACCESS_DENIED);
  const auto values = values_->find(object->path);
  if (values == values_->end()) return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
  const auto value = values->second.find(FoldCase(valueName != nullptr ? valueName : L""));
  if (value == values->second.end()) return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
  const auto size = static_cast<DWORD>(value->second.data.size());
  if (type != nullptr) *type = value->second.type;
  if (data == nullptr) {
    if (dataSize != nullptr) *dataSize = size;
    return static_cast<LONG>(ERROR_SUCCESS);
  }
  const DWORD offered = *dataSize;
  *dataSize = size;
  if (offered < size) {
    std::memcpy(data, value->second.data.data(), offered);
    return static_cast<LONG>(ERROR_MORE_DATA);
  }
  std::memcpy(data, value->second.data.data(), size);
  return static_cast<LONG>(ERROR_SUCCESS);
}

const RegistryValue* Registry::Value(const std::wstring& keyPath, const std::wstring& name) const {
  const auto key = values_->find(FoldCase(keyPath));
  if (key == values_->end()) return nullptr;
  const auto value = key->second.find(FoldCase(name));
  return value == key->second.end() ? nullptr : &value->second;
}

std::optional<std::wstring> Registry::PathOf(HKEY key, LPCWSTR subKey) const {
  std::wstring path;
  if (key != HKEY_LOCAL_MACHINE) {
    const auto parent = keys_.Get<KeyObject>(key);
    if (!parent) return std::nullopt;
    path = parent->path;
  }
  const std::wstring sub = subKey != nullptr ? FoldCase(subKey) : std::wstring();
  if (!sub.empty()) path = path.empty() ? sub : path + L'\\' + sub;
  return path;
}

LONG Registry::RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR, DWORD, REGSAM access,
                               LPSECURITY_ATTRIBUTES, PHKEY result, LPDWORD disposition) {
  if (result == nullptr || reserved != 0) return static_cast<LONG>(ERROR_INVALID_PARAMETER);
  const std::optional<std::wstring> path = PathOf(key, subKey);
  if (!path) return static_cast<LONG>(ERROR_INVALID_HANDLE);
  if (path->empty()) return static_cast<LONG>(ERROR_INVALID_PARAMETER);
  const bool existed = KeyExists(*path);
  (*values_)[*path];
  if (disposition != nullptr) *disposition = existed ? 2u : 1u;  // REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY
  auto object = std::make_shared<KeyObject>();
  object->path = *path;
  object->access = access;
  *result = static_cast<HKEY>(keys_.Insert(std::move(object)));
  return static_cast<LONG>(ERROR_SUCCESS);
}

LONG Registry::RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                              DWORD dataSize) {
  const auto object = keys_.Get<KeyObject>(key);
  if (!object) return static_cast<LONG>(ERROR_INVALID_HANDLE);
  if (reserved != 0 || (data == nullptr && dataSize != 0)) return static_cast<LONG>(ERROR_INVALID_PARAMETER);
  if ((object->access & KEY_SET_VALUE) == 0) return static_cast<LONG>(ERROR_ACCESS_DENIED);
  RegistryValue value;
  value.type = type;
  if (dataSize != 0) value.data.assign(data, data + dataSize);
  (*values_)[object->path][FoldCase(valueName != nullptr ? valueName : L"")] = std::move(value);
  return static_cast<LONG>(ERROR_SUCCESS);
}

LONG Registry::RegDeleteValueW(HKEY key, LPCWSTR valueName) {
  const auto object = keys_.Get<KeyObject>(key);
  if (!object) return static_cast<LONG>(ERROR_INVALID_HANDLE);
  if ((object->access & KEY_SET_VALUE) == 0) return static_cast<LONG>(ERROR_ACCESS_DENIED);
  const auto values = values_->find(object->path);
  if (values == values_->end() || values->second.erase(FoldCase(valueName != nullptr ? valueName : L"")) == 0) {
    return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
  }
  return static_cast<LONG>(ERROR_SUCCESS);
}

LONG Registry::RegCloseKey(HKEY key) {
  if (key == HKEY_LOCAL_MACHINE) return static_cast<LONG>(ERROR_SUCCESS);
  return static_cast<LONG>(keys_.Close(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE);
}

}  // namespace simhost
