#include "platform/win32/win32_host.h"

namespace plat::win32 {

DWORD Process::GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size) {
  return ::GetModuleFileNameW(module, buffer, size);
}
LPCWSTR Process::GetCommandLineW() { return ::GetCommandLineW(); }
DWORD Process::GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size) {
  return ::GetEnvironmentVariableW(name, buffer, size);
}

}  // namespace plat::win32
