#include "platform/win32/win32_host.h"

namespace plat::win32 {

DWORD Kernel::GetLastError() { return ::GetLastError(); }
void Kernel::SetLastError(DWORD error) { ::SetLastError(error); }

HANDLE Kernel::CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                            LPVOID parameter, DWORD creationFlags, LPDWORD threadId) {
  return ::CreateThread(attributes, stackSize, start, parameter, creationFlags, threadId);
}
BOOL Kernel::GetExitCodeThread(HANDLE thread, LPDWORD exitCode) { return ::GetExitCodeThread(thread, exitCode); }
DWORD Kernel::WaitForSingleObject(HANDLE object, DWORD milliseconds) {
  return ::WaitForSingleObject(object, milliseconds);
}
BOOL Kernel::CloseHandle(HANDLE object) { return ::CloseHandle(object); }

HANDLE Kernel::CreateEventW(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCWSTR name) {
  return ::CreateEventW(attributes, manualReset, initialState, name);
}
BOOL Kernel::SetEvent(HANDLE event) { return ::SetEvent(event); }
BOOL Kernel::ResetEvent(HANDLE event) { return ::ResetEvent(event); }
DWORD Kernel::GetCurrentProcessId() { return ::GetCurrentProcessId(); }
HANDLE Kernel::OpenProcess(DWORD access, BOOL inheritHandle, DWORD processId) {
  return ::OpenProcess(access, inheritHandle, processId);
}

HANDLE Kernel::CreateMutexW(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCWSTR name) {
  return ::CreateMutexW(attributes, initialOwner, name);
}
BOOL Kernel::ReleaseMutex(HANDLE mutex) { return ::ReleaseMutex(mutex); }

BOOL Kernel::InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor, DWORD revision) {
  return ::InitializeSecurityDescriptor(descriptor, revision);
}
BOOL Kernel::SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, BOOL daclPresent, PACL dacl,
                                       BOOL daclDefaulted) {
  return ::SetSecurityDescriptorDacl(descriptor, daclPresent, dacl, daclDefaulted);
}

}  // namespace plat::win32
