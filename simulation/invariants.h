// What must hold after every run, each broken rule as one line of the report.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "sim/process.h"
#include "simulation/bystanders.h"
#include "simulation/intruders.h"
#include "simulation/observer.h"
#include "simulation/text_book.h"
#include "simulation/user_actor.h"
#include "simulation/world_plan.h"

namespace simulation {

struct RunFacts {
  const WorldPlan& plan;
  sim::World& world;
  sim::Process& tool;
  sim::SimService* service;  // null when the machine has none
  const TextBook& book;
  const UserRecord& user;
  const ObserverRecord& observer;
  const Bystanders& bystanders;
  const IntruderRecord& intruders;
  bool ended = false;
  uint64_t endedAtMs = 0;
  uint64_t boundMs = 0;
};

std::vector<std::string> CheckRun(const RunFacts& facts);

}  // namespace simulation
