// Blocks a real device could receive from a confused host: the device answers or goes quiet, it never
// crashes and never allocates by a length it was sent.
#include <gtest/gtest.h>

#include "emulator/reject_codes.h"
#include "emulator/tessaline_device.h"
#include "link/protocol.h"
#include "transaction_driver.h"

namespace {

proto::CommandBytes WithLeadWord(proto::CommandBlock block, uint32_t leadWord) {
    proto::CommandBytes bytes = proto::Encode(block);
    proto::WriteLe32(bytes.data(), leadWord);
    return bytes;
}

struct MalformedCase {
    const char* name;
    proto::CommandBytes block;
    uint32_t errorCode;           // in the reply, when one comes
    bool complete;                // every stage ran
    emu::Stage stalledStage;      // when not complete
    size_t dataInBytes;           // zeros expected
};

TEST(Malformed, DeviceAnswersWithARejectOrGoesQuiet) {
    const MalformedCase cases[] = {
        {"wrong lead word", WithLeadWord(proto::DeviceStatus(), 0x00000221), emu::kRejectLeadWord, true, {}, 0},
        {"zero lead word, data-in", WithLeadWord(proto::DeviceInfoRead(), 0), emu::kRejectLeadWord, true, {}, 72},
        {"unknown opcode", proto::Encode({0x99, 0x02, 0, 0}), emu::kRejectUnknownCommand, true, {}, 0},
        {"unknown opcode with a length", proto::Encode({0x00, 0x00, 0, 0xFFFFFFFF}), emu::kRejectUnknownCommand, true, {}, 0},
        {"status with unknown sub-code", proto::Encode({0x12, 0x05, 0, 0}), emu::kRejectUnknownCommand, true, {}, 0},
        {"status with a data length", proto::Encode({0x12, 0x02, 0, 1000}), 0, true, {}, 0},
        {"data-in with unknown sub-code", proto::Encode({0x28, 0x77, 0x0019, 20}), emu::kRejectUnknownCommand, true, {}, 20},
        {"data-in of 4 GB", proto::Encode({0x28, 0x10, 0x0019, 0xFFFFFFFF}), emu::kRejectDataLength, false,
         emu::Stage::DataIn, 0},
        {"data-in one past the bound", proto::Encode({0x28, 0x01, 0x0001, emu::kMaxDataIn + 1}), emu::kRejectDataLength,
         false, emu::Stage::DataIn, 0},
        {"data-out with unknown sub-code", proto::Encode({0x2A, 0x01, 0, 100}), emu::kRejectUnknownCommand, true, {}, 0},
        {"data-out of 4 GB", proto::Encode({0x2A, 0x08, 0x1005, 0xFFFFFFFF}), emu::kRejectDataLength, false,
         emu::Stage::DataOut, 0},
        {"data-out-first, small", proto::Encode({0x2B, 0x08, 0, 100}), emu::kRejectUnknownCommand, true, {}, 0},
        {"data-out-first, 4 GB: no reply", proto::Encode({0x2B, 0x08, 0, 0xFFFFFFFF}), 0, false, emu::Stage::DataOut, 0},
        {"data-in of length 0", proto::Encode({0x28, 0x10, 0x0019, 0}), 0, true, {}, 0},
    };
    for (const MalformedCase& c : cases) {
        emu::Scenario scenario;
        scenario.fwInfo = proto::kLlBoot;
        emu::TessalineDevice device(scenario, 0);
        const emu_test::Exchange exchange = emu_test::RunTransaction(device, c.block, 0);
        EXPECT_EQ(exchange.complete, c.complete) << c.name << ": " << exchange.Describe();
        if (!c.complete) {
            EXPECT_EQ(exchange.failedStage, c.stalledStage) << c.name << ": " << exchange.Describe();
            EXPECT_EQ(exchange.failure, emu::Outcome::Stalled) << c.name << ": " << exchange.Describe();
        }
        if (exchange.replyBytes == proto::kStatusReplySize) {
            EXPECT_EQ(exchange.Reply().errorCode, c.errorCode) << c.name;
            EXPECT_EQ(exchange.Reply().fwInfo, proto::kLlBoot) << c.name << ": FWInfo stays as it was";
        }
        if (c.complete && c.dataInBytes > 0) {
            EXPECT_EQ(std::count(exchange.dataIn.begin(), exchange.dataIn.end(), 0), static_cast<long>(c.dataInBytes))
                << c.name;
        }
        EXPECT_EQ(device.Life(0).phase, emu::LifePhase::Idle) << c.name;
        EXPECT_TRUE(emu_test::RunTransaction(device, proto::DeviceStatus(), 1).complete)
            << c.name << ": the next transaction must work";
    }
}

TEST(Malformed, ReadingWhenTheDeviceWaitsForBytesIsTheWrongDirection) {
    emu::TessalineDevice device(emu::Scenario{}, 0);
    ASSERT_TRUE(device.Open(0));
    std::array<uint8_t, 32> buffer{};
    const emu::Transfer early = device.Read(buffer.data(), buffer.size(), 0);
    EXPECT_EQ(early.outcome, emu::Outcome::WrongDirection) << emu_test::OutcomeName(early.outcome);
    const proto::CommandBytes block = proto::Encode(proto::DeviceStatus());
    ASSERT_EQ(device.Write(block.data(), block.size(), 0).bytes, 16u);
    const emu::Transfer late = device.Write(block.data(), block.size(), 0);
    EXPECT_EQ(late.outcome, emu::Outcome::WrongDirection) << emu_test::OutcomeName(late.outcome);
}

TEST(Malformed, OversizedWriteTakesOnlyTheBlock) {
    emu::TessalineDevice device(emu::Scenario{}, 0);
    ASSERT_TRUE(device.Open(0));
    std::array<uint8_t, 40> bytes{};
    const proto::CommandBytes block = proto::Encode(proto::DeviceStatus());
    std::copy(block.begin(), block.end(), bytes.begin());
    const emu::Transfer transfer = device.Write(bytes.data(), bytes.size(), 0);
    EXPECT_EQ(transfer.bytes, 16u) << "a USB front reports this as a short write";
    EXPECT_EQ(device.Expecting(), emu::Stage::Reply);
}

TEST(Malformed, NothingMovesOnAClosedChannel) {
    emu::TessalineDevice device(emu::Scenario{}, 0);
    const proto::CommandBytes block = proto::Encode(proto::DeviceStatus());
    const emu::Transfer transfer = device.Write(block.data(), block.size(), 0);
    EXPECT_EQ(transfer.outcome, emu::Outcome::Absent) << emu_test::OutcomeName(transfer.outcome);
    EXPECT_EQ(device.TransactionCount(), 0u);
}

}  // namespace
