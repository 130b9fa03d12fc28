// The conformance suite against the simulated host: one world with the machine the cases expect (the
// emulated scanner at usbscan0 whose first reply stalls, the driver's short time-out), the suite in one
// simulated process, and a second process of the same world to hold a mutex.
#include <memory>
#include <string>

#include "harness.h"
#include "simhost/process.h"
#include "simhost/usbscan.h"

namespace {

class SimMachine final : public conformance::IMachine {
 public:
  explicit SimMachine(simhost::World& world) : world_(world) {}
  ~SimMachine() override { EndMutexHolder(); }
  SimMachine(const SimMachine&) = delete;
  SimMachine& operator=(const SimMachine&) = delete;

  bool StartMutexHolder(const wchar_t* name) override {
    holder_ = std::make_unique<simhost::Process>(world_, simhost::ProcessOptions{.modulePath = L"C:\\Tools\\holder.exe"});
    name_ = name;
    owns_ = false;
    quit_ = false;
    thread_ = holder_->host().kernel.CreateThread(nullptr, 0, &SimMachine::Hold, this, 0, nullptr);
    simhost::Scheduler& scheduler = world_.scheduler();
    return thread_ != nullptr && scheduler.BlockUntil([this] { return owns_; }, scheduler.Now() + kStartLimitMs);
  }

  bool EndMutexHolder() override {
    if (!holder_) return false;
    quit_ = true;
    const DWORD wait = holder_->host().kernel.WaitForSingleObject(thread_, kStartLimitMs);
    holder_->host().kernel.CloseHandle(thread_);
    holder_.reset();  // the process ends with its handles
    return wait == WAIT_OBJECT_0;
  }

  unsigned long CurrentThreadId() override { return static_cast<unsigned long>(world_.scheduler().CurrentThread()); }

 private:
  static constexpr DWORD kStartLimitMs = 1000;

  // The holder's thread: creates the mutex owned, then ends without releasing it when told to.
  static DWORD WINAPI Hold(LPVOID self) {
    auto& machine = *static_cast<SimMachine*>(self);
    machine.owns_ = machine.holder_->host().kernel.CreateMutexW(nullptr, TRUE, machine.name_.c_str()) != nullptr;
    machine.world_.scheduler().BlockUntil([&machine] { return machine.quit_; }, simhost::kForever);
    return 0;
  }

  simhost::World& world_;
  std::unique_ptr<simhost::Process> holder_;
  HANDLE thread_ = nullptr;
  std::wstring name_;
  bool owns_ = false;
  bool quit_ = false;
};

}  // namespace

int main() {
  simhost::World world;
  world.scheduler().AdoptCurrentThread();
  emu::Scenario scenario;
  scenario.faults.stageFaults.push_back(
      {.transaction = 1, .stage = emu::Stage::Reply, .kind = emu::FaultKind::NoReply});
  world.usb().AttachScanner(0, scenario);
  world.usb().SetDriverTimeoutMs(conformance::kDriverTimeoutMs);
  int status = 1;
  {
    simhost::Process suite(world, {.modulePath = L"C:\\Tools\\conformance.exe"});
    SimMachine machine(world);
    conformance::Results results(false);
    conformance::Context context{suite.host(), machine, results, false};
    conformance::RunAll(context);
    status = results.Summary();
  }
  return status;
}
