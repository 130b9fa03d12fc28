#include "simhost/process.h"

#include "simhost/usbscan.h"

namespace simhost {

Process::Process(World& world, ProcessOptions options) : state_(world, std::move(options)) {}

Process::~Process() {
  state_.world.scheduler().UnwindOtherThreads();
  state_.self->ended = true;
}

int Process::Start(std::function<void()> main) {
  const std::shared_ptr<ProcessObject> self = state_.self;
  const int id = state_.world.scheduler().Spawn([main = std::move(main), self] {
    main();
    self->ended = true;
  });
  state_.schedulerThreads.push_back(id);
  state_.mainThread = id;
  return id;
}

void Process::Terminate() {
  Scheduler& scheduler = state_.world.scheduler();
  for (const int thread : state_.schedulerThreads) {
    scheduler.Freeze(thread);
    AbandonMutexesOf(state_.world, thread);
  }
  windows_.EndWithProcess();
  // Windows cancels the requests of its device handles; nothing of the program is left to receive them.
  UsbBus& bus = state_.world.usb();
  const std::vector<std::shared_ptr<UsbPendingIo>> inFlight = bus.InFlight();
  for (const auto& io : inFlight) {
    if (io->process != &state_ || io->ended) continue;
    io->ended = true;
    bus.Forget(io.get());
  }
  state_.handles.Clear();
  state_.self->ended = true;
}

bool Process::OtherThreadsEnded() const {
  const Scheduler& scheduler = state_.world.scheduler();
  for (const int thread : state_.schedulerThreads) {
    if (thread != state_.mainThread && !scheduler.IsFinished(thread)) return false;
  }
  return true;
}

void Process::ShareMachineOf(Process& other) {
  services_.ShareMachineOf(other.services_);
  registry_.ShareMachineOf(other.registry_);
}

}  // namespace simhost
