#include "host/held_worker.h"

#include "app/time_limits.h"

bool AwaitHeldWorker(plat::Host& host, HANDLE thread, DWORD limitMs) {
  const DWORD start = host.time.GetTickCount();
  for (;;) {
    // A cancelled request fails at once and the search behind it ends its transaction; a worker that is
    // between requests is not disturbed (nothing is held, so nothing is cancelled).
    host.files.CancelSynchronousIo(thread);
    const DWORD result = host.kernel.WaitForSingleObject(thread, limits::kHeldWorkerStepMs);
    if (result != WAIT_TIMEOUT) return result == WAIT_OBJECT_0;
    if (TicksSince(start, host.time.GetTickCount()) >= limitMs) return false;
  }
}
