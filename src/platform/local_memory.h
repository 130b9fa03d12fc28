// Owner of a block from LocalAlloc, freed through the seam.
#pragma once
#include "platform/services.h"
#include "platform/unique.h"

namespace plat {

struct LocalMemoryTraits {
  using Type = HLOCAL;
  using Seam = IServices;
  static HLOCAL Empty() { return nullptr; }
  static bool IsValid(HLOCAL memory) { return memory != nullptr; }
  static void Close(IServices& services, HLOCAL memory) { services.LocalFree(memory); }
};

using UniqueLocalMemory = Unique<LocalMemoryTraits>;

}  // namespace plat
