// The update sequence's rules before and around the burn: which boot-loader answers let it go on, how long it
// waits for the service and the boot loader, what each path locks while it runs, where it stops before the burn,
// and how many probes each path gives the power-off.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "support/status_answers.h"
#include "support/update_fixture.h"

namespace {

const std::wstring kScanExt = L"Global\\KAVREL_SCAN_EXT_APP_MUTEX_Scanner A";
const std::wstring kGuid = L"{E6E9D5F2-2344-4763-A8C6-25462D4CA1E6}";
const std::wstring kQuenby = L"Global\\KAVREL_QUENBY_SUBSCRIPTION_MUTEX_Scanner A";
constexpr uint16_t kStandard = 0x0100, kDirect = 1;

using fwtest::Answer;
// The boot loader's answers carry the scanner's own boot-loader version, which picks the image it accepts.
const proto::StatusReply kBootLoader{.ubootVersion = emu::Scenario{}.ubootVersion};

using UpdateSequenceRulesTest = UpdateFixture;

struct BootLoaderCase {
  const char* what;
  uint16_t bcdDevice;
  uint16_t state;                             // the scanner's own state before the burn
  std::vector<proto::StatusReply> answers;    // the first answers of the boot-loader query
  size_t busyAnswers;                         // answers before the one that lets the update go on
};

void PrintTo(const BootLoaderCase& c, std::ostream* out) { *out << c.what; }

class BootLoaderQueryTest : public UpdateSequenceRulesTest, public testing::WithParamInterface<BootLoaderCase> {};

// READY and LLBOOT both let the update go on; every other answer is a busy one.
TEST_P(BootLoaderQueryTest, GoesOnAtReadyOrRecovery) {
  const BootLoaderCase& c = GetParam();
  emu::Scenario scenario;
  scenario.bcdDevice = c.bcdDevice;
  scenario.fwInfo = c.state;
  emu::TessalineDevice& scanner = Attach(scenario);
  UpdateOnce([&](CFWUpdateDlg&) { scanner.ScriptStatusReplies(c.answers); });
  EXPECT_EQ(verdict, L"Update Succeed.");
  EXPECT_TRUE(scanner.LastImage().complete);
  const auto sending = std::find(shownAtVerdict.begin(), shownAtVerdict.end(), Text(IDS_SENDING_FIRMWARE));
  ASSERT_NE(sending, shownAtVerdict.end());
  EXPECT_EQ(static_cast<size_t>(std::count(shownAtVerdict.begin(), sending, Text(IDS_DEVICE_BUSY_WAIT))), c.busyAnswers);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, BootLoaderQueryTest,
    testing::Values(BootLoaderCase{"standard_ready", kStandard, proto::kReady, {}, 0},
                    BootLoaderCase{"standard_recovery", kStandard, proto::kLlBoot, {}, 0},
                    BootLoaderCase{"direct_recovery", kDirect, proto::kLlBoot, {}, 0},
                    BootLoaderCase{"busy_burning_then_recovery", kStandard, proto::kReady,
                                   {Answer(proto::kBusy, kBootLoader), Answer(proto::kFwUpdate, kBootLoader),
                                    Answer(proto::kLlBoot, kBootLoader)},
                                   2},
                    BootLoaderCase{"other_state_then_ready", kDirect, proto::kReady,
                                   {Answer(0x8001, kBootLoader), Answer(proto::kReady, kBootLoader)}, 1}),
    [](const testing::TestParamInfo<BootLoaderCase>& param) { return std::string(param.param.what); });

struct DeadlineCase {
  const char* what;
  uint16_t bcdDevice;
  uint16_t state;
};

void PrintTo(const DeadlineCase& c, std::ostream* out) { *out << c.what; }

class BootLoaderDeadlineTest : public UpdateSequenceRulesTest, public testing::WithParamInterface<DeadlineCase> {};

// A scanner that never gets out of a busy state is given up 600000 ms after the first answer, on both paths.
TEST_P(BootLoaderDeadlineTest, IsSixHundredSeconds) {
  emu::Scenario scenario;
  scenario.bcdDevice = GetParam().bcdDevice;
  scenario.fwInfo = GetParam().state;
  emu::TessalineDevice& scanner = Attach(scenario);
  UpdateOnce([&](CFWUpdateDlg&) { WatchCell({Text(IDS_DEVICE_BUSY_WAIT), Text(IDS_NOT_RESPONDING)}); });
  EXPECT_EQ(verdict, Failed(IDS_NOT_RESPONDING));
  ASSERT_TRUE(CellSeen(Text(IDS_DEVICE_BUSY_WAIT)) && CellSeen(Text(IDS_NOT_RESPONDING)));
  const uint64_t waited = cellAt[Text(IDS_NOT_RESPONDING)] - cellAt[Text(IDS_DEVICE_BUSY_WAIT)];
  EXPECT_GE(waited, 599900u);
  EXPECT_LE(waited, 601100u);
  EXPECT_EQ(scanner.Counts().firmwareWrite, 0u);
}

INSTANTIATE_TEST_SUITE_P(Paths, BootLoaderDeadlineTest,
                         testing::Values(DeadlineCase{"standard_busy", kStandard, proto::kBusy},
                                         DeadlineCase{"direct_burning", kDirect, proto::kFwUpdate}),
                         [](const testing::TestParamInfo<DeadlineCase>& param) { return std::string(param.param.what); });

// Another program has started the service again and it refuses to stop: the sequence starts one stop thread
// after another until it has waited 100000 ms. Nothing is sent to the scanner meanwhile.
TEST_F(UpdateSequenceRulesTest, TheServiceIsWaitedForAHundredSeconds) {
  Attach();
  UpdateOnce([&](CFWUpdateDlg&) {
    Stisvc().startType = SERVICE_AUTO_START;
    Stisvc().state = SERVICE_RUNNING;
    Stisvc().stopControlError = ERROR_SERVICE_REQUEST_TIMEOUT;
    WatchCell({Text(IDS_CLOSE_WIA_FAILED)});
  });
  EXPECT_EQ(verdict, Failed(IDS_CLOSE_WIA_FAILED));
  ASSERT_TRUE(CellSeen(Text(IDS_CLOSE_WIA_FAILED)));
  const uint64_t waited = cellAt[Text(IDS_CLOSE_WIA_FAILED)] - pressedAt;
  EXPECT_GE(waited, 100000u);
  EXPECT_LE(waited, 101100u);
  size_t writes = 0;
  for (const auto& request : usbLog) writes += request.call == simhost::UsbCall::Write ? 1 : 0;
  EXPECT_EQ(writes, 0u);
}

struct LockCase {
  const char* what;
  uint16_t bcdDevice;
  bool locked;
  bool extAppHeldElsewhere = false;
};

void PrintTo(const LockCase& c, std::ostream* out) { *out << c.what; }

class UpdateLocksTest : public UpdateSequenceRulesTest, public testing::WithParamInterface<LockCase> {};

// Looked at while the scanner burns: the standard path holds all three locks, the direct path none. The direct
// path does not even try one: a scan application in use does not hold it up.
TEST_P(UpdateLocksTest, HeldWhileTheScannerBurnsOnTheStandardPathOnly) {
  const LockCase& c = GetParam();
  emu::Scenario scenario;
  scenario.bcdDevice = c.bcdDevice;
  emu::TessalineDevice& scanner = Attach(scenario);
  simhost::Process scanApp(world, {.modulePath = L"C:\\Kavrel\\Scan.exe"});
  if (c.extAppHeldElsewhere) scanApp.host().kernel.CreateMutexW(nullptr, TRUE, kScanExt.c_str());
  std::vector<bool> held;
  UpdateOnce({}, [&] {
    ASSERT_TRUE(WaitFor([&] { return scanner.Life(world.scheduler().Now()).phase == emu::LifePhase::Burning; },
                        200000));
    held = {world.IsNameInUse(kScanExt, 1), world.IsNameInUse(kGuid, 1), world.IsNameInUse(kQuenby, 1)};
  });
  EXPECT_EQ(verdict, L"Update Succeed.");
  EXPECT_EQ(held, (std::vector<bool>{c.locked || c.extAppHeldElsewhere, c.locked, c.locked}));
  EXPECT_EQ(TimesShown(Text(IDS_SCAN_APP_IN_USE)), 0u);
  EXPECT_EQ(world.IsNameInUse(kScanExt, 1), c.extAppHeldElsewhere);
  EXPECT_FALSE(world.IsNameInUse(kGuid, 1) || world.IsNameInUse(kQuenby, 1));
}

INSTANTIATE_TEST_SUITE_P(Paths, UpdateLocksTest,
                         testing::Values(LockCase{"standard", kStandard, true}, LockCase{"direct", kDirect, false},
                                         LockCase{"direct_scan_app_in_use", kDirect, false, true}),
                         [](const testing::TestParamInfo<LockCase>& param) { return std::string(param.param.what); });

struct StopCase {
  const char* what;
  // Runs after the window's first search, before Update is pressed.
  std::function<void(emu::TessalineDevice&, simhost::Process& other)> arrange;
  UINT reason;
  uint32_t informationReads;  // sent by the update
};

void PrintTo(const StopCase& c, std::ostream* out) { *out << c.what; }

class StopBeforeTheBurnTest : public UpdateSequenceRulesTest, public testing::WithParamInterface<StopCase> {};

// A lock another application holds, or a failed information read, ends the standard path before the boot-loader
// query: nothing more is asked of the scanner and nothing is written to it.
TEST_P(StopBeforeTheBurnTest, EndsWithItsReasonAndSendsNothingMore) {
  emu::TessalineDevice& scanner = Attach();
  simhost::Process other(world, {.user = L"other"});  // same session: its GUID name is in our namespace
  emu::CommandCounts before;
  UpdateOnce([&](CFWUpdateDlg&) {
    GetParam().arrange(scanner, other);
    before = scanner.Counts();
  });
  EXPECT_EQ(verdict, Failed(GetParam().reason));
  EXPECT_EQ(scanner.Counts().deviceInfo - before.deviceInfo, GetParam().informationReads);
  EXPECT_EQ(scanner.Counts().deviceStatus - before.deviceStatus, 0u);
  EXPECT_EQ(scanner.Counts().firmwareWrite, 0u);
  EXPECT_EQ(tool.OpenHandles(), 0u);
  EXPECT_EQ(Stisvc().state, static_cast<DWORD>(SERVICE_RUNNING));
}

INSTANTIATE_TEST_SUITE_P(
    Causes, StopBeforeTheBurnTest,
    testing::Values(
        StopCase{"information_read_fails",
                 [](emu::TessalineDevice& s, simhost::Process&) {
                   s.MutableScenario().faults.stageFaults.push_back(
                       {s.TransactionCount() + 1, 1, emu::Stage::Reply, emu::FaultKind::NoReply, 0});
                 },
                 IDS_CHECK_STATUS_ERROR, 1},
        StopCase{"ext_app_lock_held",
                 [](emu::TessalineDevice&, simhost::Process& other) {
                   other.host().kernel.CreateMutexW(nullptr, TRUE, kScanExt.c_str());
                 },
                 IDS_SCAN_APP_IN_USE, 0},
        StopCase{"guid_lock_held",
                 [](emu::TessalineDevice&, simhost::Process& other) {
                   other.host().kernel.CreateMutexW(nullptr, TRUE, kGuid.c_str());
                 },
                 IDS_MARLO_IN_USE, 0}),
    [](const testing::TestParamInfo<StopCase>& param) { return std::string(param.param.what); });

// The Quenby lock the search could not take is tried again by the update, and its failure ends it likewise.
TEST_F(UpdateSequenceRulesTest, AQuenbyLockHeldElsewhereEndsTheUpdate) {
  emu::TessalineDevice& scanner = Attach();
  simhost::Process quenby(world, {.modulePath = L"C:\\Quenby\\Quenby.exe"});
  quenby.host().kernel.CreateMutexW(nullptr, TRUE, kQuenby.c_str());
  emu::CommandCounts before;
  UpdateOnce([&](CFWUpdateDlg&) { before = scanner.Counts(); });
  EXPECT_EQ(verdict, Failed(IDS_QUENBY_IN_USE));
  EXPECT_EQ(scanner.Counts().deviceInfo, before.deviceInfo);
  EXPECT_EQ(scanner.Counts().firmwareWrite, 0u);
  EXPECT_FALSE(world.IsNameInUse(kScanExt, 1));  // the locks it did take are given back
  EXPECT_FALSE(world.IsNameInUse(kGuid, 1));
}

struct PowerWaitCase {
  const char* what;
  uint16_t bcdDevice;
  size_t probes;
};

void PrintTo(const PowerWaitCase& c, std::ostream* out) { *out << c.what; }

class PowerWaitLimitTest : public UpdateSequenceRulesTest, public testing::WithParamInterface<PowerWaitCase> {};

// A scanner that never powers off is probed 60 times on the standard path and 90 times on the direct path.
TEST_P(PowerWaitLimitTest, ProbesAsOftenAsThePathAllows) {
  emu::Scenario scenario;
  scenario.bcdDevice = GetParam().bcdDevice;
  scenario.faults.neverPowersOff = true;
  Attach(scenario);
  UpdateOnce();
  EXPECT_EQ(verdict, Failed(IDS_POWER_OFF_TIMEOUT));
  EXPECT_EQ(OpensAfterLastRequest(), GetParam().probes);
  if (GetParam().bcdDevice == kDirect) {
    // The computed percentage runs over the 90 probes: 2 % at the second, 100 % with two dots at the last.
    EXPECT_EQ(TimesShown(Progress(2, 2)), 1u);
    EXPECT_EQ(TimesShown(Progress(100, 2)), 1u);
  }
}

INSTANTIATE_TEST_SUITE_P(Paths, PowerWaitLimitTest,
                         testing::Values(PowerWaitCase{"standard", kStandard, 60}, PowerWaitCase{"direct", kDirect, 90}),
                         [](const testing::TestParamInfo<PowerWaitCase>& param) { return std::string(param.param.what); });

}  // namespace
