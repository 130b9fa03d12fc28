// Threads, waits, events and named mutexes as the core relies on them, on the deterministic scheduler.
#pragma once
#include <optional>

#include "platform/kernel.h"
#include "simhost/process_state.h"

namespace simhost {

class Kernel final : public plat::IKernel {
 public:
  explicit Kernel(ProcessState& state) : state_(state) {}

  DWORD GetLastError() override { return state_.CurrentThread().lastError; }
  void SetLastError(DWORD error) override { state_.CurrentThread().lastError = error; }

  HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                      LPVOID parameter, DWORD creationFlags, LPDWORD threadId) override;
  BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode) override;
  DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) override;
  BOOL CloseHandle(HANDLE object) override;
  HANDLE CreateEventW(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCWSTR name) override;
  BOOL SetEvent(HANDLE event) override;
  BOOL ResetEvent(HANDLE event) override;
  DWORD GetCurrentProcessId() override { return state_.self->id; }
  // Any process of the machine that has not gone (Windows keeps an ended one while a handle refers to it).
  HANDLE OpenProcess(DWORD access, BOOL inheritHandle, DWORD processId) override;
  HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCWSTR name) override;
  BOOL ReleaseMutex(HANDLE mutex) override;
  BOOL InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor, DWORD revision) override;
  BOOL SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, BOOL daclPresent, PACL dacl,
                                 BOOL daclDefaulted) override;
  void SwitchPoint() override;

 private:
  BOOL SignalEvent(HANDLE handle, bool signaled);

  ProcessState& state_;
};

// Kernel objects, visible to tests through a process's handles.
struct ThreadObject : Object {
  int schedulerId = 0;
  DWORD id = 0;
  DWORD exitCode = STILL_ACTIVE;
  bool finished = false;
};

struct EventObject : Object {
  bool manualReset = false;
  bool signaled = false;
  // Planted by a simulated device: the next wait on the event returns this at once (WAIT_ABANDONED, or
  // WAIT_FAILED with injectedWaitError as the last error), as a broken wait on Windows would.
  std::optional<DWORD> injectedWait;
  DWORD injectedWaitError = 0;
};

struct MutexObject : Object {
  std::wstring creatorUser;
  bool creatorElevated = false;
  bool openToEveryone = false;  // created with a null DACL
  int ownerThread = 0;          // scheduler id, 0 when not owned
  unsigned recursion = 0;
  bool abandoned = false;       // its owner ended owning it: the next wait that takes it gets WAIT_ABANDONED
};

// Windows abandons the mutexes a thread still owns when it ends, also when its process is ended: the next wait
// that takes one gets WAIT_ABANDONED.
void AbandonMutexesOf(World& world, int schedulerThread);

}  // namespace simhost
