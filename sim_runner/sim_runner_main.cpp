// sim_runner: seeded whole-system runs of the tool in the simulated host.
//
//   sim_runner --seed N                 replays one run in this process and prints its world and event trace
//   sim_runner --seeds COUNT [--first S] [--jobs J]
//                                       runs seeds S to S+COUNT-1, each in a child process of its own, so that
//                                       a crash or a real-time hang is reported with its seed too
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <new>
#include <string>

#include "gen/firmware_images.h"
#include "simhost/firmware_images.h"
#include "sim_runner/abrupt_end.h"
#include "sim_runner/run.h"

namespace {

// Real seconds a child may take; a run takes milliseconds, so only a loop that never blocks gets here.
constexpr unsigned kChildRealSeconds = 120;
// Exit codes of a passing child whose tool posted a verdict; the last: an update on the direct path left the
// scanner on its old firmware, which that path does not read back.
constexpr int kPassedUpdated = 10;
constexpr int kPassedRefused = 11;
constexpr int kPassedUpdatedOnOldFirmware = 12;

struct Tally {
  uint64_t passed = 0;
  uint64_t failed = 0;
  uint64_t updated = 0;
  uint64_t refused = 0;
  uint64_t onOldFirmware = 0;
};

// The longest time a window's thread stayed out of its message loop, over every child of the run, and the count of
// tools ended from outside: a page shared with the children, each of which adds its own.
struct Longest {
  std::atomic<uint64_t> unservedMs{0};
  std::atomic<uint64_t> seed{0};
  std::atomic<uint64_t> endedAbruptly{0};
  std::atomic<uint64_t> guarded{0};  // of those, the tool had started its guard
  std::atomic<uint64_t> givenBack{0};  // and the guard gave stisvc back within its bound
};

Longest* MapLongest() {
  void* page = mmap(nullptr, sizeof(Longest), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  return page == MAP_FAILED ? nullptr : new (page) Longest;
}

void CountAbruptEnd(Longest* longest, const sim_runner::RunReport& report) {
  if (longest == nullptr || report.abruptEnd.empty()) return;
  ++longest->endedAbruptly;
  longest->guarded += report.guardedWhenEnded ? 1 : 0;
  longest->givenBack += report.givenBackByGuard ? 1 : 0;
}

void RaiseLongest(Longest* longest, uint64_t seed, uint64_t unservedMs) {
  if (longest == nullptr) return;
  uint64_t known = longest->unservedMs.load();
  while (unservedMs > known) {
    if (longest->unservedMs.compare_exchange_weak(known, unservedMs)) {
      longest->seed = seed;
      return;
    }
  }
}

struct Options {
  bool replay = false;
  uint64_t seed = 0;
  uint64_t first = 1;
  uint64_t count = 100;
  int jobs = 1;
};

int Usage() {
  std::fprintf(stderr,
               "usage: sim_runner --seed N\n"
               "       sim_runner --seeds COUNT [--first S] [--jobs J]\n");
  return 2;
}

bool Parse(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 >= argc) return false;
    const uint64_t value = std::strtoull(argv[++i], nullptr, 10);
    if (arg == "--seed") {
      options.replay = true;
      options.seed = value;
    } else if (arg == "--seeds") {
      options.count = value;
    } else if (arg == "--first") {
      options.first = value;
    } else if (arg == "--jobs") {
      options.jobs = static_cast<int>(value < 1 ? 1 : value);
    } else {
      return false;
    }
  }
  return true;
}

int Replay(uint64_t seed) {
  const sim_runner::RunReport report = sim_runner::RunSeed(seed, [](const sim_runner::RunReport& r) {
    std::printf("%s\n%s\n", r.world.c_str(), r.trace.c_str());
    std::printf("%s", r.failures.empty() ? "" : sim_runner::FailureText(r).c_str());
    std::fflush(stdout);
  });
  std::printf("seed %llu: %s after %llu virtual ms; the window's thread stayed out of its message loop %llu ms "
              "at the longest%s%s\n",
              static_cast<unsigned long long>(seed), report.failures.empty() ? "passed" : "FAILED",
              static_cast<unsigned long long>(report.virtualMs), static_cast<unsigned long long>(report.longestUnservedMs),
              report.abruptEnd.empty() ? "" : "; the tool was ended by ", report.abruptEnd.c_str());
  return report.failures.empty() ? 0 : 1;
}

