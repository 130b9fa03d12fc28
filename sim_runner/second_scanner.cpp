#include "sim_runner/second_scanner.h"

#include <array>
#include <utility>

#include "simhost/usbscan.h"

namespace sim_runner {
namespace {

emu::Scenario SecondScenario() {
  emu::Scenario scenario;
  // Only its identification tells it from the first: the same ids, the same firmware.
  scenario.identification = {'K', 'T', '-', 'A', '4', '-', '0', '0', '0', '9', '8', '7', '6', '5'};
  return scenario;
}

// Each kind of command block by name with how many reached the device.
std::array<std::pair<const char*, uint32_t>, 6> Kinds(const emu::CommandCounts& counts) {
  return {{{"identification", counts.identification},
           {"device information", counts.deviceInfo},
           {"device status", counts.deviceStatus},
           {"burn status", counts.burnStatus},
           {"firmware write", counts.firmwareWrite},
           {"other", counts.other}}};
}

// What may reach the second scanner once an update has begun: while the updated one is off, the second can be
// the only scanner there, and the ready wait's status and the identification read cannot tell it is another
// one until that read's answer is compared.
bool Tolerated(const char* kind, bool firstPresent) {
  const std::string name = kind;
  return !firstPresent && (name == "device status" || name == "burn status" || name == "identification");
}

class Watcher {
 public:
  Watcher(simhost::World& world, const SecondScannerPlan& plan, const emu::TessalineDevice* first,
          SecondScannerRecord& record, Trace& trace)
      : world_(world), plan_(plan), first_(first), record_(record), trace_(trace) {}

  [[noreturn]] void Watch() {
    simhost::Scheduler& scheduler = world_.scheduler();
    if (record_.device == nullptr) {
      if (plan_.plugInAtMs > scheduler.Now()) scheduler.Sleep(plan_.plugInAtMs - scheduler.Now());
      record_.device = &world_.usb().PlugInScanner(SecondScenario());
      trace_.Add(scheduler.Now(),
                 "second scanner plugged in at usbscan" + std::to_string(world_.usb().IndexOf(*record_.device)));
    }
    emu::TessalineDevice& device = *record_.device;
    auto last = Kinds(device.Counts());
    for (;;) {
      scheduler.BlockUntil([&] { return Kinds(device.Counts()) != last; }, simhost::kForever);
      const auto now = Kinds(device.Counts());
      const uint64_t at = scheduler.Now();
      const bool updateBegun = first_->Counts().firmwareWrite > 0;
      const bool firstPresent = first_->IsPresent(at);
      for (size_t k = 0; k < now.size(); ++k) {
        if (now[k].second == last[k].second) continue;
        const std::string what = std::string("second scanner: ") + now[k].first + " block";
        trace_.Add(at, what);
        if (updateBegun && !Tolerated(now[k].first, firstPresent)) {
          record_.wrongScanner.push_back("at " + std::to_string(at) + " ms an update's " + now[k].first +
                                         " block reached the second scanner" +
                                         (firstPresent ? "" : " while the updated one was off"));
        }
      }
      last = now;
    }
  }

 private:
  simhost::World& world_;
  SecondScannerPlan plan_;
  const emu::TessalineDevice* first_;
  SecondScannerRecord& record_;
  Trace& trace_;
};

}  // namespace

void StartSecondScanner(simhost::World& world, const SecondScannerPlan& plan, const emu::TessalineDevice* first,
                        SecondScannerRecord& record, Trace& trace) {
  if (!plan.present || first == nullptr) return;
  if (plan.plugInAtMs == 0) {
    // There before the tool starts: plugged in now, watched from its own thread.
    record.device = &world.usb().PlugInScanner(SecondScenario());
    trace.Add(0, "second scanner on the bus at usbscan" + std::to_string(world.usb().IndexOf(*record.device)));
  }
  world.scheduler().Spawn([&world, plan, first, &record, &trace] {
    Watcher(world, plan, first, record, trace).Watch();
  });
}

void CheckSecondScanner(const SecondScannerPlan& plan, const emu::TessalineDevice* first,
                        const SecondScannerRecord& record, std::vector<std::string>& out) {
  if (!plan.present || first == nullptr) return;
  out.insert(out.end(), record.wrongScanner.begin(), record.wrongScanner.end());
  if (record.device != nullptr && (record.device->LastImage().seen || record.device->Counts().firmwareWrite > 0)) {
    out.push_back("a firmware write reached the second scanner");
  }
  if (plan.plugInAtMs == 0 && first->Counts().firmwareWrite > 0) {
    out.push_back("an update began although two scanners were there from the start");
  }
}

}  // namespace sim_runner
