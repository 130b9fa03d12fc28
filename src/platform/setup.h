// Device installation records (SetupAPI); the registry keys they name are plat::IRegistry's (registry.h).
#pragma once
#include "platform/win_types.h"

namespace plat {

class ISetup {
 public:
  virtual ~ISetup() = default;
  virtual HDEVINFO SetupDiGetClassDevsW(const GUID* classGuid, LPCWSTR enumerator, HWND parent, DWORD flags) = 0;
  virtual BOOL SetupDiEnumDeviceInfo(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA device) = 0;
  virtual BOOL SetupDiGetDeviceRegistryPropertyW(HDEVINFO set, PSP_DEVINFO_DATA device, DWORD property,
                                                 PDWORD valueType, PBYTE buffer, DWORD bufferSize,
                                                 PDWORD requiredSize) = 0;
  virtual BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set) = 0;
};

}  // namespace plat
