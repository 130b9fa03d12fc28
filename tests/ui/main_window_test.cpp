#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/string_table.h"
#include "res/resource.h"
#include "res/string_ids.h"
#include "support/window_fixture.h"

namespace {

using MainWindowTest = WindowTest;

TEST_F(MainWindowTest, OpensWithItsTextsVersionAndStates) {
  Run([&](CFWUpdateDlg& dialog) {
    simhost::Windows& w = tool.windows();
    EXPECT_EQ(w.Caption(), L"Firmware Update Tool");
    EXPECT_EQ(w.ControlText(IDC_TITLE), L"Firmware Update Tool [Ver: 0.0.68.0]");
    EXPECT_EQ(w.ControlText(IDC_STATUS), L"Device Not Found!!  Please Check.");
    EXPECT_EQ(w.ControlText(IDC_DEVICE_NAME), L"No Device");
    EXPECT_EQ(w.ControlText(IDC_INTERFACE), L"");
    EXPECT_EQ(w.ControlText(IDC_DEVICE_NAME_LABEL), L"Device Name:");
    EXPECT_EQ(w.ControlText(IDC_SEARCH_DEVICE), L"Search Device");
    EXPECT_EQ(w.ControlText(IDCANCEL), L"Close");
    EXPECT_TRUE(w.IsEnabled(IDC_SEARCH_DEVICE));
    EXPECT_FALSE(w.IsEnabled(IDC_UPDATE));
    EXPECT_TRUE(w.IsEnabled(IDCANCEL));
    EXPECT_EQ(w.List().columns, (std::vector<std::wstring>{L"DESTINATION", L"STATUS"}));
    EXPECT_EQ(w.List().columnWidths, (std::vector<int>{120, 600}));
    EXPECT_EQ(w.List().extendedStyle, 0x25u);
    EXPECT_EQ(w.List().rows.size(), 1u);
    EXPECT_EQ(w.CellText(0, 0), L"USB");
    EXPECT_FALSE(w.RowChecked(0));
    EXPECT_EQ(dialog.m_nRowCount, 1);
    EXPECT_NE(w.BigIcon(), nullptr);
    EXPECT_EQ(w.BigIcon(), w.SmallIcon());
    EXPECT_NE(dialog.m_hStopThread.Load(), nullptr);  // started when the window opened
  });
}

TEST_F(MainWindowTest, FollowsTheConfiguredLanguageButNotInTheVersion) {
  world.WriteTextFile(L"C:\\Tools\\FWUpdate\\Settings.ini", L"[Development]\nLANG_ID=1031\n");
  tool.host().language.SetThreadUILanguage(1031);
  Run([&](CFWUpdateDlg&) {
    simhost::Windows& w = tool.windows();
    EXPECT_EQ(w.Caption(), Text(IDS_APP_TITLE, 0x0007));
    EXPECT_NE(w.Caption(), L"Firmware Update Tool");
    EXPECT_EQ(w.ControlText(IDC_STATUS), Text(IDS_DEVICE_NOT_FOUND, 0x0007));
    EXPECT_NE(w.ControlText(IDC_TITLE).find(L"0.0.68.0"), std::wstring::npos) << testing::PrintToString(w.ControlText(IDC_TITLE));
  });
}

TEST_F(MainWindowTest, WithoutVersionInformationTheVersionIsEmpty) {
  tool.resources().RemoveVersionInfo();
  Run([&](CFWUpdateDlg&) { EXPECT_EQ(tool.windows().ControlText(IDC_TITLE), L"Firmware Update Tool [Ver: ]"); });
}

TEST_F(MainWindowTest, DevelopmentRowsGoBelowTheUsbRow) {
  world.WriteTextFile(L"C:\\Tools\\FWUpdate\\Settings.ini", L"[Development]\nSHOW_ALL_STRING=9999\n");
  Run([&](CFWUpdateDlg& dialog) {
    simhost::Windows& w = tool.windows();
    ASSERT_EQ(w.List().rows.size(), 27u);
    EXPECT_EQ(w.CellText(0, 0), L"USB");
    for (int row = 1; row < 27; ++row) EXPECT_EQ(w.CellText(row, 0), L"IP") << row;
    EXPECT_EQ(dialog.m_nRowCount, 1);
  });
}

TEST_F(MainWindowTest, UpdateWithoutTheCheckMarkIsRefused) {
  Run([&](CFWUpdateDlg& dialog) {
    Press(IDC_UPDATE);
    ASSERT_EQ(tool.user().MessageBoxes().size(), 1u);
    EXPECT_EQ(tool.user().MessageBoxes()[0].text, L"Device Not Found!!  Please Check.");
    EXPECT_EQ(tool.user().MessageBoxes()[0].caption, L"FWUpdate");
    EXPECT_TRUE(tool.windows().IsEnabled(IDC_SEARCH_DEVICE));
    EXPECT_TRUE(tool.windows().IsEnabled(IDCANCEL));
    EXPECT_FALSE(tool.windows().IsEnabled(IDC_UPDATE));
    EXPECT_EQ(dialog.m_slots[0].hUpdateThread.Load(), nullptr);
  });
}

TEST_F(MainWindowTest, AnUpdateCommandWhileTheSlotIsBusyEndsWithoutEffect) {
  Run([&](CFWUpdateDlg& dialog) {
    dialog.SetRowCheck(0, true);
    dialog.m_slots[0].bBusy = 1;
    dialog.SetCellText(0, 1, L"what the update shows");
    const std::wstring cell = tool.windows().CellText(0, 1);
    const size_t handles = tool.OpenHandles();
    Press(IDC_UPDATE);
    EXPECT_EQ(tool.OpenHandles(), handles);  // no update thread
    EXPECT_EQ(dialog.m_slots[0].hUpdateThread.Load(), nullptr);
    // Nothing at all: the buttons stay as the running update keeps them (here, as they were).
    EXPECT_TRUE(tool.windows().IsEnabled(IDC_SEARCH_DEVICE));
    EXPECT_TRUE(tool.windows().IsEnabled(IDCANCEL));
    EXPECT_EQ(tool.windows().CellText(0, 1), cell);
    EXPECT_TRUE(tool.user().MessageBoxes().empty());
    dialog.m_slots[0].bBusy = 0;
  });
}

TEST_F(MainWindowTest, UpdateStartsOneThreadThatGivesTheButtonsBack) {
  Run([&](CFWUpdateDlg& dialog) {
    // After the first search (it finds no scanner and clears the check mark), as if it had found one.
    tool.host().kernel.WaitForSingleObject(dialog.m_hStopThread.Load(), 300000);
    dialog.SetRowCheck(0, true);
    Press(IDC_UPDATE);
    const HANDLE first = dialog.m_slots[0].hUpdateThread.Load();
    ASSERT_NE(first, nullptr);
    EXPECT_NE(dialog.m_dwUpdateThreadId.load(), 0u);
    tool.host().kernel.WaitForSingleObject(first, 300000);
    EXPECT_EQ(dialog.m_slots[0].bBusy.load(), 0);
    EXPECT_TRUE(tool.windows().IsEnabled(IDC_SEARCH_DEVICE));
    EXPECT_FALSE(tool.windows().IsEnabled(IDC_UPDATE));
    // The next update closes the ended thread's handle before it starts its own.
    const size_t handles = tool.OpenHandles();
    dialog.SetRowCheck(0, true);
    Press(IDC_UPDATE);
    EXPECT_TRUE(tool.user().MessageBoxes().empty());
    EXPECT_NE(dialog.m_slots[0].hUpdateThread.Load(), first);
    EXPECT_EQ(tool.OpenHandles(), handles);
    EXPECT_EQ(Count(tool.console().Output(), L"wait time out"), 0u);
  });
}

TEST_F(MainWindowTest, AnUpdateThreadThatCannotBeCreatedGivesTheWindowBack) {
  Run([&](CFWUpdateDlg& dialog) {
    dialog.SetRowCheck(0, true);
    tool.FailThreadCreations(1);
    Press(IDC_UPDATE);
    EXPECT_EQ(dialog.m_slots[0].hUpdateThread.Load(), nullptr);
    EXPECT_EQ(dialog.m_slots[0].bBusy.load(), 0);
    EXPECT_TRUE(tool.windows().IsEnabled(IDC_SEARCH_DEVICE));
    EXPECT_TRUE(tool.windows().IsEnabled(IDCANCEL));
    tool.FailThreadCreations(1);
    Press(IDCANCEL);
    EXPECT_TRUE(tool.windows().IsOpen());
    EXPECT_TRUE(tool.windows().IsEnabled(IDCANCEL));  // Close can be pressed again
    Press(IDCANCEL);
    EXPECT_TRUE(WaitFor([&] { return !tool.windows().IsOpen(); }));
  });
}

DWORD WINAPI NeverEnds(LPVOID parameter) {
  static_cast<simhost::Process*>(parameter)->host().time.Sleep(INFINITE);
  return 0;
}

TEST_F(MainWindowTest, AnEarlierThreadThatNeverEndsIsWaitedForAHundredSeconds) {
  Run([&](CFWUpdateDlg& dialog) {
    dialog.m_slots[0].hUpdateThread.Reset(tool.host().kernel.CreateThread(nullptr, 0, &NeverEnds, &tool, 0, nullptr));
    dialog.SetRowCheck(0, true);
    const uint64_t start = world.scheduler().Now();
    tool.windows().PostCommand(IDC_UPDATE);
    ASSERT_TRUE(WaitFor([&] { return dialog.m_slots[0].bBusy.load() == 0 && dialog.m_dwUpdateThreadId.load() != 0; },
                        200000));
    EXPECT_GE(world.scheduler().Now() - start, 100000u);
    EXPECT_EQ(Count(tool.console().Output(), L"[Update] VoskUpdate Thread return wait time out!!\n"), 100u);
  });
  EXPECT_EQ(tool.OpenHandles(), 0u);  // the window closes what its threads left behind
}

TEST_F(MainWindowTest, AWorkersCallWaitsWhileTheWindowsThreadIsBlocked) {
  Run([&](CFWUpdateDlg& dialog) {
    dialog.m_slots[0].hUpdateThread.Reset(tool.host().kernel.CreateThread(nullptr, 0, &NeverEnds, &tool, 0, nullptr));
    dialog.SetRowCheck(0, true);
    tool.windows().PostCommand(IDC_UPDATE);  // the window's thread now waits up to 100 s
    world.scheduler().Sleep(5000);
    bool applied = false;
    world.scheduler().Spawn([&] {
      dialog.SetStatusText(L"from a worker");
      applied = true;
    });
    world.scheduler().Sleep(10000);
    EXPECT_FALSE(applied);
    EXPECT_NE(tool.windows().ControlText(IDC_STATUS), L"from a worker");
    ASSERT_TRUE(WaitFor([&] { return applied; }, 200000));
    EXPECT_EQ(tool.windows().ControlText(IDC_STATUS), L"from a worker");
    EXPECT_GE(world.scheduler().Now(), 100000u);
  });
}

TEST_F(MainWindowTest, CloseStartsOneCancelThreadAndEnterDoesNothing) {
  Run([&](CFWUpdateDlg& dialog) {
    Press(IDOK);  // Enter
    EXPECT_TRUE(tool.windows().IsOpen());
    EXPECT_TRUE(tool.windows().IsEnabled(IDC_SEARCH_DEVICE));
    tool.windows().PostCommand(IDCANCEL);  // Close, or Escape
    tool.windows().PostCommand(IDCANCEL);
    WaitFor([&] { return !tool.windows().IsOpen(); });
    EXPECT_NE(dialog.m_hCancelThread.Load(), nullptr);
  });
  EXPECT_EQ(Count(tool.console().Output(), L"[Cancel Button] Create Cancel Thread...\n"), 1u);
  EXPECT_FALSE(tool.windows().IsOpen());
}

TEST_F(MainWindowTest, TheListChangeNotificationChangesNothing) {
  Run([&](CFWUpdateDlg&) {
    NMHDR header{nullptr, IDC_DEVICE_LIST, LVN_ITEMCHANGED};
    tool.windows().PostDialogMessage(WM_NOTIFY, IDC_DEVICE_LIST, reinterpret_cast<LPARAM>(&header));
    WaitFor([&] { return tool.windows().QueuedCalls() == 0; });
    world.scheduler().Sleep(1);
    EXPECT_EQ(tool.windows().MessageResult(), 0);
    EXPECT_EQ(tool.windows().List().rows.size(), 1u);
  });
}

TEST_F(MainWindowTest, AMinimizedWindowDrawsItsIconCentred) {
  Run([&](CFWUpdateDlg&) {
    tool.windows().SetIconic(true);
    tool.windows().PostDialogMessage(WM_PAINT, 0, 0);
    WaitFor([&] { return tool.windows().QueuedCalls() == 0; });
    world.scheduler().Sleep(1);
    EXPECT_EQ(tool.windows().LastIconDrawnAt().x, (160 - 32 + 1) / 2);
    EXPECT_EQ(tool.windows().LastIconDrawnAt().y, (28 - 32 + 1) / 2);
  });
}

}  // namespace
