#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/text_format.h"
#include "emulator/placeholder_image.h"
#include "res/resource.h"
#include "res/string_ids.h"
#include "support/scanner_fixture.h"

namespace {

class UpdateTest : public ScannerTest {
 protected:
  // Searches, presses Update and waits for the verdict; then closes the window.
  void UpdateOnce() {
    Run([&](CFWUpdateDlg& dialog) {
      WaitForFirstSearch(dialog);
      dialog.SetRowCheck(0, true);  // whatever the search found: the sequence decides
      UpdateAndWait(dialog);
      verdict = tool.windows().ControlText(IDC_STATUS);
      searchEnabled = tool.windows().IsEnabled(IDC_SEARCH_DEVICE);
      updateEnabled = tool.windows().IsEnabled(IDC_UPDATE);
      Press(IDCANCEL);
      WaitFor([&] { return !tool.windows().IsOpen(); }, 200000);
    });
  }
  std::wstring Failed(UINT reason) { return text::Format(Text(IDS_UPDATE_FAILED), Text(reason)); }

  std::wstring verdict;
  bool searchEnabled = false;
  bool updateEnabled = true;
};

TEST_F(UpdateTest, TheStandardPathBurnsWithMonitoringAndSucceeds) {
  emu::Scenario scenario;
  scenario.ubootVersion = 8;
  emu::TessalineDevice& scanner = Attach(scenario);
  UpdateOnce();
  EXPECT_EQ(verdict, L"Update Succeed.");
  const auto image = scanner.LastImage();
  EXPECT_TRUE(image.complete);
  EXPECT_EQ(image.code, 0x1005);
  EXPECT_EQ(image.checksum, emu::kPlaceholderImages[2].checksum);
  EXPECT_TRUE(WasShown(Text(IDS_BURN_DONE)));
  EXPECT_TRUE(WasShown(Text(IDS_CHECK_POWER_OFF)));
  EXPECT_TRUE(WasShown(Text(IDS_DEVICE_READY_WAIT)));
  EXPECT_TRUE(searchEnabled);
  EXPECT_FALSE(updateEnabled);
  EXPECT_EQ(Stisvc().state, static_cast<DWORD>(SERVICE_RUNNING));
  EXPECT_EQ(Stisvc().startType, static_cast<DWORD>(SERVICE_AUTO_START));
  EXPECT_FALSE(world.IsNameInUse(L"Global\\KAVREL_SCAN_EXT_APP_MUTEX_Scanner A", 1));
  EXPECT_FALSE(world.IsNameInUse(L"Global\\KAVREL_QUENBY_SUBSCRIPTION_MUTEX_Scanner A", 1));
  EXPECT_EQ(tool.OpenHandles(), 0u);
  EXPECT_EQ(world.usb().OpenHandles(), 0u);
  EXPECT_NE(tool.console().Output().find(L"[Thread_VoskUpdate] Start WIA Finish!!\n"), std::wstring::npos);
}

TEST_F(UpdateTest, TheDirectPathComputesItsProgressAndTakesNoLock) {
  emu::Scenario scenario;
  scenario.bcdDevice = 1;
  scenario.ubootVersion = 8;
  emu::TessalineDevice& scanner = Attach(scenario);
  UpdateOnce();
  EXPECT_EQ(verdict, L"Update Succeed.");
  EXPECT_EQ(scanner.LastImage().code, 0x1004);
  EXPECT_TRUE(scanner.LastImage().complete);
  // The finishing steps end at 100, whatever the probe count left for them.
  const std::wstring full = text::Format(Text(IDS_BURN_PROGRESS), 100);
  EXPECT_TRUE(std::any_of(Shown().begin(), Shown().end(), [&](const std::wstring& s) { return s.rfind(full, 0) == 0; }))
      << "no progress text for 100";
  EXPECT_FALSE(world.IsNameInUse(L"Global\\KAVREL_SCAN_EXT_APP_MUTEX_Scanner A", 1));
}

TEST_F(UpdateTest, TheWaitsHoldAcrossTheTickCountsWrap) {
  world.SetTickBase(0xFFFFFFFFu - 20000);  // wraps during the burn
  emu::Scenario scenario;
  scenario.faults.staysBusy = true;
  Attach(scenario);
  UpdateOnce();
  EXPECT_EQ(verdict, Failed(IDS_NOT_RESPONDING));
  EXPECT_GE(world.scheduler().Now(), 600000u);   // the ready wait ran its full 600000 ms...
  EXPECT_LT(world.scheduler().Now(), 1000000u);  // ...and did not stop early or run on past the wrap
}

TEST_F(UpdateTest, TheMonitoredProgressCountsItsPollsInFullStops) {
  emu::Scenario scenario;
  scenario.burnMs = 15000;  // about nine polls after the six-second settle
  Attach(scenario);
  UpdateOnce();
  ASSERT_EQ(verdict, L"Update Succeed.");
  const std::wstring prefix = Text(IDS_BURN_PROGRESS).substr(0, Text(IDS_BURN_PROGRESS).find(L'%'));
  std::vector<size_t> dots;
  int lastPercent = -1;
  for (const auto& shown : Shown()) {
    if (shown.rfind(prefix, 0) != 0) continue;
    const size_t close = shown.rfind(L')');
    dots.push_back(shown.size() - close - 1);
    const int percent = std::stoi(shown.substr(prefix.size()));
    EXPECT_GE(percent, lastPercent) << testing::PrintToString(shown);
    lastPercent = percent;
  }
  ASSERT_GE(dots.size(), 5u);
  for (size_t i = 0; i < dots.size(); ++i) EXPECT_EQ(dots[i], (i + 1) % 4) << "poll " << i + 1;
  EXPECT_TRUE(WasShown(Text(IDS_BURN_DONE)));
}

struct FailureCase {
  const char* what;
  std::function<void(emu::Scenario&)> arrange;
  UINT reason;
};

class UpdateFailureTest : public UpdateTest, public testing::WithParamInterface<FailureCase> {};

TEST_P(UpdateFailureTest, EndsInTheVerdictWithItsReasonAndGivesEverythingBack) {
  emu::Scenario scenario;
  GetParam().arrange(scenario);
  if (GetParam().reason == IDS_DEVICE_NOT_FOUND) {
    world.usb().Detach(0);
  } else {
    Attach(scenario);
  }
  UpdateOnce();
  EXPECT_EQ(verdict, Failed(GetParam().reason));
  EXPECT_FALSE(WasShown(L"Update Succeed."));
  EXPECT_TRUE(searchEnabled);
  EXPECT_FALSE(updateEnabled);
  EXPECT_EQ(Stisvc().state, static_cast<DWORD>(SERVICE_RUNNING));
  EXPECT_EQ(Stisvc().startType, static_cast<DWORD>(SERVICE_AUTO_START));
  EXPECT_FALSE(world.IsNameInUse(L"Global\\KAVREL_SCAN_EXT_APP_MUTEX_Scanner A", 1));
  EXPECT_FALSE(world.IsNameInUse(L"Global\\KAVREL_QUENBY_SUBSCRIPTION_MUTEX_Scanner A", 1));
  EXPECT_EQ(tool.OpenHandles(), 0u);
  EXPECT_EQ(world.usb().OpenHandles(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, UpdateFailureTest,
    testing::Values(
        FailureCase{"unplugged", [](emu::Scenario&) {}, IDS_DEVICE_NOT_FOUND},
        FailureCase{"current", [](emu::Scenario& s) { s.mainBoardVersion = 68; }, IDS_FIRMWARE_LATEST},
        FailureCase{"burn_error_7001",
                    [](emu::Scenario& s) {
                      s.faults.burnErrorCode = 0x7001;
                      s.faults.burnErrorAtPercent = 40;
                    },
                    IDS_BURN_ERROR},
        FailureCase{"unexpected_state",
                    [](emu::Scenario& s) {
                      s.faults.burnFwInfo = 6;
                      s.faults.burnFwInfoAtPercent = 30;
                    },
                    IDS_BURN_ERROR},
        FailureCase{"never_off", [](emu::Scenario& s) { s.faults.neverPowersOff = true; }, IDS_POWER_OFF_TIMEOUT},
        FailureCase{"never_back", [](emu::Scenario& s) { s.faults.neverComesBack = true; }, IDS_POWER_ON_TIMEOUT},
        FailureCase{"stays_busy", [](emu::Scenario& s) { s.faults.staysBusy = true; }, IDS_NOT_RESPONDING}),
    [](const testing::TestParamInfo<FailureCase>& param) { return std::string(param.param.what); });

}  // namespace
