#include "bench/update_bench.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/scanner_machine.h"
#include "bench/stats.h"
#include "res/resource.h"

namespace bench {
namespace {

using Clock = std::chrono::steady_clock;
constexpr DWORD kUpdateBoundMs = 2000000;

struct UpdateRun {
  double wallMs = 0;
  double virtualMs = 0;
  bool succeeded = false;
};

UpdateRun UpdateOnce() {
  UpdateRun run;
  ScannerMachine machine(0);
  machine.Run([&](CFWUpdateDlg& dialog) {
    const uint64_t virtualStart = machine.world.scheduler().Now();
    const auto start = Clock::now();
    machine.Press(IDC_UPDATE);
    machine.WaitFor([&] { return dialog.m_slots[0].hUpdateThread.Load() != nullptr; }, 10000);
    machine.tool.host().kernel.WaitForSingleObject(dialog.m_slots[0].hUpdateThread.Load(), kUpdateBoundMs);
    run.wallMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    run.virtualMs = static_cast<double>(machine.world.scheduler().Now() - virtualStart);
    run.succeeded = machine.tool.windows().ControlText(IDC_STATUS) == L"Update Succeed.";
  });
  return run;
}

}  // namespace

bool RunUpdateBench(int rounds) {
  std::vector<double> wall, simulated, speedUp;
  bool ok = true;
  for (int round = 0; round < rounds; ++round) {
    const UpdateRun run = UpdateOnce();
    ok = ok && run.succeeded;
    wall.push_back(run.wallMs);
    simulated.push_back(run.virtualMs);
    speedUp.push_back(run.virtualMs / run.wallMs);
  }
  std::printf("5. One whole update in the simulated host (Update pressed to verdict), median of %d\n", rounds);
  std::printf("   virtual time %s s, wall time %s ms: %sx faster than the device's own time\n",
              Fixed(Median(simulated) / 1e3, 1).c_str(), Fixed(Median(wall), 1).c_str(),
              Fixed(Median(speedUp), 0).c_str());
  if (!ok) std::printf("   An update did not succeed.\n");
  return ok;
}

}  // namespace bench
