// Kernel objects: threads, waits, events, named mutexes, process handles, security descriptors and the last error.
#pragma once
#include "platform/win_types.h"

namespace plat {

class IKernel {
 public:
  virtual ~IKernel() = default;
  virtual DWORD GetLastError() = 0;
  virtual void SetLastError(DWORD error) = 0;

  virtual HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                              LPVOID parameter, DWORD creationFlags, LPDWORD threadId) = 0;
  virtual BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode) = 0;
  virtual DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) = 0;
  virtual BOOL CloseHandle(HANDLE object) = 0;

  virtual HANDLE CreateEventW(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState,
                              LPCWSTR name) = 0;
  virtual BOOL SetEvent(HANDLE event) = 0;
  virtual BOOL ResetEvent(HANDLE event) = 0;

  virtual DWORD GetCurrentProcessId() = 0;
  virtual HANDLE OpenProcess(DWORD access, BOOL inheritHandle, DWORD processId) = 0;

  virtual HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCWSTR name) = 0;
  virtual BOOL ReleaseMutex(HANDLE mutex) = 0;

  virtual BOOL InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor, DWORD revision) = 0;
  virtual BOOL SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, BOOL daclPresent, PACL dacl,
                                         BOOL daclDefaulted) = 0;

  // Marks a step on a flag or handle other threads read (a busy flag, a handle slot). Windows may switch threads
  // anywhere and does nothing here; a simulated host switches here too, so the gaps between such steps are met.
  virtual void SwitchPoint() = 0;
};

}  // namespace plat
