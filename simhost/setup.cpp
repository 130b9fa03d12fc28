#include "simhost/setup.h"

#include <cstring>
#include <cwchar>
#include <utility>

namespace simhost {
namespace {

struct DeviceSet : Object {
  std::vector<DeviceRecord> devices;  // a snapshot, as SetupAPI takes one
};

bool SameGuid(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }

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
  registry_.AddKey(keyPath);
  if (friendlyName) registry_.SetText(keyPath, L"FriendlyName", *friendlyName);
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

}  // namespace simhost
