// Lays a drawn world out in the simulated machine: the clock, the language and the settings file, the usbscan
// devices with their faults, the scanner's device record and the imaging service of the tool's process.
#pragma once
#include "sim/process.h"
#include "simulation/world_plan.h"

namespace simulation {

sim::ProcessOptions ToolOptions(const WorldPlan& plan);
void SetUpMachine(sim::World& world, const WorldPlan& plan);
// The scanner's device model, or null when the world has none.
emu::TessalineDevice* SetUpScanner(sim::World& world, const ScannerPlan& plan);
void SetUpRecord(sim::Process& tool, const RecordPlan& plan);
// The imaging service as the tool's process sees it; null when the machine has none.
sim::SimService* SetUpService(sim::Process& tool, const ServicePlan& plan);

}  // namespace simulation
