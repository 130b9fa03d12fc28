#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/string_table.h"
#include "res/resource.h"
#include "res/string_ids.h"
#include "simhost/process.h"
#include "ui/fwupdate_dlg.h"

namespace {

const std::wstring kScanExt = L"Global\\KAVREL_SCAN_EXT_APP_MUTEX_Scanner A";
const std::wstring kGuid = L"{E6E9D5F2-2344-4763-A8C6-25462D4CA1E6}";
const std::wstring kQuenby = L"Global\\KAVREL_QUENBY_SUBSCRIPTION_MUTEX_Scanner A";

// LockScanApps posts its texts on the running window: the window runs modally on the test's thread and a user
// thread makes the call once the stop thread that the window starts has ended.
class LockScanAppsTest : public testing::Test {
 protected:
  void SetUp() override { world.scheduler().AdoptCurrentThread(); }

  void Run(simhost::Process& process, const std::function<void(CFWUpdateDlg&)>& user) {
    CFWUpdateDlg dialog(process.host());
    world.scheduler().Spawn([&] {
      world.scheduler().BlockUntil([&] { return process.windows().IsOpen(); }, world.scheduler().Now() + 10000);
      if (const HANDLE stop = dialog.m_hStopThread.Load()) process.host().kernel.WaitForSingleObject(stop, 300000);
      user(dialog);
      process.windows().PostCommand(IDCANCEL);
    });
    dialog.DoModal();
  }
  std::wstring Text(simhost::Process& process, UINT id) {
    process.host().language.SetThreadUILanguage(0x0409);
    return app::LoadStringById(process.host(), id);
  }

  simhost::World world;
};

TEST_F(LockScanAppsTest, TakesAllThreeOrPostsWhyNot) {
  struct Case {
    const char* what;
    bool scanner;
    std::vector<std::wstring> heldElsewhere;
    bool quenbyFromSearch;  // the Quenby lock was taken by a device search before
    bool result;
    std::optional<UINT> text;
    std::vector<bool> held;  // EXT_APP, GUID, Quenby slots afterwards
    uint64_t tookMs;
  };
  const Case cases[] = {
      {"all free", true, {}, false, true, std::nullopt, {true, true, true}, 0},
      {"no scanner", false, {}, false, false, IDS_SCAN_APP_NOT_FOUND, {false, false, false}, 0},
      {"EXT_APP taken", true, {kScanExt}, false, false, IDS_SCAN_APP_IN_USE, {false, false, false}, 3000},
      {"GUID taken", true, {kGuid}, false, false, IDS_MARLO_IN_USE, {true, false, false}, 3000},
      {"Quenby taken", true, {kQuenby}, false, false, IDS_QUENBY_IN_USE, {true, true, false}, 3000},
      {"Quenby already ours", true, {}, true, true, std::nullopt, {true, true, true}, 0},
  };
  for (const auto& c : cases) {
    simhost::Process tool(world);
    if (c.scanner) tool.setup().AddImageDevice({L"USB\\VID_1209&PID_0001&REV_0100"}, 0, L"Scanner A");
    simhost::Process other(world, {.user = L"other"});  // same session: its GUID name is in our namespace
    for (const auto& name : c.heldElsewhere) other.host().kernel.CreateMutexW(nullptr, TRUE, name.c_str());
    Run(tool, [&](CFWUpdateDlg& dialog) {
      HANDLE quenby = nullptr;
      if (c.quenbyFromSearch) {
        ASSERT_TRUE(dialog.FindDeviceFriendlyName()) << c.what;
        ASSERT_TRUE(dialog.LockScanAppMutex(ScanAppLock::kQuenby)) << c.what;
        quenby = dialog.m_hQuenbyMutex.Load();
      }
      const std::wstring before = tool.windows().ControlText(IDC_STATUS);
      const uint64_t start = world.scheduler().Now();
      EXPECT_EQ(dialog.LockScanApps() != FALSE, c.result) << c.what;
      EXPECT_EQ(world.scheduler().Now() - start, c.tookMs) << c.what;
      const std::wstring expected = c.text ? Text(tool, *c.text) : before;
      EXPECT_EQ(tool.windows().ControlText(IDC_STATUS), expected) << c.what;
      if (c.text) {
        EXPECT_EQ(tool.windows().CellText(0, 1), expected) << c.what;
      }
      const std::vector<bool> held = {!dialog.m_hScanExtMutex.IsEmpty(),
                                      !dialog.m_hGuidMutex.IsEmpty(),
                                      !dialog.m_hQuenbyMutex.IsEmpty()};
      EXPECT_EQ(held, c.held) << c.what << ": got " << testing::PrintToString(held);
      if (c.quenbyFromSearch) {
        EXPECT_EQ(dialog.m_hQuenbyMutex.Load(), quenby) << c.what << ": the search's lock is kept";
      }
      dialog.ReleaseScanAppMutexes();
    });
    if (c.heldElsewhere.empty()) {
      EXPECT_FALSE(world.IsNameInUse(kScanExt, 1)) << c.what;
      EXPECT_FALSE(world.IsNameInUse(kQuenby, 1)) << c.what;
    }
    EXPECT_EQ(tool.registry().OpenKeys() + tool.setup().OpenDeviceSets(), 0u) << c.what;
  }
}

// With the EXT_APP lock taken elsewhere, no GUID or Quenby lock is even tried.
TEST_F(LockScanAppsTest, AnExtAppLockHeldElsewhereStopsBeforeTheOthers) {
  simhost::Process tool(world);
  tool.setup().AddImageDevice({L"USB\\VID_1209&PID_0001&REV_0100"}, 0, L"Scanner A");
  simhost::Process other(world, {.user = L"other"});
  other.host().kernel.CreateMutexW(nullptr, TRUE, kScanExt.c_str());
  Run(tool, [&](CFWUpdateDlg& dialog) {
    EXPECT_FALSE(dialog.LockScanApps());
    EXPECT_FALSE(world.IsNameInUse(kGuid, 1));
    EXPECT_FALSE(world.IsNameInUse(kQuenby, 1));
  });
}

}  // namespace
