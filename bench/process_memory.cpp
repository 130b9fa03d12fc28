#include "bench/process_memory.h"

#include <cstdio>
#include <cstring>

namespace bench {

ProcessMemory ReadProcessMemory() {
  ProcessMemory memory;
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr) return memory;
  char line[256];
  while (std::fgets(line, sizeof line, status) != nullptr) {
    long value = 0;
    if (std::sscanf(line, "VmRSS: %ld", &value) == 1) memory.rssKb = value;
    if (std::sscanf(line, "RssAnon: %ld", &value) == 1) memory.anonKb = value;
    if (std::sscanf(line, "VmHWM: %ld", &value) == 1) memory.peakRssKb = value;
  }
  std::fclose(status);
  return memory;
}

bool ResetPeakRss() {
  std::FILE* refs = std::fopen("/proc/self/clear_refs", "w");
  if (refs == nullptr) return false;
  const bool written = std::fputs("5", refs) >= 0;
  return std::fclose(refs) == 0 && written;
}

}  // namespace bench
