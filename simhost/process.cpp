#include "simhost/process.h"

namespace simhost {

Process::Process(World& world, ProcessOptions options) : state_(world, std::move(options)) {}

Process::~Process() {
  state_.world.scheduler().UnwindOtherThreads();
  state_.self->ended = true;
}

void Process::ShareMachineOf(Process& other) {
  services_.ShareMachineOf(other.services_);
  registry_.ShareMachineOf(other.registry_);
}

}  // namespace simhost
