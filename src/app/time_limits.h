// Every time limit, poll interval and pause of the program, one name per wait. A wait's code reads its bound
// from here and nowhere else; sim_runner/deadlines.h adds its run bounds up from these names. The tests keep
// their own numbers, so that a wrong value here fails them.
#pragma once
#include "platform/win_types.h"

namespace limits {

// The imaging service (CWIAControl).
// Stop: the stop control and a state read in every pass until the service has stopped.
inline constexpr DWORD kServiceStopLimitMs = 60000;
// Start: after StartServiceW, until the service runs.
inline constexpr DWORD kServiceStartLimitMs = 60000;
// A stop still pending when the service is given back is awaited as long as a stop may take (the stop limit),
// polled at its wait hint, kept between these two.
inline constexpr DWORD kStopPendingPollMinMs = 1000;
inline constexpr DWORD kStopPendingPollMaxMs = 10000;

// The disable gate's shut at the end of the session: a disable under way is one configuration read and change,
// milliseconds, so it is awaited briefly and a service manager that hangs longer does not hold the session's end.
// The window's thread waits here, so the bound stays well under the time after which Windows calls it hung.
inline constexpr DWORD kDisableGateShutLimitMs = 500;
inline constexpr DWORD kDisableGatePollMs = 10;

// The scan-application locks: attempts per lock, with a pause after each one that finds the name taken.
inline constexpr int kLockAttempts = 3;
inline constexpr DWORD kLockAttemptPauseMs = 1000;

// The update sequence (src/update/update_sequence.cpp).
// Until the stop thread has stopped the imaging service.
inline constexpr DWORD kUpdateServiceWaitLimitMs = 100000;
inline constexpr DWORD kUpdateServicePollMs = 1000;
// The boot-loader query, until the device answers READY or LLBOOT.
inline constexpr DWORD kBootLoaderWaitLimitMs = 600000;
inline constexpr DWORD kBootLoaderPollMs = 1000;

// The burn procedure (src/update/burn_procedure.cpp).
// After the transfer, before the first status request.
inline constexpr DWORD kTransferSettleMs = 6000;
// The monitored burn watch. The device's own burn takes about 20 s; one that still reports burning after this
// limit never ends.
inline constexpr DWORD kBurnWatchLimitMs = 600000;
inline constexpr DWORD kBurnWatchPollMs = 1000;
// The power-off and power-on waits count probes, one power poll apart, as many as the path allows for each; the
// unmonitored burn's progress is a share of them.
inline constexpr int kStandardPowerWaitProbes = 60;
inline constexpr int kDirectPowerWaitProbes = 90;
inline constexpr DWORD kPowerProbePollMs = 1000;
// The unmonitored burn's finishing progress: one step of its percentages per pause (update/burn_progress.h).
inline constexpr DWORD kFinishingStepMs = 1000;
// The ready wait, after power-on.
inline constexpr DWORD kReadyWaitLimitMs = 600000;
inline constexpr DWORD kReadyPollMs = 1000;

// The cancel thread (src/host/cancel_thread.cpp): for each update thread and then the stop thread, up to this
// many waits of a step each; after each step the stop thread has not ended in, a pause.
inline constexpr int kCancelWaitSteps = 100;
inline constexpr DWORD kCancelWaitStepMs = 1000;
inline constexpr DWORD kCancelStopThreadPauseMs = 1000;
// A stop thread still running after those steps is held by a scanner that does not answer; the window must not
// end under it, so it is awaited further, its held requests cancelled at every step, as long as the device is
// given to become ready.
inline constexpr DWORD kHeldStopThreadLimitMs = kReadyWaitLimitMs;
inline constexpr DWORD kHeldWorkerStepMs = 1000;

// The Update handler's wait for the row's earlier update thread before it starts another.
inline constexpr int kEarlierUpdateWaitSteps = 100;
inline constexpr DWORD kEarlierUpdateWaitStepMs = 1000;

// The device link (src/link).
// A USB request reported as pending is waited for this long, then cancelled.
inline constexpr DWORD kUsbPendingWaitMs = 1000;
// The socket link's defaults for CDeviceChannel::m_dwCommandTimeout (the connect and the command block's send)
// and m_dwDataTimeout (each piece of a data send without progress, and a data receive).
inline constexpr DWORD kSocketCommandTimeoutMs = 12000;
inline constexpr DWORD kSocketDataTimeoutMs = 120000;
// After the peer has closed, a receive keeps trying until its limit; this pause keeps it from spinning.
inline constexpr DWORD kSocketClosedPeerPauseMs = 10;

}  // namespace limits
