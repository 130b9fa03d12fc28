// The other programs on the machine: scan applications that hold their lock names for a while (each its own
// simulated process, in its session and as its user), and a program that sets the imaging service back to
// automatic start and starts it.
#pragma once
#include <memory>
#include <vector>

#include "simhost/process.h"
#include "sim_runner/trace.h"
#include "sim_runner/world_plan.h"

namespace sim_runner {

class Bystanders {
 public:
  Bystanders(simhost::World& world, Trace& trace) : world_(world), trace_(trace) {}

  void StartScanApps(const std::vector<LockHolderPlan>& holders, const std::wstring& friendlyName);
  void StartServiceMeddler(simhost::SimService& service, const std::vector<uint64_t>& atMs);
  // Whether any scan application holds this lock name now.
  bool Holds(const std::wstring& name, int session) const;

 private:
  struct App {
    std::unique_ptr<simhost::Process> process;
    std::wstring name;
    int session = 1;
    bool holding = false;
  };
  void Hold(App& app, const LockHolderPlan& plan);

  simhost::World& world_;
  Trace& trace_;
  std::vector<std::unique_ptr<App>> apps_;
};

// Starts a stopped service as another program does (it is set to automatic start first by the caller).
void StartAsAnotherProgram(simhost::SimService& service, uint64_t nowMs);

}  // namespace sim_runner
