#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "app/string_table.h"
#include "res/resource.h"
#include "res/string_ids.h"
#include "simhost/kernel.h"
#include "simhost/process.h"
#include "ui/fwupdate_dlg.h"

namespace {

const std::wstring kScanExt = L"Global\\KAVREL_SCAN_EXT_APP_MUTEX_";
const std::wstring kGuid = L"{E6E9D5F2-2344-4763-A8C6-25462D4CA1E6}";
const std::wstring kQuenby = L"Global\\KAVREL_QUENBY_SUBSCRIPTION_MUTEX_";
constexpr int kSession = 1;

// The tables name the kinds by their numbers 0, 1 and 2, and try numbers that are no kind.
ScanAppLock Kind(int number) { return static_cast<ScanAppLock>(number); }

class ScanAppLocksTest : public testing::Test {
 protected:
  void SetUp() override { world.scheduler().AdoptCurrentThread(); }

  static void SetFriendlyName(CFWUpdateDlg& dialog, const std::wstring& name) {
    std::fill(std::begin(dialog.m_szFriendlyName), std::end(dialog.m_szFriendlyName), L'\0');
    name.copy(dialog.m_szFriendlyName, 255);
  }
  bool InUse(const std::wstring& name, int session = kSession) { return world.IsNameInUse(name, session); }
  uint64_t Now() { return world.scheduler().Now(); }

