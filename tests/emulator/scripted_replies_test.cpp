// Scripted status replies: status commands and reads each take their own script, in order, and the device's
// own answers resume when a script runs out; the data a read carries stays the device's.
#include <gtest/gtest.h>

#include "emulator/tessaline_device.h"
#include "support/status_answers.h"
#include "transaction_driver.h"

namespace {

using fwtest::Answer;

TEST(ScriptedReplies, EachKindOfCommandTakesItsOwnScript) {
    emu::Scenario scenario;
    scenario.mainBoardVersion = 0x0002'012C;
    emu::TessalineDevice device(scenario, 0);
    device.ScriptReadReplies({Answer(proto::kBusy), Answer(proto::kFwUpdate, {.errorCode = 0x1234})});
    device.ScriptStatusReplies({Answer(proto::kLlBoot)});

    const auto identification = emu_test::RunTransaction(device, proto::IdentificationRead(), 10);
    ASSERT_TRUE(identification.complete) << identification.Describe();
    EXPECT_EQ(identification.Reply().fwInfo, proto::kBusy);
    EXPECT_EQ(identification.dataIn.at(0), 'K');  // the scenario's identification all the same

    EXPECT_EQ(emu_test::DeviceStatus(device, 20).fwInfo, proto::kLlBoot);  // the status script, not the reads'

    const auto info = emu_test::RunTransaction(device, proto::DeviceInfoRead(), 30);
    ASSERT_TRUE(info.complete) << info.Describe();
    EXPECT_EQ(info.Reply().fwInfo, proto::kFwUpdate);
    EXPECT_EQ(info.Reply().errorCode, 0x1234u);
    EXPECT_EQ(proto::ReadLe32(info.dataIn.data() + proto::kMainBoardVersionOffset), 0x0002'012Cu);

    // Both scripts used up: the device answers for itself again.
    EXPECT_EQ(emu_test::RunTransaction(device, proto::DeviceInfoRead(), 40).Reply().fwInfo, proto::kReady);
    EXPECT_EQ(emu_test::DeviceStatus(device, 50).fwInfo, proto::kReady);
}

}  // namespace
