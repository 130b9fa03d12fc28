#include "sim_runner/intruders.h"

#include <algorithm>
#include <string>

#include "res/resource.h"
#include "simhost/session_end.h"
#include "simhost/usbscan.h"
#include "sim_runner/bystanders.h"
#include "sim_runner/deadlines.h"

namespace sim_runner {
namespace {

class Intruder {
 public:
  Intruder(simhost::Process& tool, simhost::SimService* service, IntruderRecord& record, Trace& trace,
           AbruptEndRecord* abrupt = nullptr)
      : tool_(tool), windows_(tool.windows()), scheduler_(tool.world().scheduler()), service_(service),
        record_(record), trace_(trace), abrupt_(abrupt) {}

  void SendCloseMessage(const CloseMessagePlan& plan) {
    if (!WaitForCue(plan.at)) return;
    if (plan.message == CloseMessage::WmClose) {
      windows_.PostDialogMessage(WM_CLOSE, 0, 0);
    } else {
      windows_.PostCommand(IDCANCEL);
    }
    record_.closeMessagesAtMs.push_back(scheduler_.Now());
    trace_.Add(scheduler_.Now(), CloseMessageName(plan.message));
  }

  void PostCommand(const CommandPostPlan& plan) {
    if (!WaitForCue(plan.at)) return;
    windows_.PostCommand(plan.command);
    record_.updatePosted = record_.updatePosted || plan.command == IDC_UPDATE;
    trace_.Add(scheduler_.Now(), "another program posts command " + std::to_string(plan.command));
  }

  void Watch(const WatchdogPlan& plan) {
    if (service_ == nullptr || !WaitForWindow()) return;
    simhost::SimService& service = *service_;
    auto wanted = [&] {
      return service.startType == SERVICE_DISABLED || (plan.starts && service.state == SERVICE_STOPPED);
    };
    for (int i = 0; i < plan.times; ++i) {
      scheduler_.BlockUntil([&] { return wanted() || Over(); }, simhost::kForever);
      scheduler_.Sleep(plan.reactMs);
      if (Over()) return;
      trace_.Add(scheduler_.Now(), std::string("another program sets stisvc to automatic start") +
                                       (plan.starts ? " and starts it" : ""));
      service.startType = SERVICE_AUTO_START;
      if (plan.starts) StartAsAnotherProgram(service, scheduler_.Now());
      scheduler_.BlockUntil([&] { return !wanted() || Over(); }, simhost::kForever);
    }
  }

  void EndSession(const CueAt& at) {
    if (!WaitForCue(at)) return;
    trace_.Add(scheduler_.Now(), "Windows asks whether the session may end");
    simhost::SessionEnd end(tool_);
    const std::optional<bool> mayEnd = end.Query();
    if (!mayEnd) return EndedUnanswered("WM_QUERYENDSESSION");
    if (!windows_.IsOpen()) return;  // the tool has ended meanwhile
    if (!*mayEnd) {
      trace_.Add(scheduler_.Now(), "the tool holds off the end of the session; the user cancels it");
      if (!end.Tell(false)) EndedUnanswered("WM_ENDSESSION");
      return;
    }
    record_.sessionEnding = true;
    if (!end.Tell(true)) return EndedUnanswered("WM_ENDSESSION");
    if (abrupt_->atMs) return;  // ended from outside while it answered
    const uint64_t answered = scheduler_.Now();
    record_.sessionEndedAtMs = answered;
    record_.startTypeWhenAnswered = service_ != nullptr ? service_->startType : 0;
    trace_.Add(answered, "the session ends: Windows may end the tool at any moment from here on");
    WatchUntilTheToolsThreadsEnd(answered + kAfterSessionEndBoundMs);
    record_.killed = true;
    if (abrupt_->atMs) return;  // ended by someone else meanwhile
    tool_.Terminate();
    trace_.Add(scheduler_.Now(), "Windows ends the tool");
  }