  simhost::World world;
  simhost::Process tool{world};
};

TEST_F(ScanAppLocksTest, EachKindCreatesItsNameOpenToEveryone) {
  struct Case {
    int kind;
    std::wstring name;
    bool local;  // in the session's namespace
  };
  const Case cases[] = {
      {0, kScanExt + L"Scanner A", false},
      {1, kGuid, true},
      {2, kQuenby + L"Scanner A", false},
  };
  CFWUpdateDlg dialog(tool.host());
  SetFriendlyName(dialog, L"Scanner A");
  for (const auto& c : cases) {
    const uint64_t start = Now();
    EXPECT_TRUE(dialog.LockScanAppMutex(Kind(c.kind))) << "kind " << c.kind;
    EXPECT_EQ(Now(), start) << "kind " << c.kind << ": obtained at the first attempt";
    EXPECT_TRUE(InUse(c.name)) << testing::PrintToString(c.name);
    EXPECT_EQ(InUse(c.name, 2), !c.local) << testing::PrintToString(c.name) << " seen from another session";
    const auto mutex = std::dynamic_pointer_cast<simhost::MutexObject>(world.FindNamed(c.name, kSession));
    ASSERT_NE(mutex, nullptr) << "kind " << c.kind;
    EXPECT_TRUE(mutex->openToEveryone) << "kind " << c.kind << ": created with no DACL";
  }
  EXPECT_FALSE(dialog.m_hScanExtMutex.IsEmpty());
  EXPECT_FALSE(dialog.m_hGuidMutex.IsEmpty());
  EXPECT_FALSE(dialog.m_hQuenbyMutex.IsEmpty());
  EXPECT_EQ(tool.OpenHandles(), 3u);

  // A user without administrator rights in another session still sees the names as taken.
  simhost::Process guest(world, {.session = 2, .user = L"guest", .elevated = false});
  const HANDLE seen = guest.host().kernel.CreateMutexW(nullptr, TRUE, (kScanExt + L"Scanner A").c_str());
  EXPECT_NE(seen, nullptr);
  EXPECT_EQ(guest.host().kernel.GetLastError(), ERROR_ALREADY_EXISTS);
  guest.host().kernel.CloseHandle(seen);

  dialog.ReleaseScanAppMutexes();
  for (const auto& c : cases) EXPECT_FALSE(InUse(c.name)) << testing::PrintToString(c.name);
  EXPECT_EQ(tool.OpenHandles(), 0u);
}

TEST_F(ScanAppLocksTest, OtherKindsAreRefusedAtOnce) {
  CFWUpdateDlg dialog(tool.host());
  SetFriendlyName(dialog, L"Scanner A");
  for (const int kind : {-1, 3, 100}) {
    EXPECT_FALSE(dialog.LockScanAppMutex(Kind(kind))) << "kind " << kind;
  }
  EXPECT_EQ(Now(), 0u);
  EXPECT_EQ(tool.OpenHandles(), 0u);
}

TEST_F(ScanAppLocksTest, ANameTakenElsewhereIsRefusedAfterThreeAttempts) {
  struct Case {
    const char* what;
    simhost::ProcessOptions other;
  };
  const Case cases[] = {
      {"another administrator: the name exists", {.session = 2, .user = L"other"}},
      {"a user whose object denies us: creation fails", {.session = 3, .user = L"guest", .elevated = false}},
  };
  for (const auto& c : cases) {
    simhost::Process other(world, c.other);
    const std::wstring name = kScanExt + L"Scanner A";
    const HANDLE held = other.host().kernel.CreateMutexW(nullptr, TRUE, name.c_str());
    ASSERT_NE(held, nullptr) << c.what;
    CFWUpdateDlg dialog(tool.host());
    SetFriendlyName(dialog, L"Scanner A");
    const uint64_t start = Now();
    EXPECT_FALSE(dialog.LockScanAppMutex(ScanAppLock::kScanExt)) << c.what;
    EXPECT_EQ(Now() - start, 3000u) << c.what << ": three attempts, a second after each";
    EXPECT_TRUE(dialog.m_hScanExtMutex.IsEmpty()) << c.what;
    EXPECT_EQ(tool.OpenHandles(), 0u) << c.what << ": none of the attempts' handles is kept";
    other.host().kernel.CloseHandle(held);
    EXPECT_FALSE(InUse(name)) << c.what << ": nothing of ours keeps the name alive";
    EXPECT_TRUE(dialog.LockScanAppMutex(ScanAppLock::kScanExt)) << c.what << ": free again";
    dialog.ReleaseScanAppMutexes();
  }
}

TEST_F(ScanAppLocksTest, ANameReleasedDuringTheSecondPauseIsObtainedAtTheThirdAttempt) {
  simhost::Process other(world, {.session = 2, .user = L"other"});
  const HANDLE held = other.host().kernel.CreateMutexW(nullptr, TRUE, (kQuenby + L"Scanner A").c_str());
  bool goneWithItsOwner = false;
  world.scheduler().Spawn([&] {
    world.scheduler().Sleep(1500);
    other.host().kernel.CloseHandle(held);
    goneWithItsOwner = !InUse(kQuenby + L"Scanner A");
  });
  CFWUpdateDlg dialog(tool.host());
  SetFriendlyName(dialog, L"Scanner A");
  EXPECT_TRUE(dialog.LockScanAppMutex(ScanAppLock::kQuenby));
  EXPECT_EQ(Now(), 2000u);
  EXPECT_TRUE(goneWithItsOwner) << "the second attempt's handle was closed before its pause";
  EXPECT_FALSE(dialog.m_hQuenbyMutex.IsEmpty());
  EXPECT_EQ(tool.OpenHandles(), 1u);
}

TEST_F(ScanAppLocksTest, ALockNameThatWouldNotFitIsNeverCut) {
  const size_t scanExtRoom = 259 - kScanExt.size();  // characters of friendly name that still fit
  const size_t quenbyRoom = 259 - kQuenby.size();
  struct Case {
    int kind;
    size_t nameLength;
    bool obtained;
  };
  const Case cases[] = {
      {0, scanExtRoom, true}, {0, scanExtRoom + 1, false}, {0, 255, false},
      {2, quenbyRoom, true},  {2, quenbyRoom + 1, false},  {2, 255, false},
      {1, 255, true},  // the GUID lock does not use the name
  };
  for (const auto& c : cases) {
    CFWUpdateDlg dialog(tool.host());
    const std::wstring friendlyName(c.nameLength, L'n');
    SetFriendlyName(dialog, friendlyName);
    const uint64_t start = Now();
    EXPECT_EQ(dialog.LockScanAppMutex(Kind(c.kind)) != FALSE, c.obtained) << "kind " << c.kind << ", " << c.nameLength;
    EXPECT_EQ(Now(), start) << "kind " << c.kind << ", " << c.nameLength << ": no attempt is made";
    const std::wstring prefix = c.kind == 0 ? kScanExt : kQuenby;
    if (c.kind != 1) {
      EXPECT_EQ(InUse(prefix + friendlyName), c.obtained) << "kind " << c.kind << ", " << c.nameLength;
      if (!c.obtained) {
        EXPECT_FALSE(InUse((prefix + friendlyName).substr(0, 259))) << "kind " << c.kind << ": no cut name";
      }
    }
    dialog.ReleaseScanAppMutexes();
  }
  EXPECT_EQ(tool.OpenHandles(), 0u);
}

TEST_F(ScanAppLocksTest, ALockForAnotherNameReplacesTheHeldOne) {
  CFWUpdateDlg dialog(tool.host());
  SetFriendlyName(dialog, L"Scanner A");
  ASSERT_TRUE(dialog.LockScanAppMutex(ScanAppLock::kQuenby));
  SetFriendlyName(dialog, L"Scanner B");
  ASSERT_TRUE(dialog.LockScanAppMutex(ScanAppLock::kQuenby));
  EXPECT_FALSE(InUse(kQuenby + L"Scanner A"));
  EXPECT_TRUE(InUse(kQuenby + L"Scanner B"));
  EXPECT_EQ(tool.OpenHandles(), 1u);
  dialog.ReleaseScanAppMutexes();
}

TEST_F(ScanAppLocksTest, ReleaseDoesNothingWhenNothingIsHeld) {
  CFWUpdateDlg dialog(tool.host());
  SetFriendlyName(dialog, L"Scanner A");
  dialog.ReleaseScanAppMutexes();
  EXPECT_TRUE(dialog.m_hQuenbyMutex.IsEmpty());
  ASSERT_TRUE(dialog.LockScanAppMutex(ScanAppLock::kScanExt));
  ASSERT_TRUE(dialog.LockScanAppMutex(ScanAppLock::kQuenby));
  dialog.ReleaseScanAppMutexes();
  dialog.ReleaseScanAppMutexes();
  EXPECT_TRUE(dialog.m_hScanExtMutex.IsEmpty());
  EXPECT_TRUE(dialog.m_hGuidMutex.IsEmpty());
  EXPECT_TRUE(dialog.m_hQuenbyMutex.IsEmpty());
  EXPECT_FALSE(InUse(kScanExt + L"Scanner A"));
  EXPECT_EQ(tool.OpenHandles(), 0u);
}

// The update thread and the cancel thread release locks that another thread took.
TEST_F(ScanAppLocksTest, AnotherThreadReleasesTheNames) {
  CFWUpdateDlg dialog(tool.host());
  SetFriendlyName(dialog, L"Scanner A");
  ASSERT_TRUE(dialog.LockScanAppMutex(ScanAppLock::kGuid));
  ASSERT_TRUE(dialog.LockScanAppMutex(ScanAppLock::kQuenby));
  bool released = false;
  world.scheduler().Spawn([&] {
    dialog.ReleaseScanAppMutexes();
    released = true;
  });
  ASSERT_TRUE(world.scheduler().BlockUntil([&] { return released; }, Now() + 1000));
  EXPECT_FALSE(InUse(kGuid));
  EXPECT_FALSE(InUse(kQuenby + L"Scanner A"));
  EXPECT_EQ(tool.OpenHandles(), 0u);
}

}  // namespace

