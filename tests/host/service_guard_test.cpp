// The guard: a second copy of the program that gives the still-image service back when the tool ends without
// doing so itself, the entry Windows runs at the next logon, and the notice of the next start.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/fwupdate_app.h"
#include "host/guard_run.h"
#include "host/guard_switch.h"
#include "host/service_guard.h"
#include "host/start_up_entry.h"
#include "res/resource.h"
#include "res/string_ids.h"
#include "support/guard_launcher.h"
#include "support/window_fixture.h"

namespace {

// From the tool's end to the service running again, at most.
constexpr uint64_t kGiveBackBoundMs = 5000;

class ServiceGuardTest : public WindowTest {
 protected:
  simhost::SimService& Stisvc() { return tool.services().Service(L"stisvc"); }
  bool ServiceGivenBack() { return Stisvc().GivenBack(); }
  void HoldService() {
    Stisvc().state = SERVICE_STOPPED;
    Stisvc().startType = SERVICE_DISABLED;
  }
  bool HasEntry() { return tool.registry().Value(guard::kRunOnceKey, guard::kRunOnceValue) != nullptr; }
  bool HasMark() { return tool.registry().Value(guard::kToolKey, guard::kCutOffValue) != nullptr; }
  // The stop thread the window starts has disabled the service and searched.
  bool FirstSearchDone(CFWUpdateDlg& dialog) {
    const HANDLE thread = dialog.m_hStopThread.Load();
    DWORD code = 0;
    return thread == nullptr || (tool.host().kernel.GetExitCodeThread(thread, &code) && code != STILL_ACTIVE);
  }
  // As TerminateProcess leaves it: the process has ended, none of its code ran on the way out.
  void KillTool() { tool.Self()->ended = true; }

