// A test double of the seam areas whose handles the core owns (plat::IKernel, IServices, ISockets, ISetup,
// IRegistry): every close is recorded as "Call 0x<value>", every other call is inert. It implements those
// interfaces whole, so a call added to one of them must be added here too (inert, or recorded if it closes).
// The record is guarded: the slot tests close from several real threads at once.
#pragma once
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/kernel.h"
#include "platform/registry.h"
#include "platform/services.h"
#include "platform/setup.h"
#include "platform/sockets.h"

namespace fwtest {

template <typename T>
std::string CallText(const char* call, T value) {
  uintptr_t bits = 0;
  if constexpr (std::is_pointer_v<T>) {
    bits = reinterpret_cast<uintptr_t>(value);
  } else {
    bits = static_cast<uintptr_t>(value);
  }
  char text[64];
  std::snprintf(text, sizeof text, "%s 0x%llx", call, static_cast<unsigned long long>(bits));
  return text;
}

class RecordingSeams : public plat::IKernel,
                       public plat::IServices,
                       public plat::ISockets,
                       public plat::ISetup,
                       public plat::IRegistry {
 public:
  std::vector<std::string> Take() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(calls_, {});
  }

  // The closes.
  BOOL CloseHandle(HANDLE object) override { return Record("CloseHandle", object); }
  BOOL ReleaseMutex(HANDLE mutex) override { return Record("ReleaseMutex", mutex); }
  BOOL CloseServiceHandle(SC_HANDLE handle) override { return Record("CloseServiceHandle", handle); }
  HLOCAL LocalFree(HLOCAL memory) override {
    Record("LocalFree", memory);
    return nullptr;
  }
  int closesocket(plat::SOCKET s) override { return Record("closesocket", s) ? 0 : -1; }
  BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set) override { return Record("SetupDiDestroyDeviceInfoList", set); }
  LONG RegCloseKey(HKEY key) override { return Record("RegCloseKey", key) ? 0 : 1; }

  // Everything else does nothing.
  DWORD GetLastError() override { return 0; }
  void SetLastError(DWORD) override {}
  HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD, LPDWORD) override {
    return nullptr;
  }
  BOOL GetExitCodeThread(HANDLE, LPDWORD) override { return FALSE; }
  DWORD WaitForSingleObject(HANDLE, DWORD) override { return WAIT_FAILED; }
  HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL, BOOL, LPCWSTR) override { return nullptr; }
  BOOL SetEvent(HANDLE) override { return FALSE; }
  BOOL ResetEvent(HANDLE) override { return FALSE; }
  DWORD GetCurrentProcessId() override { return 0; }
  HANDLE OpenProcess(DWORD, BOOL, DWORD) override { return nullptr; }
  HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES, BOOL, LPCWSTR) override { return nullptr; }
  BOOL InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR, DWORD) override { return FALSE; }
  BOOL SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR, BOOL, PACL, BOOL) override { return FALSE; }
  void SwitchPoint() override {}

  SC_HANDLE OpenSCManagerW(LPCWSTR, LPCWSTR, DWORD) override { return nullptr; }
  SC_HANDLE OpenServiceW(SC_HANDLE, LPCWSTR, DWORD) override { return nullptr; }
  BOOL QueryServiceStatus(SC_HANDLE, LPSERVICE_STATUS) override { return FALSE; }
  BOOL QueryServiceConfigW(SC_HANDLE, LPQUERY_SERVICE_CONFIGW, DWORD, LPDWORD) override { return FALSE; }
  BOOL ChangeServiceConfigW(SC_HANDLE, DWORD, DWORD, DWORD, LPCWSTR, LPCWSTR, LPDWORD, LPCWSTR, LPCWSTR, LPCWSTR,
                            LPCWSTR) override {
    return FALSE;
  }
  BOOL ControlService(SC_HANDLE, DWORD, LPSERVICE_STATUS) override { return FALSE; }
  BOOL StartServiceW(SC_HANDLE, DWORD, LPCWSTR*) override { return FALSE; }
  HLOCAL LocalAlloc(UINT, SIZE_T) override { return nullptr; }

  int WSAStartup(WORD, plat::LPWSADATA) override { return -1; }
  int WSACleanup() override { return -1; }
  int WSAGetLastError() override { return 0; }
  plat::SOCKET socket(int, int, int) override { return INVALID_SOCKET; }
  int ioctlsocket(plat::SOCKET, long, plat::u_long*) override { return -1; }
  int connect(plat::SOCKET, const plat::sockaddr*, int) override { return -1; }
  int select(int, plat::fd_set*, plat::fd_set*, plat::fd_set*, const plat::timeval*) override { return -1; }
  int __WSAFDIsSet(plat::SOCKET, plat::fd_set*) override { return 0; }
  int setsockopt(plat::SOCKET, int, int, const char*, int) override { return -1; }
  int send(plat::SOCKET, const char*, int, int) override { return -1; }
  int recv(plat::SOCKET, char*, int, int) override { return -1; }
  int shutdown(plat::SOCKET, int) override { return -1; }

  HDEVINFO SetupDiGetClassDevsW(const GUID*, LPCWSTR, HWND, DWORD) override { return INVALID_HANDLE_VALUE; }
  BOOL SetupDiEnumDeviceInfo(HDEVINFO, DWORD, PSP_DEVINFO_DATA) override { return FALSE; }
  BOOL SetupDiGetDeviceRegistryPropertyW(HDEVINFO, PSP_DEVINFO_DATA, DWORD, PDWORD, PBYTE, DWORD, PDWORD) override {
    return FALSE;
  }
  LONG RegOpenKeyExW(HKEY, LPCWSTR, DWORD, REGSAM, PHKEY) override { return 1; }
  LONG RegQueryValueExW(HKEY, LPCWSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD) override { return 1; }
  LONG RegCreateKeyExW(HKEY, LPCWSTR, DWORD, LPWSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES, PHKEY, LPDWORD) override {
    return 1;
  }
  LONG RegSetValueExW(HKEY, LPCWSTR, DWORD, DWORD, const BYTE*, DWORD) override { return 1; }
  LONG RegDeleteValueW(HKEY, LPCWSTR) override { return 1; }

 private:
  template <typename T>
  BOOL Record(const char* call, T value) {
    const std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back(CallText(call, value));
    return TRUE;
  }

  std::mutex mutex_;
  std::vector<std::string> calls_;
};

}  // namespace fwtest
