// Virtual-time bounds of a run, added up from the tool's own limits (src/app/time_limits.h; docs/update-engine.md,
// docs/decisions.md) and the margins named here. A run that goes past them has hung, whatever it was doing.
#pragma once
#include <algorithm>
#include <cstdint>

#include "app/time_limits.h"
#include "sim_runner/lock_names.h"
#include "update/burn_progress.h"

namespace sim_runner {

// Windows calls a window hung once its thread has stayed this long out of its message loop.
inline constexpr uint64_t kHungWindowMs = 5000;

// Margins: what the tool spends besides the waits its limits bound.
// A request the pipe gave up on is cancelled and awaited: room for the cancel to end.
inline constexpr uint64_t kRequestCancelMarginMs = 100;
// A service wait checks its limit after the calls of a pass, so it can run past the limit by one more pass.
inline constexpr uint64_t kServicePassMarginMs = 1000;
// A search's probe and its service check wait for nothing; this covers their calls.
inline constexpr uint64_t kProbeAndServiceCheckMarginMs = 1000;
// The cancel thread's last moves after the service start: the locks released and the window ended.
inline constexpr uint64_t kCancelEndMarginMs = 1000;

// One command transaction: at most three requests (block, reply, data), each waited for and then cancelled.
inline constexpr uint64_t kTransactionRequests = 3;
inline constexpr uint64_t kTransactionBoundMs =
    kTransactionRequests * (limits::kUsbPendingWaitMs + kRequestCancelMarginMs);

// A wait that polls the device and checks its limit after the pause ends at most one poll (a transaction and the
// pause) past the limit.
constexpr uint64_t PolledWaitBoundMs(uint64_t limitMs, uint64_t pollMs) {
  return limitMs + kTransactionBoundMs + pollMs;
}

// A service stop or start.
inline constexpr uint64_t kServiceOperationBoundMs =
    std::max(limits::kServiceStopLimitMs, limits::kServiceStartLimitMs) + kServicePassMarginMs;
// One lock: its attempts, each followed by a pause when the name is taken.
inline constexpr uint64_t kLockBoundMs = limits::kLockAttempts * limits::kLockAttemptPauseMs;
// All three locks of the standard path.
inline constexpr uint64_t kLocksBoundMs = kLockKinds * kLockBoundMs;
// The burn watch: "burning" answers up to its limit at the most (a scanner that burns for ever).
inline constexpr uint64_t kBurnWatchBoundMs = PolledWaitBoundMs(limits::kBurnWatchLimitMs, limits::kBurnWatchPollMs);

// The device search: the probe, the service check, the Quenby lock and three transactions.
inline constexpr uint64_t kSearchTransactions = 3;
inline constexpr uint64_t kSearchBoundMs =
    kLockBoundMs + kSearchTransactions * kTransactionBoundMs + kProbeAndServiceCheckMarginMs;
// The stop thread: the stop, then its search.
inline constexpr uint64_t kStopThreadBoundMs = kServiceOperationBoundMs + kSearchBoundMs;

// The power-off and power-on waits, on the path that allows the most probes, and the finishing progress.
inline constexpr uint64_t kPowerCycleBoundMs =
    2 * static_cast<uint64_t>(std::max(limits::kDirectPowerWaitProbes, limits::kStandardPowerWaitProbes)) *
        limits::kPowerProbePollMs +
    kFinishingSteps * limits::kFinishingStepMs;

// The update thread, step by step. The service wait checks its limit before its pause, so it can run one pause
// past it, and it may start a stop thread whose search it waits for.
inline constexpr uint64_t kUpdateBoundMs =
    limits::kUpdateServiceWaitLimitMs + limits::kUpdateServicePollMs + kStopThreadBoundMs  // the service wait
    + kLocksBoundMs + kTransactionBoundMs                                                   // locks and versions
    + PolledWaitBoundMs(limits::kBootLoaderWaitLimitMs, limits::kBootLoaderPollMs)          // boot loader
    + kTransactionBoundMs + limits::kTransferSettleMs                                       // transfer and settle
    + kBurnWatchBoundMs                                                                     // burn watch or check
    + kPowerCycleBoundMs                                                                    // power off and on
    + PolledWaitBoundMs(limits::kReadyWaitLimitMs, limits::kReadyPollMs)                    // ready wait
    + kTransactionBoundMs                                                                   // version read back
    + kServiceOperationBoundMs;                                                             // service restart

// The cancel thread: its steps for the update thread, its steps and pauses for the stop thread, then the service
// start. It leaves out the further wait for a stop thread the scanner still holds after its steps
// (limits::kHeldStopThreadLimitMs) and a stop still pending when the service is given back: a run that needs
// either is reported as slow to close rather than passed.
inline constexpr uint64_t kCancelBoundMs =
    limits::kCancelWaitSteps * limits::kCancelWaitStepMs +
    limits::kCancelWaitSteps * (limits::kCancelWaitStepMs + limits::kCancelStopThreadPauseMs) +
    kServiceOperationBoundMs + kCancelEndMarginMs;

// After the session has ended the tool's threads finish what they were doing: an update, and a stop thread.
inline constexpr uint64_t kAfterSessionEndBoundMs = kUpdateBoundMs + kStopThreadBoundMs;

// How long the user waits for a button that is disabled: an update, or the search and stop threads, end.
inline constexpr uint64_t kPatienceMs = kUpdateBoundMs + kStopThreadBoundMs;

// A user who wants a disabled button waits a round for it, then searches again, this many times.
inline constexpr uint64_t kUserRoundMs = 120000;
inline constexpr int kUserSearchRetries = 3;

}  // namespace sim_runner
