#include "simhost/kernel.h"

#include <memory>

namespace simhost {
namespace {

uint64_t Deadline(Scheduler& scheduler, DWORD milliseconds) {
  return milliseconds == INFINITE ? kForever : scheduler.Now() + milliseconds;
}

class AbandonOnEnd {
 public:
  AbandonOnEnd(World& world, const ThreadObject& thread) : world_(world), thread_(thread) {}
  ~AbandonOnEnd() { AbandonMutexesOf(world_, thread_.schedulerId); }
  AbandonOnEnd(const AbandonOnEnd&) = delete;
  AbandonOnEnd& operator=(const AbandonOnEnd&) = delete;

 private:
  World& world_;
  const ThreadObject& thread_;
};

}  // namespace

void AbandonMutexesOf(World& world, int schedulerThread) {
  for (const auto& object : world.LiveMutexes()) {
    const auto mutex = std::static_pointer_cast<MutexObject>(object);
    if (mutex->ownerThread != schedulerThread) continue;
    mutex->ownerThread = 0;
    mutex->recursion = 0;
    mutex->abandoned = true;
  }
}

HANDLE Kernel::CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD,
                            LPDWORD threadId) {
  if (state_.threadCreationsToFail > 0) {
    --state_.threadCreationsToFail;
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto thread = std::make_shared<ThreadObject>();
  World& world = state_.world;
  thread->schedulerId = world.scheduler().Spawn([start, parameter, thread, &world] {
    const AbandonOnEnd abandon(world, *thread);
    thread->exitCode = start(parameter);
    thread->finished = true;
  });
  state_.schedulerThreads.push_back(thread->schedulerId);
  thread->id = static_cast<DWORD>(thread->schedulerId) * 4;
  if (threadId != nullptr) *threadId = thread->id;
  return state_.handles.Insert(thread);
}

BOOL Kernel::GetExitCodeThread(HANDLE handle, LPDWORD exitCode) {
  if (state_.exitCodeQueriesToFail > 0) {
    --state_.exitCodeQueriesToFail;
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  const auto thread = state_.handles.Get<ThreadObject>(handle);
  if (!thread || exitCode == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  *exitCode = thread->exitCode;
  return TRUE;
}

DWORD Kernel::WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  Scheduler& scheduler = state_.world.scheduler();
  if (const auto thread = state_.handles.Get<ThreadObject>(handle)) {
    return scheduler.BlockUntil([thread] { return thread->finished; }, Deadline(scheduler, milliseconds))
               ? WAIT_OBJECT_0
               : WAIT_TIMEOUT;
  }
  if (const auto event = state_.handles.Get<EventObject>(handle)) {
    if (event->injectedWait) {
      const DWORD result = *event->injectedWait;
      event->injectedWait.reset();
      if (result == WAIT_FAILED) SetLastError(event->injectedWaitError);
      return result;
    }
    if (!scheduler.BlockUntil([event] { return event->signaled; }, Deadline(scheduler, milliseconds))) {
      return WAIT_TIMEOUT;
    }
    if (!event->manualReset) event->signaled = false;
    return WAIT_OBJECT_0;
  }
  if (const auto process = state_.handles.Get<ProcessObject>(handle)) {
    return scheduler.BlockUntil([process] { return process->ended; }, Deadline(scheduler, milliseconds))
               ? WAIT_OBJECT_0
               : WAIT_TIMEOUT;
  }
  if (const auto mutex = state_.handles.Get<MutexObject>(handle)) {
    const int self = scheduler.CurrentThread();
    if (!scheduler.BlockUntil([mutex, self] { return mutex->ownerThread == 0 || mutex->ownerThread == self; },
                              Deadline(scheduler, milliseconds))) {
      return WAIT_TIMEOUT;
    }
    mutex->ownerThread = self;
    ++mutex->recursion;
    if (mutex->abandoned) {
      mutex->abandoned = false;
      return WAIT_ABANDONED;
    }
    return WAIT_OBJECT_0;
  }
  SetLastError(ERROR_INVALID_HANDLE);
  return WAIT_FAILED;
}

BOOL Kernel::CloseHandle(HANDLE handle) {
  if (state_.handles.Close(handle)) return TRUE;
  SetLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}

HANDLE Kernel::CreateEventW(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCWSTR name) {
  if (state_.eventCreationsToFail > 0) {
    --state_.eventCreationsToFail;
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  const bool inheritable = attributes != nullptr && attributes->bInheritHandle != FALSE;
  const std::wstring eventName = name != nullptr ? name : L"";
  if (!eventName.empty()) {
    if (auto existing = state_.world.FindNamed(eventName, state_.options.session)) {
      auto opened = std::dynamic_pointer_cast<EventObject>(existing);
      if (!opened) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
      }
      SetLastError(ERROR_ALREADY_EXISTS);
      return state_.handles.Insert(std::move(opened), inheritable);
    }
  }
  auto event = std::make_shared<EventObject>();
  event->manualReset = manualReset != FALSE;
  event->signaled = initialState != FALSE;
  if (!eventName.empty()) state_.world.AddNamed(eventName, state_.options.session, event);
  SetLastError(ERROR_SUCCESS);
  return state_.handles.Insert(event, inheritable);
}

BOOL Kernel::SetEvent(HANDLE handle) { return SignalEvent(handle, true); }
BOOL Kernel::ResetEvent(HANDLE handle) { return SignalEvent(handle, false); }

BOOL Kernel::SignalEvent(HANDLE handle, bool signaled) {
  const auto event = state_.handles.Get<EventObject>(handle);
  if (!event) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  event->signaled = signaled;
  return TRUE;
}

HANDLE Kernel::OpenProcess(DWORD, BOOL inheritHandle, DWORD processId) {
  std::shared_ptr<ProcessObject> process = state_.world.FindProcess(processId);
  if (!process) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return state_.handles.Insert(std::move(process), inheritHandle != FALSE);
}

HANDLE Kernel::CreateMutexW(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCWSTR name) {
  const int self = state_.world.scheduler().CurrentThread();
  const bool inheritable = attributes != nullptr && attributes->bInheritHandle != FALSE;
  const std::wstring mutexName = name != nullptr ? name : L"";
  if (!mutexName.empty()) {
    if (const auto existing = state_.world.FindNamed(mutexName, state_.options.session)) {
      const auto mutex = std::dynamic_pointer_cast<MutexObject>(existing);
      if (!mutex) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
      }
      const bool sameUser = mutex->creatorUser == state_.options.user;
      const bool bothAdministrators = mutex->creatorElevated && state_.options.elevated;
      if (!mutex->openToEveryone && !sameUser && !bothAdministrators) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
      }
      const HANDLE handle = state_.handles.Insert(mutex, inheritable);
      SetLastError(ERROR_ALREADY_EXISTS);
      return handle;
    }
  }
  auto mutex = std::make_shared<MutexObject>();
  mutex->creatorUser = state_.options.user;
  mutex->creatorElevated = state_.options.elevated;
  if (attributes != nullptr && attributes->lpSecurityDescriptor != nullptr) {
    const auto* descriptor = static_cast<const SECURITY_DESCRIPTOR*>(attributes->lpSecurityDescriptor);
    mutex->openToEveryone = (descriptor->Control & 0x0004) != 0 && descriptor->Dacl == nullptr;
  }
  if (initialOwner) {
    mutex->ownerThread = self;
    mutex->recursion = 1;
  }
  if (!mutexName.empty()) state_.world.AddNamed(mutexName, state_.options.session, mutex);
  state_.world.AddMutex(mutex);
  const HANDLE handle = state_.handles.Insert(mutex, inheritable);
  SetLastError(ERROR_SUCCESS);
  return handle;
}

