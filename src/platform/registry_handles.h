// The owner of a registry key, so that no path out of a read leaves one open.
#pragma once
#include "platform/registry.h"
#include "platform/unique.h"

namespace plat {

struct RegKeyTraits {
  using Type = HKEY;
  using Seam = IRegistry;
  static HKEY Empty() { return nullptr; }
  static bool IsValid(HKEY key) { return key != nullptr; }
  static void Close(IRegistry& registry, HKEY key) { registry.RegCloseKey(key); }
};

using UniqueRegKey = Unique<RegKeyTraits>;

}  // namespace plat
