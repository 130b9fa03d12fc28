#include "simhost/setup.h"

#include <cstring>
#include <cwchar>
#include <utility>

namespace simhost {
namespace {

constexpr REGSAM kKeyQueryValue = 0x0001;

struct DeviceSet : Object {
  std::vector<DeviceRecord> devices;  // a snapshot, as SetupAPI takes one
};

struct KeyObject : Object {
  std::wstring path;  // folded
  REGSAM access = 0;
};

bool SameGuid(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }

std::vector<BYTE> WideBytes(const std::wstring& units) {
  std::vector<BYTE> bytes(units.size() * sizeof(WCHAR));
  std::memcpy(bytes.data(), units.data(), bytes.size());
  return bytes;
}

std::vector<BYTE> MultiString(const std::vector<std::wstring>& entries) {
  std::wstring units;
  for (const auto& entry : entries) units += entry + L'\0';
  units += L'\0';
  return WideBytes(units);
}

}  // namespace

BOOL Setup::Fail(DWORD error) {
  state_.CurrentThread().lastError = error;
  return FALSE;
}

void Setup::AddImageDevice(std::vector<std::wstring> hardwareIds, unsigned instance,
                           std::optional<std::wstring> friendlyName) {
  wchar_t number[16];
  std::swprintf(number, 16, L"%04u", instance);
  const std::wstring driverKey = std::wstring(L"{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}\\") + number;
  AddDevice({.hardwareIds = std::move(hardwareIds), .driverKey = driverKey});
  const std::wstring keyPath = std::wstring(L"SYSTEM\\CurrentControlSet\\Control\\Class\\") + driverKey;
  AddKey(keyPath);
  if (friendlyName) SetText(keyPath, L"FriendlyName", *friendlyName);
}

void Setup::AddKey(const std::wstring& path) { registry_[FoldCase(path)]; }

void Setup::SetValue(const std::wstring& keyPath, const std::wstring& name, RegistryValue value) {
  registry_[FoldCase(keyPath)][FoldCase(name)] = std::move(value);
}

void Setup::SetText(const std::wstring& keyPath, const std::wstring& name, const std::wstring& text) {
  SetValue(keyPath, name, {REG_SZ, WideBytes(text + L'\0')});
}

bool Setup::KeyExists(const std::wstring& foldedPath) const {
  if (registry_.count(foldedPath) != 0) return true;
  const std::wstring prefix = foldedPath + L'\\';
  const auto it = registry_.lower_bound(prefix);
  return it != registry_.end() && it->first.compare(0, prefix.size(), prefix) == 0;
}

HDEVINFO Setup::SetupDiGetClassDevsW(const GUID* classGuid, LPCWSTR enumerator, HWND, DWORD flags) {
  const DWORD error = classGuid == nullptr || enumerator != nullptr ? ERROR_INVALID_PARAMETER
                                                                    : std::exchange(classDevsError_, 0);
  if (error != ERROR_SUCCESS) {
    Fail(error);
    return INVALID_HANDLE_VALUE;
  }
  auto set = std::make_shared<DeviceSet>();
  for (const auto& device : devices_) {
    if (!SameGuid(device.classGuid, *classGuid)) continue;
    if ((flags & DIGCF_PRESENT) != 0 && !device.present) continue;
    set->devices.push_back(device);
  }
  return sets_.Insert(std::move(set));
}

BOOL Setup::SetupDiEnumDeviceInfo(HDEVINFO handle, DWORD index, PSP_DEVINFO_DATA device) {
  const auto set = sets_.Get<DeviceSet>(handle);
  if (!set) return Fail(ERROR_INVALID_HANDLE);
  if (device == nullptr || device->cbSize != sizeof(SP_DEVINFO_DATA)) return Fail(ERROR_INVALID_USER_BUFFER);
  if (index >= set->devices.size()) return Fail(ERROR_NO_MORE_ITEMS);
  device->ClassGuid = set->devices[index].classGuid;
  device->DevInst = index + 1;
  device->Reserved = reinterpret_cast<ULONG_PTR>(handle);
  return TRUE;
}

const DeviceRecord* Setup::DeviceOf(HDEVINFO handle, const SP_DEVINFO_DATA* device) {
  const auto set = sets_.Get<DeviceSet>(handle);
  DWORD error = ERROR_SUCCESS;
  if (!set) {
    error = ERROR_INVALID_HANDLE;
  } else if (device == nullptr || device->cbSize != sizeof(SP_DEVINFO_DATA)) {
    error = ERROR_INVALID_USER_BUFFER;
  } else if (device->Reserved != reinterpret_cast<ULONG_PTR>(handle) || device->DevInst == 0 ||
             device->DevInst > set->devices.size()) {
    error = ERROR_INVALID_PARAMETER;
  }
  if (error != ERROR_SUCCESS) {
    Fail(error);
    return nullptr;
  }
  return &set->devices[device->DevInst - 1];
}

BOOL Setup::SetupDiGetDeviceRegistryPropertyW(HDEVINFO set, PSP_DEVINFO_DATA device, DWORD property,
                                              PDWORD valueType, PBYTE buffer, DWORD bufferSize,
                                              PDWORD requiredSize) {
  const DeviceRecord* record = DeviceOf(set, device);
  if (record == nullptr) return FALSE;
  if (buffer == nullptr && bufferSize != 0) return Fail(ERROR_INVALID_USER_BUFFER);
  RegistryValue value;
  if (property == SPDRP_HARDWAREID && !record->hardwareIds.empty()) {
    value = {REG_MULTI_SZ, MultiString(record->hardwareIds)};
  } else if (property == SPDRP_DRIVER && record->driverKey) {
    value = {REG_SZ, WideBytes(*record->driverKey + L'\0')};
  } else {
    return Fail(ERROR_INVALID_DATA);
  }
  const auto size = static_cast<DWORD>(value.data.size());
  if (requiredSize != nullptr) *requiredSize = size;
  if (bufferSize < size) return Fail(ERROR_INSUFFICIENT_BUFFER);
  if (valueType != nullptr) *valueType = value.type;
  std::memcpy(buffer, value.data.data(), size);
  return TRUE;
}

BOOL Setup::SetupDiDestroyDeviceInfoList(HDEVINFO set) {
  if (!sets_.Close(set)) return Fail(ERROR_INVALID_HANDLE);
  return TRUE;
}

LONG Setup::RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result) {
  if (result == nullptr || options != 0) return static_cast<LONG>(ERROR_INVALID_PARAMETER);
  std::wstring path;
  if (key != HKEY_LOCAL_MACHINE) {
    const auto parent = keys_.Get<KeyObject>(key);
    if (!parent) return static_cast<LONG>(ERROR_INVALID_HANDLE);
    path = parent->path;
  }
  const std::wstring sub = subKey != nullptr ? FoldCase(subKey) : std::wstring();
  if (!sub.empty()) path = path.empty() ? sub : path + L'\\' + sub;
  if (path.empty() || !KeyExists(path)) return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
  auto object = std::make_shared<KeyObject>();
  object->path = path;
  object->access = access;
  *result = static_cast<HKEY>(keys_.Insert(std::move(object)));
  openedKeyPaths_.push_back(subKey != nullptr ? subKey : L"");
  return static_cast<LONG>(ERROR_SUCCESS);
}

// As the platform: a buffer too small gets ERROR_MORE_DATA, the size needed, and undefined contents (here the
// part that fitted), so a caller that uses the buffer after a failure is seen doing so.
LONG Setup::RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                             LPDWORD dataSize) {
  const auto object = keys_.Get<KeyObject>(key);
  if (!object) return static_cast<LONG>(ERROR_INVALID_HANDLE);
  if (reserved != nullptr || (data != nullptr && dataSize == nullptr)) {
    return static_cast<LONG>(ERROR_INVALID_PARAMETER);
  }
  if ((object->access & kKeyQueryValue) == 0) return static_cast<LONG>(ERROR_ACCESS_DENIED);
  const auto values = registry_.find(object->path);
  if (values == registry_.end()) return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
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

LONG Setup::RegCloseKey(HKEY key) {
  if (key == HKEY_LOCAL_MACHINE) return static_cast<LONG>(ERROR_SUCCESS);
  return static_cast<LONG>(keys_.Close(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE);
}

}  // namespace simhost
