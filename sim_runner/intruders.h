// The intruders of a run (intruder_plan.h) as threads: Close messages sent whatever the Close button's state, a
// program that gives stisvc back whenever the tool has stopped it, and Windows ending the session. Once the tool
// has answered WM_ENDSESSION, Windows may end it at any moment: the session's thread watches stisvc until every
// thread of the tool has ended, and the run then ends with the tool ended by Windows.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "simhost/process.h"
#include "sim_runner/intruder_plan.h"
#include "sim_runner/trace.h"

namespace sim_runner {

struct IntruderRecord {
  int firstToolThread = 0;  // the scheduler id of the tool's main thread; every later thread is the tool's
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
                    Trace& trace);

}  // namespace sim_runner
