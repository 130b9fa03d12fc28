#include "sim_runner/abrupt_end.h"

namespace sim_runner {
namespace {

bool GivenBack(const simhost::SimService& s) {
  return s.startType == SERVICE_AUTO_START && (s.state == SERVICE_RUNNING || s.state == SERVICE_START_PENDING);
}

// False for worlds whose service cannot be running again within the bound whoever starts it: it refuses the
// change or the start, falls back to stopped, cannot be read, or is still stopping when the tool ends (a start
// waits for the stop to end).
bool HeldToTheBound(const ServicePlan& plan, const AbruptEndRecord& record) {
  return plan.changeConfigError == 0 && plan.startError == 0 && !plan.stopsAgainAfterStart &&
         plan.queryStatusError == 0 && record.stateAtEnd != SERVICE_STOP_PENDING;
}

}  // namespace

void NoteAbruptEnd(simhost::Process& tool, const simhost::SimService* service, const std::string& by,
                   AbruptEndRecord& record, Trace& trace) {
  record.atMs = tool.world().scheduler().Now();
  record.by = by;
  record.guarded = !tool.world().Launches().empty();
  record.stateAtEnd = service != nullptr ? service->state : 0;
  trace.Add(*record.atMs, by + " ends the tool; none of its code runs from here on");
}

void StartKiller(simhost::Process& tool, const simhost::SimService* service, const KillPlan& plan,
                 AbruptEndRecord& record, Trace& trace) {
  if (!plan.present) return;
  simhost::Scheduler& scheduler = tool.world().scheduler();
  scheduler.Spawn([&tool, service, plan, &record, &trace, &scheduler] {
    const std::shared_ptr<simhost::ProcessObject> self = tool.Self();
    if (scheduler.BlockUntil([&] { return self->ended; }, plan.atMs)) {
      trace.Add(scheduler.Now(), "the tool had ended before Task Manager's End task at " + std::to_string(plan.atMs) +
                                     " ms");
      return;
    }
    tool.Terminate();
    NoteAbruptEnd(tool, service, "Task Manager's End task", record, trace);
  });
}

void WatchGiveBack(simhost::Scheduler& scheduler, const simhost::SimService* service, AbruptEndRecord& record,
                   Trace& trace) {
  if (!record.atMs || service == nullptr) return;
  if (scheduler.BlockUntil([&] { return GivenBack(*service); }, *record.atMs + kGiveBackBoundMs)) {
    record.givenBackAtMs = scheduler.Now();
    trace.Add(scheduler.Now(), "stisvc is set to automatic start and started again");
  }
}

// A tool ended before it started its guard had not yet touched the service: nothing to give back.
void CheckAbruptEnd(const WorldPlan& plan, const simhost::SimService* service, const AbruptEndRecord& record,
                    std::optional<uint64_t> sessionEndedAtMs, std::vector<std::string>& out) {
  if (!record.atMs || !record.guarded || service == nullptr || record.givenBackAtMs) return;
  // The tool gave the service back itself when the session ended, its start left to the next boot, and told its
  // guard so; what holds from then on is checked with the session's end (invariants.cpp).
  if (sessionEndedAtMs && *sessionEndedAtMs <= *record.atMs) return;
  if (!HeldToTheBound(plan.service, record)) {
    // Its start may fail or wait, but automatic start is the guard's first step: only a service whose status or
    // configuration cannot be read or changed keeps another.
    const ServicePlan& s = plan.service;
    if (s.changeConfigError == 0 && s.queryStatusError == 0 && service->startType != SERVICE_AUTO_START) {
      out.push_back("stisvc's start type is " + std::to_string(service->startType) + " at the world's end after " +
                    record.by + " at " + std::to_string(*record.atMs) + " ms: the guard never set automatic start");
    }
    return;
  }
  out.push_back("stisvc was not given back within " + std::to_string(kGiveBackBoundMs) + " ms of " + record.by +
                " at " + std::to_string(*record.atMs) + " ms: state " + std::to_string(service->state) +
                ", start type " + std::to_string(service->startType));
}

}  // namespace sim_runner
