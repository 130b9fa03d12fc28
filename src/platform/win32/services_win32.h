// The service control manager and local memory, forwarded one to one.
#pragma once
#include "platform/services.h"

namespace plat::win32 {

class Services final : public IServices {
 public:
  SC_HANDLE OpenSCManagerW(LPCWSTR machineName, LPCWSTR databaseName, DWORD access) override;
  SC_HANDLE OpenServiceW(SC_HANDLE manager, LPCWSTR serviceName, DWORD access) override;
  BOOL QueryServiceStatus(SC_HANDLE service, LPSERVICE_STATUS status) override;
  BOOL QueryServiceConfigW(SC_HANDLE service, LPQUERY_SERVICE_CONFIGW config, DWORD bufferSize,
                           LPDWORD bytesNeeded) override;
  BOOL ChangeServiceConfigW(SC_HANDLE service, DWORD serviceType, DWORD startType, DWORD errorControl,
                            LPCWSTR binaryPathName, LPCWSTR loadOrderGroup, LPDWORD tagId, LPCWSTR dependencies,
                            LPCWSTR serviceStartName, LPCWSTR password, LPCWSTR displayName) override;
  BOOL ControlService(SC_HANDLE service, DWORD control, LPSERVICE_STATUS status) override;
  BOOL StartServiceW(SC_HANDLE service, DWORD argumentCount, LPCWSTR* arguments) override;
  BOOL CloseServiceHandle(SC_HANDLE handle) override;
  HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) override;
  HLOCAL LocalFree(HLOCAL memory) override;
};

}  // namespace plat::win32
