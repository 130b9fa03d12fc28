// The end of the session as Windows does it: each message is sent with a limit, and a program whose window has
// not answered by then is ended as TerminateProcess ends it, without any of its own code running.
#include <gtest/gtest.h>

#include <optional>

#include "res/resource.h"
#include "simhost/process.h"
#include "simhost/session_end.h"

namespace {

constexpr const wchar_t* kLockName = L"Global\\HELD_BY_THE_PROGRAM";
constexpr uint64_t kWorkerPollMs = 100;
// How long Windows waits for each answer.
constexpr uint64_t kAnswerLimitMs = 5000;

// A window whose session-end handlers take the given time before they answer.
class SlowDialog final : public plat::IDialogEvents {
 public:
  SlowDialog(simhost::Process& program, uint64_t queryMs, uint64_t endMs)
      : program_(program), queryMs_(queryMs), endMs_(endMs) {}

  INT_PTR OnDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM) override {
    switch (message) {
      case WM_QUERYENDSESSION:
        program_.world().scheduler().Sleep(queryMs_);
        return FALSE;  // default processing: the session may end
      case WM_ENDSESSION:
        program_.world().scheduler().Sleep(endMs_);
        return TRUE;
      case WM_COMMAND:
        if ((wParam & 0xFFFF) == IDCANCEL) program_.windows().EndDialog(dialog, IDCANCEL);
        return TRUE;
      default:
        return FALSE;
    }
  }

 private:
  simhost::Process& program_;
  uint64_t queryMs_;
  uint64_t endMs_;
};

// Sets its flag when destroyed: a stack that unwinds shows.
struct Unwound {
  bool* flag;
  ~Unwound() { *flag = true; }
};

struct WorkerState {
  simhost::Process* program = nullptr;
  int rounds = 0;
};

DWORD WINAPI Worker(LPVOID parameter) {
  auto* state = static_cast<WorkerState*>(parameter);
  for (;;) {
    ++state->rounds;
    state->program->world().scheduler().Sleep(kWorkerPollMs);
  }
}

struct Case {
  const char* name;
  uint64_t queryMs;      // how long the window takes to answer WM_QUERYENDSESSION
  uint64_t endMs;        // and WM_ENDSESSION
  bool queryAnswered;
  bool endAnswered;
};

TEST(SessionEndLimit, AWindowThatDoesNotAnswerInTimeHasItsProgramEndedWithoutItsCode) {
  const Case cases[] = {
      {"both answered at once", 0, 0, true, true},
      {"both answered just within the limit", 4999, 4999, true, true},
      {"the query answered too late", 5001, 0, false, false},
      {"the query never answered", 3600000, 0, false, false},
      {"the end answered too late", 0, 5001, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Before the world: the frozen threads unwind when it ends.
    WorkerState worker;
    bool unwound = false;
    bool returned = false;
    simhost::World world;
    simhost::Scheduler& scheduler = world.scheduler();
    scheduler.AdoptCurrentThread();
    simhost::Process program(world);
    simhost::Process other(world);
    SlowDialog dialog(program, c.queryMs, c.endMs);
    worker.program = &program;
    program.Start([&] {
      const Unwound guard{&unwound};
      plat::IKernel& kernel = program.host().kernel;
      kernel.CreateMutexW(nullptr, TRUE, kLockName);
      kernel.CloseHandle(kernel.CreateThread(nullptr, 0, &Worker, &worker, 0, nullptr));
      program.windows().DialogBoxParamW(MAKEINTRESOURCEW(IDD_FWUPDATE_DIALOG), nullptr, dialog);
      returned = true;
    });
    scheduler.BlockUntil([&] { return program.windows().IsOpen(); }, simhost::kForever);
    // Another program waits on the lock and on the program's process.
    const HANDLE lock = other.host().kernel.CreateMutexW(nullptr, FALSE, kLockName);
    const HANDLE process = other.host().kernel.OpenProcess(SYNCHRONIZE, FALSE, program.Self()->id);

    simhost::SessionEnd end(program);
    const uint64_t asked = scheduler.Now();
    const std::optional<bool> mayEnd = end.Query();
    ASSERT_EQ(mayEnd.has_value(), c.queryAnswered);
    bool told = false;
    if (mayEnd) {
      EXPECT_TRUE(*mayEnd);
      EXPECT_EQ(scheduler.Now() - asked, c.queryMs);
      told = end.Tell(true);
    }
    EXPECT_EQ(told, c.endAnswered);
    if (c.endAnswered) {
      EXPECT_FALSE(end.EndedUnansweredAtMs().has_value());
      EXPECT_FALSE(program.Self()->ended);
      EXPECT_TRUE(program.windows().IsOpen());
      program.windows().PostCommand(IDCANCEL);
      scheduler.BlockUntil([&] { return returned; }, scheduler.Now() + 1000);
      EXPECT_TRUE(returned);
      continue;
    }
    // Windows gives up exactly at the limit of the message it waited for.
    const uint64_t gaveUpAt = asked + (c.queryAnswered ? c.queryMs + kAnswerLimitMs
                                                       : kAnswerLimitMs);
    ASSERT_TRUE(end.EndedUnansweredAtMs().has_value());
    EXPECT_EQ(*end.EndedUnansweredAtMs(), gaveUpAt);
    EXPECT_EQ(scheduler.Now(), gaveUpAt);
    EXPECT_TRUE(program.Self()->ended);
    EXPECT_FALSE(program.windows().IsOpen());
    EXPECT_EQ(program.OpenHandles(), 0u);
    EXPECT_EQ(other.host().kernel.WaitForSingleObject(process, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(other.host().kernel.WaitForSingleObject(lock, 0), static_cast<DWORD>(WAIT_ABANDONED));
    other.host().kernel.ReleaseMutex(lock);
    other.host().kernel.CloseHandle(lock);
    EXPECT_FALSE(world.IsNameInUse(kLockName, 1)) << "the lock's name went with its last handle";
    // Its threads stay where they were: the worker does not come round again, the main thread does not return
    // and its stack does not unwind.
    const int rounds = worker.rounds;
    scheduler.Sleep(10 * kWorkerPollMs);
    EXPECT_EQ(worker.rounds, rounds);
    EXPECT_FALSE(returned);
    EXPECT_FALSE(unwound);
    EXPECT_TRUE(program.OtherThreadsEnded());
    other.host().kernel.CloseHandle(process);
  }
}

}  // namespace
