// Figures 1 and 2: the largest image's firmware write through RunCommandTransaction over the socket link to
// tessaline-emu, side by side with a bare socket sending the same bytes from the same buffer, and both again
// to a sink that only drops what it reads (the link's own speed); and the process's memory growth while the
// tool's write to tessaline-emu runs.
#pragma once
#include "bench/servers.h"

namespace bench {

// Prints the figures; false when a write failed or the device did not take the image whole.
bool RunTransferBench(const Peers& peers, int rounds);

}  // namespace bench
