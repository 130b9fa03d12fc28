#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/text_format.h"
#include "res/resource.h"
#include "res/string_ids.h"
#include "support/scanner_fixture.h"
#include "support/status_answers.h"

namespace {

using fwtest::Answer;

class BurnSequenceTest : public ScannerTest {
 protected:
  // Runs the burn procedure on the user thread once the window's first search is done; the texts it showed.
  std::vector<std::wstring> Burn(emu::TessalineDevice& scanner, std::vector<proto::StatusReply> script,
                                 BurnProcedure procedure, int limit, bool& result) {
    const WORD code = procedure == BurnProcedure::kMonitored ? 0x1005 : 0x1004;  // image 505 on each path
    std::vector<std::wstring> shown;
    Run([&](CFWUpdateDlg& dialog) {
      WaitForFirstSearch(dialog);
      scanner.ScriptStatusReplies(std::move(script));
      const size_t before = Shown().size();
      result = dialog.BurnFirmware(L"USB", 505, code, procedure, limit, 0) != FALSE;
      shown.assign(Shown().begin() + static_cast<long>(before), Shown().end());
    });
    return shown;
  }
  std::wstring Progress(int percent, size_t dots) { return text::Format(Text(IDS_BURN_PROGRESS), percent) + std::wstring(dots, L'.'); }
};

TEST_F(BurnSequenceTest, TheMonitoredBurnShowsTheDevicesProgressThenWaitsForFiveReadyAnswers) {
  emu::Scenario scenario;
  scenario.ubootVersion = 8;
  emu::TessalineDevice& scanner = Attach(scenario);
  bool ok = false;
  // The burn watch: 12 %, 40 %, 85 %, done. The ready wait: READY, READY, BUSY, then five READY.
  const auto shown = Burn(scanner,
                          {Answer(7, {.burnPercent = 12}), Answer(7, {.burnPercent = 40}),
                           Answer(7, {.burnPercent = 85}), Answer(0), Answer(0), Answer(0), Answer(4), Answer(0),
                           Answer(0), Answer(0), Answer(0), Answer(0)},
                          BurnProcedure::kMonitored, 60, ok);
  EXPECT_TRUE(ok);
  const std::vector<std::wstring> expectedStart = {Text(IDS_SENDING_FIRMWARE), Text(IDS_FW_UPGRADE_WAIT),
                                                   Progress(12, 1), Progress(40, 2), Progress(85, 3),
                                                   Text(IDS_BURN_DONE), Text(IDS_CHECK_POWER_OFF)};
  ASSERT_GE(shown.size(), expectedStart.size());
  EXPECT_EQ(std::vector<std::wstring>(shown.begin(), shown.begin() + 7), expectedStart);
  // After power-on: two ready answers, the busy one resets the count and posts 211, then five more.
  std::vector<std::wstring> readyWait;
  for (size_t i = 7; i < shown.size(); ++i) {
    if (shown[i] != Text(IDS_CHECK_POWER_ON)) readyWait.push_back(shown[i]);
  }
  const std::wstring ready = Text(IDS_DEVICE_READY_WAIT);
  EXPECT_EQ(readyWait, (std::vector<std::wstring>{ready, ready, Text(IDS_DEVICE_BUSY_WAIT), ready, ready, ready, ready,
                                                  ready}));
  EXPECT_EQ(scanner.Counts().burnStatus, 4u);
  EXPECT_EQ(scanner.Counts().deviceStatus, 8u);  // success after the eighth answer
}

TEST_F(BurnSequenceTest, WhatTheBurnWatchTakesAsFailure) {
  struct Case {
    const char* what;
    std::vector<proto::StatusReply> script;
    bool ok;
    const wchar_t* console;
  };
  const Case cases[] = {
      {"0x7001", {Answer(7, {.burnPercent = 10}), Answer(7, {.errorCode = 0x7001, .burnPercent = 20})}, false,
       L"Device has ErrorCode (0x7001) (At "},
      {"LLBOOT while burning", {Answer(7, {.burnPercent = 10}), Answer(6)}, false,
       L"Device FWInfo not correct (0x6) (At "},
      {"another error code is only logged", {Answer(7, {.errorCode = 0x1234, .burnPercent = 10}), Answer(0)}, true,
       L"Device has ErrorCode (0x1234) (At "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    emu::Scenario scenario;
    scenario.ubootVersion = 8;
    emu::TessalineDevice& scanner = Attach(scenario);
    bool ok = !c.ok;
    const auto shown = Burn(scanner, c.script, BurnProcedure::kMonitored, 60, ok);
    EXPECT_EQ(ok, c.ok);
    if (!c.ok) {
      EXPECT_EQ(shown.back(), Text(IDS_BURN_ERROR));
    }
    EXPECT_NE(tool.console().Output().find(c.console), std::wstring::npos);
    world.usb().Detach(0);
  }
}

// A device that reports "burning" for ever, without an error, would otherwise hold the tool (and the end of the
// session) for good: the watch gives up after ten minutes as it does on a burn error.
TEST_F(BurnSequenceTest, ABurnThatNeverEndsIsABurnErrorAfterTenMinutes) {
  emu::Scenario scenario;
  scenario.faults.burnsForever = true;
  emu::TessalineDevice& scanner = Attach(scenario);
  bool finished = false;
  bool ok = true;
  uint64_t tookMs = 0;
  std::vector<std::wstring> shown;
  Run([&](CFWUpdateDlg& dialog) {
    WaitForFirstSearch(dialog);
    const size_t before = Shown().size();
    const uint64_t start = world.scheduler().Now();
    world.scheduler().Spawn([&] {
      ok = dialog.BurnFirmware(L"USB", 505, 0x1005, BurnProcedure::kMonitored, 60, 0) != FALSE;
      finished = true;
    });
    ASSERT_TRUE(WaitFor([&] { return finished; }, 700000)) << "the watch is still going after 700 s";
    tookMs = world.scheduler().Now() - start;
    shown.assign(Shown().begin() + static_cast<long>(before), Shown().end());
  });
  EXPECT_FALSE(ok);
  EXPECT_GE(tookMs, 600000u);
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.back(), Text(IDS_BURN_ERROR));
  EXPECT_EQ(shown.at(shown.size() - 2), Progress(99, scanner.Counts().burnStatus % 4));
  const std::wstring& console = tool.console().Output();
  EXPECT_NE(console.find(L"Burning firmware error!! (At 600 second)\n"), std::wstring::npos);
  EXPECT_EQ(console.find(L"Device FWInfo not correct"), std::wstring::npos);
  EXPECT_EQ(scanner.Life(world.scheduler().Now()).phase, emu::LifePhase::Burning);
  EXPECT_EQ(Count(console, L"The device update took"), 0u);
}

TEST_F(BurnSequenceTest, AnUnmonitoredBurnWhoseDeviceStaysOnTimesOutAtAHundredPercent) {
  emu::Scenario scenario;
  scenario.bcdDevice = 1;
  scenario.ubootVersion = 8;
  scenario.faults.neverPowersOff = true;
  emu::TessalineDevice& scanner = Attach(scenario);
  bool ok = true;
  const auto shown = Burn(scanner, {}, BurnProcedure::kUnmonitored, 90, ok);
  EXPECT_FALSE(ok);
  ASSERT_GE(shown.size(), 4u);
  EXPECT_EQ(shown.at(shown.size() - 2), Progress(100, 2));  // probe 90: 90 mod 4 dots
  EXPECT_EQ(shown.back(), Text(IDS_POWER_OFF_TIMEOUT));
  EXPECT_EQ(shown.at(2), Progress(1, 1));  // no "power off" text on this procedure, the computed progress instead
}

}  // namespace
