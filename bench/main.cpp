// fwu_bench: the tool's costs, each measured side by side with a baseline in the same run and reported as the
// median of several rounds. docs/performance.md says what each figure means and how it was taken.
//
//   fwu_bench [--rounds N] [--only transfer|transaction|search|update]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/machine_info.h"
#include "bench/search_bench.h"
#include "bench/servers.h"
#include "bench/transaction_bench.h"
#include "bench/transfer_bench.h"
#include "bench/update_bench.h"

int main(int argc, char** argv) {
  int rounds = 21;
  std::string only;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
      rounds = std::max(1, std::atoi(argv[++i]));
    } else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) {
      only = argv[++i];
    } else {
      std::fprintf(stderr, "usage: fwu_bench [--rounds N] [--only transfer|transaction|search|update]\n");
      return 2;
    }
  }
  const auto wanted = [&only](const char* name) { return only.empty() || only == name; };

  // The peers are forked before this process makes any thread.
  const auto emulator = bench::StartEmulator();
  const auto sink = bench::StartSink();
  if (!emulator->Started() || !sink->Started()) {
    std::fprintf(stderr, "fwu_bench: the loopback peers did not start\n");
    return 1;
  }
  const bench::Peers peers{emulator->Port(0), emulator->Port(1), sink->Port(0), sink.get()};

  bench::PrintMachine();
  bool ok = true;
  if (wanted("transfer")) ok = bench::RunTransferBench(peers, rounds) && ok;
  if (wanted("search")) ok = bench::RunSearchBench(rounds) && ok;
  if (wanted("transaction")) ok = bench::RunTransactionBench(peers, rounds) && ok;
  if (wanted("update")) ok = bench::RunUpdateBench(rounds) && ok;
  std::fflush(stdout);
  return ok ? 0 : 1;
}
