#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "link/protocol.h"

namespace {

template <typename Bytes>
std::string Hex(const Bytes& bytes) {
    std::string text;
    for (uint8_t byte : bytes) {
        char pair[4];
        std::snprintf(pair, sizeof pair, text.empty() ? "%02X" : " %02X", byte);
        text += pair;
    }
    return text;
}

struct CommandCase {
    const char* name;
    proto::CommandBlock block;
    const char* bytes;
};

TEST(Protocol, CommandsEncodeToTheBytesTheScannerExpects) {
    const CommandCase cases[] = {
        {"identification read", proto::IdentificationRead(), "20 02 00 00 28 00 10 00 19 00 00 00 0E 00 00 00"},
        {"device information read", proto::DeviceInfoRead(), "20 02 00 00 28 00 01 00 01 00 00 00 48 00 00 00"},
        {"device status", proto::DeviceStatus(), "20 02 00 00 12 00 02 00 00 00 00 00 00 00 00 00"},
        {"burn status", proto::BurnStatus(), "20 02 00 00 12 00 08 00 00 00 00 00 00 00 00 00"},
        {"firmware write 0x1005", proto::FirmwareWrite(0x1005, 13633428),
         "20 02 00 00 2A 00 08 00 05 10 00 00 94 07 D0 00"},
        {"firmware write 0x0101", proto::FirmwareWrite(0x0101, 8388608),
         "20 02 00 00 2A 00 08 00 01 01 00 00 00 00 80 00"},
    };
    for (const CommandCase& c : cases) {
        EXPECT_EQ(Hex(proto::Encode(c.block)), c.bytes) << c.name;
    }
}

TEST(Protocol, DecodeReadsBackEveryFieldAndIgnoresReservedBytes) {
    proto::CommandBytes bytes = proto::Encode({0x2B, 0x7F, 0xBEEF, 0xFFFFFFFF});
    bytes[5] = bytes[7] = bytes[10] = bytes[11] = 0xAA;
    const proto::CommandBlock block = proto::Decode(bytes.data());
    EXPECT_EQ(block.opcode, 0x2B);
    EXPECT_EQ(block.subCode, 0x7F);
    EXPECT_EQ(block.parameter, 0xBEEF);
    EXPECT_EQ(block.dataLength, 0xFFFFFFFFu);
    EXPECT_TRUE(proto::HasLeadWord(bytes.data()));
}

TEST(Protocol, LeadWordMustBeExact) {
    const struct {
        size_t index;
        uint8_t value;
    } corruptions[] = {{0, 0x21}, {1, 0x00}, {2, 0x01}, {3, 0x80}};
    for (const auto& corruption : corruptions) {
        proto::CommandBytes bytes = proto::Encode(proto::DeviceStatus());
        bytes[corruption.index] = corruption.value;
        EXPECT_FALSE(proto::HasLeadWord(bytes.data())) << Hex(bytes);
    }
}

TEST(Protocol, StatusReplyFieldsSitAtTheirOffsets) {
    const proto::StatusReply reply{0x00007001, proto::kFwUpdate, 85, 8};
    const auto bytes = proto::EncodeReply(reply);
    EXPECT_EQ(Hex(bytes),
              "01 70 00 00 07 00 00 00 00 00 55 00 00 00 08 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
    const proto::StatusReply decoded = proto::DecodeReply(bytes.data());
    EXPECT_EQ(decoded.errorCode, 0x7001u);
    EXPECT_EQ(decoded.fwInfo, proto::kFwUpdate);
    EXPECT_EQ(decoded.burnPercent, 85);
    EXPECT_EQ(decoded.ubootVersion, 8);
}

TEST(Protocol, ReplyDecodeReadsOnlyItsFields) {
    proto::ReplyBytes bytes{};
    bytes.fill(0xEE);
    const proto::StatusReply decoded = proto::DecodeReply(bytes.data());
    EXPECT_EQ(decoded.errorCode, 0xEEEEEEEEu);
    EXPECT_EQ(decoded.fwInfo, 0xEEEE);
    EXPECT_EQ(decoded.burnPercent, 0xEE);
    EXPECT_EQ(decoded.ubootVersion, 0xEE);
}

TEST(Protocol, LittleEndianHelpersRoundTrip) {
    uint8_t bytes[4] = {};
    proto::WriteLe32(bytes, 0x12345678);
    EXPECT_EQ(Hex(bytes), "78 56 34 12");
    EXPECT_EQ(proto::ReadLe32(bytes), 0x12345678u);
    proto::WriteLe16(bytes, 0xA1B2);
    EXPECT_EQ(Hex(bytes), "B2 A1 34 12");
    EXPECT_EQ(proto::ReadLe16(bytes), 0xA1B2);
}

}  // namespace
