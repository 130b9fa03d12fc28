#pragma once
#include "platform/time.h"
#include "simhost/process_state.h"

namespace simhost {

class Time final : public plat::ITime {
 public:
  explicit Time(ProcessState& state) : state_(state) {}
  DWORD GetTickCount() override { return state_.world.TickCount(); }
  void Sleep(DWORD milliseconds) override { state_.world.scheduler().Sleep(milliseconds); }
  void GetLocalTime(SYSTEMTIME* time) override { *time = state_.world.LocalTime(); }

 private:
  ProcessState& state_;
};

}  // namespace simhost