BOOL Kernel::ReleaseMutex(HANDLE handle) {
  const auto mutex = state_.handles.Get<MutexObject>(handle);
  if (!mutex) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (mutex->ownerThread != state_.world.scheduler().CurrentThread() || mutex->recursion == 0) {
    SetLastError(ERROR_NOT_OWNER);
    return FALSE;
  }
  if (--mutex->recursion == 0) mutex->ownerThread = 0;
  return TRUE;
}

// SE_DACL_PRESENT is 0x0004 in the control word; a present DACL that is null lets everyone in.
BOOL Kernel::InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor, DWORD revision) {
  if (descriptor == nullptr || revision != SECURITY_DESCRIPTOR_REVISION) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *static_cast<SECURITY_DESCRIPTOR*>(descriptor) = SECURITY_DESCRIPTOR{};
  static_cast<SECURITY_DESCRIPTOR*>(descriptor)->Revision = static_cast<BYTE>(revision);
  return TRUE;
}

BOOL Kernel::SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, BOOL daclPresent, PACL dacl,
                                       BOOL daclDefaulted) {
  if (descriptor == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto* sd = static_cast<SECURITY_DESCRIPTOR*>(descriptor);
  sd->Control = static_cast<WORD>(daclPresent ? (sd->Control | 0x0004) : (sd->Control & ~0x0004));
  sd->Control = static_cast<WORD>(daclDefaulted ? (sd->Control | 0x0008) : (sd->Control & ~0x0008));
  sd->Dacl = dacl;
  return TRUE;
}

void Kernel::SwitchPoint() { state_.world.scheduler().SwitchPoint(); }

}  // namespace simhost
