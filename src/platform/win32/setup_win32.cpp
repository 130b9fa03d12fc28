// The device class GUIDs are defined here, once for the program (devguid.h only declares them elsewhere).
#include <initguid.h>

#include "platform/win32/setup_win32.h"

namespace plat::win32 {

HDEVINFO Setup::SetupDiGetClassDevsW(const GUID* classGuid, LPCWSTR enumerator, HWND parent, DWORD flags) {
  return ::SetupDiGetClassDevsW(classGuid, enumerator, parent, flags);
}
BOOL Setup::SetupDiEnumDeviceInfo(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA device) {
  return ::SetupDiEnumDeviceInfo(set, index, device);
}
BOOL Setup::SetupDiGetDeviceRegistryPropertyW(HDEVINFO set, PSP_DEVINFO_DATA device, DWORD property,
                                              PDWORD valueType, PBYTE buffer, DWORD bufferSize,
                                              PDWORD requiredSize) {
  return ::SetupDiGetDeviceRegistryPropertyW(set, device, property, valueType, buffer, bufferSize, requiredSize);
}
BOOL Setup::SetupDiDestroyDeviceInfoList(HDEVINFO set) { return ::SetupDiDestroyDeviceInfoList(set); }

}  // namespace plat::win32
