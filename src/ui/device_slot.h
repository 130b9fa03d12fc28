// One slot per possible row of the device list; only slot 0 is used. The window's thread sets bBusy, the
// update thread clears it, the cancel thread closes the handle: both are atomic.
#pragma once
#include <array>
#include <atomic>
#include <utility>

#include "platform/unique_handle.h"

struct DeviceSlot {
  explicit DeviceSlot(plat::IKernel& kernel) : hUpdateThread(kernel) {}

  plat::ThreadSlot hUpdateThread;
  std::atomic<LONG> bBusy{0};
};

inline constexpr int kDeviceSlotCount = 200;

using DeviceSlots = std::array<DeviceSlot, kDeviceSlotCount>;

namespace detail {
template <size_t... Index>
DeviceSlots MakeDeviceSlots(plat::IKernel& kernel, std::index_sequence<Index...>) {
  return {{(static_cast<void>(Index), DeviceSlot(kernel))...}};
}
}  // namespace detail

// Every slot closes its thread handle through the kernel when the window goes.
inline DeviceSlots MakeDeviceSlots(plat::IKernel& kernel) {
  return detail::MakeDeviceSlots(kernel, std::make_index_sequence<kDeviceSlotCount>());
}
