#include "emulator/lifecycle.h"

#include <algorithm>
#include <array>
#include <limits>

#include "link/protocol.h"

namespace emu {

namespace {

constexpr uint64_t kForever = std::numeric_limits<uint64_t>::max();

struct Segment {
    LifePhase phase = LifePhase::Idle;
    uint64_t startMs = 0;
    uint64_t endMs = kForever;  // exclusive
};

// At most: base, Burning, Halted or Settling, Off, Booting, Updated.
struct Schedule {
    std::array<Segment, 6> segments{};
    size_t count = 0;
    void Add(LifePhase phase, uint64_t startMs, uint64_t endMs) { segments[count++] = {phase, startMs, endMs}; }
};

uint64_t After(uint64_t startMs, uint64_t durationMs, bool forever) {
    if (forever || startMs == kForever || durationMs >= kForever - startMs) {
        return kForever;
    }
    return startMs + durationMs;
}

uint8_t PercentAt(const Scenario& scenario, uint64_t elapsedMs) {
    if (scenario.burnMs == 0) {
        return 100;
    }
    const uint64_t percent = elapsedMs >= scenario.burnMs ? 100 : elapsedMs * 100 / scenario.burnMs;
    return static_cast<uint8_t>(percent);
}

// First moment of the burn at which BurnPercent reaches `percent`.
uint64_t BurnTimeOfPercent(const Scenario& scenario, uint8_t percent) {
    return (static_cast<uint64_t>(percent) * scenario.burnMs + 99) / 100;
}

Schedule BuildSchedule(const Scenario& scenario, const LifeAnchors& anchors) {
    const Faults& faults = scenario.faults;
    const LifePhase base = anchors.startsUpdated ? LifePhase::Updated : LifePhase::Idle;
    Schedule schedule;
    if (!anchors.burnStartMs) {
        schedule.Add(base, anchors.pluggedAtMs, kForever);
        return schedule;
    }
    const uint64_t burnStart = *anchors.burnStartMs;
    schedule.Add(base, anchors.pluggedAtMs, burnStart);
    uint64_t burnEnd = After(burnStart, scenario.burnMs, false);
    if (faults.burnErrorCode == proto::kBurnFailedError) {
        const uint64_t haltAt = After(burnStart, BurnTimeOfPercent(scenario, faults.burnErrorAtPercent), false);
        if (haltAt < burnEnd) {
            schedule.Add(LifePhase::Burning, burnStart, haltAt);
            schedule.Add(LifePhase::Halted, haltAt, kForever);
            return schedule;
        }
    }
    if (faults.burnsForever) {
        schedule.Add(LifePhase::Burning, burnStart, kForever);
        return schedule;
    }
    schedule.Add(LifePhase::Burning, burnStart, burnEnd);
    const uint64_t offAt = After(burnEnd, scenario.readyBeforeOffMs, faults.neverPowersOff);
    schedule.Add(LifePhase::Settling, burnEnd, offAt);
    const uint64_t onAt = After(offAt, scenario.offMs, faults.neverComesBack);
    schedule.Add(LifePhase::Off, offAt, onAt);
    const uint64_t readyAt = After(onAt, scenario.bootMs, faults.staysBusy);
    schedule.Add(LifePhase::Booting, onAt, readyAt);
    schedule.Add(LifePhase::Updated, readyAt, kForever);
    return schedule;
}

std::optional<uint64_t> UnplugMoment(const Scenario& scenario, const Schedule& schedule) {
    const Faults& faults = scenario.faults;
    if (!faults.unplugInPhase) {
        return std::nullopt;
    }
    for (size_t i = 0; i < schedule.count; ++i) {
        const Segment& segment = schedule.segments[i];
        if (segment.phase != *faults.unplugInPhase || segment.startMs == kForever) {
            continue;
        }
        const uint64_t at = After(segment.startMs, faults.unplugAfterMs, false);
        if (at < segment.endMs) {
            return at;
        }
    }
    return std::nullopt;
}

void FillBurn(const Scenario& scenario, uint64_t elapsedMs, LifeState& state) {
    const Faults& faults = scenario.faults;
    // A burn that never ends never reports its end either.
    state.burnPercent = std::min<uint8_t>(PercentAt(scenario, elapsedMs), 99);
    state.fwInfo = proto::kFwUpdate;
    if (faults.burnFwInfo && state.burnPercent >= faults.burnFwInfoAtPercent) {
        state.fwInfo = *faults.burnFwInfo;
    }
    if (faults.burnErrorCode != 0 && state.burnPercent >= faults.burnErrorAtPercent) {
        state.errorCode = faults.burnErrorCode;
    }
}

// What the device runs once it has powered on again.
uint32_t VersionAfterBurn(const Scenario& scenario, const LifeAnchors& anchors) {
    return scenario.faults.keepsOldFirmware ? anchors.versionBeforeBurn : scenario.mainBoardVersionAfter;
}

}  // namespace

LifeState LifeAt(const Scenario& scenario, const LifeAnchors& anchors, uint64_t nowMs) {
    const Schedule schedule = BuildSchedule(scenario, anchors);
    LifeState state;
    std::optional<uint64_t> unplugAt = UnplugMoment(scenario, schedule);
    if (anchors.unpluggedAtMs && (!unplugAt || *anchors.unpluggedAtMs < *unplugAt)) {
        unplugAt = anchors.unpluggedAtMs;
    }
    if (unplugAt && nowMs >= *unplugAt) {
        state.phase = LifePhase::Unplugged;
        state.phaseStartMs = *unplugAt;
        state.present = false;
    } else {
        for (size_t i = 0; i < schedule.count; ++i) {
            const Segment& segment = schedule.segments[i];
            if (nowMs >= segment.startMs && nowMs < segment.endMs) {
                state.phase = segment.phase;
                state.phaseStartMs = segment.startMs;
            }
        }
    }
    for (size_t i = 0; i < schedule.count; ++i) {
        const Segment& segment = schedule.segments[i];
        if (segment.phase == LifePhase::Off && segment.startMs < segment.endMs && nowMs >= segment.startMs &&
            (!unplugAt || segment.startMs < *unplugAt)) {
            ++state.absences;
        }
    }
    if (state.phase == LifePhase::Unplugged) {
        ++state.absences;
    }

    switch (state.phase) {
    case LifePhase::Idle:
        state.fwInfo = scenario.fwInfo;
        state.mainBoardVersion = scenario.mainBoardVersion;
        break;
    case LifePhase::Burning:
    case LifePhase::Halted: {
        const uint64_t burnStart = anchors.burnStartMs.value_or(nowMs);
        const uint64_t until = state.phase == LifePhase::Halted ? state.phaseStartMs : nowMs;
        FillBurn(scenario, until - burnStart, state);
        state.mainBoardVersion = anchors.versionBeforeBurn;
        break;
    }
    case LifePhase::Settling:
        state.fwInfo = proto::kReady;
        state.mainBoardVersion = anchors.versionBeforeBurn;
        break;
    case LifePhase::Booting:
        state.fwInfo = proto::kBusy;
        state.mainBoardVersion = VersionAfterBurn(scenario, anchors);
        break;
    case LifePhase::Updated:
        state.fwInfo = proto::kReady;
        state.mainBoardVersion = VersionAfterBurn(scenario, anchors);
        break;
    case LifePhase::Off:
    case LifePhase::Unplugged:
        state.present = false;
        break;
    }
    return state;
}

namespace {
struct PhaseNameEntry {
    LifePhase phase;
    const char* name;
};
constexpr std::array<PhaseNameEntry, 8> kPhaseNames{{
    {LifePhase::Idle, "idle"},
    {LifePhase::Burning, "burning"},
    {LifePhase::Halted, "halted"},
    {LifePhase::Settling, "settling"},
    {LifePhase::Off, "off"},
    {LifePhase::Booting, "booting"},
    {LifePhase::Updated, "updated"},
    {LifePhase::Unplugged, "unplugged"},
}};
}  // namespace

const char* PhaseName(LifePhase phase) {
    for (const PhaseNameEntry& entry : kPhaseNames) {
        if (entry.phase == phase) {
            return entry.name;
        }
    }
    return "?";
}

std::optional<LifePhase> PhaseFromName(std::string_view name) {
    for (const PhaseNameEntry& entry : kPhaseNames) {
        if (name == entry.name) {
            return entry.phase;
        }
    }
    return std::nullopt;
}

}  // namespace emu
