// Virtual-time bounds of a run, added up from the tool's own deadlines (docs/update-engine.md,
// docs/decisions.md). A run that goes past them has hung, whatever it was doing.
#pragma once
#include <cstdint>

namespace sim_runner {

// One command transaction: at most three requests (block, reply, data), each waited for 1000 ms and then
// cancelled, with room for the cancel to end.
inline constexpr uint64_t kTransactionMs = 3 * (1000 + 100);
// One poll of a wait: a transaction and the one-second pause.
inline constexpr uint64_t kPollMs = kTransactionMs + 1000;
// A service stop or start: 60000 ms, plus the requests of one more pass.
inline constexpr uint64_t kServiceWaitMs = 60000 + 1000;
// Three locks, three attempts one second apart each.
inline constexpr uint64_t kLocksMs = 3 * 3 * 1000;
// The burn watch: 600000 ms of "burning" answers at the most (a scanner that burns for ever), and one more poll.
inline constexpr uint64_t kBurnWatchMs = 600000 + kPollMs;

// The device search: the probe, the service check, the Quenby lock and three transactions.
inline constexpr uint64_t kSearchMs = 3 * 1000 + 3 * kTransactionMs + 1000;
// The stop thread: the stop, then its search.
inline constexpr uint64_t kStopThreadMs = kServiceWaitMs + kSearchMs;

// The update thread, step by step.
inline constexpr uint64_t kUpdateMs = 100000 + 1000 + kStopThreadMs  // the service wait, and a search it may start
                                      + kLocksMs + kTransactionMs   // locks and versions
                                      + 600000 + kPollMs            // boot loader
                                      + kTransactionMs + 6000       // transfer and settle
                                      + kBurnWatchMs                // burn watch or first check
                                      + 2 * 90 * 1000 + 3000        // power off and on, finishing progress
                                      + 600000 + kPollMs            // ready wait
                                      + kTransactionMs              // the version read back
                                      + kServiceWaitMs;             // service restart

// The cancel thread: the update thread (100 waits of 1000 ms), the stop thread (100 waits of 1000 ms, each
// followed by a 1000 ms sleep), then the service start.
inline constexpr uint64_t kCancelMs = 100 * 1000 + 100 * 2000 + kServiceWaitMs + 1000;

// After the session has ended the tool's threads finish what they were doing: an update, and a stop thread.
inline constexpr uint64_t kAfterSessionEndMs = kUpdateMs + kStopThreadMs;

// How long the user waits for a button that is disabled: an update, or the search and stop threads, end.
inline constexpr uint64_t kPatienceMs = kUpdateMs + kStopThreadMs;

}  // namespace sim_runner
