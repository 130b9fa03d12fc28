// The process's own memory as Linux reports it in /proc/self/status, in KiB.
#pragma once

namespace bench {

struct ProcessMemory {
  long rssKb = -1;      // VmRSS: resident, private and file-backed
  long anonKb = -1;     // RssAnon: resident private memory (heap, stacks, anonymous maps)
  long peakRssKb = -1;  // VmHWM: the highest VmRSS since the start or the last ResetPeakRss
};

ProcessMemory ReadProcessMemory();
// Sets VmHWM back to the current VmRSS (clear_refs 5); false where the kernel does not allow it.
bool ResetPeakRss();

}  // namespace bench
