// Windows calls a window hung once its thread has not come back to its message loop for 5 s, and people and the
// end of the session then end it without its own clean-up. The window's thread must serve its messages again
// within a second whatever the scanner does; a search runs on its own thread, and while a search or an update
// runs, Update and Search Device commands posted by any program do nothing.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "res/resource.h"
#include "res/string_ids.h"
#include "support/scanner_fixture.h"

namespace {

constexpr uint64_t kServedWithinMs = 1000;
constexpr const wchar_t* kQuenbyLock = L"Global\\KAVREL_QUENBY_SUBSCRIPTION_MUTEX_Scanner A";

class ResponsiveWindowTest : public ScannerTest {
 protected:
  // A scanner that answered the first search and does not answer the reply of any request from now on.
  void StallFromNowOn() {
    emu::Scenario stalling;
    stalling.faults.stageFaults.push_back(
        {.transaction = 1, .count = 0, .stage = emu::Stage::Reply, .kind = emu::FaultKind::NoReply});
    Attach(stalling);
  }
  // Sends a message the dialog leaves to the default procedure and returns how long the answer took.
  uint64_t Probe() {
    const uint64_t sent = world.scheduler().Now();
    tool.windows().SendToDialog(WM_TIMER, 0, 0, 0);
    return world.scheduler().Now() - sent;
  }
  // Every search ends with one of these lines; an update's own reads print none of them.
  size_t Searches() {
    const std::wstring& console = tool.console().Output();
    return Count(console, L"[GetDeviceStatus]: Check device status") +
           Count(console, L"[GetDeviceStatus]: Device not found") + Count(console, L"Quenby Mutex lock fail");
  }
};

TEST_F(ResponsiveWindowTest, AStalledSearchLeavesTheWindowAnsweringWithItsButtonsDisabledUntilItEnds) {
  Attach();
  Run([&](CFWUpdateDlg& dialog) {
    WaitForFirstSearch(dialog);
    StallFromNowOn();
    const uint64_t pressed = world.scheduler().Now();
    tool.windows().PostCommand(IDC_SEARCH_DEVICE);
    world.scheduler().Sleep(1);
    // Probed every 5 s while the search waits out the driver's time-out.
    std::vector<uint64_t> slow;
    int probes = 0;
    while (!tool.windows().IsEnabled(IDC_SEARCH_DEVICE) && world.scheduler().Now() - pressed < 300000) {
      const uint64_t took = Probe();
      ++probes;
      if (took >= kServedWithinMs) slow.push_back(took);
      EXPECT_FALSE(tool.windows().IsEnabled(IDCANCEL));
      EXPECT_FALSE(tool.windows().IsEnabled(IDC_UPDATE));
      world.scheduler().Sleep(5000);
    }
    EXPECT_TRUE(slow.empty()) << slow.size() << " probes waited, the first " << slow[0] << " ms";
    EXPECT_GE(probes, static_cast<int>(simhost::kUsbscanDefaultTimeoutMs / 5000) - 1);
    EXPECT_GE(world.scheduler().Now() - pressed, simhost::kUsbscanDefaultTimeoutMs);
    EXPECT_EQ(tool.windows().ControlText(IDC_STATUS), Text(IDS_CHECK_STATUS_ERROR));
    EXPECT_TRUE(tool.windows().IsEnabled(IDCANCEL));
    EXPECT_FALSE(tool.windows().IsEnabled(IDC_UPDATE));
  });
  EXPECT_LT(tool.windows().LongestUnservedMs(), kServedWithinMs);
  EXPECT_EQ(tool.OpenHandles(), 0u);
}

TEST_F(ResponsiveWindowTest, CloseEscapeOrTheSessionsEndDuringAStalledSearchAreHandledAtOnce) {
  struct Case {
    const char* what;
    std::function<void(simhost::Windows&)> act;
  };
  const Case cases[] = {
      {"Close", [](simhost::Windows& w) { w.PostCommand(IDCANCEL); }},
      {"WM_CLOSE", [](simhost::Windows& w) { w.PostDialogMessage(WM_CLOSE, 0, 0); }},
      {"the end of the session, then Close",
       [](simhost::Windows& w) {
         EXPECT_EQ(w.SendToDialog(WM_QUERYENDSESSION, 0, 0, TRUE), TRUE);
         w.SendToDialog(WM_ENDSESSION, TRUE, 0, 0);
         w.PostCommand(IDCANCEL);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Attach();
    uint64_t acted = 0;
    Run([&](CFWUpdateDlg& dialog) {
      WaitForFirstSearch(dialog);
      StallFromNowOn();
      Press(IDC_SEARCH_DEVICE);
      ASSERT_TRUE(WaitFor([&] { return world.usb().RequestsInFlight() == 1; }, 30000)) << "the search is held";
      acted = world.scheduler().Now();
      c.act(tool.windows());
      EXPECT_LT(world.scheduler().Now() - acted, kServedWithinMs);
      EXPECT_TRUE(WaitFor([&] { return !tool.windows().IsOpen(); }, 60000));
    });
    // The held request was cancelled rather than waited out, and the window ended only after the search.
    EXPECT_LT(world.scheduler().Now() - acted, 60000u);
    EXPECT_LT(tool.windows().LongestUnservedMs(), kServedWithinMs);
    EXPECT_EQ(world.usb().OpenHandles(), 0u);
    EXPECT_EQ(world.usb().RequestsInFlight(), 0u);
    EXPECT_FALSE(world.IsNameInUse(kQuenbyLock, 1));
    EXPECT_EQ(Stisvc().startType, static_cast<DWORD>(SERVICE_AUTO_START));
    EXPECT_EQ(tool.OpenHandles(), 0u);
    world.usb().Detach(0);
  }
}

TEST_F(ResponsiveWindowTest, UpdateAndSearchDeviceDoNothingWhileASearchOrAnUpdateRuns) {
  struct Case {
    const char* what;
    int command;
    bool duringUpdate;  // else during a Search Device search
  };
  const Case cases[] = {
      {"Search Device during a search", IDC_SEARCH_DEVICE, false},
      {"Update during a search", IDC_UPDATE, false},
      {"Search Device during the burn", IDC_SEARCH_DEVICE, true},
      {"Update during the burn", IDC_UPDATE, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    emu::Scenario scenario;
    scenario.burnMs = 60000;
    Attach(scenario);
    Run([&](CFWUpdateDlg& dialog) {
      WaitForFirstSearch(dialog);
      ASSERT_TRUE(tool.windows().RowChecked(0));
      const std::wstring progress = Text(IDS_BURN_PROGRESS).substr(0, 10);
      if (c.duringUpdate) {
        Press(IDC_UPDATE);
        ASSERT_TRUE(WaitFor([&] { return tool.windows().ControlText(IDC_STATUS).rfind(progress, 0) == 0; }, 300000));
      } else {
        StallFromNowOn();
        Press(IDC_SEARCH_DEVICE);
        ASSERT_TRUE(WaitFor([&] { return world.usb().RequestsInFlight() == 1; }, 30000));
      }
      const size_t searches = Searches();
      const HANDLE updateThread = dialog.m_slots[0].hUpdateThread.Load();
      Press(c.command);
      EXPECT_NE(tool.windows().CellText(0, 1), L"") << "the status cell was cleared";
      Press(c.command);
      EXPECT_FALSE(tool.windows().IsEnabled(IDC_SEARCH_DEVICE));
      EXPECT_FALSE(tool.windows().IsEnabled(IDCANCEL));
      ASSERT_TRUE(WaitFor([&] { return tool.windows().IsEnabled(IDCANCEL); }, 2000000));
      world.scheduler().Sleep(5000);  // a command held back until the work ended has run by now
      // The running search reports once; no other search ran, during the work or after it.
      EXPECT_EQ(Searches(), searches + (c.duringUpdate ? 0 : 1));
      EXPECT_TRUE(tool.user().MessageBoxes().empty());
      EXPECT_EQ(dialog.m_slots[0].hUpdateThread.Load(), updateThread);
    });
    EXPECT_LT(tool.windows().LongestUnservedMs(), kServedWithinMs);
    EXPECT_EQ(Count(tool.console().Output(), L"[Update] VoskUpdate Thread return"), 0u);
    EXPECT_EQ(tool.OpenHandles(), 0u);
    world.usb().Detach(0);
  }
}

// The update thread's last steps race an Update posted at that moment: each step that other threads read is a
// switch point, and with every point switching out, each gap between them is met by the posted command.
TEST_F(ResponsiveWindowTest, AnUpdatePostedAsTheUpdateEndsNeverWaitsForAThreadWaitingForTheWindow) {
  Attach();
  world.scheduler().EnablePreemption(7, 1);
  Run([&](CFWUpdateDlg& dialog) {
    WaitForFirstSearch(dialog);
    Press(IDC_UPDATE);
    ASSERT_TRUE(WaitFor([&] { return dialog.m_slots[0].hUpdateThread.Load() != nullptr; }));
    ASSERT_TRUE(WaitFor([&] { return dialog.m_slots[0].bBusy.load() == 0; }, 2000000));
    tool.windows().PostCommand(IDC_UPDATE);
    world.scheduler().Sleep(5000);
    ASSERT_TRUE(WaitFor([&] { return dialog.m_slots[0].bBusy.load() == 0 && tool.windows().IsEnabled(IDCANCEL); },
                        2000000));
  });
  EXPECT_GT(world.scheduler().Preemptions(), 0u);
  EXPECT_LT(tool.windows().LongestUnservedMs(), kServedWithinMs);
  EXPECT_EQ(Count(tool.console().Output(), L"[Update] VoskUpdate Thread return wait time out!!\n"), 0u);
  EXPECT_EQ(tool.OpenHandles(), 0u);
}

}  // namespace
