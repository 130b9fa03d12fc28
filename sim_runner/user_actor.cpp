#include "sim_runner/user_actor.h"

#include "res/resource.h"
#include "sim_runner/deadlines.h"

namespace sim_runner {
namespace {

class User {
 public:
  User(simhost::Process& tool, UserRecord& record, Trace& trace, const bool& gone)
      : windows_(tool.windows()), scheduler_(tool.world().scheduler()), record_(record), trace_(trace), gone_(gone) {}

  void Act(const std::vector<UserStep>& steps) {
    if (!scheduler_.BlockUntil([&] { return windows_.IsOpen(); }, scheduler_.Now() + 10000)) {
      record_.gaveUp = "the window never opened";
      return;
    }
    for (const UserStep& step : steps) {
      scheduler_.Sleep(step.afterMs);
      if (!windows_.IsOpen() || gone_) return;
      if (step.patient) WaitPatiently(step.button);
      if (!windows_.IsOpen() || gone_) return;
      if (!Press(step.button, step.doublePress)) {
        trace_.Add(scheduler_.Now(), std::string("user finds ") + ButtonName(step.button) + " disabled");
      }
      if (record_.closePressedAtMs) return;
    }
    if (!windows_.IsOpen() || gone_) return;
    if (!WaitForEnabled(Button::Close, kPatienceMs) || !Press(Button::Close, false)) {
      // Closed meanwhile by an Escape or another program's command, or the user has logged off.
      if (!windows_.IsOpen() || gone_) return;
      record_.gaveUp = "Close stayed disabled for " + std::to_string(kPatienceMs) + " ms";
    }
  }

 private:
  bool Enabled(Button button) const { return windows_.IsOpen() && windows_.IsEnabled(ButtonId(button)); }

  bool WaitForEnabled(Button button, uint64_t boundMs) {
    return scheduler_.BlockUntil([&] { return Enabled(button) || !windows_.IsOpen() || gone_; },
                                 scheduler_.Now() + boundMs) &&
           Enabled(button) && !gone_;
  }

  // As a person who wants this button does: waits a while, and searches again when it stays disabled.
  void WaitPatiently(Button button) {
    for (int round = 0; round < kUserSearchRetries; ++round) {
      if (WaitForEnabled(button, kUserRoundMs)) return;
      if (button != Button::Search && !Press(Button::Search, false)) break;
    }
    WaitForEnabled(button, kPatienceMs);
  }

  bool Press(Button button, bool twice) {
    if (!Enabled(button) || gone_) return false;
    for (int i = 0; i < (twice ? 2 : 1); ++i) windows_.PostCommand(ButtonId(button));
    trace_.Add(scheduler_.Now(), std::string("user presses ") + ButtonName(button) + (twice ? " twice" : ""));
    // The next click is input too: the window takes it only after it has handled this one.
    scheduler_.BlockUntil([&] { return windows_.QueuedCalls() == 0 || !windows_.IsOpen(); }, scheduler_.Now() + 10000);
    if (button == Button::Close) record_.closePressedAtMs = scheduler_.Now();
    if (button == Button::Update) record_.updatePressed = true;
    return true;
  }

  simhost::Windows& windows_;
  simhost::Scheduler& scheduler_;
  UserRecord& record_;
  Trace& trace_;
  const bool& gone_;  // the session has ended: the user has logged off
};

}  // namespace

int ButtonId(Button button) {
  switch (button) {
    case Button::Search:
      return IDC_SEARCH_DEVICE;
    case Button::Update:
      return IDC_UPDATE;
    case Button::Close:
      return IDCANCEL;
  }
  return 0;
}

void StartUser(simhost::Process& tool, const std::vector<UserStep>& steps, UserRecord& record, Trace& trace,
               const bool& gone) {
  tool.world().scheduler().Spawn([&tool, steps, &record, &trace, &gone] {
    User(tool, record, trace, gone).Act(steps);
    record.done = true;
  });
}

}  // namespace sim_runner
