#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "res/resource.h"
#include "res/string_ids.h"
#include "support/scanner_fixture.h"

namespace {

class BurnProtectionTest : public ScannerTest {
 protected:
  struct Sample {
    std::wstring status;
    bool awake;
    std::optional<std::wstring> reason;
    LRESULT queryEndSession;
  };

  // Presses Update and samples the protection at every status text the update shows, until its verdict.
  std::vector<Sample> UpdateSampling(CFWUpdateDlg& dialog) {
    std::vector<Sample> samples;
    Press(IDC_UPDATE);
    WaitFor([&] { return dialog.m_slots[0].hUpdateThread.Load() != nullptr; });
    const HANDLE thread = dialog.m_slots[0].hUpdateThread.Load();
    DWORD code = STILL_ACTIVE;
    size_t seen = Shown().size();
    while (tool.host().kernel.GetExitCodeThread(thread, &code) && code == STILL_ACTIVE) {
      WaitFor([&] { return Shown().size() > seen || (tool.host().kernel.GetExitCodeThread(thread, &code) && code != STILL_ACTIVE); },
              2000000);
      seen = Shown().size();
      if (seen == 0 || Shown().back().rfind(Text(IDS_UPDATE_FAILED).substr(0, 6), 0) == 0 ||
          Shown().back() == Text(IDS_UPDATE_SUCCEED)) {
        break;  // the verdict: protection may go from here on
      }
      samples.push_back({Shown().back(), tool.power().SystemRequired(), tool.power().BlockReason(),
                         tool.windows().SendToDialog(WM_QUERYENDSESSION, 0, 0, TRUE)});
    }
    tool.host().kernel.WaitForSingleObject(thread, 300000);
    return samples;
  }
};

TEST_F(BurnProtectionTest, TheWholeUpdateIsProtectedAndNothingIsLeftAfter) {
  struct Case {
    const char* what;
    std::function<void(emu::Scenario&)> arrange;
    size_t minimumSamples;
  };
  const Case cases[] = {
      {"success", [](emu::Scenario&) {}, 10},
      {"burn error", [](emu::Scenario& s) { s.faults.burnErrorCode = 0x7001; s.faults.burnErrorAtPercent = 30; }, 3},
      {"the device gone before the update", [](emu::Scenario&) {}, 0},  // ends before a sample can be taken
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    emu::Scenario scenario;
    c.arrange(scenario);
    Attach(scenario);
    Run([&](CFWUpdateDlg& dialog) {
      WaitForFirstSearch(dialog);
      dialog.SetRowCheck(0, true);
      if (std::string(c.what).find("gone") != std::string::npos) world.usb().Detach(0);
      const std::vector<Sample> samples = UpdateSampling(dialog);
      EXPECT_GE(samples.size(), c.minimumSamples);
      for (const auto& sample : samples) {
        EXPECT_TRUE(sample.awake) << testing::PrintToString(sample.status);
        EXPECT_EQ(sample.reason, Text(IDS_FW_UPGRADE_WAIT)) << testing::PrintToString(sample.status);
        EXPECT_EQ(sample.queryEndSession, FALSE) << testing::PrintToString(sample.status);
      }
      EXPECT_FALSE(tool.power().SystemRequired());
      EXPECT_FALSE(tool.power().BlockReason().has_value());
      EXPECT_EQ(tool.windows().SendToDialog(WM_QUERYENDSESSION, 0, 0, TRUE), TRUE);
    });
    world.usb().Detach(0);
  }
}

TEST_F(BurnProtectionTest, TheReasonIsInTheThreadsLanguage) {
  world.WriteTextFile(L"C:\\Tools\\FWUpdate\\Settings.ini", L"[Development]\nLANG_ID=1031\n");
  Attach();
  Run([&](CFWUpdateDlg& dialog) {
    WaitForFirstSearch(dialog);
    const std::vector<Sample> samples = UpdateSampling(dialog);
    ASSERT_FALSE(samples.empty());
    EXPECT_EQ(samples.front().reason, Text(IDS_FW_UPGRADE_WAIT, 0x0007));
    EXPECT_NE(samples.front().reason, Text(IDS_FW_UPGRADE_WAIT));
  });
}

TEST_F(BurnProtectionTest, OutsideAnUpdateTheSessionMayEndWithEverythingGivenBack) {
  Attach();
  Run([&](CFWUpdateDlg& dialog) {
    WaitForFirstSearch(dialog);
    ASSERT_EQ(Stisvc().startType, static_cast<DWORD>(SERVICE_DISABLED));
    ASSERT_FALSE(dialog.m_hQuenbyMutex.IsEmpty());
    EXPECT_EQ(tool.windows().SendToDialog(WM_QUERYENDSESSION, 0, 0, TRUE), TRUE);
    tool.windows().SendToDialog(WM_ENDSESSION, TRUE, 0, 0);
    EXPECT_EQ(Stisvc().startType, static_cast<DWORD>(SERVICE_AUTO_START));
    EXPECT_FALSE(world.IsNameInUse(L"Global\\KAVREL_QUENBY_SUBSCRIPTION_MUTEX_Scanner A", 1));
  });
}

}  // namespace
