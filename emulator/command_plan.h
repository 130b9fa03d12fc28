// What the device does with one command block: the reply it gives, and the data stage that goes with it.
// A pure function of the block, the scenario and the device's state at the moment the block arrived.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "emulator/lifecycle.h"
#include "emulator/scenario.h"
#include "link/protocol.h"

namespace emu {

enum class CommandKind { Identification, DeviceInfo, DeviceStatus, BurnStatus, FirmwareWrite, Other };

struct CommandPlan {
    CommandKind kind = CommandKind::Other;
    uint32_t rejectCode = 0;  // 0 when accepted; otherwise also the reply's ErrorCode
    proto::ReplyBytes reply{};
    bool replyFirst = true;         // false only for opcode 0x2B
    Stage dataStage = Stage::Reply; // DataIn or DataOut when dataLength > 0
    uint32_t dataLength = 0;        // 0: no data stage
    bool dataStalls = false;        // the data stage never moves a byte (and for 0x2B no reply follows)
    // Data-in: these bytes first, zeros after them up to dataLength.
    std::array<uint8_t, proto::kDeviceInfoSize> dataIn{};
    size_t dataInContent = 0;
    bool takesImage = false;  // the data-out is an accepted firmware image
};

// Rules, in short:
//  - every block gets the stages its opcode names (0x12 and unknown opcodes: reply only);
//  - a block the device does not accept gets its reject code as ErrorCode, with the current FWInfo;
//  - a data stage of a rejected block moves zeros in or swallows bytes out, so the stream stays in step,
//    unless it is longer than kMaxDataIn / kMaxDataOut or it is a refused firmware image: then it stalls.
CommandPlan PlanCommand(const uint8_t* block16, const Scenario& scenario, const LifeState& life);

}  // namespace emu