namespace {

// A worker that outlives the window (one held by the scanner beyond every wait) cannot reach the friendly name
// any more: it takes no lock rather than one named from nothing.
TEST_F(ScanAppLocksTest, AfterTheWindowHasGoneNoNameIsHandedOverAndNoLockTaken) {
  CFWUpdateDlg dialog(tool.host());
  world.scheduler().Spawn([&] {
    world.scheduler().BlockUntil([&] { return tool.windows().IsOpen(); }, simhost::kForever);
    tool.windows().PostCommand(IDCANCEL);
  });
  dialog.DoModal();
  ASSERT_FALSE(tool.windows().IsOpen());
  SetFriendlyName(dialog, L"Scanner A");
  WCHAR found[256] = L"Scanner B";
  EXPECT_FALSE(dialog.StoreFriendlyName(found));
  EXPECT_EQ(std::wstring(dialog.m_szFriendlyName), L"Scanner A");
  for (const ScanAppLock kind : {ScanAppLock::kScanExt, ScanAppLock::kGuid, ScanAppLock::kQuenby}) {
    EXPECT_FALSE(dialog.LockScanAppMutex(kind)) << "kind " << static_cast<int>(kind);
  }
  EXPECT_FALSE(InUse(kQuenby + L"Scanner A"));
  EXPECT_FALSE(InUse(kQuenby));
  EXPECT_TRUE(dialog.m_hQuenbyMutex.IsEmpty());
}

}  // namespace
