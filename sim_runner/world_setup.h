// Lays a drawn world out in the simulated machine: the clock, the language and the settings file, the usbscan
// devices with their faults, the scanner's device record and the imaging service of the tool's process.
#pragma once
#include "simhost/process.h"
#include "sim_runner/world_plan.h"

namespace sim_runner {

simhost::ProcessOptions ToolOptions(const WorldPlan& plan);
void SetUpMachine(simhost::World& world, const WorldPlan& plan);
// The scanner's device model, or null when the world has none.
emu::TessalineDevice* SetUpScanner(simhost::World& world, const ScannerPlan& plan);
void SetUpRecord(simhost::Process& tool, const RecordPlan& plan);
// The imaging service as the tool's process sees it; null when the machine has none.
simhost::SimService* SetUpService(simhost::Process& tool, const ServicePlan& plan);

}  // namespace sim_runner
