// The scanner's request protocol: command blocks, status replies and the commands this tool sends.
// Every multi-byte field is little-endian on the wire; encoding is done byte by byte so the layout never
// depends on the compiler's struct packing or the host's byte order.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace proto {

constexpr uint32_t kLeadWord = 0x00000220;
constexpr size_t kCommandBlockSize = 16, kStatusReplySize = 32, kIdentificationSize = 14, kDeviceInfoSize = 72;

// The opcode decides the data phase: 0x12 reply only; 0x28 reply then data-in; 0x2A reply then data-out;
// 0x2B data-out then reply; any other opcode reply only.
constexpr uint8_t kOpStatus = 0x12, kOpDataIn = 0x28, kOpDataOut = 0x2A, kOpDataOutFirst = 0x2B;

enum FwInfo : uint16_t { kReady = 0, kBusy = 4, kLlBoot = 6, kFwUpdate = 7 };

// ErrorCode that means the burn failed; any other nonzero code is informational.
constexpr uint32_t kBurnFailedError = 0x7001;

// Version values (major << 16 | minor) inside the device information reply.
constexpr size_t kMainBoardVersionOffset = 24, kPanelVersionOffset = 28;

struct CommandBlock {
    uint8_t opcode = 0;
    uint8_t subCode = 0;
    uint16_t parameter = 0;
    uint32_t dataLength = 0;
};

using CommandBytes = std::array<uint8_t, kCommandBlockSize>;

// Lead word in bytes 0-3, opcode 4, sub-code 6, parameter 8-9, data length 12-15; bytes 5, 7, 10, 11 zero.
CommandBytes Encode(const CommandBlock& block);
// Reads the fields back from 16 bytes; the lead word and the reserved bytes are not checked here.
CommandBlock Decode(const uint8_t* block);
bool HasLeadWord(const uint8_t* block);

CommandBlock IdentificationRead();  // 0x28 0x10 0x0019, 14 bytes in
CommandBlock DeviceInfoRead();      // 0x28 0x01 0x0001, 72 bytes in
CommandBlock DeviceStatus();        // 0x12 0x02
CommandBlock BurnStatus();          // 0x12 0x08
CommandBlock FirmwareWrite(uint16_t imageCode, uint32_t imageSize);  // 0x2A 0x08, the image out

struct StatusReply {
    uint32_t errorCode = 0;    // offset 0
    uint16_t fwInfo = 0;       // offset 4
    uint8_t burnPercent = 0;   // offset 10
    uint8_t ubootVersion = 0;  // offset 14
};

using ReplyBytes = std::array<uint8_t, kStatusReplySize>;

// Every byte not named by a field is zero.
ReplyBytes EncodeReply(const StatusReply& reply);
StatusReply DecodeReply(const uint8_t* reply32);

uint32_t ReadLe32(const uint8_t* bytes);
uint16_t ReadLe16(const uint8_t* bytes);
void WriteLe32(uint8_t* bytes, uint32_t value);
void WriteLe16(uint8_t* bytes, uint16_t value);

}  // namespace proto
