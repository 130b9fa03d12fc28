// Owner of a block from LocalAlloc: not copyable, freed in the destructor through the seam.
#pragma once
#include <utility>

#include "platform/services.h"

namespace plat {

class UniqueLocalMemory {
 public:
  UniqueLocalMemory(IServices& services, HLOCAL memory) : services_(services), memory_(memory) {}
  UniqueLocalMemory(const UniqueLocalMemory&) = delete;
  UniqueLocalMemory& operator=(const UniqueLocalMemory&) = delete;
  ~UniqueLocalMemory() {
    if (memory_ != nullptr) services_.LocalFree(std::exchange(memory_, nullptr));
  }

  HLOCAL Get() const { return memory_; }
  HLOCAL Release() { return std::exchange(memory_, nullptr); }

 private:
  IServices& services_;
  HLOCAL memory_;
};

}  // namespace plat
