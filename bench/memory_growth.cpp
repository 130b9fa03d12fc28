#include "bench/memory_growth.h"

#include "bench/heap_counter.h"
#include "bench/process_memory.h"

namespace bench {

MemoryGrowth MeasureGrowth(const std::function<void()>& work) {
  ResetHeapPeak();
  const bool peakKnown = ResetPeakRss();
  const ProcessMemory before = ReadProcessMemory();
  const double heapBefore = static_cast<double>(HeapLiveBytes());
  work();
  const ProcessMemory after = ReadProcessMemory();
  MemoryGrowth growth;
  growth.anonKb = static_cast<double>(after.anonKb - before.anonKb);
  growth.peakRssKb = peakKnown ? static_cast<double>(after.peakRssKb - before.rssKb) : -1;
  growth.heapPeakKb = (static_cast<double>(HeapPeakBytes()) - heapBefore) / 1024.0;
  return growth;
}

}  // namespace bench
