// Escape, a WM_CLOSE, or any program posting command 2 reaches the Close handler whatever the Close button's
// state. While an update runs it must do nothing: the update ends with its verdict, and then Close works.
// Once Close has been accepted, an Update or Search Device command posted to the window does nothing either.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "res/resource.h"
#include "res/string_ids.h"
#include "support/scanner_fixture.h"

namespace {

using CloseWhileBusyTest = ScannerTest;

TEST_F(CloseWhileBusyTest, CloseDuringAnUpdateIsRefusedAndTheUpdateEndsWithItsVerdict) {
  struct Case {
    const char* what;
    std::function<void(simhost::Windows&)> send;
    UINT duringText;  // the text showing when it is sent; 0: the burn's progress
  };
  const Case cases[] = {
      {"Escape or command 2 during the burn", [](simhost::Windows& w) { w.PostCommand(IDCANCEL); }, 0},
      {"WM_CLOSE during the burn", [](simhost::Windows& w) { w.PostDialogMessage(WM_CLOSE, 0, 0); }, 0},
      {"Escape or command 2 while the power-off is awaited", [](simhost::Windows& w) { w.PostCommand(IDCANCEL); },
       IDS_CHECK_POWER_OFF},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    emu::Scenario scenario;
    scenario.burnMs = 150000;  // longer than the cancel thread would wait for the update thread
    Attach(scenario);
    const size_t consoleFrom = tool.console().Output().size();
    const std::wstring progress = Text(IDS_BURN_PROGRESS).substr(0, 10);
    std::wstring verdict;
    bool closeEnabledAfter = false;
    Run([&](CFWUpdateDlg& dialog) {
      WaitForFirstSearch(dialog);
      Press(IDC_UPDATE);
      ASSERT_TRUE(WaitFor([&] {
        const std::wstring shown = tool.windows().ControlText(IDC_STATUS);
        return c.duringText != 0 ? shown == Text(c.duringText) : shown.rfind(progress, 0) == 0;
      }, 300000));
      c.send(tool.windows());
      c.send(tool.windows());
      ASSERT_TRUE(WaitFor([&] { return dialog.m_slots[0].bBusy.load() == 0; }, 2000000));
      ASSERT_TRUE(WaitFor([&] { return tool.windows().IsEnabled(IDCANCEL); }));
      verdict = tool.windows().ControlText(IDC_STATUS);
      closeEnabledAfter = tool.windows().IsEnabled(IDCANCEL);
      EXPECT_EQ(dialog.m_hCancelThread.Load(), nullptr);
      EXPECT_TRUE(tool.windows().IsOpen());
      Press(IDCANCEL);
      EXPECT_TRUE(WaitFor([&] { return !tool.windows().IsOpen(); }, 200000));
    }, 300000);
    EXPECT_EQ(verdict, Text(IDS_UPDATE_SUCCEED));
    EXPECT_TRUE(closeEnabledAfter);
    EXPECT_EQ(Count(tool.console().Output().substr(consoleFrom), L"[Cancel Button] Create Cancel Thread...\n"), 1u);
    ExpectServiceGivenBack();
    EXPECT_EQ(tool.OpenHandles(), 0u);
    world.usb().Detach(0);
  }
}

TEST_F(CloseWhileBusyTest, OnceClosingUpdateAndSearchDeviceCommandsDoNothing) {
  Attach();
  Stisvc().stopTakesMs = 30000;  // the cancel thread waits for the stop thread meanwhile
  Run([&](CFWUpdateDlg& dialog) {
    world.scheduler().Sleep(2000);
    dialog.SetRowCheck(0, true);
    Press(IDCANCEL);
    ASSERT_NE(dialog.m_hCancelThread.Load(), nullptr);
    const size_t opens = world.usb().Count(simhost::UsbCall::Open);
    tool.windows().PostCommand(IDC_UPDATE);
    tool.windows().PostCommand(IDC_SEARCH_DEVICE);
    WaitFor([&] { return tool.windows().QueuedCalls() == 0; });
    world.scheduler().Sleep(1000);
    EXPECT_EQ(dialog.m_slots[0].hUpdateThread.Load(), nullptr);
    EXPECT_EQ(dialog.m_slots[0].bBusy.load(), 0);
    EXPECT_EQ(world.usb().Count(simhost::UsbCall::Open), opens);  // no search probed the scanner
    EXPECT_TRUE(tool.user().MessageBoxes().empty());
    ASSERT_TRUE(WaitFor([&] { return !tool.windows().IsOpen(); }, 400000));
  }, 300000);
  EXPECT_EQ(Count(tool.console().Output(), L"Closed WIA Start!!"), 1u);
  ExpectServiceGivenBack();
  EXPECT_EQ(tool.OpenHandles(), 0u);
}

}  // namespace
