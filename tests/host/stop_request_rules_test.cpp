// The imaging-service stop request when the stop thread's exit code cannot be read.
#include <gtest/gtest.h>

#include "res/resource.h"
#include "res/string_ids.h"
#include "support/window_fixture.h"

namespace {

class StopRequestRulesTest : public WindowTest {
 protected:
  simhost::SimService& Stisvc() { return tool.services().Service(L"stisvc"); }
};

// Whether the service is stopped or running again, an unreadable exit code is reported with 226 and the
// request refuses; the stop thread's handle is kept and no second stop thread is started.
TEST_F(StopRequestRulesTest, AnUnreadableExitCodeIsReportedAndRefused) {
  struct Case {
    const char* what;
    bool runningAgain;
  };
  for (const Case c : {Case{"service stopped", false}, Case{"service running again", true}}) {
    SCOPED_TRACE(c.what);
    Run([&](CFWUpdateDlg& dialog) {
      const HANDLE stop = dialog.m_hStopThread.Load();
      ASSERT_NE(stop, nullptr);
      ASSERT_EQ(tool.host().kernel.WaitForSingleObject(stop, 70000), static_cast<DWORD>(WAIT_OBJECT_0));
      if (c.runningAgain) {
        Stisvc().startType = SERVICE_AUTO_START;
        Stisvc().state = SERVICE_RUNNING;
      }
      const int stops = Stisvc().stopControls;
      tool.FailExitCodeQueries(1);
      EXPECT_FALSE(dialog.CheckWIAClosed(SearchOrigin::kOther, 2));
      EXPECT_EQ(tool.windows().ControlText(IDC_STATUS), Text(IDS_CLOSE_WIA_FAILED));
      EXPECT_EQ(dialog.m_hStopThread.Load(), stop);
      world.scheduler().Sleep(5000);
      EXPECT_EQ(Stisvc().stopControls, stops);
      // Readable again: the ended thread's handle is closed.
      EXPECT_EQ(dialog.CheckWIAClosed(SearchOrigin::kOther, 2) != FALSE, !c.runningAgain);
      EXPECT_NE(dialog.m_hStopThread.Load(), stop);
      if (const HANDLE next = dialog.m_hStopThread.Load()) tool.host().kernel.WaitForSingleObject(next, 70000);
    });
  }
}

}  // namespace
