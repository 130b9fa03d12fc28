// The stop thread's search enables Update; a user who presses it that very moment starts an update, which
// clears the status cell. The search must have shown its outcome by then, or the window shows an empty status.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "res/resource.h"
#include "simhost/process.h"
#include "simhost/usbscan.h"
#include "ui/fwupdate_dlg.h"

namespace {

// Runs the window with a user who presses Update the moment it is enabled and Close once the update is over;
// the scheduler's seed decides who goes first. The status texts the window showed.
std::vector<std::wstring> PressUpdateAtOnce(uint64_t seed) {
  simhost::World world(seed);
  world.scheduler().AdoptCurrentThread();
  simhost::Process tool(world);
  tool.setup().AddImageDevice({L"USB\\VID_1209&PID_0001&REV_0100"}, 0, L"Scanner A");
  world.usb().AttachScanner(0, {});
  simhost::Windows& windows = tool.windows();
  CFWUpdateDlg dialog(tool.host());
  world.scheduler().Spawn([&] {
    simhost::Scheduler& scheduler = world.scheduler();
    scheduler.BlockUntil([&] { return windows.IsOpen() && windows.IsEnabled(IDC_UPDATE); }, 200000);
    windows.PostCommand(IDC_UPDATE);
    scheduler.Sleep(1);
    scheduler.BlockUntil([&] { return windows.IsEnabled(IDCANCEL); }, 2000000);
    windows.PostCommand(IDCANCEL);
  });
  dialog.DoModal();
  return windows.TextHistory(IDC_STATUS);
}

TEST(SearchAndUpdateRace, AnUpdatePressedTheMomentItIsEnabledNeverShowsAnEmptyStatus) {
  int updates = 0;
  for (uint64_t seed = 1; seed <= 24; ++seed) {
    const std::vector<std::wstring> shown = PressUpdateAtOnce(seed);
    for (const std::wstring& text : shown) EXPECT_FALSE(text.empty()) << "seed " << seed;
    updates += std::count(shown.begin(), shown.end(), L"Update Succeed.") > 0 ? 1 : 0;
  }
  EXPECT_EQ(updates, 24) << "every run should have updated the scanner";
}

}  // namespace