 private:
  bool Over() const { return !windows_.IsOpen() || record_.sessionEnding; }

  void EndedUnanswered(const char* message) {
    NoteAbruptEnd(tool_, service_, std::string("Windows, the tool not having answered ") + message + " in time,",
                  *abrupt_, trace_);
  }

  bool WaitForWindow() {
    scheduler_.BlockUntil([&] { return windows_.IsOpen(); }, simhost::kForever);
    return !Over();
  }

  // False when the window has closed or the session has ended first.
  bool WaitForCue(const CueAt& at) {
    if (!WaitForWindow()) return false;
    switch (at.cue) {
      case Cue::Moment:
        break;
      case Cue::ChannelOpen: {
        simhost::UsbBus& bus = tool_.world().usb();
        scheduler_.BlockUntil([&] { return bus.Count(simhost::UsbCall::Open) >= at.count || Over(); }, simhost::kForever);
        break;
      }
      case Cue::ServiceDisabled:
        if (service_ == nullptr) return false;
        for (uint32_t i = 1; i <= at.count && !Over(); ++i) {
          if (i > 1) scheduler_.BlockUntil([&] { return service_->startType != SERVICE_DISABLED || Over(); }, simhost::kForever);
          scheduler_.BlockUntil([&] { return service_->startType == SERVICE_DISABLED || Over(); }, simhost::kForever);
        }
        break;
    }
    scheduler_.Sleep(at.delayMs);
    return !Over();
  }

  // The program may be ended at any moment from the answer on: stisvc must stay set to automatic start whenever
  // that happens, so it is watched until every thread of the tool but the window's has ended.
  void WatchUntilTheToolsThreadsEnd(uint64_t limit) {
    bool watching = service_ != nullptr && service_->startType == SERVICE_AUTO_START;
    for (;;) {
      if (watching && service_->startType != SERVICE_AUTO_START) {
        record_.startTypeLeftAutomaticAtMs = scheduler_.Now();
        trace_.Add(scheduler_.Now(), "stisvc is no longer set to automatic start");
        watching = false;
      }
      record_.toolThreadsEnded = tool_.OtherThreadsEnded();
      if (record_.toolThreadsEnded || scheduler_.Now() >= limit) return;
      const uint64_t until = std::min(scheduler_.Now() + 1000, limit);
      scheduler_.BlockUntil([&] { return watching && service_->startType != SERVICE_AUTO_START; }, until);
    }
  }

  simhost::Process& tool_;
  simhost::Windows& windows_;
  simhost::Scheduler& scheduler_;
  simhost::SimService* service_;
  IntruderRecord& record_;
  Trace& trace_;
  AbruptEndRecord* abrupt_;
};

}  // namespace

void StartIntruders(simhost::Process& tool, simhost::SimService* service, const IntruderPlan& plan, IntruderRecord& record,
                    AbruptEndRecord& abrupt, Trace& trace) {
  simhost::Scheduler& scheduler = tool.world().scheduler();
  for (const CloseMessagePlan& message : plan.closeMessages) {
    scheduler.Spawn([&tool, service, message, &record, &trace] {
      Intruder(tool, service, record, trace).SendCloseMessage(message);
    });
  }
  for (const CommandPostPlan& post : plan.commandPosts) {
    scheduler.Spawn([&tool, service, post, &record, &trace] {
      Intruder(tool, service, record, trace).PostCommand(post);
    });
  }
  if (plan.watchdog) {
    scheduler.Spawn([&tool, service, watchdog = *plan.watchdog, &record, &trace] {
      Intruder(tool, service, record, trace).Watch(watchdog);
    });
  }
  if (plan.sessionEnd) {
    scheduler.Spawn([&tool, service, at = *plan.sessionEnd, &record, &abrupt, &trace] {
      Intruder(tool, service, record, trace, &abrupt).EndSession(at);
    });
  }
}

}  // namespace sim_runner
