#include "platform/win32/services_win32.h"

namespace plat::win32 {

SC_HANDLE Services::OpenSCManagerW(LPCWSTR machineName, LPCWSTR databaseName, DWORD access) {
  return ::OpenSCManagerW(machineName, databaseName, access);
}
SC_HANDLE Services::OpenServiceW(SC_HANDLE manager, LPCWSTR serviceName, DWORD access) {
  return ::OpenServiceW(manager, serviceName, access);
}
BOOL Services::QueryServiceStatus(SC_HANDLE service, LPSERVICE_STATUS status) {
  return ::QueryServiceStatus(service, status);
}
BOOL Services::QueryServiceConfigW(SC_HANDLE service, LPQUERY_SERVICE_CONFIGW config, DWORD bufferSize,
                                   LPDWORD bytesNeeded) {
  return ::QueryServiceConfigW(service, config, bufferSize, bytesNeeded);
}
BOOL Services::ChangeServiceConfigW(SC_HANDLE service, DWORD serviceType, DWORD startType, DWORD errorControl,
                                    LPCWSTR binaryPathName, LPCWSTR loadOrderGroup, LPDWORD tagId,
                                    LPCWSTR dependencies, LPCWSTR serviceStartName, LPCWSTR password,
                                    LPCWSTR displayName) {
  return ::ChangeServiceConfigW(service, serviceType, startType, errorControl, binaryPathName, loadOrderGroup, tagId,
                                dependencies, serviceStartName, password, displayName);
}
BOOL Services::ControlService(SC_HANDLE service, DWORD control, LPSERVICE_STATUS status) {
  return ::ControlService(service, control, status);
}
BOOL Services::StartServiceW(SC_HANDLE service, DWORD argumentCount, LPCWSTR* arguments) {
  return ::StartServiceW(service, argumentCount, arguments);
}
BOOL Services::CloseServiceHandle(SC_HANDLE handle) { return ::CloseServiceHandle(handle); }

HLOCAL Services::LocalAlloc(UINT flags, SIZE_T bytes) { return ::LocalAlloc(flags, bytes); }
HLOCAL Services::LocalFree(HLOCAL memory) { return ::LocalFree(memory); }

}  // namespace plat::win32
