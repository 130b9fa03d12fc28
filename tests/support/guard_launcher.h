// Programs the tool starts, run as Windows would: each launch becomes a second copy of the program on the tool's
// machine (same service manager, same registry) with the handles it inherited, started through the same
// application object as the tool. A copy ends when its start-up routine returns.
#pragma once
#include <memory>
#include <vector>

#include "app/fwupdate_app.h"
#include "simhost/process.h"

class GuardLauncher {
 public:
  GuardLauncher(simhost::World& world, simhost::Process& tool) {
    world.SetLauncher([&world, &tool, this](const simhost::ProcessLaunch& launch) {
      simhost::ProcessOptions options = tool.options();
      options.commandLine = launch.commandLine;
      auto copy = std::make_unique<simhost::Process>(world, options);
      copy->ShareMachineOf(tool);
      for (const auto& [handle, object] : launch.inherited) copy->Inherit(handle, object);
      simhost::Process* started = copy.get();
      copies_.push_back(std::move(copy));
      started->Start([started] {
        CFWUpdateApp app;
        app.Run(started->host());
      });
      return started->Self();
    });
  }

  const std::vector<std::unique_ptr<simhost::Process>>& Copies() const { return copies_; }
  bool AllEnded() const {
    for (const auto& copy : copies_) {
      if (!copy->Self()->ended) return false;
    }
    return true;
  }

 private:
  std::vector<std::unique_ptr<simhost::Process>> copies_;
};
