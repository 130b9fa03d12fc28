// The execution state of each thread and the shutdown-block reason of the window, recorded so tests can see
// that a burn keeps the machine awake and holds off the end of the session, and that both go afterwards.
#pragma once
#include <map>
#include <optional>
#include <string>

#include "platform/power.h"
#include "simhost/process_state.h"
#include "simhost/windows.h"

namespace simhost {

class Power final : public plat::IPower {
 public:
  Power(ProcessState& state, Windows& windows) : state_(state), windows_(windows) {}

  EXECUTION_STATE SetThreadExecutionState(EXECUTION_STATE flags) override;
  BOOL ShutdownBlockReasonCreate(HWND window, LPCWSTR reason) override;
  BOOL ShutdownBlockReasonDestroy(HWND window) override;

  // Whether any thread of the process asks for the system to stay awake.
  bool SystemRequired() const;
  std::optional<std::wstring> BlockReason() const { return reason_; }

 private:
  ProcessState& state_;
  Windows& windows_;
  std::map<int, EXECUTION_STATE> threadStates_;
  std::optional<std::wstring> reason_;
};

}  // namespace simhost
