#include "bench/transaction_bench.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <vector>

#include "bench/bare_socket.h"
#include "bench/stats.h"
#include "bench/tool_machine.h"
#include "link/command_transaction.h"
#include "link/protocol.h"

namespace bench {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPerRound = 200;

// Microseconds per call of `one`, over kPerRound calls; negative when a call failed.
template <class One>
double MicrosEach(One one) {
  const auto start = Clock::now();
  for (int i = 0; i < kPerRound; ++i) {
    if (!one()) return -1;
  }
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / kPerRound;
}

}  // namespace

bool RunTransactionBench(const Peers& peers, int rounds) {
  ToolMachine machine(peers.emulatorDevice, peers.sinkPort);
  const auto block = proto::Encode(proto::DeviceStatus());
  proto::ReplyBytes reply{};
  const auto tool = [&] {
    return RunCommandTransaction(machine.host(), kEmulatorChannel, block.data(), nullptr, nullptr, reply.data(),
                                 proto::kStatusReplySize);
  };
  const auto bare = [&] { return BareTransaction(peers.emulatorDevice, block.data(), nullptr, 0); };

  MicrosEach(tool);
  MicrosEach(bare);
  std::vector<double> toolUs, bareUs, ratio;
  bool ok = true;
  for (int round = 0; round < rounds; ++round) {
    // The order turns each round, so neither always runs first.
    const bool toolFirst = round % 2 == 0;
    const double first = toolFirst ? MicrosEach(tool) : MicrosEach(bare);
    const double second = toolFirst ? MicrosEach(bare) : MicrosEach(tool);
    const double t = toolFirst ? first : second;
    const double b = toolFirst ? second : first;
    ok = ok && t > 0 && b > 0;
    toolUs.push_back(t);
    bareUs.push_back(b);
    ratio.push_back(t / b);
  }
  std::printf("3b. One transaction against tessaline-emu on loopback (device status command), median of %d rounds "
              "of %d\n",
              rounds, kPerRound);
  std::printf("   tool: RunCommandTransaction over the socket link   %8s us\n", Fixed(Median(toolUs), 1).c_str());
  std::printf("   bare socket, same exchange                         %8s us\n", Fixed(Median(bareUs), 1).c_str());
  std::printf("   tool / bare socket time:                           %8s\n", Fixed(Median(ratio), 2).c_str());
  if (!ok) std::printf("   A transaction failed.\n");
  return ok;
}

}  // namespace bench
