// Device installation records as the device enumeration relies on them: device records of setup classes with
// their hardware IDs and driver keys, and a count of the device information sets still open. A driver key
// names a key of the process's registry (simhost/registry.h).
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/setup.h"
#include "simhost/process_state.h"
#include "simhost/registry.h"

namespace simhost {

struct DeviceRecord {
  GUID classGuid = GUID_DEVCLASS_IMAGE;
  bool present = true;
  std::vector<std::wstring> hardwareIds;  // SPDRP_HARDWAREID, a REG_MULTI_SZ list; none: the property is absent
  std::optional<std::wstring> driverKey;  // SPDRP_DRIVER, "{class GUID}\nnnn"
};

class Setup final : public plat::ISetup {
 public:
  Setup(ProcessState& state, Registry& registry) : state_(state), registry_(registry) {}

  HDEVINFO SetupDiGetClassDevsW(const GUID* classGuid, LPCWSTR enumerator, HWND parent, DWORD flags) override;
  BOOL SetupDiEnumDeviceInfo(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA device) override;
  BOOL SetupDiGetDeviceRegistryPropertyW(HDEVINFO set, PSP_DEVINFO_DATA device, DWORD property, PDWORD valueType,
                                         PBYTE buffer, DWORD bufferSize, PDWORD requiredSize) override;
  BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set) override;

  // The machine. Devices enumerate in the order they were added.
  void AddDevice(DeviceRecord device) { devices_.push_back(std::move(device)); }
  // An image-class device with driver key "{image class}\<instance, four digits>", that key in the registry
  // and, when a name is given, its FriendlyName value.
  void AddImageDevice(std::vector<std::wstring> hardwareIds, unsigned instance,
                      std::optional<std::wstring> friendlyName);
  // The next SetupDiGetClassDevsW fails with this error.
  void FailClassDevs(DWORD error) { classDevsError_ = error; }

  // What tests observe.
  size_t OpenDeviceSets() const { return sets_.Count(); }

 private:
  BOOL Fail(DWORD error);
  const DeviceRecord* DeviceOf(HDEVINFO set, const SP_DEVINFO_DATA* device);

  ProcessState& state_;
  Registry& registry_;
  std::vector<DeviceRecord> devices_;
  HandleTable sets_{0x51000};
  DWORD classDevsError_ = 0;
};

}  // namespace simhost
