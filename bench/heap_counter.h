// Live bytes of the C++ heap (operator new and delete, replaced for this program) and their high-water mark,
// so a copy that is made and freed again within a measurement still shows.
#pragma once
#include <cstddef>

namespace bench {

size_t HeapLiveBytes();
size_t HeapPeakBytes();
// The high-water mark starts again from the live bytes now.
void ResetHeapPeak();

}  // namespace bench
