// The service control manager, and the local memory its configuration query is read into.
#pragma once
#include "platform/win_types.h"

namespace plat {

class IServices {
 public:
  virtual ~IServices() = default;
  virtual SC_HANDLE OpenSCManagerW(LPCWSTR machineName, LPCWSTR databaseName, DWORD access) = 0;
  virtual SC_HANDLE OpenServiceW(SC_HANDLE manager, LPCWSTR serviceName, DWORD access) = 0;
  virtual BOOL QueryServiceStatus(SC_HANDLE service, LPSERVICE_STATUS status) = 0;
  virtual BOOL QueryServiceConfigW(SC_HANDLE service, LPQUERY_SERVICE_CONFIGW config, DWORD bufferSize,
                                   LPDWORD bytesNeeded) = 0;
  virtual BOOL ChangeServiceConfigW(SC_HANDLE service, DWORD serviceType, DWORD startType, DWORD errorControl,
                                    LPCWSTR binaryPathName, LPCWSTR loadOrderGroup, LPDWORD tagId,
                                    LPCWSTR dependencies, LPCWSTR serviceStartName, LPCWSTR password,
                                    LPCWSTR displayName) = 0;
  virtual BOOL ControlService(SC_HANDLE service, DWORD control, LPSERVICE_STATUS status) = 0;
  virtual BOOL StartServiceW(SC_HANDLE service, DWORD argumentCount, LPCWSTR* arguments) = 0;
  virtual BOOL CloseServiceHandle(SC_HANDLE handle) = 0;

  virtual HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) = 0;
  virtual HLOCAL LocalFree(HLOCAL memory) = 0;
};

}  // namespace plat
