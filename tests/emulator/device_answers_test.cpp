// What the device answers before any update: identity, identification, versions and state.
#include <gtest/gtest.h>

#include <string>

#include "emulator/reject_codes.h"
#include "emulator/tessaline_device.h"
#include "link/protocol.h"
#include "transaction_driver.h"

namespace {

using emu_test::RunTransaction;

TEST(DeviceAnswers, IdentityIsTheScenarios) {
    emu::Scenario scenario;
    EXPECT_EQ(emu::TessalineDevice(scenario, 0).Identity().vendorId, 0x1209);
    EXPECT_EQ(emu::TessalineDevice(scenario, 0).Identity().productId, 0x0001);
    scenario.bcdDevice = 1;
    scenario.vendorId = 0x04B4;
    const emu::UsbIdentity identity = emu::TessalineDevice(scenario, 0).Identity();
    EXPECT_EQ(identity.bcdDevice, 1);
    EXPECT_EQ(identity.vendorId, 0x04B4);
}

TEST(DeviceAnswers, DeviceStatusReportsTheStateAndBootLoader) {
    const struct {
        uint16_t fwInfo;
        uint8_t uboot;
    } cases[] = {{proto::kReady, 8}, {proto::kBusy, 4}, {proto::kLlBoot, 0}, {proto::kFwUpdate, 255}, {0x8001, 5}};
    for (const auto& c : cases) {
        emu::Scenario scenario;
        scenario.fwInfo = c.fwInfo;
        scenario.ubootVersion = c.uboot;
        emu::TessalineDevice device(scenario, 0);
        const proto::StatusReply reply = emu_test::DeviceStatus(device, 10);
        EXPECT_EQ(reply.fwInfo, c.fwInfo);
        EXPECT_EQ(reply.ubootVersion, c.uboot) << "FWInfo " << c.fwInfo;
        EXPECT_EQ(reply.errorCode, 0u) << "FWInfo " << c.fwInfo;
        EXPECT_EQ(reply.burnPercent, 0) << "FWInfo " << c.fwInfo;
    }
}

TEST(DeviceAnswers, IdentificationIsTheFourteenBytesAsSet) {
    const std::array<uint8_t, 14> texts[] = {
        {'K', 'T', '-', 'A', '4', '-', '0', '0', '0', '1', '2', '3', '4', '5'},
        {0, 'A', 'B', 'C', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},                                    // starts with NUL
        {0xC3, 0x28, 0xFF, 0xFE, 'x', 0xE2, 0x82, 0, 0, 0, 0, 0, 0, 0},                    // not UTF-8
    };
    for (const auto& text : texts) {
        emu::Scenario scenario;
        scenario.identification = text;
        emu::TessalineDevice device(scenario, 0);
        const emu_test::Exchange exchange = RunTransaction(device, proto::IdentificationRead(), 0);
        ASSERT_TRUE(exchange.complete) << exchange.Describe();
        EXPECT_EQ(exchange.dataIn, std::vector<uint8_t>(text.begin(), text.end()));
        EXPECT_EQ(exchange.Reply().errorCode, 0u);
    }
}

TEST(DeviceAnswers, DataInFollowsTheAskedLengthPaddingWithZeros) {
    emu::TessalineDevice device(emu::Scenario{}, 0);
    const struct {
        uint32_t length;
        size_t textBytes;
    } cases[] = {{14, 14}, {4, 4}, {20, 14}, {65536, 14}};
    for (const auto& c : cases) {
        proto::CommandBlock block = proto::IdentificationRead();
        block.dataLength = c.length;
        const emu_test::Exchange exchange = RunTransaction(device, block, 0);
        ASSERT_TRUE(exchange.complete) << "length " << c.length << ": " << exchange.Describe();
        ASSERT_EQ(exchange.dataIn.size(), c.length);
        EXPECT_EQ(std::string(exchange.dataIn.begin(), exchange.dataIn.begin() + static_cast<long>(c.textBytes)),
                  std::string("KT-A4-00012345").substr(0, c.textBytes));
        EXPECT_EQ(std::count(exchange.dataIn.begin() + static_cast<long>(c.textBytes), exchange.dataIn.end(), 0),
                  static_cast<long>(c.length - c.textBytes))
            << "length " << c.length;
    }
}

TEST(DeviceAnswers, DeviceInformationCarriesBothVersions) {
    const struct {
        uint32_t mainBoard;
        uint32_t panel;
    } cases[] = {{60, 0x00010005}, {68, 0}, {0xFFFFFFFF, 0x00020000 | 300}};
    for (const auto& c : cases) {
        emu::Scenario scenario;
        scenario.mainBoardVersion = c.mainBoard;
        scenario.panelVersion = c.panel;
        emu::TessalineDevice device(scenario, 0);
        const emu_test::Exchange exchange = RunTransaction(device, proto::DeviceInfoRead(), 0);
        ASSERT_TRUE(exchange.complete) << exchange.Describe();
        ASSERT_EQ(exchange.dataIn.size(), proto::kDeviceInfoSize);
        EXPECT_EQ(proto::ReadLe32(&exchange.dataIn[proto::kMainBoardVersionOffset]), c.mainBoard);
        EXPECT_EQ(proto::ReadLe32(&exchange.dataIn[proto::kPanelVersionOffset]), c.panel);
    }
}

TEST(DeviceAnswers, DeviceInformationReplyCarriesTheStateToo) {
    emu::Scenario scenario;
    scenario.fwInfo = proto::kLlBoot;
    emu::TessalineDevice device(scenario, 0);
    const emu_test::Exchange exchange = RunTransaction(device, proto::DeviceInfoRead(), 0);
    ASSERT_TRUE(exchange.complete) << exchange.Describe();
    EXPECT_EQ(exchange.Reply().fwInfo, proto::kLlBoot);
}

TEST(DeviceAnswers, ScenarioChangesApplyToTheNextCommand) {
    emu::TessalineDevice device(emu::Scenario{}, 0);
    EXPECT_EQ(emu_test::DeviceStatus(device, 0).fwInfo, proto::kReady);
    device.MutableScenario().fwInfo = proto::kBusy;
    EXPECT_EQ(emu_test::DeviceStatus(device, 1).fwInfo, proto::kBusy);
}

TEST(DeviceAnswers, SeveralTransactionsMayShareOneChannel) {
    emu::TessalineDevice device(emu::Scenario{}, 0);
    ASSERT_TRUE(device.Open(0));
    for (int i = 0; i < 3; ++i) {
        const proto::CommandBytes block = proto::Encode(proto::DeviceStatus());
        EXPECT_EQ(device.Write(block.data(), block.size(), 0).bytes, 16u);
        std::array<uint8_t, 32> reply{};
        EXPECT_EQ(device.Read(reply.data(), reply.size(), 0).bytes, 32u) << "transaction " << i;
        EXPECT_EQ(device.Expecting(), emu::Stage::Command);
    }
    EXPECT_EQ(device.TransactionCount(), 3u);
    EXPECT_EQ(device.Counts().deviceStatus, 3u);
}

TEST(DeviceAnswers, BlockMayArriveInPieces) {
    emu::TessalineDevice device(emu::Scenario{}, 0);
    ASSERT_TRUE(device.Open(0));
    const proto::CommandBytes block = proto::Encode(proto::DeviceInfoRead());
    size_t at = 0;
    for (size_t length : {5, 1, 9, 1}) {
        EXPECT_EQ(device.Write(block.data() + at, length, 0).bytes, length) << "piece at " << at;
        at += length;
    }
    EXPECT_EQ(device.Expecting(), emu::Stage::Reply);
    std::array<uint8_t, 32 + 72> all{};
    size_t got = 0;
    for (int piece = 0; piece < 32 && got < all.size(); ++piece) {  // a read never crosses a stage
        got += device.Read(all.data() + got, 7, 0).bytes;
    }
    EXPECT_EQ(got, all.size());
    EXPECT_EQ(proto::ReadLe32(&all[32 + proto::kMainBoardVersionOffset]), 60u);
}

}  // namespace
