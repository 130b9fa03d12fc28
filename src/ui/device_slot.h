// One slot per possible row of the device list; only slot 0 is used. The window's thread sets bBusy, the
// update thread clears it, the cancel thread closes the handle: both are atomics.
#pragma once
#include <atomic>

#include "platform/win_types.h"

struct DeviceSlot {
  std::atomic<HANDLE> hUpdateThread{nullptr};
  std::atomic<LONG> bBusy{0};
};

inline constexpr int kDeviceSlotCount = 200;