  GuardLauncher launcher{world, tool};
};

TEST_F(ServiceGuardTest, TheGuardGivesTheServiceBackOnlyForAToolThatEndedWithoutDoingSo) {
  struct Case {
    const char* name;
    bool toolGaveBack;
  };
  const Case cases[] = {{"killed while holding the service", false}, {"ended after giving it back", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HoldService();
    const int changesBefore = Stisvc().configChanges;
    const size_t copiesBefore = launcher.Copies().size();
    {
      ServiceGuard serviceGuard(tool.host());
      serviceGuard.Arm();
      ASSERT_EQ(launcher.Copies().size(), copiesBefore + 1);
      EXPECT_TRUE(HasEntry());
      if (c.toolGaveBack) serviceGuard.GivenBack();
      world.scheduler().Sleep(1000);
      EXPECT_FALSE(launcher.AllEnded()) << "the guard waits for the tool";
      KillTool();
    }
    const uint64_t ended = world.scheduler().Now();
    ASSERT_TRUE(WaitFor([&] { return launcher.AllEnded(); }, kGiveBackBoundMs));
    EXPECT_LE(world.scheduler().Now() - ended, kGiveBackBoundMs);
    if (c.toolGaveBack) {
      EXPECT_EQ(Stisvc().state, static_cast<DWORD>(SERVICE_STOPPED)) << "nothing is changed";
      EXPECT_EQ(Stisvc().configChanges, changesBefore);
      EXPECT_FALSE(HasMark());
    } else {
      EXPECT_TRUE(ServiceGivenBack());
      EXPECT_TRUE(HasMark());
    }
    EXPECT_FALSE(HasEntry());
    EXPECT_EQ(launcher.Copies().back()->OpenHandles(), 0u);
    guard::TakeCutOffMark(tool.host());
    tool.Self()->ended = false;
  }
}

// A search after an update disables the service again: the guard that watches is told, no second one starts.
TEST_F(ServiceGuardTest, ADisableAfterAGiveBackArmsTheSameGuardAgain) {
  HoldService();
  {
    ServiceGuard serviceGuard(tool.host());
    serviceGuard.Arm();
    serviceGuard.GivenBack();
    EXPECT_FALSE(HasEntry());
    serviceGuard.Arm();
    EXPECT_TRUE(HasEntry());
    EXPECT_EQ(world.Launches().size(), 1u);
    KillTool();
  }
  ASSERT_TRUE(WaitFor([&] { return launcher.AllEnded(); }, kGiveBackBoundMs));
  EXPECT_TRUE(ServiceGivenBack());
  EXPECT_TRUE(HasMark());
}

TEST_F(ServiceGuardTest, TheStartUpEntryGivesTheServiceBackAtTheStartOfWindows) {
  HoldService();
  guard::WriteStartUpEntry(tool.host());
  const auto* entry = tool.registry().Value(guard::kRunOnceKey, guard::kRunOnceValue);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->type, static_cast<DWORD>(REG_SZ));
  const std::wstring command(reinterpret_cast<const wchar_t*>(entry->data.data()), entry->data.size() / sizeof(wchar_t));
  EXPECT_EQ(command, std::wstring(L"\"C:\\Tools\\FWUpdate\\FWUpdate.exe\" /guard /boot") + L'\0');

  // What Windows does at the next logon: the value goes, then its command runs.
  simhost::ProcessOptions options;
  options.commandLine = command.substr(0, command.size() - 1);
  simhost::Process atBoot(world, options);
  atBoot.ShareMachineOf(tool);
  CFWUpdateApp app;
  app.Run(atBoot.host());
  EXPECT_TRUE(ServiceGivenBack());
  EXPECT_TRUE(HasMark());
  EXPECT_EQ(atBoot.windows().OpenCount(), 0) << "the guard shows no window";
  EXPECT_FALSE(world.IsNameInUse(kSingleInstanceMutexName, 1));
}

TEST_F(ServiceGuardTest, GuardCommandLinesAreReadAsWordsAfterTheProgramPath) {
  struct Case {
    const wchar_t* line;
    bool guard;
    bool boot;
    DWORD toolId;
  };
  const Case cases[] = {
      {L"\"C:\\T\\FWUpdate.exe\" /guard 4100", true, false, 4100},
      {L"\"C:\\T\\FWUpdate.exe\" /guard 4294967295", true, false, 0xFFFFFFFFu},
      {L"\"C:\\T\\FWUpdate.exe\" /guard 4294967296", true, false, 0},
      {L"\"C:\\T\\FWUpdate.exe\" /guard /boot", true, true, 0},
      {L"C:\\T\\FWUpdate.exe /guard /boot", true, true, 0},
      {L"\"C:\\T\\FWUpdate.exe\"  /guard  4100", true, false, 4100},
      {L"\"C:\\T\\FWUpdate.exe\" /guard", true, false, 0},
      {L"\"C:\\T\\FWUpdate.exe\" /guard 41a", true, false, 0},
      {L"\"C:\\T\\FWUpdate.exe\" /guard 4100 /boot", true, false, 0},
      {L"\"C:\\T\\FWUpdate.exe\"", false, false, 0},
      {L"\"C:\\T\\FWUpdate.exe\" -d", false, false, 0},
      {L"\"C:\\T\\FWUpdate.exe\" -d /guard /boot", false, false, 0},
      {L"\"C:\\my /guard\\FWUpdate.exe\" -d", false, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << static_cast<int>(&c - cases));
    const auto order = guard::ParseGuardCommandLine(c.line);
    ASSERT_EQ(order.has_value(), c.guard);
    if (!order) continue;
    EXPECT_EQ(order->boot, c.boot);
    EXPECT_EQ(order->toolId, c.toolId);
  }
}

TEST_F(ServiceGuardTest, AGuardWithoutAToolEndsAtOnceAndChangesNothing) {
  HoldService();
  EXPECT_EQ(guard::RunGuard(tool.host(), guard::GuardOrder{}), 1);
  EXPECT_EQ(Stisvc().configChanges, 0);
  EXPECT_EQ(Stisvc().startType, static_cast<DWORD>(SERVICE_DISABLED));
  EXPECT_FALSE(HasMark());
}

// Killed between starting its guard and the guard's first look: no process to open, no event of the tool's.
TEST_F(ServiceGuardTest, AToolGoneBeforeItsGuardLookedIsGivenBackFor) {
  HoldService();
  guard::GuardOrder order;
  order.toolId = 0x7fff0;  // no such process
  EXPECT_EQ(guard::RunGuard(tool.host(), order), 0);
  EXPECT_TRUE(ServiceGivenBack());
  EXPECT_TRUE(HasMark());
  EXPECT_EQ(tool.OpenHandles(), 0u);
}

TEST_F(ServiceGuardTest, TheFirstDisableStartsOneGuardThatInheritsNothing) {
  Run([&](CFWUpdateDlg& dialog) {
    ASSERT_TRUE(WaitFor([&] { return Stisvc().startType == SERVICE_DISABLED; }, 70000));
    ASSERT_EQ(world.Launches().size(), 1u);
    const simhost::ProcessLaunch& launch = world.Launches()[0];
    EXPECT_EQ(launch.creationFlags & CREATE_BREAKAWAY_FROM_JOB, static_cast<DWORD>(CREATE_BREAKAWAY_FROM_JOB));
    const auto order = guard::ParseGuardCommandLine(launch.commandLine);
    ASSERT_TRUE(order.has_value());
    EXPECT_EQ(order->toolId, tool.Self()->id);
    EXPECT_TRUE(launch.inherited.empty()) << "a lock held now must not live on in the guard";
    EXPECT_TRUE(HasEntry());
    ASSERT_TRUE(WaitFor([&] { return FirstSearchDone(dialog); }, 70000));
  });
  // Closed in order: the tool gave the service back; the guard ends and changes nothing after it.
  const int changes = Stisvc().configChanges;
  KillTool();
  EXPECT_TRUE(WaitFor([&] { return launcher.AllEnded(); }, kGiveBackBoundMs));
  EXPECT_EQ(Stisvc().configChanges, changes);
  EXPECT_FALSE(HasEntry());
  EXPECT_FALSE(HasMark());
}

TEST_F(ServiceGuardTest, AToolKilledAfterItsSearchHasTheServiceBackWithinTheBound) {
  Run([&](CFWUpdateDlg& dialog) {
    ASSERT_TRUE(WaitFor([&] { return FirstSearchDone(dialog); }, 70000));
    ASSERT_EQ(Stisvc().startType, static_cast<DWORD>(SERVICE_DISABLED));
    KillTool();
    const uint64_t killed = world.scheduler().Now();
    ASSERT_TRUE(WaitFor([&] { return ServiceGivenBack(); }, kGiveBackBoundMs));
    EXPECT_LE(world.scheduler().Now() - killed, kGiveBackBoundMs);
    EXPECT_TRUE(WaitFor([&] { return launcher.AllEnded(); }, kGiveBackBoundMs));
    EXPECT_TRUE(HasMark());
    EXPECT_FALSE(HasEntry());
  });
}

TEST_F(ServiceGuardTest, AJobThatKeepsItsProcessesGetsAGuardInsideIt) {
  tool.PutInJobWithoutBreakaway();
  ServiceGuard serviceGuard(tool.host());
  serviceGuard.Arm();
  ASSERT_EQ(world.Launches().size(), 2u);
  EXPECT_NE(world.Launches()[0].creationFlags & CREATE_BREAKAWAY_FROM_JOB, 0u);
  EXPECT_EQ(world.Launches()[1].creationFlags & CREATE_BREAKAWAY_FROM_JOB, 0u);
  EXPECT_EQ(launcher.Copies().size(), 1u);
  EXPECT_EQ(Count(tool.console().Output(), L"[Guard]"), 0u);
  KillTool();
  EXPECT_TRUE(WaitFor([&] { return launcher.AllEnded(); }, kGiveBackBoundMs));
}

TEST_F(ServiceGuardTest, AToolThatCannotStartItsGuardSaysSoAndStillSearches) {
  tool.FailLaunches(ERROR_FILE_NOT_FOUND);
  Run([&](CFWUpdateDlg&) {
    ASSERT_TRUE(WaitFor([&] { return Count(tool.console().Output(), L"Closed WIA finish!!") == 1; }, 70000));
    EXPECT_EQ(Stisvc().startType, static_cast<DWORD>(SERVICE_DISABLED));
    EXPECT_EQ(Count(tool.console().Output(),
                    L"[Guard] Not started (2): the service is given back only by this program\n"),
              1u);
    EXPECT_TRUE(HasEntry()) << "the entry covers what the guard cannot";
    EXPECT_NE(tool.windows().ControlText(IDC_STATUS), Text(IDS_CLOSE_WIA_FAILED));
  });
  EXPECT_TRUE(launcher.Copies().empty());
  EXPECT_TRUE(ServiceGivenBack());
  EXPECT_FALSE(HasEntry());
}

// Each start is a new copy on the same machine, closed by its user once its first search is done.
TEST_F(ServiceGuardTest, TheNextStartSaysOnceThatTheLastRunWasCutOff) {
  struct Case {
    const char* name;
    bool mark;   // a guard or the start of Windows gave the service back
    bool entry;  // nothing has given it back yet
    bool notice;
  };
  const Case cases[] = {
      {"given back by the guard", true, false, true},
      {"nothing given back yet", false, true, true},
      {"closed in order", false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.mark) guard::MarkCutOff(tool.host());
    if (c.entry) guard::WriteStartUpEntry(tool.host());
    for (const bool first : {true, false}) {
      simhost::ProcessOptions options;
      options.commandLine = L"\"C:\\Tools\\FWUpdate\\FWUpdate.exe\" -d";
      simhost::Process copy(world, options);
      copy.ShareMachineOf(tool);
      world.scheduler().Spawn([&copy] {
        copy.world().scheduler().BlockUntil([&] { return copy.windows().IsOpen(); }, simhost::kForever);
        copy.world().scheduler().BlockUntil([&] { return copy.windows().IsEnabled(IDCANCEL); }, simhost::kForever);
        copy.windows().PostCommand(IDCANCEL);
      });
      CFWUpdateApp app;
      app.Run(copy.host());
      const auto& shown = copy.windows().TextHistory(IDC_STATUS);
      const size_t notices = static_cast<size_t>(std::count(shown.begin(), shown.end(), Text(IDS_UPDATE_CUT_OFF)));
      EXPECT_EQ(notices, first && c.notice ? 1u : 0u) << (first ? "first start" : "second start");
      EXPECT_EQ(Count(copy.console().Output(), L"[Start] The last run ended without giving the service back\n"),
                first && c.notice ? 1u : 0u);
      EXPECT_FALSE(HasMark());
      EXPECT_FALSE(HasEntry());
      copy.Self()->ended = true;
    }
  }
}

}  // namespace
