// /quiet and /check through the simulated machine: the whole program from start-up, with the emulated scanner,
// the imaging service and other programs holding locks. Nobody presses anything: the run must end by itself,
// show no window and no message box, give the service and the locks back, and say what happened in its exit
// code and its log.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "app/fwupdate_app.h"
#include "emulator/scenario.h"
#include "res/resource.h"
#include "simhost/process.h"
#include "simhost/usbscan.h"

namespace {

constexpr const wchar_t* kDefaultLog = L"C:\\ProgramData\\FWUpdate\\FWUpdate.log";
constexpr const wchar_t* kQuenbyLock = L"Global\\KAVREL_QUENBY_SUBSCRIPTION_MUTEX_Scanner A";
constexpr const wchar_t* kScanExtLock = L"Global\\KAVREL_SCAN_EXT_APP_MUTEX_Scanner A";
// The bound on any run here, in virtual time: a run still going then has hung.
constexpr uint64_t kRunBoundMs = 3'600'000;

struct RunResult {
  int exitCode = -1;
  std::string log;
  bool windowOpened = false;
  bool everShown = true;
  std::vector<simhost::MessageBoxCall> messageBoxes;
  std::wstring output;  // everything written to standard output
  bool outputReachable = false;
  bool stopped = false;  // the imaging service was stopped at some point
  bool serviceGivenBack = false;
  bool quenbyHeldAfter = true;
  size_t handlesLeft = 0;
  uint64_t endedAtMs = 0;
  bool defaultFolderMade = false;
};

class UnattendedTest : public testing::Test {
 public:
  // Runs the tool with the arguments; `heldLock` is held by another program for the whole run; `during` runs on
  // a thread of its own beside the tool (the session's end).
  RunResult Start(const std::wstring& arguments, const std::wstring& heldLock = L"",
            const std::function<void(simhost::Process&)>& during = {}) {
    simhost::World world;
    world.scheduler().AdoptCurrentThread();
    if (preemptAtSwitchPoints) world.scheduler().EnablePreemption(7, 1);
    simhost::ProcessOptions options;
    options.commandLine = L"\"C:\\Tools\\FWUpdate\\FWUpdate.exe\" " + arguments;
    if (!settings.empty()) world.WriteTextFile(L"C:\\Tools\\FWUpdate\\Settings.ini", settings);
    simhost::Process other(world);
    if (!heldLock.empty()) other.host().kernel.CreateMutexW(nullptr, TRUE, heldLock.c_str());
    simhost::Process tool(world, options);
    if (redirected) tool.console().RedirectStandardOutput();
    if (fromConsole) tool.console().StartFromConsole();
    tool.setup().AddImageDevice({L"USB\\VID_1209&PID_0001&REV_0100"}, 0, L"Scanner A");
    simhost::SimService& stisvc = tool.services().Service(L"stisvc");
    stisvc.stopTakesMs = 1000;
    if (attach) world.usb().AttachScanner(0, scenario);
    RunResult out;
    world.scheduler().Spawn([&] {
      if (world.scheduler().BlockUntil([&] { return stisvc.state == SERVICE_STOPPED; }, kRunBoundMs)) {
        out.stopped = true;
      }
    });
    if (during) world.scheduler().Spawn([&] { during(tool); });
    CFWUpdateApp app;
    out.exitCode = app.Run(tool.host());
    out.endedAtMs = world.scheduler().Now();
    out.log = world.ReadBytes(logPath).value_or("");
    out.windowOpened = tool.windows().OpenCount() > 0;
    out.everShown = tool.windows().EverShown();
    out.messageBoxes = tool.user().MessageBoxes();
    out.output = tool.console().Output();
    out.outputReachable = tool.host().console.GetStdHandle(STD_OUTPUT_HANDLE) != nullptr;
    out.serviceGivenBack = stisvc.GivenBack();
    out.quenbyHeldAfter = world.IsNameInUse(kQuenbyLock, 1) && heldLock != kQuenbyLock;
    out.handlesLeft = tool.OpenHandles();
    out.defaultFolderMade = world.FolderMade(L"C:\\ProgramData\\FWUpdate");
    return out;
  }

