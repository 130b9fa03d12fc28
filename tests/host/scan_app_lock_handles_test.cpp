// The handles of the scan-application locks are inheritable, as the maker's other applications create theirs.
#include <gtest/gtest.h>

#include <string>

#include "simhost/process.h"
#include "ui/fwupdate_dlg.h"

namespace {

class ScanAppLockHandlesTest : public testing::Test {
 protected:
  void SetUp() override { world.scheduler().AdoptCurrentThread(); }

  simhost::World world;
  simhost::Process tool{world};
};

TEST_F(ScanAppLockHandlesTest, EveryLockHandleIsInheritable) {
  CFWUpdateDlg dialog(tool.host());
  const std::wstring name = L"Scanner A";
  name.copy(dialog.m_szFriendlyName, name.size());
  const plat::LockSlot* slots[] = {&dialog.m_hScanExtMutex, &dialog.m_hGuidMutex, &dialog.m_hQuenbyMutex};
  for (int kind = 0; kind < 3; ++kind) {
    ASSERT_TRUE(dialog.LockScanAppMutex(static_cast<ScanAppLock>(kind))) << "kind " << kind;
    EXPECT_TRUE(tool.HandleInheritable(slots[kind]->Load())) << "kind " << kind;
  }
  // The flag belongs to the handle: one made without attributes is not inherited.
  const HANDLE plain = tool.host().kernel.CreateMutexW(nullptr, TRUE, L"Local\\plain");
  EXPECT_FALSE(tool.HandleInheritable(plain));
  tool.host().kernel.CloseHandle(plain);
  dialog.ReleaseScanAppMutexes();
}

}  // namespace
