// A thread handle that is being waited for stays in its member until the wait is over: whoever looks at the
// member meanwhile (the stop thread's own search asking whether the service is stopped) must still find the
// thread, or it starts another one that nobody waits for.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>

#include "res/resource.h"
#include "simhost/usbscan.h"
#include "support/scanner_fixture.h"

namespace {

using ThreadHandleWaitsTest = ScannerTest;

TEST_F(ThreadHandleWaitsTest, CloseDuringTheFirstSearchWhileAnotherProgramStartsTheServiceStartsNoSecondStopThread) {
  Attach();
  Run([&](CFWUpdateDlg&) {
    // The stop thread has stopped and disabled the service, and its search has opened the scanner.
    ASSERT_TRUE(WaitFor(
        [&] { return Stisvc().startType == SERVICE_DISABLED && world.usb().Count(simhost::UsbCall::Open) > 0; }, 70000));
    // Before the search asks about the service, another program starts it, and the user presses Close.
    Stisvc().startType = SERVICE_AUTO_START;
    Stisvc().state = SERVICE_RUNNING;
    tool.windows().PostCommand(IDCANCEL);
    ASSERT_TRUE(WaitFor([&] { return !tool.windows().IsOpen(); }, 400000));
  }, 300000);
  EXPECT_EQ(Count(tool.console().Output(), L"Closed WIA Start!!"), 1u);
  ExpectServiceGivenBack();
  EXPECT_EQ(tool.OpenHandles(), 0u);
}

DWORD WINAPI EndsAfterFiveSeconds(LPVOID parameter) {
  static_cast<simhost::Process*>(parameter)->host().time.Sleep(5000);
  return 0;
}

// Each wait in turn: the member keeps the handle while the wait goes on, and is empty once it is over.
TEST_F(ThreadHandleWaitsTest, AHandleStaysInItsMemberUntilItsWaitIsOver) {
  struct Case {
    const char* what;
    std::function<plat::ThreadSlot&(CFWUpdateDlg&)> member;
    int press;
  };
  const Case cases[] = {
      {"the cancel thread and the stop thread", [](CFWUpdateDlg& d) -> plat::ThreadSlot& { return d.m_hStopThread; },
       IDCANCEL},
      {"the cancel thread and an update thread",
       [](CFWUpdateDlg& d) -> plat::ThreadSlot& { return d.m_slots[0].hUpdateThread; }, IDCANCEL},
      {"the Update button and the earlier update thread",
       [](CFWUpdateDlg& d) -> plat::ThreadSlot& { return d.m_slots[0].hUpdateThread; }, IDC_UPDATE},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    simhost::Process copy(world);
    copy.services().Service(L"stisvc").stopTakesMs = 1000;
    {
      CFWUpdateDlg dialog(copy.host());
      bool heldDuringTheWait = false;
      bool emptiedAfter = false;
      world.scheduler().Spawn([&] {
        simhost::Scheduler& scheduler = world.scheduler();
        scheduler.BlockUntil([&] { return copy.windows().IsOpen(); }, simhost::kForever);
        scheduler.Sleep(70000);  // the first stop thread and its search are over
        const HANDLE thread = copy.host().kernel.CreateThread(nullptr, 0, &EndsAfterFiveSeconds, &copy, 0, nullptr);
        c.member(dialog).Reset(thread);  // a stop thread still held there is closed
        dialog.SetRowCheck(0, true);
        copy.windows().PostCommand(c.press);
        scheduler.Sleep(2000);
        heldDuringTheWait = c.member(dialog).Load() == thread;
        scheduler.Sleep(5000);
        emptiedAfter = c.member(dialog).Load() != thread;
        if (copy.windows().IsOpen() && dialog.m_hCancelThread.Load() == nullptr) {
          scheduler.BlockUntil([&] { return copy.windows().IsEnabled(IDCANCEL); }, scheduler.Now() + 3000000);
          copy.windows().PostCommand(IDCANCEL);
        }
      });
      dialog.DoModal();
      world.scheduler().Sleep(300000);
      EXPECT_TRUE(heldDuringTheWait);
      EXPECT_TRUE(emptiedAfter);
    }
    EXPECT_EQ(copy.OpenHandles(), 0u);
  }
}

}  // namespace
