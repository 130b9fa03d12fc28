#include "simhost/power.h"

namespace simhost {

// A continuous state stays until the thread replaces it; without ES_CONTINUOUS the call only resets the idle
// timer, and the thread's continuous state is unchanged.
EXECUTION_STATE Power::SetThreadExecutionState(EXECUTION_STATE flags) {
  const int thread = state_.world.scheduler().CurrentThread();
  const EXECUTION_STATE previous = threadStates_[thread] | ES_CONTINUOUS;
  if (flags & ES_CONTINUOUS) threadStates_[thread] = flags & ~ES_CONTINUOUS;
  return previous;
}

BOOL Power::ShutdownBlockReasonCreate(HWND window, LPCWSTR reason) {
  if (window == nullptr || reason == nullptr || state_.world.scheduler().CurrentThread() != windows_.WindowThread()) {
    state_.CurrentThread().lastError = ERROR_ACCESS_DENIED;
    return FALSE;
  }
  reason_ = reason;
  return TRUE;
}

BOOL Power::ShutdownBlockReasonDestroy(HWND window) {
  if (window == nullptr || state_.world.scheduler().CurrentThread() != windows_.WindowThread()) {
    state_.CurrentThread().lastError = ERROR_ACCESS_DENIED;
    return FALSE;
  }
  reason_.reset();
  return TRUE;
}

bool Power::SystemRequired() const {
  for (const auto& [thread, flags] : threadStates_) {
    if ((flags & ES_SYSTEM_REQUIRED) && !state_.world.scheduler().IsFinished(thread)) return true;
  }
  return false;
}

}  // namespace simhost