[[noreturn]] void RunChild(uint64_t seed, Longest* longest) {
  alarm(kChildRealSeconds);
  const sim_runner::RunReport report = sim_runner::RunSeed(seed, [longest](const sim_runner::RunReport& r) {
    RaiseLongest(longest, r.seed, r.longestUnservedMs);
    CountAbruptEnd(longest, r);
    if (r.failures.empty()) return;
    std::printf("%s", sim_runner::FailureText(r).c_str());
    std::fflush(stdout);
    // The verdict is out; a failed run's threads are not unwound, as a process that ends does not unwind its own.
    _exit(1);
  });
  // A passing run tells what its updates came to, for the summary.
  if (report.unseenOldFirmware > 0) _exit(kPassedUpdatedOnOldFirmware);
  _exit(report.succeeded > 0 ? kPassedUpdated : report.failed > 0 ? kPassedRefused : 0);
}

// Counts the child's run; a failure is printed with its seed (the child prints those it found itself).
void Reap(pid_t pid, int status, std::map<pid_t, uint64_t>& running, Tally& tally) {
  const uint64_t seed = running[pid];
  running.erase(pid);
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (code == 0 || code == kPassedUpdated || code == kPassedRefused || code == kPassedUpdatedOnOldFirmware) {
    ++tally.passed;
    tally.updated += code == kPassedUpdated || code == kPassedUpdatedOnOldFirmware ? 1 : 0;
    tally.refused += code == kPassedRefused ? 1 : 0;
    tally.onOldFirmware += code == kPassedUpdatedOnOldFirmware ? 1 : 0;
    return;
  }
  ++tally.failed;
  if (WIFSIGNALED(status)) {
    const int signal = WTERMSIG(status);
    std::printf("seed %llu FAILED:\n  %s (signal %d)\nyou can reproduce this failure with --seed %llu\n",
                static_cast<unsigned long long>(seed),
                signal == SIGALRM ? "did not finish in real time: a loop that never blocks?" : "crashed", signal,
                static_cast<unsigned long long>(seed));
  }
  std::fflush(stdout);
}

int RunMany(const Options& options) {
  // Made once here and shared by every child, rather than once per child.
  for (const firmware_images::Image& image : firmware_images::kImages) simhost::PlaceholderFirmware(image.id);
  std::map<pid_t, uint64_t> running;
  Tally tally;
  Longest* const longest = MapLongest();
  uint64_t next = options.first;
  const uint64_t end = options.first + options.count;
  while (next < end || !running.empty()) {
    while (next < end && running.size() < static_cast<size_t>(options.jobs)) {
      std::fflush(stdout);
      const pid_t pid = fork();
      if (pid == 0) RunChild(next, longest);
      if (pid < 0) {
        std::perror("fork");
        return 2;
      }
      running[pid] = next++;
    }
    int status = 0;
    const pid_t pid = waitpid(-1, &status, 0);
    if (pid < 0) break;
    Reap(pid, status, running, tally);
  }
  std::printf("sim_runner: seeds %llu to %llu; the tool updated the scanner in %llu runs and refused an update "
              "in %llu\n",
              static_cast<unsigned long long>(options.first), static_cast<unsigned long long>(end - 1),
              static_cast<unsigned long long>(tally.updated), static_cast<unsigned long long>(tally.refused));
  std::printf("of those updates, %llu left a direct-path scanner on its old firmware, which that path does not "
              "read back\n",
              static_cast<unsigned long long>(tally.onOldFirmware));
  if (longest != nullptr) {
    std::printf("the window's thread stayed out of its message loop %llu ms at the longest (seed %llu)\n",
                static_cast<unsigned long long>(longest->unservedMs.load()),
                static_cast<unsigned long long>(longest->seed.load()));
    std::printf("the tool was ended from outside in %llu runs, %llu of them after it had started its guard; the "
                "guard gave stisvc back within %llu ms in %llu (the rest: a service that cannot be running by then)\n",
                static_cast<unsigned long long>(longest->endedAbruptly.load()),
                static_cast<unsigned long long>(longest->guarded.load()),
                static_cast<unsigned long long>(sim_runner::kGiveBackBoundMs),
                static_cast<unsigned long long>(longest->givenBack.load()));
    longest->~Longest();
    munmap(longest, sizeof(Longest));
  }
  std::printf("%llu passed, %llu failed\n", static_cast<unsigned long long>(tally.passed),
              static_cast<unsigned long long>(tally.failed));
  return tally.failed == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!Parse(argc, argv, options)) return Usage();
  return options.replay ? Replay(options.seed) : RunMany(options);
}
