// The owner of a device information set, so that no path out of a walk leaves one open.
#pragma once
#include "platform/setup.h"
#include "platform/unique.h"

namespace plat {

// SetupDiGetClassDevsW returns INVALID_HANDLE_VALUE when it fails.
struct DeviceInfoSetTraits {
  using Type = HDEVINFO;
  using Seam = ISetup;
  static HDEVINFO Empty() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(HDEVINFO set) { return set != INVALID_HANDLE_VALUE && set != nullptr; }
  static void Close(ISetup& setup, HDEVINFO set) { setup.SetupDiDestroyDeviceInfoList(set); }
};

using UniqueDeviceInfoSet = Unique<DeviceInfoSetTraits>;

}  // namespace plat
