// SetupAPI, forwarded one to one.
#pragma once
#include "platform/setup.h"

namespace plat::win32 {

class Setup final : public ISetup {
 public:
  HDEVINFO SetupDiGetClassDevsW(const GUID* classGuid, LPCWSTR enumerator, HWND parent, DWORD flags) override;
  BOOL SetupDiEnumDeviceInfo(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA device) override;
  BOOL SetupDiGetDeviceRegistryPropertyW(HDEVINFO set, PSP_DEVINFO_DATA device, DWORD property, PDWORD valueType,
                                         PBYTE buffer, DWORD bufferSize, PDWORD requiredSize) override;
  BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set) override;
};

}  // namespace plat::win32
