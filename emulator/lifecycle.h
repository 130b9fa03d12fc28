// The device's life on the caller's clock, as a pure function of the scenario and a few moments the device
// remembers (when it was plugged in, when a burn started). Nothing here keeps state or reads a clock.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "emulator/scenario.h"

namespace emu {

struct LifeAnchors {
    uint64_t pluggedAtMs = 0;
    // The base phase before any burn: Updated when an earlier burn had already completed.
    bool startsUpdated = false;
    std::optional<uint64_t> burnStartMs;    // end of the last accepted firmware write
    // Main-board version the burn started from: reported until the device powers off, and after it when the
    // burn did not take (Faults::keepsOldFirmware).
    uint32_t versionBeforeBurn = 0;
    std::optional<uint64_t> unpluggedAtMs;  // the control port's "unplug"
};

struct LifeState {
    LifePhase phase = LifePhase::Idle;
    uint64_t phaseStartMs = 0;
    bool present = true;
    // Counts the absences begun so far; a channel opened before a power cycle is stale after it.
    uint32_t absences = 0;
    uint16_t fwInfo = 0;
    uint8_t burnPercent = 0;
    uint32_t errorCode = 0;
    uint32_t mainBoardVersion = 0;
};

LifeState LifeAt(const Scenario& scenario, const LifeAnchors& anchors, uint64_t nowMs);

const char* PhaseName(LifePhase phase);
std::optional<LifePhase> PhaseFromName(std::string_view name);

}  // namespace emu
