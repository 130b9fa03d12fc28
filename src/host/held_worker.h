// The end of a worker thread that the scanner may hold: usbscan keeps a request it gets no answer to until its
// own time-out, and a search makes several, so a worker can outlast the cancel thread's steps.
#pragma once
#include "platform/host.h"

// Waits, up to limitMs, for the thread to end, cancelling the request it is held in at every step so that it
// is not held to the driver's time-out. True when the thread has ended.
bool AwaitHeldWorker(plat::Host& host, HANDLE thread, DWORD limitMs);
