// One seeded run: the world drawn from its seed, the whole tool from start-up to exit in virtual time, and
// the checks after it.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace sim_runner {

struct RunReport {
  uint64_t seed = 0;
  std::vector<std::string> failures;
  std::string world;  // the drawn world in words
  std::string trace;
  uint64_t virtualMs = 0;
  int succeeded = 0;  // "Update Succeed." texts
  int failed = 0;     // "Update Failed: %s" texts
  int unseenOldFirmware = 0;  // successes on the direct path that left the scanner on its old firmware
  uint64_t longestUnservedMs = 0;  // the longest time the window's thread stayed out of its message loop
  std::string abruptEnd;  // who ended the tool without its own code running, and when; empty when nobody did
  bool guardedWhenEnded = false;  // such a tool had started its guard
  bool givenBackByGuard = false;  // and stisvc was automatic and running again within the bound
};

// `checked` sees the report before the world is taken down: a run that hung leaves threads whose unwinding
// may fail, and its report must be out by then.
RunReport RunSeed(uint64_t seed, const std::function<void(const RunReport&)>& checked = {});

// The failures as the runner prints them, ending with how to replay it.
std::string FailureText(const RunReport& report);

}  // namespace sim_runner