  static bool Has(const std::string& log, const std::string& part) { return log.find(part) != std::string::npos; }
  // The log's last line.
  static std::string LastLine(const std::string& log) {
    if (log.size() < 3) return std::string();
    const size_t start = log.rfind("\r\n", log.size() - 3);
    return log.substr(start == std::string::npos ? 0 : start + 2);
  }

  bool attach = true;
  bool redirected = false;
  bool fromConsole = false;
  bool preemptAtSwitchPoints = false;  // the tool's threads switched out at every step on shared flags
  emu::Scenario scenario;
  std::wstring logPath = kDefaultLog;
  std::wstring settings;  // the settings file beside the program; none when empty
};

struct Outcome {
  const char* what;
  std::function<void(UnattendedTest&)> arrange;
  std::wstring heldLock;
  int exitCode;
  std::string verdict;  // the start of the log's last line after the time stamp
};

void Old(UnattendedTest&) {}

TEST_F(UnattendedTest, QuietEndsWithTheCodeOfWhatHappenedToTheScanner) {
  const Outcome cases[] = {
      {"old firmware: updated and read back", Old, L"", 0, "[exit] 0 updated: "},
      {"current firmware", [](UnattendedTest& t) { t.scenario.mainBoardVersion = 68; }, L"", 10,
       "[exit] 10 current: "},
      {"no scanner", [](UnattendedTest& t) { t.attach = false; }, L"", 12, "[exit] 12 no-scanner: "},
      {"another copy runs", Old, L"Global\\KAVREL_FFUT_APP_MUTEX", 1618, "[exit] 1618 busy: "},
      {"a scan application holds the Quenby lock", Old, kQuenbyLock, 1618, "[exit] 1618 busy: "},
      {"a scan application holds its lock at the update", Old, kScanExtLock, 1618, "[exit] 1618 busy: "},
      {"the burn fails",
       [](UnattendedTest& t) {
         t.scenario.faults.burnErrorCode = 0x7001;
         t.scenario.faults.burnErrorAtPercent = 30;
       },
       L"", 1603, "[exit] 1603 failed: "},
      {"the scanner keeps its old firmware", [](UnattendedTest& t) { t.scenario.faults.keepsOldFirmware = true; },
       L"", 1603, "[exit] 1603 failed: "},
      {"the scanner stalls at the search",
       [](UnattendedTest& t) {
         t.scenario.faults.stageFaults = {{1, 0, emu::Stage::Reply, emu::FaultKind::NoReply, 0}};
       },
       L"", 1603, "[exit] 1603 failed: "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    attach = true;
    scenario = {};
    c.arrange(*this);
    const RunResult run = Start(L"/quiet", c.heldLock);
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_FALSE(run.everShown);
    EXPECT_TRUE(run.messageBoxes.empty());
    EXPECT_TRUE(run.serviceGivenBack);
    EXPECT_FALSE(run.quenbyHeldAfter);
    EXPECT_EQ(run.handlesLeft, 0u);
    EXPECT_TRUE(run.defaultFolderMade);
    EXPECT_NE(LastLine(run.log).find(c.verdict), std::string::npos) << run.log;
    EXPECT_LT(run.endedAtMs, kRunBoundMs);
  }
}

TEST_F(UnattendedTest, ASecondCopyInQuietExitsAtOnceWithoutTouchingAnything) {
  const RunResult run = Start(L"/quiet", L"Global\\KAVREL_FFUT_APP_MUTEX");
  EXPECT_EQ(run.exitCode, 1618);
  EXPECT_FALSE(run.windowOpened);
  EXPECT_TRUE(run.messageBoxes.empty());
  EXPECT_FALSE(run.stopped);
  EXPECT_EQ(run.endedAtMs, 0u);
  // The text the window would have shown is in the log, as a box nobody saw.
  EXPECT_TRUE(Has(run.log, "[message box, not shown] The firmware update tool is already open.")) << run.log;
}

TEST_F(UnattendedTest, TheLogOfAnUpdateHasEveryLineAndStatusAndTheVerdictLast) {
  logPath = L"C:\\Deploy\\fw-d.log";
  const RunResult run = Start(L"/QUIET /log C:\\Deploy\\fw-d.log");
  ASSERT_EQ(run.exitCode, 0);
  EXPECT_FALSE(run.defaultFolderMade);
  EXPECT_TRUE(Has(run.log, "2026-01-05 09:00:00.000 +0ms [start] \"C:\\Tools\\FWUpdate\\FWUpdate.exe\" /QUIET"))
      << run.log;
  EXPECT_TRUE(Has(run.log, "[console] [GetDeviceStatus]: MB Ver: (0.60)/ Panel Ver:(1.05)")) << run.log;
  EXPECT_TRUE(Has(run.log, "[search] found 1, updatable 1")) << run.log;
  EXPECT_TRUE(Has(run.log, "[status] Update Succeed")) << run.log;
  const std::string last = LastLine(run.log);
  EXPECT_EQ(last.rfind("2026-01-05 ", 0), 0u) << last;
  EXPECT_TRUE(Has(last, "ms [exit] 0 updated: the scanner was updated and read back\r\n")) << last;
  // The "-d" inside the log's path opens the console, as it always has; the lines still reach the log.
  EXPECT_TRUE(Has(std::string(run.output.begin(), run.output.end()), "[GetDeviceStatus]"));
}

TEST_F(UnattendedTest, StatusTextsOfAnotherLanguageAreAlsoLoggedInEnglish) {
  settings = L"[Development]\nLANG_ID=1031\n";
  const RunResult run = Start(L"/quiet");
  ASSERT_EQ(run.exitCode, 0);
  EXPECT_TRUE(Has(run.log, "[status] Update erfolgreich")) << run.log;
  EXPECT_TRUE(Has(run.log, "[status, English] Update Succeed")) << run.log;
  EXPECT_FALSE(Has(run.log, "[status] Update Succeed")) << run.log;
}

TEST_F(UnattendedTest, TheEndOfTheSessionCancelsTheRun) {
  struct Case {
    const char* what;
    uint64_t endAtMs;  // after the window opened
  };
  const Case cases[] = {{"while the service stops", 500}, {"while the firmware burns", 20000}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const uint64_t endAt = c.endAtMs;
    const RunResult run = Start(L"/quiet", L"", [endAt](simhost::Process& tool) {
      simhost::Scheduler& scheduler = tool.world().scheduler();
      scheduler.BlockUntil([&] { return tool.windows().IsOpen(); }, simhost::kForever);
      scheduler.Sleep(endAt);
      tool.windows().SendToDialog(WM_QUERYENDSESSION, 0, 0, TRUE);
      // Windows would end the program soon after; living on, it must end by itself.
      tool.windows().SendToDialog(WM_ENDSESSION, TRUE, 0, 0);
    });
    EXPECT_EQ(run.exitCode, 1602);
    EXPECT_TRUE(Has(run.log, "[exit] 1602 cancelled: ")) << run.log;
    // Written when the session ended (the program may die then), and last when it lives on.
    EXPECT_TRUE(Has(LastLine(run.log), "[exit] 1602 cancelled: ")) << run.log;
    EXPECT_LT(run.log.find("[exit] 1602"), run.log.find("[status] Start WIA")) << run.log;
    EXPECT_TRUE(run.messageBoxes.empty());
    EXPECT_FALSE(run.everShown);
  }
}

// Another program's Update can start an update before the start-up search has told the run its result; the run's
// Close then lands while that update runs and does nothing, so the run presses it again when the update ends.
TEST_F(UnattendedTest, AnUpdateAnotherProgramStartsStillLetsTheRunEnd) {
  preemptAtSwitchPoints = true;
  // Around the start-up search's end: the stop takes a second, the search a few milliseconds more.
  for (uint64_t postAtMs = 1000; postAtMs <= 1040; ++postAtMs) {
    SCOPED_TRACE(postAtMs);
    const RunResult run = Start(L"/quiet", L"", [postAtMs](simhost::Process& tool) {
      simhost::Scheduler& scheduler = tool.world().scheduler();
      scheduler.BlockUntil([&] { return tool.windows().IsOpen(); }, simhost::kForever);
      scheduler.Sleep(postAtMs);
      tool.windows().PostCommand(IDC_UPDATE);
    });
    EXPECT_LT(run.endedAtMs, kRunBoundMs);
    EXPECT_TRUE(run.exitCode == 0 || run.exitCode == 1603) << run.exitCode;
    EXPECT_TRUE(run.serviceGivenBack);
    EXPECT_EQ(run.handlesLeft, 0u);
    EXPECT_TRUE(run.messageBoxes.empty());
  }
}

TEST_F(UnattendedTest, CheckPrintsOneLineOfJsonAndNeverUpdates) {
  struct Case {
    const char* what;
    std::function<void(UnattendedTest&)> arrange;
    int exitCode;
    std::wstring json;
  };
  const Case cases[] = {
      {"old firmware", Old, 11,
       L"{\"found\":true,\"device\":\"Kavrel Tessaline (KT-A4-0001)\",\"mainBoard\":\"0.60\",\"panel\":\"1.05\","
       L"\"needsUpdate\":true,\"path\":\"update\",\"result\":\"needs-update\",\"exitCode\":11}\n"},
      {"current firmware", [](UnattendedTest& t) { t.scenario.mainBoardVersion = 68; }, 10,
       L"{\"found\":true,\"device\":\"Kavrel Tessaline (KT-A4-0001)\",\"mainBoard\":\"0.68\",\"panel\":\"1.05\","
       L"\"needsUpdate\":false,\"path\":\"none\",\"result\":\"current\",\"exitCode\":10}\n"},
      {"no scanner", [](UnattendedTest& t) { t.attach = false; }, 12,
       L"{\"found\":false,\"device\":null,\"mainBoard\":null,\"panel\":null,\"needsUpdate\":false,\"path\":\"none\","
       L"\"result\":\"no-scanner\",\"exitCode\":12}\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    attach = true;
    scenario = {};
    redirected = true;
    c.arrange(*this);
    const RunResult run = Start(L"-Check");
    EXPECT_EQ(run.exitCode, c.exitCode);
    // Only the line: the diagnostic lines go to the log alone.
    EXPECT_EQ(run.output, c.json);
    EXPECT_TRUE(run.stopped);  // the search stops the service, as it does in the window
    EXPECT_TRUE(run.serviceGivenBack);
    EXPECT_FALSE(run.quenbyHeldAfter);
    EXPECT_TRUE(run.messageBoxes.empty());
    EXPECT_FALSE(run.everShown);
    EXPECT_EQ(run.handlesLeft, 0u);
    EXPECT_FALSE(Has(run.log, "[status] Update")) << run.log;
    EXPECT_TRUE(Has(run.log, "[console] [GetDeviceStatus]")) << run.log;
  }
}

TEST_F(UnattendedTest, CheckReachesTheConsoleOfTheCommandPromptThatStartedIt) {
  struct Case {
    bool redirected;
    bool fromConsole;
    bool reachable;
  };
  const Case cases[] = {{true, false, true}, {false, true, true}, {false, false, false}};
  for (const auto& c : cases) {
    redirected = c.redirected;
    fromConsole = c.fromConsole;
    const RunResult run = Start(L"/check");
    EXPECT_EQ(run.outputReachable, c.reachable) << c.redirected << c.fromConsole;
    EXPECT_EQ(run.exitCode, 11);
  }
}

TEST_F(UnattendedTest, AnUnknownSwitchIsRefusedWithItsCode) {
  struct Case {
    std::wstring arguments;
    bool box;  // the interactive tool says which switch in a message box
  };
  const Case cases[] = {{L"/silent", true}, {L"/quiet /silent", false}, {L"/check /nope", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.arguments));
    logPath = L"C:\\t\\refused.log";
    const RunResult run = Start(c.arguments + L" /log C:\\t\\refused.log");
    EXPECT_EQ(run.exitCode, 1639);
    EXPECT_FALSE(run.windowOpened);
    EXPECT_FALSE(run.stopped);
    ASSERT_EQ(run.messageBoxes.size(), c.box ? 1u : 0u);
    if (c.box) {
      EXPECT_EQ(run.messageBoxes[0].text, L"The command line holds an unknown switch: /silent");
      EXPECT_EQ(run.messageBoxes[0].caption, L"FWUpdate");
    }
    EXPECT_TRUE(Has(run.log, "[refused] /")) << run.log;
    EXPECT_TRUE(Has(LastLine(run.log), "[exit] 1639 bad-command-line: ")) << run.log;
  }
}

}  // namespace
