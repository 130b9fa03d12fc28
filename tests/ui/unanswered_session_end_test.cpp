// A window that does not answer the end of the session in time: Windows ends the program without its own code
// running, so the program cannot give the still-image service back, and its guard must.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "app/fwupdate_app.h"
#include "host/start_up_entry.h"
#include "res/resource.h"
#include "simhost/session_end.h"
#include "support/guard_launcher.h"
#include "support/scanner_fixture.h"
#include "ui/fwupdate_dlg.h"

namespace {

// From the program's end to the service running again, at most.
constexpr uint64_t kGiveBackBoundMs = 5000;
// How long Windows waits for each answer.
constexpr uint64_t kAnswerLimitMs = 5000;
// Longer than that.
constexpr uint64_t kHungHandlerMs = 8000;

enum class Hang { None, BeforeTheQuery, BeforeTheEnd };

struct Outcome {
  bool held = false;  // the first search was done with the service held when the session began to end
  std::optional<uint64_t> endedAtMs;           // Windows ended the program for not answering
  uint64_t lastSentAtMs = 0;                   // when Windows sent the last message it waited for
  std::optional<uint64_t> givenBackAfterMs;    // from the program's end: automatic start and running
  bool guardsEnded = false;
  bool locksFree = false;
  bool cutOffMarked = false;
  DWORD startType = 0;
  DWORD state = 0;
};

struct Case {
  const char* name;
  Hang hang;
  bool ended;      // by Windows, for not answering
  bool guardActs;  // the program had not given the service back itself
};

class UnansweredSessionEnd : public ScannerTest, public testing::WithParamInterface<Case> {
 protected:
  // The program runs on a thread of its own, so that Windows can end it; this thread is Windows.
  Outcome EndTheSession(Hang hang);
};

Outcome UnansweredSessionEnd::EndTheSession(Hang hang) {
  simhost::Scheduler& scheduler = world.scheduler();
  // A handler that keeps the window's thread for longer than Windows waits, as a call that blocks would. Made
  // before the launcher: the ended program's stack still runs it when the launcher's copies unwind the world.
  const std::function<void()> stuck = [this] { tool.host().time.Sleep(kHungHandlerMs); };
  WindowTask task{&stuck, false};
  Attach();
  simhost::SimService& stisvc = Stisvc();
  GuardLauncher launcher{world, tool};
  tool.Start([this] {
    CFWUpdateApp app;
    app.Run(tool.host());
  });
  simhost::Windows& windows = tool.windows();
  // The first search is done: the service is held and Close is enabled.
  Outcome out;
  out.held = WaitFor([&] { return windows.IsOpen() && stisvc.startType == SERVICE_DISABLED && windows.IsEnabled(IDCANCEL); },
                     70000);
  auto holdTheWindow = [&] {
    scheduler.Spawn([&] { windows.SendMessageW(windows.DialogHandle(), kWindowTaskMessage, 0, reinterpret_cast<LPARAM>(&task)); });
    scheduler.Sleep(1);
  };

  simhost::SessionEnd end(tool);
  if (hang == Hang::BeforeTheQuery) holdTheWindow();
  out.lastSentAtMs = scheduler.Now();
  if (end.Query()) {
    if (hang == Hang::BeforeTheEnd) holdTheWindow();
    out.lastSentAtMs = scheduler.Now();
    // Answered: Windows ends the program at once, as it may.
    if (end.Tell(true)) tool.Terminate();
  }
  out.endedAtMs = end.EndedUnansweredAtMs();
  const uint64_t ended = scheduler.Now();
  if (WaitFor([&] { return stisvc.GivenBack(); }, kGiveBackBoundMs)) {
    out.givenBackAfterMs = scheduler.Now() - ended;
  }
  out.guardsEnded = WaitFor([&] { return launcher.AllEnded(); }, 70000);
  out.locksFree = !world.IsNameInUse(kSingleInstanceMutexName, 1) &&
                  !world.IsNameInUse(L"Global\\KAVREL_QUENBY_SUBSCRIPTION_MUTEX_Scanner A", 1) &&
                  !world.IsNameInUse(L"{E6E9D5F2-2344-4763-A8C6-25462D4CA1E6}", 1) &&
                  !world.IsNameInUse(L"Global\\KAVREL_SCAN_EXT_APP_MUTEX_Scanner A", 1);
  out.cutOffMarked = tool.registry().Value(guard::kToolKey, guard::kCutOffValue) != nullptr;
  out.startType = stisvc.startType;
  out.state = stisvc.state;
  return out;
}

TEST_P(UnansweredSessionEnd, TheProgramIsEndedAtTheLimitAndItsGuardGivesTheServiceBack) {
  const Case& c = GetParam();
  const Outcome out = EndTheSession(c.hang);
  ASSERT_TRUE(out.held);
  EXPECT_EQ(out.endedAtMs.has_value(), c.ended);
  if (out.endedAtMs) {
    EXPECT_EQ(*out.endedAtMs - out.lastSentAtMs, kAnswerLimitMs) << "Windows gives up at its limit";
  }
  EXPECT_TRUE(out.guardsEnded) << "no process is left";
  EXPECT_TRUE(out.locksFree);
  EXPECT_EQ(out.cutOffMarked, c.guardActs);
  EXPECT_EQ(out.startType, static_cast<DWORD>(SERVICE_AUTO_START));
  if (c.guardActs) {
    ASSERT_TRUE(out.givenBackAfterMs.has_value()) << "state " << out.state << ", start type " << out.startType;
    EXPECT_LE(*out.givenBackAfterMs, kGiveBackBoundMs);
  } else {
    // The window gave it back itself (automatic start, started with the next boot): the guard changes nothing.
    EXPECT_EQ(out.state, static_cast<DWORD>(SERVICE_STOPPED));
  }
}

const Case kCases[] = {
    {"TheWindowAnswersBoth", Hang::None, false, false},
    {"TheWindowHangsBeforeTheQuery", Hang::BeforeTheQuery, true, true},
    {"TheWindowHangsAfterTheQuery", Hang::BeforeTheEnd, true, true},
};
INSTANTIATE_TEST_SUITE_P(Hangs, UnansweredSessionEnd, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& param) { return std::string(param.param.name); });

}  // namespace
