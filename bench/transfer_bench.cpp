#include "bench/transfer_bench.h"

#include <sys/resource.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include "bench/bare_socket.h"
#include "bench/memory_growth.h"
#include "bench/stats.h"
#include "bench/tool_machine.h"
#include "emulator/fnv1a64.h"
#include "link/command_transaction.h"
#include "link/protocol.h"

namespace bench {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kSinkLimitMs = 60000;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }
double MBps(uint32_t bytes, double seconds) { return bytes / seconds / 1e6; }

// User and system time of the calling thread: what sending costs the sender, whatever else the machine runs.
double ThreadCpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_THREAD, &usage);
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Seconds per write, one entry per round.
struct Samples {
  std::vector<double> toolEmulator, bareEmulator, toolSink, bareSink, checksum;
  std::vector<double> cpu[4];  // the sender's processor time in each write, in the order above
  std::vector<double> emulatorRatio, sinkRatio, deviceRatio;
  std::vector<MemoryGrowth> memory;
};

void PrintTransfer(const Samples& s, uint32_t size) {
  std::printf("1. Transfer: firmware write of %u bytes on loopback, median of %zu rounds\n", size,
              s.toolEmulator.size());
  std::printf("   %-48s %9s %9s %12s\n", "", "wall ms", "MB/s", "sender CPU ms");
  const auto row = [&](const char* what, const std::vector<double>& seconds, const std::vector<double>* cpu) {
    std::printf("   %-48s %9s %9s %12s\n", what, Fixed(Median(seconds) * 1e3, 2).c_str(),
                Fixed(MBps(size, Median(seconds)), 0).c_str(), cpu ? Fixed(Median(*cpu) * 1e3, 2).c_str() : "");
  };
  row("tool: RunCommandTransaction -> tessaline-emu", s.toolEmulator, &s.cpu[0]);
  row("bare socket -> tessaline-emu", s.bareEmulator, &s.cpu[1]);
  row("tool: RunCommandTransaction -> sink", s.toolSink, &s.cpu[2]);
  row("bare socket -> sink", s.bareSink, &s.cpu[3]);
  row("the emulated device's checksum of the image", s.checksum, nullptr);
  std::printf("   throughput, tool / bare socket, to tessaline-emu:  %6s  (target >= 0.90)\n",
              Fixed(Median(s.emulatorRatio), 3).c_str());
  std::printf("   throughput, tool / bare socket, to the sink:       %6s  (target >= 0.90)\n",
              Fixed(Median(s.sinkRatio), 3).c_str());
  std::printf("   bare socket, tessaline-emu / sink:                 %6s  (the emulated device's own cost)\n",
              Fixed(Median(s.deviceRatio), 3).c_str());
}

void PrintMemory(const Samples& s, const MemoryGrowth& copy, uint32_t size) {
  std::vector<double> anon, peak, heap;
  for (const MemoryGrowth& m : s.memory) {
    anon.push_back(m.anonKb);
    peak.push_back(m.peakRssKb);
    heap.push_back(m.heapPeakKb);
  }
  const double imageKb = size / 1024.0;
  std::printf("2. No copy: the process's memory growth during the tool's write to tessaline-emu, against the image's "
              "%s KiB (target < 2 %%)\n",
              Fixed(imageKb, 0).c_str());
  std::printf("   %-40s %10s %10s %9s   %s\n", "", "median", "largest", "of image", "a copy, measured alike");
  const auto line = [&](const char* what, const std::vector<double>& kb, double copied) {
    if (copied < 0) return;  // the kernel does not let the peak be reset
    const double largest = kb.empty() ? 0 : *std::max_element(kb.begin(), kb.end());
    std::printf("   %-40s %6s KiB %6s KiB %7s %%   %s KiB\n", what, Fixed(Median(kb), 0).c_str(),
                Fixed(largest, 0).c_str(), Fixed(100.0 * largest / imageKb, 3).c_str(), Fixed(copied, 0).c_str());
  };
  line("RssAnon after - before", anon, copy.anonKb);
  line("VmHWM during - VmRSS before (peak)", peak, copy.peakRssKb);
  line("C++ heap high-water mark - live before", heap, copy.heapPeakKb);
}

}  // namespace

