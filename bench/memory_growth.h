// How much private memory the process takes on while a piece of work runs, by three measures.
#pragma once
#include <functional>

namespace bench {

struct MemoryGrowth {
  double anonKb = 0;      // RssAnon after the work minus before
  double peakRssKb = 0;   // VmHWM during the work minus VmRSS before (-1 where the peak cannot be reset)
  double heapPeakKb = 0;  // the C++ heap's high-water mark during the work minus its live bytes before
};

MemoryGrowth MeasureGrowth(const std::function<void()>& work);

}  // namespace bench
