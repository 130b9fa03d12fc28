#include "sim_runner/observer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "res/resource.h"
#include "sim_runner/expected_image.h"
#include "simhost/firmware_images.h"

namespace sim_runner {
namespace {

constexpr int kWatchedTexts[] = {IDC_STATUS, IDC_DEVICE_NAME, IDC_INTERFACE};
// The firmware the tool carries, 0.68: major 0, minor 68. Kept here rather than taken from the tool.
constexpr uint32_t kCarriedVersion = 68;
constexpr int kButtons[] = {IDC_SEARCH_DEVICE, IDC_UPDATE, IDCANCEL};
constexpr std::wstring_view kCancelStartLine = L"[Cancel Button] Create Cancel Thread...";

struct Snapshot {
  size_t texts[3] = {};
  bool enabled[3] = {};
  DWORD serviceState = 0;
  DWORD startType = 0;
  emu::LifePhase phase = emu::LifePhase::Idle;
  uint32_t transactions = 0;
  size_t consoleChars = 0;
  size_t channels = 0;
  size_t peakChannels = 0;

  bool operator==(const Snapshot& other) const {
    return std::equal(std::begin(texts), std::end(texts), std::begin(other.texts)) &&
           std::equal(std::begin(enabled), std::end(enabled), std::begin(other.enabled)) &&
           serviceState == other.serviceState && startType == other.startType && phase == other.phase &&
           transactions == other.transactions && consoleChars == other.consoleChars &&
           channels == other.channels && peakChannels == other.peakChannels;
  }
};

class Observer {
 public:
  Observer(const Observed& observed, ObserverRecord& record, Trace& trace)
      : observed_(observed), windows_(observed.tool->windows()), scheduler_(observed.tool->world().scheduler()),
        record_(record), trace_(trace) {}

  [[noreturn]] void Watch() {
    Snapshot last = Take();
    // What the tool wrote before this first look, written at this same moment: time moves only once every
    // thread waits.
    ReportConsole(scheduler_.Now(), 0, last.consoleChars);
    for (;;) {
      scheduler_.BlockUntil([&] { return !(Take() == last); }, simhost::kForever);
      const Snapshot now = Take();
      Report(last, now);
      last = now;
    }
  }

 private:
  Snapshot Take() const {
    Snapshot s;
    for (size_t i = 0; i < 3; ++i) {
      s.texts[i] = windows_.TextHistory(kWatchedTexts[i]).size();
      s.enabled[i] = windows_.IsEnabled(kButtons[i]);
    }
    if (observed_.service != nullptr) {
      s.serviceState = observed_.service->state;
      s.startType = observed_.service->startType;
    }
    if (observed_.scanner != nullptr) {
      s.phase = observed_.scanner->Life(scheduler_.Now()).phase;
      s.transactions = observed_.scanner->TransactionCount();
    }
    s.consoleChars = observed_.tool->console().Output().size();
    s.channels = observed_.tool->world().usb().OpenHandles();
    s.peakChannels = observed_.tool->world().usb().PeakOpenHandles();
    return s;
  }

  void Report(const Snapshot& last, const Snapshot& now) {
    const uint64_t at = scheduler_.Now();
    for (size_t i = 0; i < 3; ++i) {
      const auto& history = windows_.TextHistory(kWatchedTexts[i]);
      for (size_t k = last.texts[i]; k < now.texts[i]; ++k) {
        trace_.Add(at, "window " + std::to_string(kWatchedTexts[i]) + ": \"" + Utf8(history[k]) + "\"");
        if (kWatchedTexts[i] == IDC_STATUS && history[k] == observed_.successText) CheckSuccess(at);
      }
      if (last.enabled[i] != now.enabled[i]) {
        trace_.Add(at, "button " + std::to_string(kButtons[i]) + (now.enabled[i] ? " enabled" : " disabled"));
      }
    }
    if (last.serviceState != now.serviceState || last.startType != now.startType) {
      trace_.Add(at, "stisvc state " + std::to_string(now.serviceState) + ", start type " +
                         std::to_string(now.startType));
    }
    if (last.phase != now.phase) trace_.Add(at, std::string("scanner phase ") + emu::PhaseName(now.phase));
    if (last.transactions != now.transactions) {
      trace_.Add(at, "scanner transaction " + std::to_string(now.transactions));
    }
    if (last.channels != now.channels) trace_.Add(at, "device channels open: " + std::to_string(now.channels));
    if (last.peakChannels != now.peakChannels) {
      trace_.Add(at, "most device channels open at once so far: " + std::to_string(now.peakChannels));
    }
    ReportConsole(at, last.consoleChars, now.consoleChars);
  }

