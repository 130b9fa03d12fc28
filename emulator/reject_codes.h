// ErrorCode values the device puts in the status reply of a block it does not accept. The tool only knows
// kBurnFailedError; these sit in a range of their own so they never mean "burn failed".
#pragma once

#include <cstdint>

#include "emulator/placeholder_image.h"

namespace emu {

constexpr uint32_t kRejectLeadWord = 0x00E1;       // bytes 0-3 are not the lead word
constexpr uint32_t kRejectUnknownCommand = 0x00E2; // opcode, sub-code or parameter not known
constexpr uint32_t kRejectDataLength = 0x00E3;     // data phase longer than the device allows
constexpr uint32_t kRejectImage = 0x00E4;          // firmware write: code or size does not fit this device
constexpr uint32_t kRejectNotReady = 0x00E5;       // firmware write while not READY or LLBOOT

// Longest data phases the device moves; beyond them the phase stalls rather than allocating or streaming.
constexpr uint32_t kMaxDataIn = 65536;
constexpr uint32_t kMaxDataOut = static_cast<uint32_t>(kLargestImageSize);

}  // namespace emu
