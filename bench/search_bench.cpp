#include "bench/search_bench.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <vector>

#include "bench/scanner_machine.h"
#include "bench/stats.h"
#include "res/resource.h"
#include "simhost/usbscan.h"

namespace bench {
namespace {

using Clock = std::chrono::steady_clock;
constexpr uint64_t kSearchBoundMs = 600000;

struct SearchFigures {
  size_t opens = 0, descriptors = 0, writes = 0, reads = 0;
  std::vector<double> wallUs, virtualMs;
  bool finished = true;
};

SearchFigures MeasureSearch(std::optional<int> index, int rounds) {
  SearchFigures f;
  ScannerMachine machine(index);
  machine.Run([&](CFWUpdateDlg&) {
    simhost::UsbBus& usb = machine.world.usb();
    for (int round = 0; round < rounds; ++round) {
      usb.ClearLog();
      const uint64_t virtualStart = machine.world.scheduler().Now();
      const auto start = Clock::now();
      machine.tool.windows().PostCommand(IDC_SEARCH_DEVICE);
      // Search Device runs on the window's thread and gives its button back when it is done.
      f.finished = machine.WaitFor(
                       [&] {
                         return machine.tool.windows().QueuedCalls() == 0 &&
                                machine.tool.windows().IsEnabled(IDC_SEARCH_DEVICE);
                       },
                       kSearchBoundMs) &&
                   f.finished;
      f.wallUs.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
      f.virtualMs.push_back(static_cast<double>(machine.world.scheduler().Now() - virtualStart));
      f.opens = usb.Count(simhost::UsbCall::Open);
      f.descriptors = usb.Count(simhost::UsbCall::Descriptor);
      f.writes = usb.Count(simhost::UsbCall::Write);
      f.reads = usb.Count(simhost::UsbCall::Read);
    }
  });
  return f;
}

}  // namespace

bool RunSearchBench(int rounds) {
  std::printf("3a. One Search Device in the simulated host, median of %d searches after the first\n", rounds);
  std::printf("   %-16s %11s %11s %7s %6s %9s %11s\n", "scanner", "CreateFileW", "descriptor", "writes", "reads",
              "wall us", "virtual ms");
  struct Placement {
    const char* name;
    std::optional<int> index;
  };
  bool ok = true;
  for (const Placement& p : {Placement{"at usbscan0", 0}, Placement{"at usbscan255", 255},
                             Placement{"absent", std::nullopt}}) {
    const SearchFigures f = MeasureSearch(p.index, rounds);
    std::printf("   %-16s %11zu %11zu %7zu %6zu %9s %11s\n", p.name, f.opens, f.descriptors, f.writes, f.reads,
                Fixed(Median(f.wallUs), 0).c_str(), Fixed(Median(f.virtualMs), 0).c_str());
    ok = ok && f.finished;
  }
  if (!ok) std::printf("   A search did not finish.\n");
  return ok;
}

}  // namespace bench
