// Drives whole transactions against the device model the way a transport does: open, block, the stages by
// opcode (data-in read in pieces of at most 65536 bytes, data-out in one write), close.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "emulator/tessaline_device.h"
#include "link/protocol.h"

namespace emu_test {

struct Exchange {
    bool opened = false;
    bool complete = false;  // every stage moved all its bytes
    emu::Stage failedStage = emu::Stage::Command;
    emu::Outcome failure = emu::Outcome::Moved;
    proto::ReplyBytes reply{};
    size_t replyBytes = 0;
    std::vector<uint8_t> dataIn;
    size_t dataOutTaken = 0;

    proto::StatusReply Reply() const { return proto::DecodeReply(reply.data()); }
    std::string Describe() const;
};

Exchange RunTransaction(emu::TessalineDevice& device, const proto::CommandBlock& block, uint64_t nowMs,
                        const uint8_t* dataOut = nullptr);
// As above with raw block bytes (for malformed blocks).
Exchange RunTransaction(emu::TessalineDevice& device, const proto::CommandBytes& block, uint64_t nowMs,
                        const uint8_t* dataOut = nullptr);

// The reply to a device status / burn status command; a failing exchange fails the calling test.
proto::StatusReply DeviceStatus(emu::TessalineDevice& device, uint64_t nowMs);
proto::StatusReply BurnStatus(emu::TessalineDevice& device, uint64_t nowMs);

const char* OutcomeName(emu::Outcome outcome);
const char* StageName(emu::Stage stage);

}  // namespace emu_test
