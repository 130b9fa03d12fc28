// Faults at a chosen stage of a chosen transaction: no reply, a short transfer, an unplug.
#include <gtest/gtest.h>

#include "emulator/placeholder_image.h"
#include "emulator/tessaline_device.h"
#include "link/protocol.h"
#include "transaction_driver.h"

namespace {

using emu::FaultKind;
using emu::Outcome;
using emu::Stage;

struct FaultCase {
    const char* name;
    emu::StageFault fault;
    proto::CommandBlock command;
    bool opened;
    Stage failedStage;
    Outcome failure;  // the driver reports a short transfer as Stalled: the rest never comes
    size_t replyBytes;
};

TEST(StageFaults, EachFaultStopsItsStage) {
    const FaultCase cases[] = {
        {"no reply to the block", {1, 1, Stage::Command, FaultKind::NoReply, 0}, proto::DeviceStatus(), true,
         Stage::Command, Outcome::Stalled, 0},
        {"no status reply", {1, 1, Stage::Reply, FaultKind::NoReply, 0}, proto::DeviceStatus(), true, Stage::Reply,
         Outcome::Stalled, 0},
        {"no data-in", {1, 1, Stage::DataIn, FaultKind::NoReply, 0}, proto::DeviceInfoRead(), true, Stage::DataIn,
         Outcome::Stalled, 32},
        {"short block", {1, 1, Stage::Command, FaultKind::Short, 10}, proto::DeviceStatus(), true, Stage::Command,
         Outcome::Stalled, 0},
        {"short reply", {1, 1, Stage::Reply, FaultKind::Short, 20}, proto::DeviceStatus(), true, Stage::Reply,
         Outcome::Stalled, 20},
        {"short data-in", {1, 1, Stage::DataIn, FaultKind::Short, 71}, proto::DeviceInfoRead(), true, Stage::DataIn,
         Outcome::Stalled, 32},
        {"unplugged before the reply", {1, 1, Stage::Reply, FaultKind::Unplug, 0}, proto::DeviceStatus(), true,
         Stage::Reply, Outcome::Absent, 0},
    };
    for (const FaultCase& c : cases) {
        emu::Scenario scenario;
        scenario.faults.stageFaults = {c.fault};
        emu::TessalineDevice device(scenario, 0);
        const emu_test::Exchange exchange = emu_test::RunTransaction(device, c.command, 0);
        EXPECT_EQ(exchange.opened, c.opened) << c.name;
        EXPECT_FALSE(exchange.complete) << c.name;
        EXPECT_EQ(exchange.failedStage, c.failedStage) << c.name << ": " << exchange.Describe();
        EXPECT_EQ(exchange.failure, c.failure) << c.name << ": " << exchange.Describe();
        EXPECT_EQ(exchange.replyBytes, c.replyBytes) << c.name;
    }
}

TEST(StageFaults, ShortDataOutTakesOnlyTheGivenBytes) {
    emu::Scenario scenario;
    scenario.faults.stageFaults = {{1, 1, Stage::DataOut, FaultKind::Short, 4096}};
    emu::TessalineDevice device(scenario, 0);
    const std::vector<uint8_t> image = emu::PlaceholderImage(505, 13633428);
    const emu_test::Exchange exchange =
        emu_test::RunTransaction(device, proto::FirmwareWrite(0x1005, 13633428), 0, image.data());
    EXPECT_FALSE(exchange.complete);
    EXPECT_EQ(exchange.dataOutTaken, 4096u);
    EXPECT_EQ(device.LastImage().received, 4096u);
    EXPECT_FALSE(device.LastImage().complete);
    EXPECT_EQ(device.Life(100000).phase, emu::LifePhase::Idle);
}

TEST(StageFaults, UnplugDuringTheImageLeavesTheDeviceGone) {
    emu::Scenario scenario;
    scenario.faults.stageFaults = {{1, 1, Stage::DataOut, FaultKind::Unplug, 0}};
    emu::TessalineDevice device(scenario, 0);
    const std::vector<uint8_t> image = emu::PlaceholderImage(505, 13633428);
    const emu_test::Exchange exchange =
        emu_test::RunTransaction(device, proto::FirmwareWrite(0x1005, 13633428), 7, image.data());
    EXPECT_EQ(exchange.failure, Outcome::Absent) << exchange.Describe();
    EXPECT_EQ(exchange.replyBytes, 32u);
    EXPECT_FALSE(device.IsPresent(7));
    EXPECT_FALSE(device.Open(1000000));
}

TEST(StageFaults, FaultsHitOnlyTheirTransactions) {
    const struct {
        const char* name;
        emu::StageFault fault;
        const char* pattern;  // per transaction 1..6: '.' answered, 'x' no reply
    } cases[] = {
        {"one", {3, 1, Stage::Reply, FaultKind::NoReply, 0}, "..x..."},
        {"range", {2, 3, Stage::Reply, FaultKind::NoReply, 0}, ".xxx.."},
        {"from then on", {5, 0, Stage::Reply, FaultKind::NoReply, 0}, "....xx"},
    };
    for (const auto& c : cases) {
        emu::Scenario scenario;
        scenario.faults.stageFaults = {c.fault};
        emu::TessalineDevice device(scenario, 0);
        std::string pattern;
        for (int i = 0; i < 6; ++i) {
            pattern += emu_test::RunTransaction(device, proto::DeviceStatus(), 0).complete ? '.' : 'x';
        }
        EXPECT_EQ(pattern, c.pattern) << c.name;
    }
}

TEST(StageFaults, AfterAShortTransferTheDeviceGoesQuiet) {
    const proto::CommandBytes block = proto::Encode(proto::DeviceStatus());
    std::array<uint8_t, 32> reply{};
    {
        emu::Scenario scenario;
        scenario.faults.stageFaults = {{1, 1, Stage::Command, FaultKind::Short, 10}};
        emu::TessalineDevice device(scenario, 0);
        ASSERT_TRUE(device.Open(0));
        EXPECT_EQ(device.Write(block.data(), block.size(), 0).bytes, 10u);
        const emu::Transfer rest = device.Write(block.data() + 10, 6, 0);
        EXPECT_EQ(rest.outcome, Outcome::Stalled) << "write after a short block: " << emu_test::OutcomeName(rest.outcome);
    }
    {
        emu::Scenario scenario;
        scenario.faults.stageFaults = {{1, 1, Stage::Reply, FaultKind::Short, 20}};
        emu::TessalineDevice device(scenario, 0);
        ASSERT_TRUE(device.Open(0));
        ASSERT_EQ(device.Write(block.data(), block.size(), 0).bytes, 16u);
        EXPECT_EQ(device.Read(reply.data(), reply.size(), 0).bytes, 20u);
        const emu::Transfer rest = device.Read(reply.data(), reply.size(), 0);
        EXPECT_EQ(rest.outcome, Outcome::Stalled) << "read after a short reply: " << emu_test::OutcomeName(rest.outcome);
    }
}

TEST(StageFaults, StallLastsUntilTheChannelCloses) {
    emu::Scenario scenario;
    scenario.faults.stageFaults = {{1, 1, Stage::Reply, FaultKind::NoReply, 0}};
    emu::TessalineDevice device(scenario, 0);
    ASSERT_TRUE(device.Open(0));
    const proto::CommandBytes block = proto::Encode(proto::DeviceStatus());
    ASSERT_EQ(device.Write(block.data(), block.size(), 0).bytes, 16u);
    std::array<uint8_t, 32> reply{};
    for (uint64_t now : {0, 1000, 120000}) {
        const emu::Transfer transfer = device.Read(reply.data(), reply.size(), now);
        EXPECT_EQ(transfer.outcome, Outcome::Stalled) << "at " << now << ": " << emu_test::OutcomeName(transfer.outcome);
    }
    EXPECT_TRUE(device.IsStalled());
    device.Close();
    EXPECT_TRUE(emu_test::RunTransaction(device, proto::DeviceStatus(), 130000).complete);
}

}  // namespace
