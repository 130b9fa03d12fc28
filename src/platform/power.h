// Keeping the machine awake and holding off the end of the session while a burn runs.
#pragma once
#include "platform/win_types.h"

#ifndef _WIN32
typedef DWORD EXECUTION_STATE;
constexpr EXECUTION_STATE ES_SYSTEM_REQUIRED = 0x00000001;
constexpr EXECUTION_STATE ES_CONTINUOUS = 0x80000000;
#endif

namespace plat {

class IPower {
 public:
  virtual ~IPower() = default;
  // For the calling thread, as on Windows.
  virtual EXECUTION_STATE SetThreadExecutionState(EXECUTION_STATE flags) = 0;
  // Only from the thread that owns the window.
  virtual BOOL ShutdownBlockReasonCreate(HWND window, LPCWSTR reason) = 0;
  virtual BOOL ShutdownBlockReasonDestroy(HWND window) = 0;
};

}  // namespace plat
