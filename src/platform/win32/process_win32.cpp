#include "platform/win32/win32_host.h"

namespace plat::win32 {

DWORD Process::GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size) {
  return ::GetModuleFileNameW(module, buffer, size);
}
LPCWSTR Process::GetCommandLineW() { return ::GetCommandLineW(); }
BOOL Process::CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                             LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                             LPVOID environment, LPCWSTR currentDirectory, LPSTARTUPINFOW startupInfo,
                             LPPROCESS_INFORMATION processInformation) {
  return ::CreateProcessW(applicationName, commandLine, processAttributes, threadAttributes, inheritHandles,
                          creationFlags, environment, currentDirectory, startupInfo, processInformation);
}

DWORD Process::GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size) {
  return ::GetEnvironmentVariableW(name, buffer, size);
}

}  // namespace plat::win32
