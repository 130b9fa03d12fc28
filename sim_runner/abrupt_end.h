// The tool ended without its own code running: by Task Manager's "End task" (an actor drawn from a stream of its
// own, in a share of worlds) or by Windows, for a window that did not answer the end of the session in time. Its
// guard must then give stisvc back within the bound, no lock may be left, and the guard must end too.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "simhost/process.h"
#include "sim_runner/trace.h"
#include "sim_runner/world_plan.h"

namespace sim_runner {

// From the tool's end to stisvc set to automatic start and started again, at most.
inline constexpr uint64_t kGiveBackBoundMs = 5000;

struct AbruptEndRecord {
  std::optional<uint64_t> atMs;  // when the tool was ended
  std::string by;
  bool guarded = false;  // a guard had been started by then
  DWORD stateAtEnd = 0;  // stisvc at that moment
  std::optional<uint64_t> givenBackAtMs;
};

// Notes an end that has happened (the tool's process is ended already).
void NoteAbruptEnd(simhost::Process& tool, const simhost::SimService* service, const std::string& by,
                   AbruptEndRecord& record, Trace& trace);
// Task Manager ends the tool at the plan's moment, unless it has ended by then.
void StartKiller(simhost::Process& tool, const simhost::SimService* service, const KillPlan& plan,
                 AbruptEndRecord& record, Trace& trace);
// Once the run is over: waits up to the bound for stisvc to be given back after an abrupt end.
void WatchGiveBack(simhost::Scheduler& scheduler, const simhost::SimService* service, AbruptEndRecord& record,
                   Trace& trace);
// sessionEndedAtMs: when the tool answered WM_ENDSESSION, if it did.
void CheckAbruptEnd(const WorldPlan& plan, const simhost::SimService* service, const AbruptEndRecord& record,
                    std::optional<uint64_t> sessionEndedAtMs, std::vector<std::string>& out);

}  // namespace sim_runner
