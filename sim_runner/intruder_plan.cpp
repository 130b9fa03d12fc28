// Draws the intruders. Cues on the machine's events put them where the races live: a Close message or the end of
// the session in the very milliseconds after the tool stopped the service or opened the scanner.
#include "sim_runner/intruder_plan.h"

#include "sim_runner/rng.h"

namespace sim_runner {
namespace {

// Right after the event, within a search or a poll, or a while later.
uint64_t CueDelay(Rng& rng) {
  switch (rng.Between(0, 2)) {
    case 0:
      return rng.Between(0, 5);
    case 1:
      return rng.Between(0, 50);
    default:
      return rng.Between(0, 3000);
  }
}

CueAt DrawCue(Rng& rng) {
  CueAt at;
  switch (rng.Between(0, 2)) {
    case 0:
      at.cue = Cue::Moment;
      at.delayMs = rng.Delay();
      break;
    case 1:
      at.cue = Cue::ChannelOpen;
      at.count = rng.Pick<uint32_t>({1, 1, 2, 3, 5, 8, 13, 30});
      at.delayMs = CueDelay(rng);
      break;
    default:
      at.cue = Cue::ServiceDisabled;
      at.count = rng.Pick<uint32_t>({1, 1, 1, 2, 3});
      at.delayMs = CueDelay(rng);
  }
  return at;
}

const char* CueName(Cue cue) {
  switch (cue) {
    case Cue::Moment:
      return "the window's opening";
    case Cue::ChannelOpen:
      return "device channel open";
    case Cue::ServiceDisabled:
      return "stisvc disabled";
  }
  return "?";
}

void DescribeCue(std::ostringstream& out, const CueAt& at) {
  out << at.delayMs << " ms after ";
  if (at.cue != Cue::Moment) out << "the " << at.count << ". ";
  out << CueName(at.cue);
}

}  // namespace

IntruderPlan DrawIntruders(Rng& rng) {
  IntruderPlan plan;
  const auto messages = rng.Percent(65) ? 0 : rng.Between(1, 3);
  for (uint64_t i = 0; i < messages; ++i) {
    const auto message = rng.Pick({CloseMessage::Escape, CloseMessage::Command2, CloseMessage::WmClose});
    plan.closeMessages.push_back({message, DrawCue(rng)});
  }
  if (rng.Percent(25)) {
    WatchdogPlan watchdog;
    watchdog.reactMs = rng.Pick<int>({0, 0, 1, 2}) == 0 ? rng.Between(0, 5) : rng.Between(0, 60000);
    watchdog.times = static_cast<int>(rng.Between(1, 4));
    watchdog.starts = rng.Percent(70);
    plan.watchdog = watchdog;
  }
  if (rng.Percent(15)) plan.sessionEnd = DrawCue(rng);
  return plan;
}

std::vector<CommandPostPlan> DrawCommandPosts(Rng& rng) {
  std::vector<CommandPostPlan> posts;
  const auto count = rng.Percent(60) ? 0 : rng.Between(1, 4);
  for (uint64_t i = 0; i < count; ++i) posts.push_back({rng.Pick({1000, 1144}), DrawCue(rng)});
  return posts;
}

const char* CloseMessageName(CloseMessage message) {
  switch (message) {
    case CloseMessage::Escape:
      return "the user presses Escape";
    case CloseMessage::Command2:
      return "another program posts command 2";
    case CloseMessage::WmClose:
      return "another program sends WM_CLOSE";
  }
  return "?";
}

void DescribeIntruders(std::ostringstream& out, const IntruderPlan& plan) {
  for (const CloseMessagePlan& m : plan.closeMessages) {
    out << CloseMessageName(m.message) << ": ";
    DescribeCue(out, m.at);
    out << "\n";
  }
  for (const CommandPostPlan& post : plan.commandPosts) {
    out << "another program posts command " << post.command << (post.command == 1000 ? " (Search Device)" : " (Update)")
        << ": ";
    DescribeCue(out, post.at);
    out << "\n";
  }
  if (plan.watchdog) {
    out << "another program " << (plan.watchdog->starts ? "re-enables and starts" : "re-enables") << " stisvc "
        << plan.watchdog->reactMs << " ms after finding it disabled or stopped, " << plan.watchdog->times
        << " times\n";
  }
  if (plan.sessionEnd) {
    out << "the session ends: ";
    DescribeCue(out, *plan.sessionEnd);
    out << "\n";
  }
}

}  // namespace sim_runner
