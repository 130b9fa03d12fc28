#include "sim_runner/invariants.h"

#include <algorithm>

#include "app/fwupdate_app.h"
#include "app/time_limits.h"
#include "res/resource.h"
#include "sim_runner/deadlines.h"
#include "sim_runner/lock_names.h"

namespace sim_runner {
namespace {

using Failures = std::vector<std::string>;

bool EndedBySession(const RunFacts& f) { return f.intruders.killed && !f.ended; }
// Task Manager, or Windows for a window that did not answer the session's end: no code of the tool ran after.
bool EndedAbruptly(const RunFacts& f) { return f.abrupt.atMs.has_value() && !f.ended; }

// The tool ends only through a Close command and the cancel thread, within the cancel thread's bound; or Windows
// ends it after the session has ended, once its threads are done.
void CheckEnd(const RunFacts& f, Failures& out) {
  // Its end, its last text and its exit code were never its own; the guard's checks (abrupt_end.cpp) apply.
  if (EndedAbruptly(f)) return;
  if (EndedBySession(f)) {
    if (!f.intruders.toolThreadsEnded) {
      out.push_back("threads of the tool still ran " + std::to_string(kAfterSessionEndBoundMs) +
                    " ms after the session ended");
    }
    return;
  }
  if (!f.ended) {
    out.push_back("the tool did not end within " + std::to_string(f.boundMs) + " ms" +
                  (f.user.gaveUp.empty() ? std::string() : " (" + f.user.gaveUp + ")"));
    return;
  }
  // Close pressed, or Escape, command 2 or WM_CLOSE, which need no enabled button.
  const auto& messages = f.intruders.closeMessagesAtMs;
  // In /quiet the tool presses Close itself.
  const bool closeCommand = f.plan.quiet || f.user.closePressedAtMs ||
                            std::any_of(messages.begin(), messages.end(), [&](uint64_t at) { return at <= f.endedAtMs; });
  if (!closeCommand) {
    out.push_back("the window ended at " + std::to_string(f.endedAtMs) + " ms without a Close command");
    return;
  }
  if (!f.observer.cancelStartedAtMs) {
    out.push_back("the window ended at " + std::to_string(f.endedAtMs) + " ms without a cancel thread");
    return;
  }
  const uint64_t closing = f.endedAtMs - *f.observer.cancelStartedAtMs;
  if (closing > kCancelBoundMs) {
    out.push_back("the tool took " + std::to_string(closing) + " ms after Close to end, more than " +
                  std::to_string(kCancelBoundMs));
  }
  const auto& shown = f.tool.windows().TextHistory(IDC_STATUS);
  const bool lastIsCancel = !shown.empty() && (shown.back() == f.book.Entry(231) || shown.back() == f.book.Entry(227));
  if (!lastIsCancel) {
    out.push_back("the last status text is \"" + (shown.empty() ? std::string() : Utf8(shown.back())) +
                  "\", not the cancel thread's 231 or 227");
  }
  const std::wstring& console = f.tool.console().Output();
  if (console.find(L"[Cancel Button] Create Cancel Thread...\n") == std::wstring::npos) {
    out.push_back("no cancel thread was started");
  }
}

// The state the service settles in: a pending change that will end is taken as ended.
DWORD EventualState(const simhost::SimService& s) {
  const bool pending = s.state == SERVICE_START_PENDING || s.state == SERVICE_STOP_PENDING;
  return pending && s.transitionAt != simhost::kForever ? s.targetState : s.state;
}

bool WasShown(const RunFacts& f, unsigned id) {
  const auto& shown = f.tool.windows().TextHistory(IDC_STATUS);
  return std::find(shown.begin(), shown.end(), f.book.Entry(id)) != shown.end();
}

// Windows may end the tool at any moment once it has answered WM_ENDSESSION, and starting the service is left to
// the next boot: from the answer on stisvc is set to automatic start, for as long as any thread of the tool runs
// (or text 227 was shown).
void CheckServiceAtSessionEnd(const RunFacts& f, Failures& out) {
  if (WasShown(f, 227)) return;
  if (f.service == nullptr) {
    out.push_back("the machine has no stisvc, and text 227 was not shown at the end of the session");
    return;
  }
  if (f.intruders.startTypeWhenAnswered != SERVICE_AUTO_START) {
    out.push_back("when the tool let the session end stisvc had start type " +
                  std::to_string(f.intruders.startTypeWhenAnswered) + ", and text 227 was not shown");
  }
  if (f.intruders.startTypeLeftAutomaticAtMs) {
    out.push_back("after the session ended stisvc was set to start type " + std::to_string(f.service->startType) +
                  " at " + std::to_string(*f.intruders.startTypeLeftAutomaticAtMs) + " ms");
  }
}

// Automatic start and running, or text 227. One exception, which no tool can help: a service whose stop takes
// longer than the tool's stop limit (text 226, "restart your computer") is still stopping when the
// cancel thread looks, so nothing starts it; its automatic start brings it back with Windows.
void CheckService(const RunFacts& f, Failures& out) {
  if (f.intruders.sessionEndedAtMs) CheckServiceAtSessionEnd(f, out);
  if (!f.ended || WasShown(f, 227)) return;
  if (f.service == nullptr) {
    out.push_back("the machine has no stisvc, and text 227 was not shown");
    return;
  }
  const simhost::SimService& s = *f.service;
  const DWORD eventual = EventualState(s);
  const bool slowStop = !f.plan.service.stopTakesMs || *f.plan.service.stopTakesMs >= limits::kServiceStopLimitMs;
  const bool stillStopping = slowStop && WasShown(f, 226) &&
                             (eventual == SERVICE_STOPPED || eventual == SERVICE_STOP_PENDING);
  if (s.startType == SERVICE_AUTO_START && (eventual == SERVICE_RUNNING || stillStopping)) return;
  out.push_back("after exit stisvc has state " + std::to_string(s.state) + " (settling in " +
                std::to_string(eventual) + ") and start type " + std::to_string(s.startType) +
                ", and text 227 was not shown");
}

// A program that Windows ends has its handles closed, its locks with them: whoever ended it, none may be left.
void CheckLocks(const RunFacts& f, Failures& out) {
  const int session = f.tool.options().session;
  if (f.world.IsNameInUse(kSingleInstanceMutexName, session)) out.push_back("the single-instance lock is held");
  const bool named = f.plan.record.kind == RecordKind::Named || f.plan.record.kind == RecordKind::LongName;
  for (int kind = 0; kind < kLockKinds; ++kind) {
    if (kind != 1 && !named) continue;
    const std::wstring name = LockName(kind, f.plan.record.friendlyName);
    if (f.world.IsNameInUse(name, session) && !f.bystanders.Holds(name, session)) {
      out.push_back("lock " + std::to_string(kind) + " is held after exit and no scan application holds it");
    }
  }
}

void CheckDeviceUse(simhost::UsbBus& bus, Failures& out) {
  for (const std::string& violation : bus.Violations()) out.push_back("usbscan: " + violation);
  if (bus.CutTransactions() != 0) {
    out.push_back(std::to_string(bus.CutTransactions()) +
                  " scanner transactions were cut by another channel's requests (two threads talked to it at once)");
  }
}

// Handles and the machine's state that a program that ends by itself must have given back; Windows closes them
// for one it ends.
void CheckHandles(const RunFacts& f, Failures& out) {
  simhost::Process& tool = f.tool;
  simhost::UsbBus& bus = f.world.usb();
  if (EndedBySession(f) || EndedAbruptly(f)) {
    CheckDeviceUse(bus, out);
    return;
  }
  const std::pair<const char*, size_t> counts[] = {
      {"kernel and device handles", tool.OpenHandles()},
      {"service handles", tool.services().OpenHandles()},
      {"configuration buffers", tool.services().LiveAllocations()},
      {"device information sets", tool.setup().OpenDeviceSets()},
      {"registry keys", tool.registry().OpenKeys()},
      {"sockets", tool.sockets().OpenSockets()},
      {"usbscan handles", bus.OpenHandles()},
      {"usbscan requests in flight", bus.RequestsInFlight()},
  };
  for (const auto& [what, count] : counts) {
    if (count != 0) out.push_back(std::to_string(count) + " " + what + " left open after exit");
  }
  CheckDeviceUse(bus, out);
  if (tool.power().SystemRequired()) out.push_back("a thread still keeps the machine awake after exit");
  if (tool.power().BlockReason()) out.push_back("the end of the session is still held off after exit");
}

void CheckTexts(const RunFacts& f, Failures& out) {
  const int controls[] = {IDC_STATUS,      IDC_DEVICE_NAME,  IDC_INTERFACE, IDC_TITLE,        IDC_DEVICE_NAME_LABEL,
                          IDC_INTERFACE_LABEL, IDC_STATUS_LABEL, IDC_SEARCH_DEVICE, IDC_UPDATE, IDCANCEL};
  for (const int id : controls) {
    for (const std::wstring& text : f.tool.windows().TextHistory(id)) {
      if (!f.book.Allows(id, text)) {
        out.push_back("control " + std::to_string(id) + " showed \"" + Utf8(text) +
                      "\", no text of language 0x" + [&] {
                        char hex[8];
                        std::snprintf(hex, sizeof hex, "%04x", f.book.TableLanguage());
                        return std::string(hex);
                      }());
      }
    }
  }
  // A tool ended from outside may not have got as far as its caption.
  if (!EndedAbruptly(f) && f.tool.windows().Caption() != f.book.Entry(257)) {
    out.push_back("the caption is \"" + Utf8(f.tool.windows().Caption()) + "\"");
  }
  for (const auto& box : f.tool.user().MessageBoxes()) {
    if (box.text != f.book.Entry(248)) out.push_back("a message box said \"" + Utf8(box.text) + "\"");
  }
}

void CheckSuccesses(const RunFacts& f, Failures& out) {
  for (const std::string& why : f.observer.falseSuccesses) out.push_back("false \"Update Succeed.\" " + why);
  if (f.observer.successes > 0 && !f.user.updatePressed && !f.intruders.updatePosted && !f.plan.quiet) out.push_back("\"Update Succeed.\" without Update");
}

// People and the end of the session end a hung window without its own clean-up.
void CheckWindowServed(const RunFacts& f, Failures& out) {
  const uint64_t longest = f.tool.windows().LongestUnservedMs();
  if (longest >= kHungWindowMs) {
    out.push_back("the window's thread stayed out of its message loop for " + std::to_string(longest) +
                  " ms: Windows calls it hung");
  }
}

}  // namespace

std::vector<std::string> CheckRun(const RunFacts& facts) {
  Failures out;
  CheckEnd(facts, out);
  CheckService(facts, out);
  CheckLocks(facts, out);
  CheckHandles(facts, out);
  CheckTexts(facts, out);
  CheckSuccesses(facts, out);
  CheckWindowServed(facts, out);
  if (facts.plan.quiet) CheckQuietRun(facts, out);
  return out;
}

}  // namespace sim_runner
