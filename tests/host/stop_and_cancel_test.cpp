#include <gtest/gtest.h>

#include "res/resource.h"
#include "res/string_ids.h"
#include "support/window_fixture.h"

namespace {

class StopAndCancelTest : public WindowTest {
 protected:
  simhost::SimService& Stisvc() { return tool.services().Service(L"stisvc"); }
  bool StopThreadEnded(CFWUpdateDlg& dialog) {
    const HANDLE thread = dialog.m_hStopThread.Load();
    DWORD code = 0;
    return thread != nullptr && tool.host().kernel.GetExitCodeThread(thread, &code) && code != STILL_ACTIVE;
  }
};

TEST_F(StopAndCancelTest, TheWindowStopsAndDisablesTheServiceWhenItOpens) {
  Stisvc().stopTakesMs = 2000;
  Run([&](CFWUpdateDlg& dialog) {
    EXPECT_NE(tool.windows().ControlText(IDC_STATUS), Text(IDS_CLOSE_WIA));  // the window starts the thread itself
    ASSERT_TRUE(WaitFor([&] { return StopThreadEnded(dialog); }, 70000));
    EXPECT_EQ(Stisvc().state, static_cast<DWORD>(SERVICE_STOPPED));
    EXPECT_EQ(Stisvc().startType, static_cast<DWORD>(SERVICE_DISABLED));
    EXPECT_EQ(Count(tool.console().Output(), L"[Thread][Create Event 1] Closed WIA Start!!\n"), 1u);
    EXPECT_EQ(Count(tool.console().Output(), L"[Thread][Create Event 1] Closed WIA finish!!\n"), 1u);
  });
}

TEST_F(StopAndCancelTest, AServiceThatNeverStopsShowsTheFailureAfterSixtySeconds) {
  Stisvc().stopTakesMs.reset();
  Run([&](CFWUpdateDlg& dialog) {
    ASSERT_TRUE(WaitFor([&] { return StopThreadEnded(dialog); }, 70000));
    EXPECT_GE(world.scheduler().Now(), 60000u);
    EXPECT_EQ(tool.windows().ControlText(IDC_STATUS), Text(IDS_CLOSE_WIA_FAILED));
    EXPECT_EQ(Stisvc().startType, static_cast<DWORD>(SERVICE_DISABLED));
  });
}

TEST_F(StopAndCancelTest, TheStopRequestTellsWhetherTheServiceIsStopped) {
  Stisvc().stopTakesMs = 5000;
  Run([&](CFWUpdateDlg& dialog) {
    // The stop thread is still stopping the service.
    EXPECT_FALSE(dialog.CheckWIAClosed(SearchOrigin::kOther, 2));
    EXPECT_EQ(tool.windows().ControlText(IDC_STATUS), Text(IDS_CLOSE_WIA));
    ASSERT_TRUE(WaitFor([&] { return StopThreadEnded(dialog); }, 70000));
    // Stopped and disabled, the ended thread's handle is closed.
    const size_t handles = tool.OpenHandles();
    EXPECT_TRUE(dialog.CheckWIAClosed(SearchOrigin::kOther, 2));
    EXPECT_EQ(dialog.m_hStopThread.Load(), nullptr);
    EXPECT_EQ(tool.OpenHandles(), handles - 1);
    // Another program enables and starts it again: a new stop thread.
    Stisvc().startType = SERVICE_AUTO_START;
    Stisvc().state = SERVICE_RUNNING;
    EXPECT_FALSE(dialog.CheckWIAClosed(SearchOrigin::kOther, 2));
    EXPECT_EQ(tool.windows().ControlText(IDC_STATUS), Text(IDS_CLOSE_WIA));
    EXPECT_NE(dialog.m_hStopThread.Load(), nullptr);
    ASSERT_TRUE(WaitFor([&] { return StopThreadEnded(dialog); }, 70000));
    EXPECT_EQ(Count(tool.console().Output(), L"[Thread][Create Event 2] Closed WIA finish!!\n"), 1u);
    EXPECT_EQ(Stisvc().state, static_cast<DWORD>(SERVICE_STOPPED));
  });
}

TEST_F(StopAndCancelTest, CloseWaitsForTheStopThreadThenGivesTheServiceBack) {
  Stisvc().stopTakesMs = 9000;
  Stisvc().startType = SERVICE_DEMAND_START;
  HANDLE quenby = nullptr;
  Run([&](CFWUpdateDlg& dialog) {
    quenby = tool.host().kernel.CreateMutexW(nullptr, TRUE, L"Global\\KAVREL_QUENBY_SUBSCRIPTION_MUTEX_Scanner A");
    dialog.m_hQuenbyMutex.Reset(quenby);  // as a search would have left it
    Press(IDCANCEL);
    ASSERT_TRUE(WaitFor([&] { return !tool.windows().IsOpen(); }, 70000));
  });
  const size_t waits = Count(tool.console().Output(), L"[Cancel Thread] Closed WIA Thread return wait time out!!\n");
  EXPECT_GE(waits, 3u);  // one per two seconds of the nine-second stop
  EXPECT_LE(waits, 5u);
  EXPECT_EQ(Count(tool.console().Output(), L"[Cancel Thread] Closed WIA Thread return TRUE!!\n"), 1u);
  EXPECT_EQ(Stisvc().startType, static_cast<DWORD>(SERVICE_AUTO_START));
  EXPECT_EQ(Stisvc().state, static_cast<DWORD>(SERVICE_RUNNING));
  EXPECT_EQ(Stisvc().startRequests, 1);
  EXPECT_FALSE(world.IsNameInUse(L"Global\\KAVREL_QUENBY_SUBSCRIPTION_MUTEX_Scanner A", 1));
  EXPECT_EQ(tool.OpenHandles(), 0u);
  EXPECT_EQ(tool.services().OpenHandles(), 0u);
}

TEST_F(StopAndCancelTest, AStopStillUnderWayWhenTheWindowClosesIsAwaitedThenTheServiceStarted) {
  Stisvc().stopTakesMs = 80000;  // longer than the stop thread's 60000 ms
  Run([&](CFWUpdateDlg& dialog) {
    ASSERT_TRUE(WaitFor([&] { return StopThreadEnded(dialog); }, 70000));
    EXPECT_EQ(tool.windows().ControlText(IDC_STATUS), Text(IDS_CLOSE_WIA_FAILED));
    EXPECT_EQ(Stisvc().state, static_cast<DWORD>(SERVICE_STOP_PENDING));
    Press(IDCANCEL);
    ASSERT_TRUE(WaitFor([&] { return !tool.windows().IsOpen(); }, 200000));
  });
  EXPECT_EQ(Stisvc().state, static_cast<DWORD>(SERVICE_RUNNING));
  EXPECT_EQ(Stisvc().startType, static_cast<DWORD>(SERVICE_AUTO_START));
  EXPECT_EQ(Stisvc().startRequests, 1);
}

TEST_F(StopAndCancelTest, CloseWithTheServiceRunningStartsNothing) {
  Stisvc().stopTakesMs.reset();  // the stop never ends: the service stays "stop pending", disabled
  Run([&](CFWUpdateDlg& dialog) {
    ASSERT_TRUE(WaitFor([&] { return StopThreadEnded(dialog); }, 70000));
    const uint64_t pressed = world.scheduler().Now();
    Press(IDCANCEL);
    // The pending stop is given as long as a stop may take, then the window closes all the same.
    ASSERT_TRUE(WaitFor([&] { return !tool.windows().IsOpen(); }, 70000));
    EXPECT_GE(world.scheduler().Now() - pressed, 60000u);
  });
  EXPECT_EQ(Stisvc().startRequests, 0);
  EXPECT_EQ(Stisvc().startType, static_cast<DWORD>(SERVICE_AUTO_START));
  EXPECT_EQ(tool.windows().TextHistory(IDC_STATUS).back(), Text(IDS_START_WIA));
}

TEST_F(StopAndCancelTest, AServiceThatCannotStartIsReportedAndTheWindowStillCloses) {
  struct Case {
    const char* what;
    std::function<void(simhost::SimService&)> arrange;
  };
  const Case cases[] = {
      {"the start is refused", [](simhost::SimService& s) { s.startError = ERROR_ACCESS_DENIED; }},
      {"the start never completes", [](simhost::SimService& s) { s.startTakesMs.reset(); }},
      {"the start type cannot be changed", [](simhost::SimService& s) { s.changeConfigError = ERROR_ACCESS_DENIED; }},
  };
  for (const auto& c : cases) {
    simhost::Process copy(world);
    copy.services().Service(L"stisvc").stopTakesMs = 1000;
    {
      CFWUpdateDlg dialog(copy.host());
      world.scheduler().Spawn([&] {
        world.scheduler().BlockUntil([&] { return copy.windows().IsOpen(); }, simhost::kForever);
        world.scheduler().Sleep(5000);
        c.arrange(copy.services().Service(L"stisvc"));
        copy.windows().PostCommand(IDCANCEL);
      });
      EXPECT_EQ(dialog.DoModal(), IDCANCEL) << c.what;
    }
    const auto& shown = copy.windows().TextHistory(IDC_STATUS);
    ASSERT_GE(shown.size(), 2u) << c.what;
    EXPECT_EQ(shown[shown.size() - 2], Text(IDS_START_WIA)) << c.what;
    EXPECT_EQ(shown.back(), Text(IDS_START_WIA_FAILED)) << c.what;
    EXPECT_EQ(copy.OpenHandles(), 0u) << c.what;
    EXPECT_EQ(copy.services().OpenHandles(), 0u) << c.what;
  }
}

}  // namespace
