// What must hold after every run, each broken rule as one line of the report.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "simhost/process.h"
#include "sim_runner/abrupt_end.h"
#include "sim_runner/bystanders.h"
#include "sim_runner/intruders.h"
#include "sim_runner/observer.h"
#include "sim_runner/text_book.h"
#include "sim_runner/user_actor.h"
#include "sim_runner/world_plan.h"

namespace sim_runner {

struct RunFacts {
  const WorldPlan& plan;
  simhost::World& world;
  simhost::Process& tool;
  simhost::SimService* service;  // null when the machine has none
  const TextBook& book;
  const UserRecord& user;
  const ObserverRecord& observer;
  const Bystanders& bystanders;
  const IntruderRecord& intruders;
  const AbruptEndRecord& abrupt;
  bool ended = false;
  uint64_t endedAtMs = 0;
  uint64_t boundMs = 0;
  int exitCode = -1;  // what the tool's run returned, when it ended
};

// The /quiet worlds' own rules (quiet_invariants.cpp): no window shown, no message box, and the exit code says
// what happened to the scanner.
void CheckQuietRun(const RunFacts& facts, std::vector<std::string>& out);

std::vector<std::string> CheckRun(const RunFacts& facts);

}  // namespace sim_runner
