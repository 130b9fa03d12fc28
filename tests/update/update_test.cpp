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
  void UpdateOnce(const std::function<void()>& duringUpdate = {}) {
    Run([&](CFWUpdateDlg& dialog) {
      WaitForFirstSearch(dialog);
      dialog.SetRowCheck(0, true);  // whatever the search found: the sequence decides
      UpdateAndWait(dialog, 2000000, duringUpdate);
      verdict = tool.windows().ControlText(IDC_STATUS);
      searchEnabled = tool.windows().IsEnabled(IDC_SEARCH_DEVICE);
      updateEnabled = tool.windows().IsEnabled(IDC_UPDATE);
      Press(IDCANCEL);
      WaitFor([&] { return !tool.windows().IsOpen(); }, 200000);
    });
  }
  std::wstring Failed(UINT reason) { return Failed(Text(reason)); }
  std::wstring Failed(const std::wstring& reason) { return text::Format(Text(IDS_UPDATE_FAILED), reason); }
  // Where the status texts were shown first, in the order they were: npos when one never was.
  size_t FirstShown(const std::wstring& text) {
    const auto it = std::find(Shown().begin(), Shown().end(), text);
    return it == Shown().end() ? std::wstring::npos : static_cast<size_t>(it - Shown().begin());
  }
  const std::wstring& Console() { return tool.console().Output(); }
  // What an update leaves, whatever its verdict: Search Device back and Update not, the service as it was, the
  // scan applications' locks free, and no handle of the tool's or of the bus open.
  void ExpectEverythingGivenBack() {
    EXPECT_TRUE(searchEnabled);
    EXPECT_FALSE(updateEnabled);
    ExpectServiceGivenBack();
    EXPECT_FALSE(world.IsNameInUse(L"Global\\KAVREL_SCAN_EXT_APP_MUTEX_Scanner A", 1));
    EXPECT_FALSE(world.IsNameInUse(L"Global\\KAVREL_QUENBY_SUBSCRIPTION_MUTEX_Scanner A", 1));
    EXPECT_EQ(tool.OpenHandles(), 0u);
    EXPECT_EQ(world.usb().OpenHandles(), 0u);
  }

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
  ExpectEverythingGivenBack();
  EXPECT_NE(tool.console().Output().find(L"[Thread_VoskUpdate] Start WIA Finish!!\n"), std::wstring::npos);
  // The version is read back once the scanner is ready, before the service is given back.
  EXPECT_NE(Console().find(L"[UpdateDevice]: MB Ver after the update: (0.68)/ Panel Ver:(1.05)\n"), std::wstring::npos)
      << testing::PrintToString(Console());
  EXPECT_LT(FirstShown(Text(IDS_DEVICE_READY_WAIT)), FirstShown(Text(IDS_CHECK_VERSION)));
  EXPECT_LT(FirstShown(Text(IDS_CHECK_VERSION)), FirstShown(Text(IDS_START_WIA)));
}

TEST_F(UpdateTest, AScannerThatKeptItsOldFirmwareFailsWithTheVersionItReports) {
  emu::Scenario scenario;
  scenario.faults.keepsOldFirmware = true;
  emu::TessalineDevice& scanner = Attach(scenario);
  UpdateOnce();
  EXPECT_EQ(verdict, L"Update Failed: The scanner still reports firmware version 0.60 after the update.");
  EXPECT_TRUE(scanner.LastImage().complete);  // the image went over whole: only the version tells
  EXPECT_TRUE(WasShown(Text(IDS_CHECK_VERSION)));
  EXPECT_FALSE(WasShown(L"Update Succeed."));
  EXPECT_NE(Console().find(L"[UpdateDevice]: MB Ver after the update: (0.60)/ Panel Ver:(1.05)\n"), std::wstring::npos)
      << testing::PrintToString(Console());
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

TEST_F(UpdateTest, TheDirectPathReadsNoVersionBack) {
  emu::Scenario scenario;
  scenario.bcdDevice = 1;
  scenario.faults.keepsOldFirmware = true;  // would fail the standard path; this path cannot tell
  emu::TessalineDevice& scanner = Attach(scenario);
  UpdateOnce();
  EXPECT_EQ(verdict, L"Update Succeed.");
  EXPECT_EQ(scanner.Counts().deviceInfo, 0u);
  EXPECT_FALSE(WasShown(Text(IDS_CHECK_VERSION)));
  EXPECT_EQ(Console().find(L"[UpdateDevice]"), std::wstring::npos);
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
  bool readsBack = false;            // the burn went through and the version was read back
  const wchar_t* version = nullptr;  // what the reason says the scanner reports
  // A change to the scanner once its burn has begun.
  std::function<void(emu::TessalineDevice&)> whileBurning = {};
};

void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.what; }

class UpdateFailureTest : public UpdateTest, public testing::WithParamInterface<FailureCase> {};

TEST_P(UpdateFailureTest, EndsInTheVerdictWithItsReasonAndGivesEverythingBack) {
  emu::Scenario scenario;
  GetParam().arrange(scenario);
  emu::TessalineDevice* scanner = nullptr;
  if (GetParam().reason == IDS_DEVICE_NOT_FOUND) {
    world.usb().Detach(0);
  } else {
    scanner = &Attach(scenario);
  }
  std::function<void()> duringUpdate;
  if (GetParam().whileBurning) {
    duringUpdate = [&] {
      ASSERT_TRUE(WaitFor([&] { return scanner->Life(world.scheduler().Now()).phase == emu::LifePhase::Burning; },
                          200000));
      GetParam().whileBurning(*scanner);
    };
  }
  UpdateOnce(duringUpdate);
  const std::wstring reason = GetParam().version != nullptr
                                  ? text::Format(Text(GetParam().reason), std::wstring(GetParam().version))
                                  : Text(GetParam().reason);
  EXPECT_EQ(verdict, Failed(reason));
  EXPECT_EQ(WasShown(Text(IDS_CHECK_VERSION)), GetParam().readsBack);
  EXPECT_FALSE(WasShown(L"Update Succeed."));
  ExpectEverythingGivenBack();
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
        FailureCase{"stays_busy", [](emu::Scenario& s) { s.faults.staysBusy = true; }, IDS_NOT_RESPONDING},
        // The version read back after the burn: the old one, another one than carried, or no answer.
        FailureCase{"kept_old_firmware", [](emu::Scenario& s) { s.faults.keepsOldFirmware = true; },
                    IDS_STILL_OLD_VERSION, true, L"0.60"},
        FailureCase{"other_version_after", [](emu::Scenario& s) { s.mainBoardVersionAfter = 0x00010044; },
                    IDS_STILL_OLD_VERSION, true, L"1.68"},
        FailureCase{"version_read_back_fails", [](emu::Scenario&) {}, IDS_CHECK_STATUS_ERROR, true, nullptr,
                    [](emu::TessalineDevice& scanner) {
                      // Every read with a data-in stage from now on goes unanswered: only the read back has one.
                      scanner.MutableScenario().faults.stageFaults.push_back(
                          {scanner.TransactionCount() + 1, 0, emu::Stage::DataIn, emu::FaultKind::NoReply, 0});
                    }}),
    [](const testing::TestParamInfo<FailureCase>& param) { return std::string(param.param.what); });

}  // namespace
