// The firmware write: which images the device takes, and proof that an image arrives byte for byte.
#include <gtest/gtest.h>

#include "emulator/placeholder_image.h"
#include "emulator/reject_codes.h"
#include "emulator/tessaline_device.h"
#include "link/protocol.h"
#include "transaction_driver.h"

namespace {

using emu_test::RunTransaction;

emu::Scenario DeviceWith(uint8_t uboot, uint16_t bcd) {
    emu::Scenario scenario;
    scenario.ubootVersion = uboot;
    scenario.bcdDevice = bcd;
    return scenario;
}

TEST(FirmwareWrite, LargestImageArrivesByteForByte) {
    emu::Scenario scenario = DeviceWith(8, 0x0100);
    scenario.keepImageBytes = true;
    emu::TessalineDevice device(scenario, 0);
    const std::vector<uint8_t> image = emu::PlaceholderImage(505, 13633428);

    const emu_test::Exchange exchange = RunTransaction(device, proto::FirmwareWrite(0x1005, 13633428), 1000, image.data());

    ASSERT_TRUE(exchange.complete) << exchange.Describe();
    EXPECT_EQ(exchange.Reply().errorCode, 0u);
    const emu::ImageWrite& written = device.LastImage();
    EXPECT_TRUE(written.complete);
    EXPECT_EQ(written.code, 0x1005);
    EXPECT_EQ(written.size, 13633428u);
    EXPECT_EQ(written.received, 13633428u);
    EXPECT_EQ(written.checksum, emu::PlaceholderChecksum(505, 13633428));
    EXPECT_EQ(device.MatchingPlaceholder().value_or(0), 505);
    EXPECT_TRUE(device.ImageBytes() == image) << "kept " << device.ImageBytes().size() << " bytes";
    EXPECT_EQ(device.Life(1000).phase, emu::LifePhase::Burning);
}

TEST(FirmwareWrite, EachBootLoaderAndPathTakesItsOwnImage) {
    const struct {
        uint8_t uboot;
        uint16_t bcd;
        uint16_t code;
        int image;
    } cases[] = {
        {4, 1, 0x1001, 504}, {4, 0x0100, 0x1002, 504}, {8, 1, 0x1004, 505},
        {8, 0x0100, 0x1005, 505}, {0, 1, 0x0004, 501}, {255, 0x0200, 0x0101, 501},
    };
    for (const auto& c : cases) {
        emu::TessalineDevice device(DeviceWith(c.uboot, c.bcd), 0);
        const size_t size = *emu::PlaceholderSize(c.image);
        const std::vector<uint8_t> image = emu::PlaceholderImage(c.image, size);
        const emu_test::Exchange exchange =
            RunTransaction(device, proto::FirmwareWrite(c.code, static_cast<uint32_t>(size)), 0, image.data());
        EXPECT_TRUE(exchange.complete) << "code " << c.code << ": " << exchange.Describe();
        EXPECT_EQ(device.MatchingPlaceholder().value_or(0), c.image) << "code " << c.code;
    }
}

TEST(FirmwareWrite, ImageInPiecesGivesTheSameChecksum) {
    emu::TessalineDevice device(DeviceWith(4, 1), 0);
    const std::vector<uint8_t> image = emu::PlaceholderImage(504, 8388608);
    ASSERT_TRUE(device.Open(0));
    const proto::CommandBytes block = proto::Encode(proto::FirmwareWrite(0x1001, 8388608));
    ASSERT_EQ(device.Write(block.data(), block.size(), 0).bytes, 16u);
    std::array<uint8_t, 32> reply{};
    ASSERT_EQ(device.Read(reply.data(), reply.size(), 0).bytes, 32u);
    size_t sent = 0;
    for (size_t piece = 1; sent < image.size(); piece = piece * 3 + 1) {  // uneven pieces, as TCP delivers
        sent += device.Write(image.data() + sent, std::min(piece, image.size() - sent), 5).bytes;
    }
    device.Close();
    EXPECT_TRUE(device.LastImage().complete);
    EXPECT_EQ(device.LastImage().checksum, emu::PlaceholderChecksum(504, 8388608));
}

TEST(FirmwareWrite, RefusedImageStallsItsDataAndStartsNoBurn) {
    const struct {
        const char* name;
        emu::Scenario scenario;
        uint16_t code;
        uint32_t size;
        uint32_t reject;
    } cases[] = {
        {"unknown code", DeviceWith(8, 0x0100), 0x1234, 13633428, emu::kRejectImage},
        {"size of another image", DeviceWith(8, 0x0100), 0x1005, 8388608, emu::kRejectImage},
        {"one byte short", DeviceWith(8, 0x0100), 0x1005, 13633427, emu::kRejectImage},
        {"image of another boot loader", DeviceWith(8, 0x0100), 0x0101, 8388608, emu::kRejectImage},
        {"direct-path code on the standard path", DeviceWith(8, 0x0100), 0x1004, 13633428, emu::kRejectImage},
        {"standard-path code on the direct path", DeviceWith(4, 1), 0x1002, 8388608, emu::kRejectImage},
        {"device busy", [] { emu::Scenario s = DeviceWith(8, 0x0100); s.fwInfo = proto::kBusy; return s; }(), 0x1005,
         13633428, emu::kRejectNotReady},
        {"longer than any image", DeviceWith(8, 0x0100), 0x1005, 13633429, emu::kRejectDataLength},
    };
    for (const auto& c : cases) {
        emu::TessalineDevice device(c.scenario, 0);
        const emu_test::Exchange exchange = RunTransaction(device, proto::FirmwareWrite(c.code, c.size), 0);
        EXPECT_EQ(exchange.Reply().errorCode, c.reject) << c.name;
        EXPECT_EQ(exchange.Reply().fwInfo, c.scenario.fwInfo) << c.name;
        EXPECT_FALSE(exchange.complete) << c.name;
        EXPECT_EQ(exchange.failedStage, emu::Stage::DataOut) << c.name << ": " << exchange.Describe();
        EXPECT_EQ(exchange.failure, emu::Outcome::Stalled) << c.name << ": " << exchange.Describe();
        EXPECT_EQ(exchange.dataOutTaken, 0u) << c.name;
        EXPECT_FALSE(device.LastImage().complete) << c.name;
        EXPECT_EQ(device.Life(100000).phase, emu::LifePhase::Idle) << c.name;
    }
}

TEST(FirmwareWrite, LenientDeviceTakesAnyKnownImage) {
    emu::Scenario scenario = DeviceWith(8, 0x0100);
    scenario.strictImageCheck = false;
    emu::TessalineDevice device(scenario, 0);
    const std::vector<uint8_t> image = emu::PlaceholderImage(501, 8388608);
    const emu_test::Exchange exchange = RunTransaction(device, proto::FirmwareWrite(0x0101, 8388608), 0, image.data());
    EXPECT_TRUE(exchange.complete) << exchange.Describe();
    EXPECT_EQ(device.MatchingPlaceholder().value_or(0), 501);
}

TEST(FirmwareWrite, ClosedChannelLeavesAnIncompleteRecordAndNoBurn) {
    emu::TessalineDevice device(DeviceWith(8, 0x0100), 0);
    const std::vector<uint8_t> image = emu::PlaceholderImage(505, 13633428);
    ASSERT_TRUE(device.Open(0));
    const proto::CommandBytes block = proto::Encode(proto::FirmwareWrite(0x1005, 13633428));
    device.Write(block.data(), block.size(), 0);
    std::array<uint8_t, 32> reply{};
    device.Read(reply.data(), reply.size(), 0);
    EXPECT_EQ(device.Write(image.data(), 1000000, 0).bytes, 1000000u);
    device.Close();
    EXPECT_FALSE(device.LastImage().complete);
    EXPECT_EQ(device.LastImage().received, 1000000u);
    EXPECT_FALSE(device.MatchingPlaceholder().has_value());
    EXPECT_EQ(device.Life(60000).phase, emu::LifePhase::Idle);
}

TEST(FirmwareWrite, WrongImageBytesAreSeenInTheChecksum) {
    emu::TessalineDevice device(DeviceWith(8, 0x0100), 0);
    std::vector<uint8_t> image = emu::PlaceholderImage(505, 13633428);
    image[6816714] ^= 0x01;
    const emu_test::Exchange exchange = RunTransaction(device, proto::FirmwareWrite(0x1005, 13633428), 0, image.data());
    ASSERT_TRUE(exchange.complete) << exchange.Describe();
    EXPECT_NE(device.LastImage().checksum, emu::PlaceholderChecksum(505, 13633428));
    EXPECT_FALSE(device.MatchingPlaceholder().has_value());
}

}  // namespace