  void ReportConsole(uint64_t at, size_t from, size_t to) {
    const std::wstring& output = observed_.tool->console().Output();
    std::wstring added = pendingConsole_ + output.substr(from, to - from);
    size_t end = 0;
    for (size_t nl = added.find(L'\n'); nl != std::wstring::npos; nl = added.find(L'\n', end)) {
      if (nl > end) trace_.Add(at, "console: " + Utf8(added.substr(end, nl - end)));
      // Its line may follow the burn's progress, which ends in a carriage return rather than a line.
      const std::wstring_view line = std::wstring_view(added).substr(end, nl - end);
      if (!record_.cancelStartedAtMs && line.size() >= kCancelStartLine.size() &&
          line.substr(line.size() - kCancelStartLine.size()) == kCancelStartLine) {
        record_.cancelStartedAtMs = at;
      }
      end = nl + 1;
    }
    pendingConsole_ = added.substr(end);
  }

  void CheckSuccess(uint64_t at) {
    ++record_.successes;
    const std::string why = JudgeSuccess(observed_.scanner, at);
    if (!why.empty()) record_.falseSuccesses.push_back("at " + std::to_string(at) + " ms: " + why);
    if (why.empty() && UnseenOldFirmware(observed_.scanner, at)) {
      ++record_.unseenOldFirmware;
      trace_.Add(at, "the direct path's success left the scanner on its old firmware, which that path cannot see");
    }
  }

  Observed observed_;
  simhost::Windows& windows_;
  simhost::Scheduler& scheduler_;
  ObserverRecord& record_;
  Trace& trace_;
  std::wstring pendingConsole_;
};

// The main-board version the device runs; for a device unplugged since, the one it ran just before.
uint32_t RunningVersion(const emu::TessalineDevice& scanner, uint64_t nowMs) {
  const emu::LifeState life = scanner.Life(nowMs);
  if (life.phase == emu::LifePhase::Unplugged && life.phaseStartMs > 0) {
    return scanner.Life(life.phaseStartMs - 1).mainBoardVersion;
  }
  return life.mainBoardVersion;
}

std::string VersionText(uint32_t version) {
  char text[16];
  std::snprintf(text, sizeof text, "%u.%02u", version >> 16, version & 0xFFFF);
  return text;
}

}  // namespace

std::string JudgeSuccess(const emu::TessalineDevice* scanner, uint64_t nowMs) {
  if (scanner == nullptr) return "\"Update Succeed.\" without a scanner";
  const emu::Scenario& scenario = scanner->GetScenario();
  const ExpectedImage expected = ExpectedImageFor(scenario.ubootVersion, scenario.bcdDevice == 1);
  const emu::ImageWrite& image = scanner->LastImage();
  if (!image.seen) return "no firmware write reached the device";
  if (image.code != expected.code) return "image code " + std::to_string(image.code) + ", wanted " +
                                          std::to_string(expected.code);
  if (image.rejectCode != 0) return "the device refused the image with " + std::to_string(image.rejectCode);
  if (!image.complete || image.received != expected.size) {
    return "incomplete image: " + std::to_string(image.received) + " bytes";
  }
  if (scanner->MatchingPlaceholder() != std::optional<int>(expected.imageId)) return "the image bytes differ";
  if (scenario.keepImageBytes) {
    const auto& kept = scanner->ImageBytes();
    const auto& carried = simhost::PlaceholderFirmware(expected.imageId);
    if (kept.size() != carried.size() || std::memcmp(kept.data(), carried.data(), kept.size()) != 0) {
      return "the kept image bytes differ from the carried image";
    }
  }
  // Back and ready: updated, or unplugged only once it was (the verdict comes after the service restart).
  const emu::LifeState life = scanner->Life(nowMs);
  const bool unpluggedOnceUpdated =
      life.phase == emu::LifePhase::Unplugged && scenario.faults.unplugInPhase == emu::LifePhase::Updated;
  if (!unpluggedOnceUpdated && (life.phase != emu::LifePhase::Updated || life.fwInfo != 0)) {
    return std::string("the device is not back and ready: phase ") + emu::PhaseName(life.phase);
  }
  const uint32_t running = RunningVersion(*scanner, nowMs);
  if (scenario.bcdDevice != 1 && running != kCarriedVersion) {
    return "the device runs firmware version " + VersionText(running) + ", not the carried " +
           VersionText(kCarriedVersion);
  }
  return std::string();
}

bool UnseenOldFirmware(const emu::TessalineDevice* scanner, uint64_t nowMs) {
  return scanner != nullptr && scanner->GetScenario().bcdDevice == 1 &&
         RunningVersion(*scanner, nowMs) != kCarriedVersion;
}

void StartObserver(const Observed& observed, ObserverRecord& record, Trace& trace) {
  observed.tool->world().scheduler().Spawn([observed, &record, &trace] { Observer(observed, record, trace).Watch(); });
}

}  // namespace sim_runner
