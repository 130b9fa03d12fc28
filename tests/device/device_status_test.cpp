#include <gtest/gtest.h>

#include "res/resource.h"
#include "res/string_ids.h"
#include "support/scanner_fixture.h"

namespace {

const std::wstring kQuenby = L"Global\\KAVREL_QUENBY_SUBSCRIPTION_MUTEX_Scanner A";

class DeviceStatusTest : public ScannerTest {};

TEST_F(DeviceStatusTest, NoScannerShowsNoDevice) {
  Run([&](CFWUpdateDlg& dialog) {
    WaitForFirstSearch(dialog);
    EXPECT_EQ(dialog.GetDeviceStatus(SearchOrigin::kOther, 2), -1);
    EXPECT_EQ(tool.windows().ControlText(IDC_DEVICE_NAME), L"No Device");
    EXPECT_EQ(tool.windows().ControlText(IDC_INTERFACE), L"");
    EXPECT_EQ(tool.windows().ControlText(IDC_STATUS), L"Device Not Found!!  Please Check.");
    EXPECT_FALSE(tool.windows().IsEnabled(IDC_UPDATE));
    EXPECT_FALSE(tool.windows().RowChecked(0));
    EXPECT_EQ(Count(tool.console().Output(), L"[GetDeviceStatus]: Device not found...\n"), 2u);
  });
}

TEST_F(DeviceStatusTest, TheStateDecidesTextCheckMarkAndUpdateButton) {
  struct Case {
    const char* what;
    uint16_t bcdDevice;
    uint16_t fwInfo;
    uint32_t mainBoard;
    std::wstring name;
    UINT text;
    bool updatable;
    int result;
  };
  const std::wstring full = L"Kavrel Tessaline (KT-A4-0001)";  // the first 10 of "KT-A4-00012345"
  const Case cases[] = {
      {"ready, 0.60", 0x0100, 0, 60, full, IDS_READY, true, 0},
      {"ready, current", 0x0100, 0, 68, full, IDS_FIRMWARE_LATEST, false, 0},
      {"ready, newer than carried", 0x0100, 0, 70, full, IDS_READY, true, 0},
      {"recovery, current", 0x0100, 6, 68, full, IDS_RECOVERY_MODE, true, 6},
      {"busy", 0x0100, 4, 60, full, IDS_BUSY, false, 4},
      {"burning", 0x0100, 7, 60, full, IDS_FW_UPGRADE_WAIT, false, 7},
      {"unknown state", 0x0100, 0x8001, 60, full, IDS_STATUS_INCORRECT, false, 0x8001},
      {"direct path, ready, current", 1, 0, 68, L"Kavrel Tessaline ()", IDS_READY, true, 0},
      {"direct path, recovery", 1, 6, 60, L"Kavrel Tessaline ()", IDS_RECOVERY_MODE, true, 6},
  };
  Run([&](CFWUpdateDlg& dialog) {
    WaitForFirstSearch(dialog);
    for (const auto& c : cases) {
      emu::Scenario scenario;
      scenario.bcdDevice = c.bcdDevice;
      scenario.fwInfo = c.fwInfo;
      scenario.mainBoardVersion = c.mainBoard;
      Attach(scenario);
      world.usb().ClearLog();
      EXPECT_EQ(dialog.GetDeviceStatus(SearchOrigin::kOther, 2), c.result) << c.what;
      EXPECT_EQ(tool.windows().ControlText(IDC_DEVICE_NAME), c.name) << c.what;
      EXPECT_EQ(tool.windows().ControlText(IDC_INTERFACE), L"USB") << c.what;
      EXPECT_EQ(tool.windows().ControlText(IDC_STATUS), Text(c.text)) << c.what;
      EXPECT_EQ(tool.windows().CellText(0, 1), Text(c.text)) << c.what;
      EXPECT_EQ(tool.windows().RowChecked(0), c.updatable) << c.what;
      EXPECT_EQ(tool.windows().IsEnabled(IDC_UPDATE), c.updatable) << c.what;
      // The direct path sends the status command only; the standard path both reads.
      EXPECT_EQ(world.usb().Sizes(simhost::UsbCall::Write, 0).size(), c.bcdDevice == 1 ? 1u : 2u) << c.what;
    }
    EXPECT_EQ(Count(tool.console().Output(), L"[GetDeviceStatus]: Check device status incorrect (32769)...\n"), 1u);
    EXPECT_TRUE(world.IsNameInUse(kQuenby, 1));
  });
}

TEST_F(DeviceStatusTest, AFailedIdentificationReadIsATransactionFailure) {
  emu::Scenario scenario;
  Attach(scenario);
  Run([&](CFWUpdateDlg& dialog) {
    WaitForFirstSearch(dialog);
    emu::Scenario failing;
    failing.faults.stageFaults.push_back({.transaction = 1, .stage = emu::Stage::Reply, .kind = emu::FaultKind::NoReply});
    Attach(failing);
    EXPECT_EQ(dialog.GetDeviceStatus(SearchOrigin::kOther, 2), -1);
    EXPECT_EQ(tool.windows().ControlText(IDC_STATUS), Text(IDS_CHECK_STATUS_ERROR));
    EXPECT_EQ(tool.windows().ControlText(IDC_DEVICE_NAME), L"Kavrel Tessaline ()");
    EXPECT_FALSE(tool.windows().IsEnabled(IDC_UPDATE));
    EXPECT_TRUE(world.IsNameInUse(kQuenby, 1));  // a failed transaction leaves the lock held
  });
}

TEST_F(DeviceStatusTest, TheQuenbyApplicationInUseBlocksTheSearch) {
  Attach();
  simhost::Process quenby(world, {.modulePath = L"C:\\Quenby\\Quenby.exe"});
  quenby.host().kernel.CreateMutexW(nullptr, TRUE, kQuenby.c_str());
  Run([&](CFWUpdateDlg& dialog) {
    WaitForFirstSearch(dialog);
    EXPECT_EQ(tool.windows().ControlText(IDC_STATUS), Text(IDS_QUENBY_IN_USE));
    EXPECT_EQ(tool.windows().ControlText(IDC_DEVICE_NAME), L"Kavrel Tessaline ()");
    EXPECT_FALSE(tool.windows().IsEnabled(IDC_UPDATE));
    EXPECT_TRUE(dialog.m_hQuenbyMutex.IsEmpty());
  });
}

TEST_F(DeviceStatusTest, ASearchWhileTheServiceIsStoppingDefersToTheStopThread) {
  Attach();
  Stisvc().stopTakesMs = 8000;
  Run([&](CFWUpdateDlg& dialog) {
    world.scheduler().Sleep(1000);
    world.usb().ClearLog();
    Press(IDC_SEARCH_DEVICE);
    WaitFor([&] { return tool.windows().IsEnabled(IDC_SEARCH_DEVICE); });
    EXPECT_EQ(tool.windows().ControlText(IDC_STATUS), Text(IDS_CLOSE_WIA));
    EXPECT_EQ(world.usb().Count(simhost::UsbCall::Write), 0u);  // no command before the service is stopped
    WaitForFirstSearch(dialog);
    EXPECT_EQ(tool.windows().ControlText(IDC_STATUS), L"Ready");
    EXPECT_TRUE(tool.windows().IsEnabled(IDC_UPDATE));
  });
}

TEST_F(DeviceStatusTest, ABusySlotKeepsTheUpdateButtonOnSuccessButNotOnFailure) {
  Attach();
  Run([&](CFWUpdateDlg& dialog) {
    WaitForFirstSearch(dialog);
    dialog.EnableControl(IDC_UPDATE, false);
    dialog.m_slots[0].bBusy = 1;
    EXPECT_EQ(dialog.GetDeviceStatus(SearchOrigin::kOther, 2), 0);
    EXPECT_FALSE(tool.windows().IsEnabled(IDC_UPDATE));  // left as it was
    dialog.EnableControl(IDC_UPDATE, true);
    world.usb().Detach(0);
    EXPECT_EQ(dialog.GetDeviceStatus(SearchOrigin::kOther, 2), -1);
    EXPECT_FALSE(tool.windows().IsEnabled(IDC_UPDATE));
    dialog.m_slots[0].bBusy = 0;
  });
}

TEST_F(DeviceStatusTest, CloseDuringTheStopMeansNoSearch) {
  Attach();
  Stisvc().stopTakesMs = 8000;
  Run([&](CFWUpdateDlg&) {
    world.scheduler().Sleep(1000);
    world.usb().ClearLog();
    Press(IDCANCEL);
    WaitFor([&] { return !tool.windows().IsOpen(); }, 200000);
  });
  EXPECT_EQ(world.usb().Count(simhost::UsbCall::Open), 0u);
  ExpectServiceGivenBack();
}

}  // namespace