bool RunTransferBench(const Peers& peers, int rounds) {
  ToolMachine machine(peers.emulatorDevice, peers.sinkPort);
  ControlClient control(peers.emulatorControl);
  const CarriedImage image = LoadCarriedImage(machine.host(), 8, false);
  if (image.data == nullptr) {
    std::printf("1. Transfer: image 505 is not among the resources\n");
    return false;
  }
  const auto block = proto::Encode(proto::FirmwareWrite(image.code, image.size));
  // Every page of the image is resident before anything is measured, so its own pages never count as growth.
  volatile uint8_t touched = 0;
  for (uint32_t at = 0; at < image.size; at += 4096) touched = static_cast<uint8_t>(touched + image.data[at]);

  bool ok = true;
  MemoryGrowth growth;
  double senderCpu = 0;
  const auto tool = [&](const wchar_t* channel) {
    proto::ReplyBytes reply{};
    return RunCommandTransaction(machine.host(), channel, block.data(), image.data, nullptr, reply.data(),
                                 proto::kStatusReplySize);
  };
  // Each write counts until the receiver has taken the last byte: tessaline-emu says so on its control port,
  // the sink with its event.
  const auto toEmulator = [&](const std::function<bool()>& write) {
    control.Command("reset");
    const auto start = Clock::now();
    const double cpuStart = ThreadCpuSeconds();
    const bool written = write();
    senderCpu = ThreadCpuSeconds() - cpuStart;
    ok = control.AwaitImage(image.size) && written && ok;
    return SecondsSince(start);
  };
  const auto toSink = [&](const std::function<bool()>& write) {
    const auto start = Clock::now();
    const double cpuStart = ThreadCpuSeconds();
    const bool written = write();
    senderCpu = ThreadCpuSeconds() - cpuStart;
    ok = peers.sink->AwaitEvent(kSinkLimitMs) && written && ok;
    return SecondsSince(start);
  };
  const auto toolToEmulator = [&] {
    double seconds = 0;
    growth = MeasureGrowth([&] { seconds = toEmulator([&] { return tool(kEmulatorChannel); }); });
    return seconds;
  };
  const auto bareToEmulator = [&] {
    return toEmulator([&] { return BareTransaction(peers.emulatorDevice, block.data(), image.data, image.size); });
  };
  const auto toolToSink = [&] { return toSink([&] { return tool(kSinkChannel); }); };
  const auto bareToSink = [&] {
    return toSink([&] { return BareTransaction(peers.sinkPort, block.data(), image.data, image.size); });
  };

  // A first round warms every path (connections, the simulated host's tables, the caches) and is not counted.
  toolToEmulator();
  bareToEmulator();
  toolToSink();
  bareToSink();
  Samples s;
  for (int round = 0; round < rounds; ++round) {
    double times[4] = {};
    const std::function<double()> writes[4] = {toolToEmulator, bareToEmulator, toolToSink, bareToSink};
    // A write finds the image and the socket paths warm after another one, so the tool and the bare socket take
    // turns going first, and so do the two receivers.
    const bool toolFirst = round % 2 == 0;
    const bool emulatorFirst = round / 2 % 2 == 0;
    for (int step = 0; step < 4; ++step) {
      const bool toEmulatorNow = (step < 2) == emulatorFirst;
      const bool toolNow = (step % 2 == 0) == toolFirst;
      const int which = (toEmulatorNow ? 0 : 2) + (toolNow ? 0 : 1);
      times[which] = writes[which]();
      s.cpu[which].push_back(senderCpu);
    }
    s.toolEmulator.push_back(times[0]);
    s.bareEmulator.push_back(times[1]);
    s.toolSink.push_back(times[2]);
    s.bareSink.push_back(times[3]);
    s.emulatorRatio.push_back(times[1] / times[0]);
    s.sinkRatio.push_back(times[3] / times[2]);
    s.deviceRatio.push_back(times[3] / times[1]);
    s.memory.push_back(growth);
    const auto start = Clock::now();
    emu::Fnv1a64 checksum;
    checksum.Update(image.data, image.size);
    s.checksum.push_back(SecondsSince(start));
    touched = static_cast<uint8_t>(touched + (checksum.Value() & 1));
  }
  // What the measures show when the image is copied (and freed again) while they run.
  const MemoryGrowth copy = MeasureGrowth([&] {
    const std::vector<uint8_t> copied(image.data, image.data + image.size);
    touched = static_cast<uint8_t>(touched + copied[copied.size() / 2]);
  });
  PrintTransfer(s, image.size);
  PrintMemory(s, copy, image.size);
  if (!ok) std::printf("   A write failed, or its receiver did not take the whole image.\n");
  return ok;
}

}  // namespace bench
