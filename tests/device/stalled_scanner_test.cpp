// What the user sees of a scanner that stops answering. The device is opened without FILE_FLAG_OVERLAPPED, so
// a request it does not answer holds the calling thread until usbscan's own time-out (120 s by default) fails
// it; the tool's 1000 ms wait is never reached on such a handle.
#include <gtest/gtest.h>

#include "app/text_format.h"
#include "res/resource.h"
#include "res/string_ids.h"
#include "support/scanner_fixture.h"

namespace {

class StalledScannerTest : public ScannerTest {
 protected:
  // A scanner that answers the first search, then one that does not answer the reply of its first transaction.
  void StallFromNowOn() {
    emu::Scenario stalling;
    stalling.faults.stageFaults.push_back(
        {.transaction = 1, .stage = emu::Stage::Reply, .kind = emu::FaultKind::NoReply});
    Attach(stalling);
  }
};

TEST_F(StalledScannerTest, SearchDeviceWaitsTheDriversTimeOutWithItsButtonsDisabledThenShowsTheFailure) {
  const struct {
    const char* name;
    uint64_t driverTimeoutMs;
  } cases[] = {{"usbscan's default", simhost::kUsbscanDefaultTimeoutMs}, {"a driver set to 30 s", 30000}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Attach();
    world.usb().SetDriverTimeoutMs(c.driverTimeoutMs);
    Run([&](CFWUpdateDlg& dialog) {
      WaitForFirstSearch(dialog);
      ASSERT_EQ(tool.windows().ControlText(IDC_STATUS), Text(IDS_READY));
      StallFromNowOn();
      const uint64_t pressed = world.scheduler().Now();
      tool.windows().PostCommand(IDC_SEARCH_DEVICE);
      // Half-way the search is still held: nothing it shows has changed, Search is disabled.
      world.scheduler().Sleep(c.driverTimeoutMs / 2);
      EXPECT_FALSE(tool.windows().IsEnabled(IDC_SEARCH_DEVICE));
      EXPECT_NE(tool.windows().ControlText(IDC_STATUS), Text(IDS_CHECK_STATUS_ERROR));
      ASSERT_TRUE(WaitFor([&] { return tool.windows().IsEnabled(IDC_SEARCH_DEVICE); }, c.driverTimeoutMs));
      EXPECT_GE(world.scheduler().Now() - pressed, c.driverTimeoutMs);
      EXPECT_EQ(tool.windows().ControlText(IDC_STATUS), Text(IDS_CHECK_STATUS_ERROR));
      EXPECT_FALSE(tool.windows().IsEnabled(IDC_UPDATE));
      EXPECT_FALSE(tool.windows().RowChecked(0));
      EXPECT_EQ(world.usb().OpenHandles(), 0u);
    });
    EXPECT_NE(tool.console().Output().find(L"ReadFile failed with error (121)\n"), std::wstring::npos);
  }
}

TEST_F(StalledScannerTest, AnUpdateWhoseTransactionGetsNoAnswerFailsAfterTheDriversTimeOut) {
  Attach();
  Run([&](CFWUpdateDlg& dialog) {
    WaitForFirstSearch(dialog);
    StallFromNowOn();  // the update's device information read is its first transaction
    const uint64_t pressed = world.scheduler().Now();
    UpdateAndWait(dialog);
    EXPECT_GE(world.scheduler().Now() - pressed, simhost::kUsbscanDefaultTimeoutMs);
    EXPECT_LT(world.scheduler().Now() - pressed, simhost::kUsbscanDefaultTimeoutMs + 10000);
    EXPECT_EQ(tool.windows().ControlText(IDC_STATUS),
              text::Format(Text(IDS_UPDATE_FAILED), Text(IDS_CHECK_STATUS_ERROR)));
    ExpectServiceGivenBack();
    EXPECT_FALSE(world.IsNameInUse(L"Global\\KAVREL_SCAN_EXT_APP_MUTEX_Scanner A", 1));
    EXPECT_EQ(world.usb().OpenHandles(), 0u);
  });
  EXPECT_EQ(tool.OpenHandles(), 0u);
}

TEST_F(StalledScannerTest, CloseDuringAHeldSearchEndsTheWindowOnlyAfterTheSearchHasEnded) {
  // Every request from the first on goes unanswered: the start-up search is held 120 s per request, longer
  // than the cancel thread's 100 steps. The window must not end under the stop thread.
  emu::Scenario stalling;
  stalling.faults.stageFaults.push_back(
      {.transaction = 1, .count = 0, .stage = emu::Stage::Reply, .kind = emu::FaultKind::NoReply});
  Attach(stalling);
  Run([&](CFWUpdateDlg&) {
    ASSERT_TRUE(WaitFor([&] { return world.usb().OpenHandles() == 1; }, 30000)) << "the search is under way";
    ASSERT_TRUE(WaitFor([&] { return tool.windows().IsEnabled(IDCANCEL); }, 10000));
    tool.windows().PostCommand(IDCANCEL);
  });
  const uint64_t ended = world.scheduler().Now();  // the window has ended
  EXPECT_EQ(world.usb().OpenHandles(), 0u) << "the stop thread still had the scanner open when the window ended";
  EXPECT_EQ(world.usb().RequestsInFlight(), 0u);
  EXPECT_EQ(tool.OpenHandles(), 0u);
  EXPECT_NE(tool.console().Output().find(L"[Cancel Thread] Closed WIA Thread is held by the device"),
            std::wstring::npos);
  EXPECT_LT(ended, 230000u) << "its held request was cancelled rather than waited out (241 s)";
  EXPECT_EQ(Stisvc().startType, static_cast<DWORD>(SERVICE_AUTO_START));
}

}  // namespace
