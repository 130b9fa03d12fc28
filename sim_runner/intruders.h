// The intruders of a run (intruder_plan.h) as threads: Close messages sent whatever the Close button's state, a
// program that gives stisvc back whenever the tool has stopped it, and Windows ending the session. Windows waits
// a limited time for each answer and ends a tool that has not answered by then (simhost/session_end.h). Once
// the tool has answered WM_ENDSESSION, Windows may end it at any moment: the session's thread watches stisvc
// until every thread of the tool has ended, and Windows then ends the tool.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "simhost/process.h"
#include "sim_runner/abrupt_end.h"
#include "sim_runner/intruder_plan.h"
#include "sim_runner/trace.h"

namespace sim_runner {

struct IntruderRecord {
  std::vector<uint64_t> closeMessagesAtMs;
  bool updatePosted = false;  // an Update posted by another program may start an update as a press does
  // The end of the session, once the tool let it end: nobody acts on the window any more.
  bool sessionEnding = false;
  std::optional<uint64_t> sessionEndedAtMs;  // WM_ENDSESSION answered
  DWORD startTypeWhenAnswered = 0;
  std::optional<uint64_t> startTypeLeftAutomaticAtMs;
  bool toolThreadsEnded = false;  // every thread but the window's had ended within the bound
  bool killed = false;            // Windows has ended the tool; the run ends here
};

void StartIntruders(simhost::Process& tool, simhost::SimService* service, const IntruderPlan& plan, IntruderRecord& record,
                    AbruptEndRecord& abrupt, Trace& trace);

}  // namespace sim_runner
