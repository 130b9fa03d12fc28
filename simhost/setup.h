// Device installation records and the registry as the device enumeration relies on them: device records of
// setup classes with their hardware IDs and driver keys, registry keys under HKEY_LOCAL_MACHINE with typed
// values, and counts of the device information sets and keys still open.
#pragma once
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/setup.h"
#include "simhost/process_state.h"

namespace simhost {

struct DeviceRecord {
  GUID classGuid = GUID_DEVCLASS_IMAGE;
  bool present = true;
  std::vector<std::wstring> hardwareIds;  // SPDRP_HARDWAREID, a REG_MULTI_SZ list; none: the property is absent
  std::optional<std::wstring> driverKey;  // SPDRP_DRIVER, "{class GUID}\nnnn"
};

struct RegistryValue {
  DWORD type = REG_SZ;
  std::vector<BYTE> data;
};

class Setup final : public plat::ISetup {
 public:
  explicit Setup(ProcessState& state) : state_(state) {}

  HDEVINFO SetupDiGetClassDevsW(const GUID* classGuid, LPCWSTR enumerator, HWND parent, DWORD flags) override;
  BOOL SetupDiEnumDeviceInfo(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA device) override;
  BOOL SetupDiGetDeviceRegistryPropertyW(HDEVINFO set, PSP_DEVINFO_DATA device, DWORD property, PDWORD valueType,
                                         PBYTE buffer, DWORD bufferSize, PDWORD requiredSize) override;
  BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set) override;
  LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result) override;
  LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                        LPDWORD dataSize) override;
  LONG RegCloseKey(HKEY key) override;

  // The machine. Devices enumerate in the order they were added.
  void AddDevice(DeviceRecord device) { devices_.push_back(std::move(device)); }
  // An image-class device with driver key "{image class}\<instance, four digits>" and, when a name is given, the
  // FriendlyName value of that key.
  void AddImageDevice(std::vector<std::wstring> hardwareIds, unsigned instance,
                      std::optional<std::wstring> friendlyName);
  void AddKey(const std::wstring& path);  // under HKEY_LOCAL_MACHINE, without a leading backslash
  void SetValue(const std::wstring& keyPath, const std::wstring& name, RegistryValue value);
  // A REG_SZ value: the text and its terminating NUL, in wide characters.
  void SetText(const std::wstring& keyPath, const std::wstring& name, const std::wstring& text);
  // The next SetupDiGetClassDevsW fails with this error.
  void FailClassDevs(DWORD error) { classDevsError_ = error; }

  // What tests observe.
  size_t OpenDeviceSets() const { return sets_.Count(); }
  size_t OpenKeys() const { return keys_.Count(); }
  const std::vector<std::wstring>& OpenedKeyPaths() const { return openedKeyPaths_; }

 private:
  BOOL Fail(DWORD error);
  const DeviceRecord* DeviceOf(HDEVINFO set, const SP_DEVINFO_DATA* device);
  bool KeyExists(const std::wstring& foldedPath) const;

  ProcessState& state_;
  std::vector<DeviceRecord> devices_;
  std::map<std::wstring, std::map<std::wstring, RegistryValue>> registry_;  // folded key path, folded value name
  HandleTable sets_{0x51000};
  HandleTable keys_{0x52000};
  std::vector<std::wstring> openedKeyPaths_;
  DWORD classDevsError_ = 0;
};

// The image device class's key under HKEY_LOCAL_MACHINE.
inline constexpr const wchar_t* kImageClassKey =
    L"SYSTEM\\CurrentControlSet\\Control\\Class\\{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}";

}  // namespace simhost
