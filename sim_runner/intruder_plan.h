// What reaches the tool past its enabled buttons, as plain data: Close messages that need no enabled button
// (Escape, another program's command 2, WM_CLOSE), a program that gives stisvc back whenever the tool has
// stopped it, and the end of the Windows session. Each acts at a moment or on a cue from the machine.
#pragma once
#include <cstdint>
#include <optional>
#include <sstream>
#include <vector>

namespace sim_runner {

class Rng;

enum class Cue {
  Moment,           // delayMs after the window opened
  ChannelOpen,      // delayMs after the count-th device channel was opened (a search or a transaction)
  ServiceDisabled,  // delayMs after stisvc was set to disabled for the count-th time
};

struct CueAt {
  Cue cue = Cue::Moment;
  uint32_t count = 1;
  uint64_t delayMs = 0;
};

// Escape and command 2 reach the window as the same command; WM_CLOSE becomes it in the default dialog procedure.
enum class CloseMessage { Escape, Command2, WmClose };

struct CloseMessagePlan {
  CloseMessage message = CloseMessage::Escape;
  CueAt at;
};

// Reacts reactMs after it finds stisvc disabled or stopped: sets it to automatic start and, when it starts,
// starts it; `times` times while the tool's window is open.
struct WatchdogPlan {
  uint64_t reactMs = 0;
  int times = 1;
  bool starts = true;
};

// Another program posts Update (1144) or Search Device (1000) to the window, whatever the buttons' states.
struct CommandPostPlan {
  int command = 0;
  CueAt at;
};

struct IntruderPlan {
  std::vector<CloseMessagePlan> closeMessages;
  std::vector<CommandPostPlan> commandPosts;
  std::optional<WatchdogPlan> watchdog;
  std::optional<CueAt> sessionEnd;  // log-off or shutdown
};

IntruderPlan DrawIntruders(Rng& rng);
// From a stream of their own, drawn after every other draw of the world.
std::vector<CommandPostPlan> DrawCommandPosts(Rng& rng);
void DescribeIntruders(std::ostringstream& out, const IntruderPlan& plan);
const char* CloseMessageName(CloseMessage message);

}  // namespace sim_runner
