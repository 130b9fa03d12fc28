#include "link/protocol.h"

namespace proto {

namespace {
constexpr size_t kOpcodeOffset = 4, kSubCodeOffset = 6, kParameterOffset = 8, kLengthOffset = 12;
constexpr size_t kErrorCodeOffset = 0, kFwInfoOffset = 4, kBurnPercentOffset = 10, kUbootOffset = 14;
constexpr uint8_t kSubIdentification = 0x10, kSubDeviceInfo = 0x01, kSubDeviceStatus = 0x02,
                  kSubBurnStatus = 0x08, kSubFirmwareWrite = 0x08;
constexpr uint16_t kParamIdentification = 0x0019, kParamDeviceInfo = 0x0001;
}  // namespace

uint32_t ReadLe32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

uint16_t ReadLe16(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

void WriteLe32(uint8_t* bytes, uint32_t value) {
    for (size_t i = 0; i < 4; ++i) {
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

void WriteLe16(uint8_t* bytes, uint16_t value) {
    bytes[0] = static_cast<uint8_t>(value);
    bytes[1] = static_cast<uint8_t>(value >> 8);
}

CommandBytes Encode(const CommandBlock& block) {
    CommandBytes bytes{};
    WriteLe32(bytes.data(), kLeadWord);
    bytes[kOpcodeOffset] = block.opcode;
    bytes[kSubCodeOffset] = block.subCode;
    WriteLe16(bytes.data() + kParameterOffset, block.parameter);
    WriteLe32(bytes.data() + kLengthOffset, block.dataLength);
    return bytes;
}

CommandBlock Decode(const uint8_t* block) {
    CommandBlock decoded;
    decoded.opcode = block[kOpcodeOffset];
    decoded.subCode = block[kSubCodeOffset];
    decoded.parameter = ReadLe16(block + kParameterOffset);
    decoded.dataLength = ReadLe32(block + kLengthOffset);
    return decoded;
}

bool HasLeadWord(const uint8_t* block) {
    return ReadLe32(block) == kLeadWord;
}

CommandBlock IdentificationRead() {
    return {kOpDataIn, kSubIdentification, kParamIdentification, static_cast<uint32_t>(kIdentificationSize)};
}

CommandBlock DeviceInfoRead() {
    return {kOpDataIn, kSubDeviceInfo, kParamDeviceInfo, static_cast<uint32_t>(kDeviceInfoSize)};
}

CommandBlock DeviceStatus() {
    return {kOpStatus, kSubDeviceStatus, 0, 0};
}

CommandBlock BurnStatus() {
    return {kOpStatus, kSubBurnStatus, 0, 0};
}

CommandBlock FirmwareWrite(uint16_t imageCode, uint32_t imageSize) {
    return {kOpDataOut, kSubFirmwareWrite, imageCode, imageSize};
}

ReplyBytes EncodeReply(const StatusReply& reply) {
    ReplyBytes bytes{};
    WriteLe32(bytes.data() + kErrorCodeOffset, reply.errorCode);
    WriteLe16(bytes.data() + kFwInfoOffset, reply.fwInfo);
    bytes[kBurnPercentOffset] = reply.burnPercent;
    bytes[kUbootOffset] = reply.ubootVersion;
    return bytes;
}

StatusReply DecodeReply(const uint8_t* reply32) {
    StatusReply reply;
    reply.errorCode = ReadLe32(reply32 + kErrorCodeOffset);
    reply.fwInfo = ReadLe16(reply32 + kFwInfoOffset);
    reply.burnPercent = reply32[kBurnPercentOffset];
    reply.ubootVersion = reply32[kUbootOffset];
    return reply;
}

}  // namespace proto
