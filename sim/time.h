#pragma once
#include "platform/time.h"
#include "sim/process_state.h"

namespace sim {

class Time final : public plat::ITime {
 public:
  explicit Time(ProcessState& state) : state_(state) {}
  DWORD GetTickCount() override { return state_.world.TickCount(); }
  void Sleep(DWORD milliseconds) override { state_.world.scheduler().Sleep(milliseconds); }

 private:
  ProcessState& state_;
};

}  // namespace sim
