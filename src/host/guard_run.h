// The guard process: waits for the tool to end and, when the tool did not give the still-image service back
// itself (killed, crashed, ended with the session), gives it back: automatic start, started. At the start of
// Windows (the entry the tool left in case of a power cut) it gives the service back at once.
#pragma once
#include "host/guard_switch.h"
#include "platform/host.h"

namespace guard {

// The guard's whole run; it always ends. The exit code: 0 done, 1 a command line it cannot act on.
int RunGuard(plat::Host& host, const GuardOrder& order);

// What the guard does for a tool that ended without giving back: the mark for the next start, the service
// given back, the start-up entry removed (its work is done).
void GiveBackForTool(plat::Host& host);

}  // namespace guard
