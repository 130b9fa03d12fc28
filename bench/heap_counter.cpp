#include "bench/heap_counter.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace bench {
namespace {

std::atomic<size_t> live{0};
std::atomic<size_t> peak{0};

void* Take(size_t size) {
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) return nullptr;
  const size_t now = live.fetch_add(malloc_usable_size(block)) + malloc_usable_size(block);
  size_t high = peak.load();
  while (now > high && !peak.compare_exchange_weak(high, now)) {
  }
  return block;
}

void Give(void* block) {
  if (block == nullptr) return;
  live.fetch_sub(malloc_usable_size(block));
  std::free(block);
}

}  // namespace

size_t HeapLiveBytes() { return live.load(); }
size_t HeapPeakBytes() { return peak.load(); }
void ResetHeapPeak() { peak.store(live.load()); }

}  // namespace bench

void* operator new(size_t size) {
  void* block = bench::Take(size);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return bench::Take(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return bench::Take(size); }
void operator delete(void* block) noexcept { bench::Give(block); }
void operator delete[](void* block) noexcept { bench::Give(block); }
void operator delete(void* block, size_t) noexcept { bench::Give(block); }
void operator delete[](void* block, size_t) noexcept { bench::Give(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { bench::Give(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { bench::Give(block); }
