// Figure 3, second half: one command transaction (the device status command) through RunCommandTransaction
// over the socket link to tessaline-emu, side by side with the same exchange on a bare socket.
#pragma once
#include "bench/transfer_bench.h"

namespace bench {

bool RunTransactionBench(const Peers& peers, int rounds);

}  // namespace bench
