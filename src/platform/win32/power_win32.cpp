#include "platform/win32/win32_host.h"

namespace plat::win32 {

EXECUTION_STATE Power::SetThreadExecutionState(EXECUTION_STATE flags) { return ::SetThreadExecutionState(flags); }
BOOL Power::ShutdownBlockReasonCreate(HWND window, LPCWSTR reason) {
  return ::ShutdownBlockReasonCreate(window, reason);
}
BOOL Power::ShutdownBlockReasonDestroy(HWND window) { return ::ShutdownBlockReasonDestroy(window); }

}  // namespace plat::win32
