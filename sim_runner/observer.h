// Watches the run from a thread of its own: every change of the window's texts and buttons, the service, the
// scanner's phase and transactions and the tool's console goes into the trace at the virtual moment it
// happens. "Update Succeed." is judged at that same moment: the device must hold the complete image, byte for
// byte, with the code its boot loader and path call for, be back and ready, and run the carried version.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "simhost/process.h"
#include "sim_runner/trace.h"
#include "sim_runner/world_plan.h"

namespace sim_runner {

struct ObserverRecord {
  int successes = 0;
  std::optional<uint64_t> cancelStartedAtMs;  // the Close handler started the cancel thread
  std::vector<std::string> falseSuccesses;
  // Successes on the direct path whose scanner kept its old firmware: that path reads no version back.
  int unseenOldFirmware = 0;
};

struct Observed {
  simhost::Process* tool = nullptr;
  emu::TessalineDevice* scanner = nullptr;  // null when the world has none
  simhost::SimService* service = nullptr;       // null when the machine has none
  std::wstring successText;                  // text 253 in the configured language
};

void StartObserver(const Observed& observed, ObserverRecord& record, Trace& trace);

// Why the device does not hold what a success claims; empty when it does. On the direct path the tool reads no
// version back, so there the version is left to UnseenOldFirmware.
std::string JudgeSuccess(const emu::TessalineDevice* scanner, uint64_t nowMs);
// A success on the direct path whose scanner does not run the carried version.
bool UnseenOldFirmware(const emu::TessalineDevice* scanner, uint64_t nowMs);

}  // namespace sim_runner
