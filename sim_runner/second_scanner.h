// A second scanner in a share of worlds, on the bus from the start or plugged in at a moment of its own, with an
// identification of its own. It watches what reaches it: no transaction of an update may reach it, bar the known
// limit (while the updated scanner is off, the ready wait's status and the identification read that then fails
// the update), and no update may begin while both are there from the start.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "simhost/world.h"
#include "sim_runner/trace.h"
#include "sim_runner/world_plan.h"

namespace sim_runner {

struct SecondScannerRecord {
  emu::TessalineDevice* device = nullptr;  // null until it is plugged in
  std::vector<std::string> wrongScanner;   // transactions of an update that reached it
};

// Plugs the second scanner in (now or at its moment) and watches it; `first` is the scanner updates begin with.
void StartSecondScanner(simhost::World& world, const SecondScannerPlan& plan, const emu::TessalineDevice* first,
                        SecondScannerRecord& record, Trace& trace);
// The broken rules, once the run has ended.
void CheckSecondScanner(const SecondScannerPlan& plan, const emu::TessalineDevice* first,
                        const SecondScannerRecord& record, std::vector<std::string>& out);

}  // namespace sim_runner
