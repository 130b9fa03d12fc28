// Draws a world from a seed. The odds keep about a third of the worlds free of faults, so that the road to
// "Update Succeed." is walked as often as the roads away from it.
#include <algorithm>
#include <array>
#include <vector>

#include "sim_runner/rng.h"
#include "sim_runner/world_plan.h"
#include "simhost/string_tables.h"

namespace sim_runner {
namespace {

constexpr uint32_t kBurnFailed = 0x7001;

std::array<uint8_t, 14> Identification(Rng& rng) {
  std::array<uint8_t, 14> bytes{};
  const std::string ascii = "KT-A4-" + std::to_string(rng.Between(10000000, 99999999));
  switch (rng.Between(0, 5)) {
    case 0:  // bytes that are not UTF-8, or a lead byte cut off
      for (auto& b : bytes) b = static_cast<uint8_t>(rng.Next());
      break;
    case 1:  // starts with NUL: an empty identification
      bytes[1] = 'X';
      break;
    case 2: {  // two-byte and three-byte UTF-8 characters
      const uint8_t text[] = {0xC3, 0xA9, 'K', 0xE2, 0x82, 0xAC, 'T', '-', 0xC3, 0xB1, '1', '2', '3', '4'};
      std::copy(std::begin(text), std::end(text), bytes.begin());
      break;
    }
    default:
      std::copy(ascii.begin(), ascii.begin() + static_cast<long>(std::min<size_t>(ascii.size(), 14)), bytes.begin());
  }
  return bytes;
}

void DrawBurnFaults(Rng& rng, emu::Faults& faults) {
  if (rng.Percent(12)) {
    faults.burnErrorCode = rng.Percent(60) ? kBurnFailed : static_cast<uint32_t>(rng.Between(1, 0xFFFF));
    faults.burnErrorAtPercent = static_cast<uint8_t>(rng.Between(0, 99));
  }
  if (rng.Percent(8)) {
    faults.burnFwInfo = static_cast<uint16_t>(rng.Pick<unsigned>({0, 4, 6, 3, 0xFFFF}));
    faults.burnFwInfoAtPercent = static_cast<uint8_t>(rng.Between(0, 99));
  }
  faults.neverPowersOff = rng.Percent(5);
  faults.neverComesBack = rng.Percent(5);
  faults.staysBusy = rng.Percent(5);
  if (rng.Percent(8)) {
    faults.unplugInPhase = rng.Pick({emu::LifePhase::Idle, emu::LifePhase::Burning, emu::LifePhase::Settling,
                                     emu::LifePhase::Off, emu::LifePhase::Booting, emu::LifePhase::Updated});
    faults.unplugAfterMs = rng.Between(0, 30000);
  }
  faults.descriptorFails = rng.Percent(3);
}

void DrawStageFaults(Rng& rng, emu::Faults& faults) {
  const auto count = rng.Percent(70) ? 0 : rng.Between(1, 3);
  for (uint64_t i = 0; i < count; ++i) {
    emu::StageFault fault;
    fault.transaction = static_cast<uint32_t>(rng.Between(1, 40));
    fault.count = static_cast<uint32_t>(rng.Pick<unsigned>({1, 1, 2, 5, 0}));
    fault.stage = rng.Pick({emu::Stage::Command, emu::Stage::Reply, emu::Stage::DataIn, emu::Stage::DataOut});
    fault.kind = rng.Pick({emu::FaultKind::NoReply, emu::FaultKind::Short, emu::FaultKind::Unplug});
    if (fault.kind == emu::FaultKind::Unplug) fault.count = 1;
    fault.bytes = static_cast<uint32_t>(rng.Between(0, 40));
    faults.stageFaults.push_back(fault);
  }
}

// Request-level faults of the usbscan driver: pending requests (some past the pipe's pending wait), broken
// waits, failing calls and short counts. Repeating faults stay pending below the wait, so a run stays finite.
void DrawUsbFaults(Rng& rng, std::vector<simhost::UsbFault>& faults) {
  const auto count = rng.Percent(65) ? 0 : rng.Between(1, 3);
  for (uint64_t i = 0; i < count; ++i) {
    simhost::UsbFault fault;
    fault.request = static_cast<uint32_t>(rng.Between(1, 120));
    fault.count = static_cast<uint32_t>(rng.Pick<unsigned>({1, 1, 3}));
    switch (rng.Between(0, 5)) {
      case 0:
        fault.pendingMs = rng.Between(0, 1500);
        break;
      case 1:
        fault.count = rng.Percent(50) ? 0 : 20;
        fault.pendingMs = rng.Between(0, 300);
        break;
      case 2:
        fault.pendingMs = rng.Between(0, 500);
        fault.waitResult = rng.Pick<DWORD>({WAIT_ABANDONED, WAIT_FAILED});
        break;
      case 3:
        fault.callError = rng.Pick<DWORD>({ERROR_GEN_FAILURE, ERROR_DEVICE_NOT_CONNECTED, ERROR_SEM_TIMEOUT});
        break;
      case 4:
        fault.pendingMs = rng.Between(0, 800);
        fault.completionError = rng.Pick<DWORD>({ERROR_GEN_FAILURE, ERROR_OPERATION_ABORTED});
        break;
      default:
        fault.shortBytes = static_cast<DWORD>(rng.Between(0, 31));
    }
    faults.push_back(fault);
  }
}

ScannerPlan DrawScanner(Rng& rng) {
  ScannerPlan plan;
  plan.present = !rng.Percent(8);
  plan.otherVendorBefore = rng.Percent(10);
  plan.index = plan.otherVendorBefore ? static_cast<int>(rng.Between(1, 3)) : 0;
  emu::Scenario& s = plan.scenario;
  s.bcdDevice = rng.Percent(30) ? 1 : static_cast<uint16_t>(rng.Pick<unsigned>({0x0100, 0x0100, 0x0200, 0}));
  s.identification = Identification(rng);
  s.fwInfo = rng.Percent(75) ? 0 : static_cast<uint16_t>(rng.Pick<unsigned>({4, 6, 7, 3}));
  s.ubootVersion = static_cast<uint8_t>(rng.Pick<unsigned>({8, 8, 4, 4, 0, 1, 255}));
  s.mainBoardVersion = rng.Percent(12) ? 68 : static_cast<uint32_t>(rng.Pick<unsigned>({60, 0x00010000, 67, 69}));
  s.panelVersion = static_cast<uint32_t>(rng.Next());
  s.mainBoardVersionAfter = 68;
  s.burnMs = rng.Between(1000, 60000);
  s.readyBeforeOffMs = rng.Between(0, 5000);
  s.offMs = rng.Percent(5) ? rng.Between(60000, 120000) : rng.Between(500, 20000);
  s.bootMs = rng.Percent(5) ? rng.Between(100000, 700000) : rng.Between(0, 20000);
  s.keepImageBytes = rng.Percent(10);
  if (!rng.Percent(35)) {
    DrawBurnFaults(rng, s.faults);
    DrawStageFaults(rng, s.faults);
    DrawUsbFaults(rng, plan.usbFaults);
  }
  return plan;
}

RecordPlan DrawRecord(Rng& rng) {
  RecordPlan plan;
  switch (rng.Between(0, 19)) {
    case 0:
      plan.kind = RecordKind::LongName;
      plan.friendlyName = std::wstring(227, L'n');
      break;
    case 1:
      plan.kind = RecordKind::NoFriendlyName;
      break;
    case 2:
      plan.kind = RecordKind::WrongHardwareId;
      break;
    case 3:
      plan.kind = RecordKind::None;
      break;
    default:
      plan.friendlyName = rng.Pick<const wchar_t*>({L"Scanner A", L"Kavrel Tessaline", L"Sc\u00e4nner \u00b5 #2"});
  }
  return plan;
}

ServicePlan DrawService(Rng& rng) {
  ServicePlan plan;
  if (rng.Percent(15)) plan.initialState = SERVICE_STOPPED;
  plan.initialStartType = rng.Pick<DWORD>({SERVICE_AUTO_START, SERVICE_AUTO_START, SERVICE_DEMAND_START,
                                            SERVICE_DISABLED});
  switch (rng.Between(0, 9)) {
    case 0:
      plan.stopTakesMs.reset();
      break;
    case 1:
      plan.stopTakesMs = static_cast<DWORD>(rng.Between(30000, 90000));
      break;
    case 2:
      plan.stopControlError = ERROR_ACCESS_DENIED;
      break;
    default:
      plan.stopTakesMs = static_cast<DWORD>(rng.Between(0, 5000));
  }
  plan.stopWaitHintMs = rng.Pick<DWORD>({0, 500, 1000, 3000, INFINITE});
  switch (rng.Between(0, 9)) {
    case 0:
      plan.startTakesMs.reset();
      break;
    case 1:
      plan.startError = ERROR_SERVICE_DISABLED;
      break;
    case 2:
      plan.stopsAgainAfterStart = true;
      break;
    default:
      plan.startTakesMs = static_cast<DWORD>(rng.Between(0, 70000));
  }
  plan.startWaitHintMs = rng.Pick<DWORD>({0, 1000, 2000, INFINITE});
  if (rng.Percent(4)) plan.changeConfigError = ERROR_ACCESS_DENIED;
  if (rng.Percent(3)) plan.queryStatusError = ERROR_INVALID_HANDLE;
  plan.missing = rng.Percent(2);
  const auto meddles = rng.Percent(75) ? 0 : rng.Between(1, 3);
  for (uint64_t i = 0; i < meddles; ++i) plan.reEnableAtMs.push_back(rng.Delay());
  return plan;
}

std::vector<LockHolderPlan> DrawHolders(Rng& rng) {
  std::vector<LockHolderPlan> holders;
  const auto count = rng.Percent(60) ? 0 : rng.Between(1, 3);
  for (uint64_t i = 0; i < count; ++i) {
    LockHolderPlan holder;
    holder.kind = static_cast<int>(rng.Between(0, 2));
    holder.session = rng.Percent(80) ? 1 : 2;
    holder.sameUser = rng.Percent(70);
    holder.openToEveryone = rng.Percent(70);
    holder.fromMs = rng.Delay();
    if (!rng.Percent(20)) holder.forMs = rng.Delay();
    holders.push_back(holder);
  }
  return holders;
}

std::vector<UserStep> DrawUser(Rng& rng) {
  std::vector<UserStep> steps;
  const auto count = rng.Between(0, 6);
  for (uint64_t i = 0; i < count; ++i) {
    UserStep step;
    step.afterMs = rng.Delay();
    step.button = rng.Percent(10) ? Button::Close : rng.Percent(55) ? Button::Update : Button::Search;
    step.doublePress = rng.Percent(15);
    step.patient = rng.Percent(60);
    steps.push_back(step);
  }
  // Most users came to update: one patient Update somewhere among the steps.
  if (rng.Percent(65)) {
    const auto at = static_cast<long>(rng.Between(0, steps.size()));
    steps.insert(steps.begin() + at, UserStep{rng.Delay(), Button::Update, rng.Percent(15), true});
  }
  return steps;
}

constexpr LANGID kEnglish = 0x0409;

// How a world's Settings.ini names a table: as a user would write its language (with the default sublanguage),
// unless the table is listed here with the forms a world tries for it: the usual one or the table's own
// primary-only id (an exact match), and a country variant that falls back to the table.
struct TableForms {
  LANGID table;
  std::array<DWORD, 2> forms;
};
constexpr TableForms kTableForms[] = {
    {0x0001, {0x0001, 0x0401}}, {0x0005, {0x0005, 0x0405}}, {0x0007, {0x0407, 0x0C07}},
    {0x000A, {0x040A, 0x0C0A}}, {0x0016, {0x0416, 0x0816}},
    {0x0004, {0x0004, 0x0804}},  // its language with the default sublanguage, 0x0404, is the traditional table
    {0x0404, {0x0404, 0x0C04}},
};
// Values with no table of their own: Japanese, English (United Kingdom), an unknown language, -1, and a value
// past 16 bits that is German once cut.
constexpr DWORD kWithoutTable[] = {0x0411, 0x0809, 0x7FFF, 0xFFFFFFFF, 0x10407};

// None (0), English (the table all others fall back to), every other table in its files' order, then the values
// without a table. A new language's file adds its table here by itself (and so moves the LANG_ID most seeds
// draw, nothing else of their worlds).
std::vector<DWORD> LangIdChoices() {
  std::vector<DWORD> choices{0, kEnglish};
  for (const LANGID table : simhost::StringTableLanguages()) {
    if (table == kEnglish) continue;
    const auto* listed = std::find_if(std::begin(kTableForms), std::end(kTableForms),
                                      [table](const TableForms& entry) { return entry.table == table; });
    if (listed != std::end(kTableForms)) {
      choices.insert(choices.end(), listed->forms.begin(), listed->forms.end());
    } else {
      choices.push_back(table < 0x0400 ? table | 0x0400u : table);  // SUBLANG_DEFAULT
    }
  }
  choices.insert(choices.end(), std::begin(kWithoutTable), std::end(kWithoutTable));
  return choices;
}

std::optional<DWORD> DrawLangId(Rng& rng) {
  if (rng.Percent(15)) return std::nullopt;
  return rng.PickFrom(LangIdChoices());
}

}  // namespace

WorldPlan MakeWorldPlan(uint64_t seed) {
  Rng rng(seed);
  WorldPlan plan;
  plan.seed = seed;
  plan.langId = DrawLangId(rng);
  plan.systemLanguage = rng.Pick<LANGID>({0x0409, 0x0409, 0x0407, 0x0411, 0x0804});
  plan.debugSwitch = rng.Percent(50);
  plan.tickBase = rng.Percent(10) ? static_cast<DWORD>(0xFFFFFFFFu - rng.Between(0, 2000000)) : 0;
  plan.scanner = DrawScanner(rng);
  plan.record = DrawRecord(rng);
  plan.service = DrawService(rng);
  plan.holders = DrawHolders(rng);
  plan.user = DrawUser(rng);
  // Drawn last, so that every other draw of a seed stays what it was before this fault existed.
  plan.scanner.scenario.faults.keepsOldFirmware = rng.Percent(8);
  // From a stream of their own, so that what is drawn above stays as it was for every seed.
  Rng more(seed ^ 0xA5A5C3C3F0F00F0Full);
  plan.scanner.scenario.faults.burnsForever = more.Percent(4);
  plan.intruders = DrawIntruders(more);
  // The window's own stream: posted commands, preemption at the tool's switch points, message boxes left open.
  Rng window(seed ^ 0x3C5A96E1D2B4F087ull);
  plan.intruders.commandPosts = DrawCommandPosts(window);
  plan.preemptOneIn = window.Pick<uint32_t>({0, 1, 2, 4, 16});
  plan.messageBoxAnswerMs = window.Percent(50) ? 0 : window.Between(0, 20000);
  // Unattended runs, from a stream of their own: a share of worlds where nobody is at the window.
  Rng unattended(seed ^ 0x7175696574A5C3F0ull);
  plan.quiet = unattended.Percent(15);
  if (plan.quiet) plan.user.clear();
  // The service manager's round trips, from a stream of their own: a few milliseconds, from call to call the
  // same in some worlds and varying (a busy manager) in others.
  Rng serviceCalls(seed ^ 0x5343414C4C53E11Dull);
  plan.service.roundTripMinMs = static_cast<DWORD>(serviceCalls.Between(1, 4));
  plan.service.roundTripMaxMs =
      plan.service.roundTripMinMs + (serviceCalls.Percent(50) ? static_cast<DWORD>(serviceCalls.Between(1, 30)) : 0);
  plan.service.roundTripSeed = serviceCalls.Between(1, 0x7FFFFFFF);
  // A second scanner, from a stream of its own. Only beside a first one the tool can read that stays on the bus
  // but for its power cycle: a first that leaves for good (unplugged, or never powering on again) or whose
  // descriptor cannot be read makes the second the only scanner the tool sees, which it may rightly update.
  Rng second(seed ^ 0x74776F7363616E32ull);
  const bool drawn = second.Percent(12);
  const uint64_t plugInAtMs = second.Percent(40) ? 0 : second.Between(1, 120000);
  const emu::Faults& faults = plan.scanner.scenario.faults;
  plan.second.present = drawn && plan.scanner.present && !faults.unplugInPhase && !faults.neverComesBack &&
                        !faults.descriptorFails;
  plan.second.plugInAtMs = plugInAtMs;
  // The tool ended from outside, from a stream of its own: a share of worlds, at a moment drawn as the other
  // actors' are (mostly early, where the races are, sometimes deep into an update).
  Rng kill(seed ^ 0x6B696C6C54455254ull);
  plan.kill.present = kill.Percent(10);
  plan.kill.atMs = kill.Delay();
  return plan;
}

}  // namespace sim_runner
