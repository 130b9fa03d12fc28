#include "sim_runner/run.h"

#include "app/fwupdate_app.h"
#include "res/resource.h"
#include "sim_runner/abrupt_end.h"
#include "sim_runner/bystanders.h"
#include "sim_runner/deadlines.h"
#include "sim_runner/intruders.h"
#include "sim_runner/invariants.h"
#include "sim_runner/observer.h"
#include "sim_runner/second_scanner.h"
#include "sim_runner/text_book.h"
#include "sim_runner/user_actor.h"
#include "sim_runner/world_setup.h"
#include "tests/support/guard_launcher.h"

namespace sim_runner {
namespace {

// The scheduler's own seed, apart from the world's draws so that the two do not move in step.
uint64_t SchedulerSeed(uint64_t seed) { return seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull; }

// Long enough for every user step to wait its fill and the tool to close after, and for the tool's threads to
// end after the session has ended: past it the run has hung.
uint64_t HardBound(const WorldPlan& plan) {
  uint64_t bound = kPatienceMs + kCancelBoundMs + 10000;
  for (const UserStep& step : plan.user) {
    bound += step.afterMs + kPatienceMs + kUserSearchRetries * (kUserRoundMs + kPatienceMs);
  }
  if (plan.intruders.sessionEnd) bound += kAfterSessionEndBoundMs;
  return bound;
}

// A guard that finds the tool gone without giving the service back waits for a stop under way, then starts it.
constexpr uint64_t kGuardBoundMs = 2 * kServiceOperationBoundMs;

}  // namespace

RunReport RunSeed(uint64_t seed, const std::function<void(const RunReport&)>& checked) {
  const WorldPlan plan = MakeWorldPlan(seed);
  RunReport report;
  report.seed = seed;
  report.world = DescribeWorldPlan(plan);
  Trace trace;
  SecondScannerRecord second;

  simhost::World world(SchedulerSeed(seed));
  simhost::Scheduler& scheduler = world.scheduler();
  scheduler.AdoptCurrentThread();
  SetUpMachine(world, plan);
  emu::TessalineDevice* scanner = SetUpScanner(world, plan.scanner);
  if (plan.preemptOneIn != 0) scheduler.EnablePreemption(SchedulerSeed(seed) ^ 0x5851F42D4C957F2Dull, plan.preemptOneIn);
  simhost::Process tool(world, ToolOptions(plan));
  // The guard the tool starts is the program's own, as a second copy on the same machine.
  GuardLauncher guards(world, tool);
  tool.user().SetAnswerAfterMs(plan.messageBoxAnswerMs);
  SetUpRecord(tool, plan.record);
  simhost::SimService* service = SetUpService(tool, plan.service);
  const TextBook book(ConfiguredLanguage(plan.langId, plan.systemLanguage));

  Bystanders bystanders(world, trace);
  bystanders.StartScanApps(plan.holders, plan.record.friendlyName);
  if (service != nullptr) bystanders.StartServiceMeddler(*service, plan.service.reEnableAtMs);
  ObserverRecord observed;
  StartObserver({&tool, scanner, service, book.Entry(253)}, observed, trace);
  IntruderRecord intruders;
  UserRecord user;
  // In a /quiet world nobody is at the window.
  if (!plan.quiet) StartUser(tool, plan.user, user, trace, intruders.sessionEnding);
  AbruptEndRecord abrupt;
  StartIntruders(tool, service, plan.intruders, intruders, abrupt, trace);
  StartSecondScanner(world, plan.second, scanner, second, trace);
  StartKiller(tool, service, plan.kill, abrupt, trace);

  bool ended = false;
  uint64_t endedAt = 0;
  int exitCode = -1;
  tool.Start([&] {
    CFWUpdateApp app;
    exitCode = app.Run(tool.host());
    ended = true;
    endedAt = scheduler.Now();
  });
  const uint64_t bound = HardBound(plan);
  scheduler.BlockUntil(
      [&] { return ended || intruders.killed || abrupt.atMs || (user.done && !user.gaveUp.empty()); }, bound);
  // What is still runnable (the cancel thread returning after the window ended) finishes before the checks.
  scheduler.Sleep(1);
  if (ended) trace.Add(endedAt, "the tool has ended");
  WatchGiveBack(scheduler, service, abrupt, trace);
  // Every guard ends once the tool has, having given the service back or found it given back.
  const bool guardsEnded = !tool.Self()->ended ||
                           scheduler.BlockUntil([&] { return guards.AllEnded(); }, scheduler.Now() + kGuardBoundMs);
  if (guardsEnded && !guards.Copies().empty() && tool.Self()->ended) trace.Add(scheduler.Now(), "the guard has ended");
  report.longestUnservedMs = tool.windows().LongestUnservedMs();
  trace.Add(scheduler.Now(), "the window's thread stayed out of its message loop " +
                                 std::to_string(report.longestUnservedMs) + " ms at the longest");

  report.failures = CheckRun({plan, world, tool, service, book, user, observed, bystanders, intruders, abrupt, ended,
                              endedAt, bound, exitCode});
  if (!guardsEnded) {
    report.failures.push_back("a guard process still runs " + std::to_string(kGuardBoundMs) + " ms after the tool ended");
  }
  CheckAbruptEnd(plan, service, abrupt, intruders.sessionEndedAtMs, report.failures);
  if (abrupt.atMs) report.abruptEnd = abrupt.by + " at " + std::to_string(*abrupt.atMs) + " ms";
  report.guardedWhenEnded = abrupt.atMs && abrupt.guarded;
  report.givenBackByGuard = report.guardedWhenEnded && abrupt.givenBackAtMs;
  CheckSecondScanner(plan.second, scanner, second, report.failures);
  report.trace = trace.Text();
  report.virtualMs = scheduler.Now();
  report.succeeded = observed.successes;
  report.unseenOldFirmware = observed.unseenOldFirmware;
  const std::wstring failedPrefix = book.Entry(254).substr(0, book.Entry(254).find(L"%s"));
  for (const std::wstring& text : tool.windows().TextHistory(IDC_STATUS)) {
    report.failed += text.compare(0, failedPrefix.size(), failedPrefix) == 0 ? 1 : 0;
  }
  if (checked) checked(report);
  scheduler.UnwindOtherThreads();
  return report;
}

std::string FailureText(const RunReport& report) {
  std::string text = "seed " + std::to_string(report.seed) + " FAILED:\n";
  for (const std::string& failure : report.failures) text += "  " + failure + "\n";
  text += "you can reproduce this failure with --seed " + std::to_string(report.seed) + "\n";
  return text;
}

}  // namespace sim_runner
