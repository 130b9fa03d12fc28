// The world in words, for the head of a trace: enough to see at a glance what this seed built.
#include <sstream>

#include "emulator/control_commands.h"
#include "emulator/tessaline_device.h"
#include "sim_runner/trace.h"
#include "sim_runner/world_plan.h"

namespace sim_runner {
namespace {

std::string Optional(const std::optional<DWORD>& value) {
  return value ? std::to_string(*value) : std::string("never");
}

const char* RecordName(RecordKind kind) {
  switch (kind) {
    case RecordKind::Named:
      return "named";
    case RecordKind::LongName:
      return "name too long to lock";
    case RecordKind::NoFriendlyName:
      return "no FriendlyName";
    case RecordKind::WrongHardwareId:
      return "another hardware id";
    case RecordKind::None:
      return "no record";
  }
  return "?";
}

void DescribeScanner(std::ostringstream& out, const ScannerPlan& scanner) {
  if (!scanner.present) {
    out << "scanner: absent\n";
    return;
  }
  emu::TessalineDevice described(scanner.scenario, 0);
  out << "scanner: usbscan" << scanner.index << (scanner.otherVendorBefore ? " (another vendor before it)" : "")
      << "\n  " << emu::HandleControlLine(described, "get", 0) << "\n";
  for (const simhost::UsbFault& f : scanner.usbFaults) {
    out << "  usb fault: requests " << f.request << "+" << f.count;
    if (f.callError) out << " call error " << *f.callError;
    if (f.pendingMs) out << " pending " << *f.pendingMs << " ms";
    if (f.waitResult) out << " wait result " << *f.waitResult;
    if (f.completionError) out << " ends with error " << *f.completionError;
    if (f.shortBytes) out << " at most " << *f.shortBytes << " bytes";
    out << "\n";
  }
}

void DescribeService(std::ostringstream& out, const ServicePlan& s) {
  out << "stisvc: " << (s.missing ? "missing" : "present") << ", state " << s.initialState << ", start type "
      << s.initialStartType << "; stop takes " << Optional(s.stopTakesMs) << " ms (hint " << s.stopWaitHintMs
      << ", control error " << s.stopControlError << "); start takes " << Optional(s.startTakesMs) << " ms (hint "
      << s.startWaitHintMs << ", error " << s.startError << (s.stopsAgainAfterStart ? ", stops again" : "")
      << "); config error " << s.changeConfigError << ", status error " << s.queryStatusError
      << "; each request takes " << s.roundTripMinMs << ".." << s.roundTripMaxMs << " ms\n";
  for (const uint64_t at : s.reEnableAtMs) out << "  another program re-enables it at " << at << " ms\n";
}

}  // namespace

const char* ButtonName(Button button) {
  switch (button) {
    case Button::Search:
      return "Search Device";
    case Button::Update:
      return "Update";
    case Button::Close:
      return "Close";
  }
  return "?";
}

std::string DescribeWorldPlan(const WorldPlan& plan) {
  std::ostringstream out;
  out << "world of seed " << plan.seed << "\n";
  out << "LANG_ID: " << (plan.langId ? std::to_string(*plan.langId) : std::string("no settings file"))
      << ", system language 0x" << std::hex << plan.systemLanguage << std::dec
      << (plan.debugSwitch ? ", -d" : "") << (plan.quiet ? ", /quiet" : "") << ", tick count starts at "
      << plan.tickBase << "\n";
  DescribeScanner(out, plan.scanner);
  if (plan.second.present) {
    out << "second scanner: "
        << (plan.second.plugInAtMs == 0 ? std::string("from the start")
                                        : "plugged in at " + std::to_string(plan.second.plugInAtMs) + " ms")
        << "\n";
  }
  out << "device record: " << RecordName(plan.record.kind) << " \"" << Utf8(plan.record.friendlyName) << "\"\n";
  DescribeService(out, plan.service);
  for (const LockHolderPlan& h : plan.holders) {
    out << "scan application: lock " << h.kind << " in session " << h.session << (h.sameUser ? "" : " (other user)")
        << (h.openToEveryone ? "" : " (default security)") << " from " << h.fromMs << " ms for "
        << (h.forMs ? std::to_string(*h.forMs) + " ms" : std::string("ever")) << "\n";
  }
  for (const UserStep& step : plan.user) {
    out << "user: after " << step.afterMs << " ms " << ButtonName(step.button) << (step.doublePress ? " twice" : "")
        << (step.patient ? ", waiting for it" : "") << "\n";
  }
  out << (plan.quiet ? "user: nobody; the tool presses its buttons itself\n" : "user: then Close\n");
  DescribeIntruders(out, plan.intruders);
  if (plan.kill.present) out << "Task Manager ends the tool at " << plan.kill.atMs << " ms\n";
  out << "the tool's switch points preempt its thread "
      << (plan.preemptOneIn == 0 ? std::string("never") : "one time in " + std::to_string(plan.preemptOneIn))
      << "; a message box is answered after " << plan.messageBoxAnswerMs << " ms\n";
  return out.str();
}

}  // namespace sim_runner
