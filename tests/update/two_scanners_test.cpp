// A second scanner on the bus: the update refuses to begin, and one plugged in while it runs is never taken for
// the scanner being updated, neither by the power waits nor by the ready wait or the read-back.
#include <gtest/gtest.h>

#include <functional>

#include "support/update_fixture.h"

namespace {

class TwoScannersUpdateTest : public UpdateFixture {
 protected:
  // The other scanner's identification differs from the first's.
  static emu::Scenario Other(uint32_t mainBoard = 60) {
    emu::Scenario scenario;
    scenario.identification = {'K', 'T', '-', 'A', '4', '-', '0', '0', '0', '9', '8', '7', '6', '5'};
    scenario.mainBoardVersion = mainBoard;
    scenario.mainBoardVersionAfter = mainBoard;
    return scenario;
  }
  // Updates once; plug (on the user's thread, once the update thread runs) may plug the other scanner in.
  void UpdateWith(const std::function<void(CFWUpdateDlg&)>& beforeUpdate, const std::function<void()>& plug) {
    Run([&](CFWUpdateDlg& dialog) {
      WaitForFirstSearch(dialog);
      if (beforeUpdate) beforeUpdate(dialog);
      dialog.SetRowCheck(0, true);
      UpdateAndWait(dialog, 3000000, plug);
      verdict = tool.windows().ControlText(IDC_STATUS);
      checked = tool.windows().RowChecked(0);
      exitCode = 0xDEAD;
      tool.host().kernel.GetExitCodeThread(dialog.m_slots[0].hUpdateThread.Load(), &exitCode);
      Press(IDCANCEL);
      WaitFor([&] { return !tool.windows().IsOpen(); }, 300000);
    });
  }
  void WaitForPhase(emu::TessalineDevice& scanner, emu::LifePhase phase) {
    ASSERT_TRUE(WaitFor([&] { return scanner.Life(world.scheduler().Now()).phase == phase; }, 600000));
  }

  bool checked = true;
  DWORD exitCode = 0;
};

TEST_F(TwoScannersUpdateTest, ASecondScannerPluggedInAfterTheSearchStopsTheUpdateBeforeTheLocks) {
  emu::TessalineDevice& first = Attach();
  emu::TessalineDevice* second = nullptr;
  uint32_t firstBefore = 0;
  UpdateWith(
      [&](CFWUpdateDlg&) {
        second = &world.usb().PlugInScanner(Other());
        firstBefore = first.TransactionCount();
      },
      {});
  EXPECT_EQ(verdict, Failed(IDS_MORE_THAN_ONE_SCANNER));
  EXPECT_EQ(exitCode, static_cast<DWORD>(UpdateOutcome::kMoreThanOneScanner));
  EXPECT_FALSE(checked);
  EXPECT_EQ(first.TransactionCount(), firstBefore) << "nothing sent to the first";
  EXPECT_EQ(second->TransactionCount(), 0u) << "nothing sent to the second";
  EXPECT_NE(tool.console().Output().find(L"[UpdateDevice]: 2 scanners are connected...\n"), std::wstring::npos);
  ExpectServiceGivenBack();
}

// However the other scanner comes in during the update, the updated one is burnt, the other gets no firmware and
// the verdict names two scanners, never a false time-out or the other one's version.
struct PlugCase {
  emu::LifePhase plugWhen;   // the first scanner's phase when the second comes
  bool afterPowerOnPosted;   // and the power-on wait has begun: the power-off wait has seen the first go
  bool firstComesBack;
  uint32_t secondMainBoard;  // a current second scanner would read back as a success
  bool secondHearsNothing;   // it holds a higher number than the first all along
  UINT reason;
};

class PluggedInDuringTheUpdate : public TwoScannersUpdateTest, public testing::WithParamInterface<PlugCase> {};

TEST_P(PluggedInDuringTheUpdate, IsNeverTakenForTheUpdatedOne) {
  const PlugCase& c = GetParam();
  emu::Scenario scenario;
  scenario.faults.neverComesBack = !c.firstComesBack;
  emu::TessalineDevice& first = Attach(scenario);
  emu::TessalineDevice* second = nullptr;
  UpdateWith({}, [&] {
    WaitForPhase(first, c.plugWhen);
    if (c.afterPowerOnPosted) {
      ASSERT_TRUE(WaitFor([&] { return tool.windows().CellText(0, 1) == Text(IDS_CHECK_POWER_ON); }, 600000));
    }
    second = &world.usb().PlugInScanner(Other(c.secondMainBoard));
  });
  ASSERT_NE(second, nullptr);
  EXPECT_TRUE(first.LastImage().complete) << "the first was burnt";
  EXPECT_EQ(second->Counts().firmwareWrite, 0u);
  if (c.secondHearsNothing) {
    EXPECT_EQ(second->TransactionCount(), 0u);
  }
  EXPECT_EQ(verdict, Failed(c.reason));
  if (c.reason == IDS_MORE_THAN_ONE_SCANNER) {
    EXPECT_FALSE(checked) << "Update stays refused until a search finds one scanner";
  }
  EXPECT_EQ(exitCode, static_cast<DWORD>(c.reason == IDS_MORE_THAN_ONE_SCANNER ? UpdateOutcome::kMoreThanOneScanner
                                                                                : UpdateOutcome::kFailed));
}

INSTANTIATE_TEST_SUITE_P(Moments, PluggedInDuringTheUpdate,
                         testing::Values(
                             // During the burn, and after it before the power-off: counted at the next request.
                             PlugCase{emu::LifePhase::Burning, false, true, 60, true, IDS_MORE_THAN_ONE_SCANNER},
                             PlugCase{emu::LifePhase::Settling, false, true, 60, true, IDS_MORE_THAN_ONE_SCANNER},
                             // While the first is off: the second takes its number and answers the ready wait;
                             // the first coming back makes two, and without it the identification differs.
                             PlugCase{emu::LifePhase::Off, true, true, 68, false, IDS_MORE_THAN_ONE_SCANNER},
                             PlugCase{emu::LifePhase::Off, true, false, 68, false, IDS_MORE_THAN_ONE_SCANNER},
                             // In the second between the first going and the probe that would see it gone: the
                             // other one looks like the first still there, and the power-off wait runs out. A
                             // failure, though not the clearest one.
                             PlugCase{emu::LifePhase::Off, false, false, 68, true, IDS_POWER_OFF_TIMEOUT}));

TEST_F(TwoScannersUpdateTest, OneScannerBesideAnotherVendorsDeviceIsUpdatedAsAlways) {
  world.usb().AttachOther(0, 0x1234, 0x5678);
  emu::TessalineDevice& first = world.usb().AttachScanner(1);
  UpdateWith({}, [&] { world.usb().AttachOther(2, 0x1234, 0x5679); });
  EXPECT_EQ(verdict, L"Update Succeed.");
  EXPECT_EQ(exitCode, static_cast<DWORD>(UpdateOutcome::kUpdated));
  EXPECT_TRUE(first.LastImage().complete);
  EXPECT_EQ(tool.console().Output().find(L"scanners are connected"), std::wstring::npos);
}

}  // namespace
