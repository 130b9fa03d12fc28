#include "app/fwupdate_app.h"

#include <gtest/gtest.h>

#include "app/string_table.h"
#include "res/resource.h"
#include "simhost/process.h"

namespace {

// A copy of the tool in the simulated world, started with InitInstance on the test's thread (the window's
// thread); a user thread presses buttons while the window runs.
class StartupTest : public testing::Test {
 protected:
  void SetUp() override { world.scheduler().AdoptCurrentThread(); }

  void UserCloses(simhost::Process& process, std::function<void()> whileOpen = {}) {
    world.scheduler().Spawn([&process, whileOpen] {
      simhost::World& w = process.world();
      w.scheduler().BlockUntil([&] { return process.windows().IsOpen(); }, simhost::kForever);
      if (whileOpen) whileOpen();
      process.windows().PostCommand(IDCANCEL);
    });
  }

  simhost::World world;
};

TEST_F(StartupTest, RunsTheWindowModallyHoldingTheLockAndReleasesItAfter) {
  simhost::Process tool(world);
  bool lockHeldWhileOpen = false;
  UserCloses(tool, [&] { lockHeldWhileOpen = world.IsNameInUse(kSingleInstanceMutexName, 1); });
  CFWUpdateApp app;
  app.Run(tool.host());
  EXPECT_EQ(tool.windows().OpenCount(), 1);
  EXPECT_EQ(tool.windows().TemplateId(), static_cast<UINT>(IDD_FWUPDATE_DIALOG));
  EXPECT_TRUE(lockHeldWhileOpen);
  EXPECT_FALSE(world.IsNameInUse(kSingleInstanceMutexName, 1));
  EXPECT_EQ(tool.OpenHandles(), 0u);
  EXPECT_TRUE(tool.user().MessageBoxes().empty());
  EXPECT_EQ(tool.user().RegisteredClasses(), static_cast<DWORD>(ICC_WIN95_CLASSES));
  EXPECT_TRUE(tool.windows().EverShown());  // only /quiet and /check keep it hidden
}

TEST_F(StartupTest, ASecondCopyIsRefusedInTheConfiguredLanguage) {
  world.WriteTextFile(L"C:\\Tools\\FWUpdate\\Settings.ini", L"[Development]\nLANG_ID=1031\n");
  struct Case {
    const char* who;
    simhost::ProcessOptions options;
  };
  const Case cases[] = {
      {"same user", {}},
      {"another user, another session", {.session = 2, .user = L"other"}},
      {"another user without administrator rights", {.session = 3, .user = L"guest", .elevated = false}},
  };
  simhost::Process first(world);
  first.host().kernel.CreateMutexW(nullptr, TRUE, kSingleInstanceMutexName);  // the first copy runs on
  for (const auto& c : cases) {
    simhost::Process second(world, c.options);
    second.host().language.SetThreadUILanguage(0x0409);
    CFWUpdateApp app;
    app.Run(second.host());
    ASSERT_EQ(second.user().MessageBoxes().size(), 1u) << c.who;
    second.host().language.SetThreadUILanguage(0x0407);
    EXPECT_EQ(second.user().MessageBoxes()[0].text, app::LoadStringById(second.host(), 256)) << c.who;
    EXPECT_NE(second.user().MessageBoxes()[0].text, L"The firmware update tool is already open.") << c.who;
    EXPECT_EQ(second.user().MessageBoxes()[0].caption, L"FWUpdate") << c.who;
    EXPECT_EQ(second.windows().OpenCount(), 0) << c.who;
    EXPECT_EQ(second.OpenHandles(), 0u) << c.who;
  }
  EXPECT_TRUE(world.IsNameInUse(kSingleInstanceMutexName, 1));
}

TEST_F(StartupTest, TheDebugSwitchOpensTheConsole) {
  struct Case {
    std::wstring commandLine;
    bool console;
  };
  const Case cases[] = {
      {L"\"C:\\Tools\\FWUpdate\\FWUpdate.exe\" -d", true},
      {L"\"C:\\Tools\\FWUpdate\\FWUpdate.exe\" -D", false},
      {L"\"C:\\Tools\\FWUpdate\\FWUpdate.exe\"", false},
      {L"\"C:\\my-drivers\\FWUpdate.exe\"", true},  // inside the program's own path
      {L"\"C:\\Tools\\FWUpdate.exe\" " + std::wstring(400, L'x') + L" -d", true},  // past 259 characters
  };
  for (const auto& c : cases) {
    simhost::Process tool(world, {.commandLine = c.commandLine});
    UserCloses(tool);
    CFWUpdateApp app;
    app.Run(tool.host());
    EXPECT_EQ(tool.console().Allocated(), c.console) << testing::PrintToString(c.commandLine);
    EXPECT_EQ(tool.console().Visible(), c.console) << testing::PrintToString(c.commandLine);
  }
}

// A build with placeholder firmware images says so first on the console; nothing is written without one.
TEST_F(StartupTest, TheBuildNoticeIsTheConsolesFirstLine) {
  const wchar_t* notice = L"[Build] Test build with placeholder firmware images\n";
  struct Case {
    const wchar_t* buildNotice;
    const wchar_t* commandLine;
    bool noticeFirst;
  };
  const Case cases[] = {
      {notice, L"FWUpdate.exe -d", true},
      {notice, L"FWUpdate.exe", false},
      {L"", L"FWUpdate.exe -d", false},
  };
  for (const auto& c : cases) {
    simhost::Process tool(world, {.commandLine = c.commandLine});
    UserCloses(tool);
    CFWUpdateApp app(c.buildNotice);
    app.Run(tool.host());
    const std::wstring& output = tool.console().Output();
    EXPECT_EQ(output.rfind(notice, 0) == 0, c.noticeFirst) << testing::PrintToString(output);
    EXPECT_EQ(output.find(L"[Build]") != std::wstring::npos, c.noticeFirst) << testing::PrintToString(output);
  }
}

TEST_F(StartupTest, ARefusedCopyWithTheSwitchStillOpensItsConsole) {
  simhost::Process first(world);
  first.host().kernel.CreateMutexW(nullptr, TRUE, kSingleInstanceMutexName);
  simhost::Process second(world, {.commandLine = L"FWUpdate.exe -d"});
  CFWUpdateApp app;
  app.Run(second.host());
  EXPECT_TRUE(second.console().Visible());
  EXPECT_EQ(second.user().MessageBoxes().size(), 1u);
}

TEST_F(StartupTest, TheMainThreadTakesTheConfiguredLanguageBeforeTheWindow) {
  world.WriteTextFile(L"C:\\Tools\\FWUpdate\\Settings.ini", L"[Development]\nLANG_ID=1031\n");
  simhost::Process tool(world);
  UserCloses(tool);
  CFWUpdateApp app;
  app.Run(tool.host());
  EXPECT_EQ(tool.host().language.GetThreadUILanguage(), 1031);
  tool.host().language.SetThreadUILanguage(0x0007);
  EXPECT_EQ(tool.windows().Caption(), app::LoadStringById(tool.host(), 257));
}

}  // namespace
