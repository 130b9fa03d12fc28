// The scanner's USB identity: one pair for the device enumeration, the usbscan pipe and the emulator.
#pragma once
#include "platform/win_types.h"

inline constexpr WORD kScannerVendorId = 0x1209;
inline constexpr WORD kScannerProductId = 0x0001;
