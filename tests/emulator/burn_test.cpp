// The device's life after an accepted image, on virtual time: burn, power cycle, boot, ready again, and
// the faults that break that sequence.
#include <gtest/gtest.h>

#include "emulator/placeholder_image.h"
#include "emulator/reject_codes.h"
#include "emulator/tessaline_device.h"
#include "link/protocol.h"
#include "transaction_driver.h"

namespace {

constexpr uint64_t kWrittenAt = 50000;

emu::Scenario Timings() {
    emu::Scenario scenario;
    scenario.ubootVersion = 4;
    scenario.burnMs = 10000;
    scenario.readyBeforeOffMs = 2000;
    scenario.offMs = 4000;
    scenario.bootMs = 3000;
    return scenario;
}

// The image is written completely at kWrittenAt.
void WriteImage(emu::TessalineDevice& device) {
    const std::vector<uint8_t> image = emu::PlaceholderImage(504, 8388608);
    const emu_test::Exchange exchange =
        emu_test::RunTransaction(device, proto::FirmwareWrite(0x1002, 8388608), kWrittenAt, image.data());
    ASSERT_TRUE(exchange.complete) << exchange.Describe();
}

struct Moment {
    uint64_t afterMs;
    emu::LifePhase phase;
    bool present;
    uint16_t fwInfo;
    uint8_t percent;
    uint32_t errorCode;
    uint32_t mainBoard;
};

void ExpectMoments(emu::TessalineDevice& device, std::initializer_list<Moment> moments) {
    for (const Moment& m : moments) {
        const uint64_t now = kWrittenAt + m.afterMs;
        const emu::LifeState life = device.Life(now);
        EXPECT_EQ(emu::PhaseName(life.phase), std::string(emu::PhaseName(m.phase))) << "at +" << m.afterMs << " ms";
        EXPECT_EQ(device.IsPresent(now), m.present) << "at +" << m.afterMs << " ms";
        if (!m.present) {
            EXPECT_FALSE(emu_test::RunTransaction(device, proto::DeviceStatus(), now).opened) << "at +" << m.afterMs;
            continue;
        }
        const proto::StatusReply burn = emu_test::BurnStatus(device, now);
        EXPECT_EQ(burn.fwInfo, m.fwInfo) << "at +" << m.afterMs << " ms";
        EXPECT_EQ(int{burn.burnPercent}, int{m.percent}) << "at +" << m.afterMs << " ms";
        EXPECT_EQ(burn.errorCode, m.errorCode) << "at +" << m.afterMs << " ms";
        const emu_test::Exchange info = emu_test::RunTransaction(device, proto::DeviceInfoRead(), now);
        ASSERT_TRUE(info.complete) << "at +" << m.afterMs << " ms: " << info.Describe();
        EXPECT_EQ(proto::ReadLe32(&info.dataIn[proto::kMainBoardVersionOffset]), m.mainBoard)
            << "at +" << m.afterMs << " ms";
    }
}

using P = emu::LifePhase;

TEST(Burn, RunsThroughPowerCycleToTheNewVersion) {
    emu::TessalineDevice device(Timings(), 0);
    ExpectMoments(device, {{0, P::Idle, true, 0, 0, 0, 60}});  // before the write, nothing moves
    WriteImage(device);
    ExpectMoments(device, {
                              {0, P::Burning, true, 7, 0, 0, 60},
                              {1000, P::Burning, true, 7, 10, 0, 60},
                              {4999, P::Burning, true, 7, 49, 0, 60},
                              {9999, P::Burning, true, 7, 99, 0, 60},
                              {10000, P::Settling, true, 0, 0, 0, 60},
                              {11999, P::Settling, true, 0, 0, 0, 60},
                              {12000, P::Off, false, 0, 0, 0, 0},
                              {15999, P::Off, false, 0, 0, 0, 0},
                              {16000, P::Booting, true, 4, 0, 0, 68},
                              {18999, P::Booting, true, 4, 0, 0, 68},
                              {19000, P::Updated, true, 0, 0, 0, 68},
                              {900000, P::Updated, true, 0, 0, 0, 68},
                          });
}

TEST(Burn, BurnFailedErrorHaltsTheBurnWhereItStruck) {
    emu::Scenario scenario = Timings();
    scenario.faults.burnErrorCode = proto::kBurnFailedError;
    scenario.faults.burnErrorAtPercent = 40;
    emu::TessalineDevice device(scenario, 0);
    WriteImage(device);
    ExpectMoments(device, {
                              {3999, P::Burning, true, 7, 39, 0, 60},
                              {4000, P::Halted, true, 7, 40, 0x7001, 60},
                              {9000, P::Halted, true, 7, 40, 0x7001, 60},
                              {3600000, P::Halted, true, 7, 40, 0x7001, 60},
                          });
}

TEST(Burn, OtherErrorCodesAreReportedWhileTheBurnGoesOn) {
    emu::Scenario scenario = Timings();
    scenario.faults.burnErrorCode = 0x1234;
    scenario.faults.burnErrorAtPercent = 30;
    emu::TessalineDevice device(scenario, 0);
    WriteImage(device);
    ExpectMoments(device, {
                              {2999, P::Burning, true, 7, 29, 0, 60},
                              {3000, P::Burning, true, 7, 30, 0x1234, 60},
                              {9999, P::Burning, true, 7, 99, 0x1234, 60},
                              {10000, P::Settling, true, 0, 0, 0, 60},
                              {19000, P::Updated, true, 0, 0, 0, 68},
                          });
}

TEST(Burn, UnexpectedFwInfoDuringTheBurn) {
    const uint16_t values[] = {proto::kLlBoot, proto::kReady, proto::kBusy, 0x8001};
    for (uint16_t value : values) {
        emu::Scenario scenario = Timings();
        scenario.faults.burnFwInfo = value;
        scenario.faults.burnFwInfoAtPercent = 50;
        emu::TessalineDevice device(scenario, 0);
        WriteImage(device);
        SCOPED_TRACE("FWInfo " + std::to_string(value));
        ExpectMoments(device, {
                                  {4999, P::Burning, true, 7, 49, 0, 60},
                                  {5000, P::Burning, true, value, 50, 0, 60},
                                  {19000, P::Updated, true, 0, 0, 0, 68},
                              });
    }
}

TEST(Burn, PowerFaultsFreezeTheirPhase) {
    const struct {
        const char* name;
        bool emu::Faults::*flag;
        Moment late;
    } cases[] = {
        {"never powers off", &emu::Faults::neverPowersOff, {3600000, P::Settling, true, 0, 0, 0, 60}},
        {"never comes back", &emu::Faults::neverComesBack, {3600000, P::Off, false, 0, 0, 0, 0}},
        {"stays busy", &emu::Faults::staysBusy, {3600000, P::Booting, true, 4, 0, 0, 68}},
    };
    for (const auto& c : cases) {
        emu::Scenario scenario = Timings();
        scenario.faults.*c.flag = true;
        emu::TessalineDevice device(scenario, 0);
        WriteImage(device);
        SCOPED_TRACE(c.name);
        ExpectMoments(device, {c.late});
    }
}

TEST(Burn, ABurnThatDoesNotTakeComesBackReadyOnTheOldVersion) {
    emu::Scenario scenario = Timings();
    scenario.faults.keepsOldFirmware = true;
    emu::TessalineDevice device(scenario, 0);
    WriteImage(device);
    EXPECT_TRUE(device.LastImage().complete);
    ExpectMoments(device, {
                              {5000, P::Burning, true, 7, 50, 0, 60},
                              {10000, P::Settling, true, 0, 0, 0, 60},
                              {12000, P::Off, false, 0, 0, 0, 0},
                              {16000, P::Booting, true, 4, 0, 0, 60},
                              {19000, P::Updated, true, 0, 0, 0, 60},
                              {900000, P::Updated, true, 0, 0, 0, 60},
                          });
}

TEST(Burn, ABurnThatNeverEndsKeepsReportingItWithoutAnError) {
    emu::Scenario scenario = Timings();
    scenario.faults.burnsForever = true;
    emu::TessalineDevice device(scenario, 0);
    WriteImage(device);
    ExpectMoments(device, {
                              {4999, P::Burning, true, 7, 49, 0, 60},
                              {9999, P::Burning, true, 7, 99, 0, 60},
                              {10000, P::Burning, true, 7, 99, 0, 60},
                              {3600000, P::Burning, true, 7, 99, 0, 60},
                          });
}

TEST(Burn, UnplugInAPhaseIsForGood) {
    const struct {
        P phase;
        uint64_t afterMs;
        uint64_t goneAtMs;  // after the write
    } cases[] = {{P::Burning, 2500, 2500}, {P::Settling, 0, 10000}, {P::Booting, 1000, 17000}, {P::Updated, 5, 19005}};
    for (const auto& c : cases) {
        emu::Scenario scenario = Timings();
        scenario.faults.unplugInPhase = c.phase;
        scenario.faults.unplugAfterMs = c.afterMs;
        emu::TessalineDevice device(scenario, 0);
        WriteImage(device);
        SCOPED_TRACE(emu::PhaseName(c.phase));
        EXPECT_TRUE(device.IsPresent(kWrittenAt + c.goneAtMs - 1));
        for (uint64_t later : {c.goneAtMs, c.goneAtMs + 16000, c.goneAtMs + 3600000}) {
            EXPECT_FALSE(device.IsPresent(kWrittenAt + later)) << "at +" << later;
            EXPECT_EQ(device.Life(kWrittenAt + later).phase, P::Unplugged) << "at +" << later;
        }
    }
}

TEST(Burn, UnplugWhileIdle) {
    emu::Scenario scenario = Timings();
    scenario.faults.unplugInPhase = P::Idle;
    scenario.faults.unplugAfterMs = 700;
    emu::TessalineDevice device(scenario, 100);
    EXPECT_TRUE(device.IsPresent(799));
    EXPECT_FALSE(device.IsPresent(800));
}

TEST(Burn, ChannelOpenedBeforeThePowerCycleIsDeadAfterIt) {
    emu::TessalineDevice device(Timings(), 0);
    WriteImage(device);
    ASSERT_TRUE(device.Open(kWrittenAt + 11000));
    const proto::CommandBytes block = proto::Encode(proto::DeviceStatus());
    const emu::Transfer transfer = device.Write(block.data(), block.size(), kWrittenAt + 17000);
    EXPECT_EQ(transfer.outcome, emu::Outcome::Absent) << emu_test::OutcomeName(transfer.outcome);
    EXPECT_TRUE(device.Open(kWrittenAt + 17000));
}

TEST(Burn, ManualUnplugAndPlugKeepTheFirmwareReached) {
    const struct {
        uint64_t unplugAfterMs;
        bool keepsOld;
        uint16_t fwInfoAfterPlug;
        uint32_t mainBoardAfterPlug;
    } cases[] = {{5000, false, 0, 60}, {13000, false, 0, 68}, {13000, true, 0, 60}, {30000, true, 0, 60}};
    for (const auto& c : cases) {
        emu::Scenario scenario = Timings();
        scenario.faults.keepsOldFirmware = c.keepsOld;
        emu::TessalineDevice device(scenario, 0);
        WriteImage(device);
        device.Unplug(kWrittenAt + c.unplugAfterMs);
        EXPECT_FALSE(device.IsPresent(kWrittenAt + c.unplugAfterMs)) << "unplugged at +" << c.unplugAfterMs;
        device.Plug(kWrittenAt + 100000);
        const uint64_t now = kWrittenAt + 100001;
        EXPECT_EQ(emu_test::DeviceStatus(device, now).fwInfo, c.fwInfoAfterPlug) << "unplugged at +" << c.unplugAfterMs;
        const emu_test::Exchange info = emu_test::RunTransaction(device, proto::DeviceInfoRead(), now);
        ASSERT_TRUE(info.complete) << info.Describe();
        EXPECT_EQ(proto::ReadLe32(&info.dataIn[proto::kMainBoardVersionOffset]), c.mainBoardAfterPlug)
            << "unplugged at +" << c.unplugAfterMs;
    }
}

TEST(Burn, SecondUpdateBurnsFromTheNewVersion) {
    emu::Scenario scenario = Timings();
    scenario.mainBoardVersionAfter = 70;
    emu::TessalineDevice device(scenario, 0);
    WriteImage(device);
    const std::vector<uint8_t> image = emu::PlaceholderImage(504, 8388608);
    const uint64_t again = kWrittenAt + 20000;
    ASSERT_TRUE(emu_test::RunTransaction(device, proto::FirmwareWrite(0x1002, 8388608), again, image.data()).complete);
    const emu::LifeState life = device.Life(again + 1000);
    EXPECT_EQ(life.phase, P::Burning);
    EXPECT_EQ(life.mainBoardVersion, 70u);
}

TEST(Burn, WriteRefusedWhileBurning) {
    emu::TessalineDevice device(Timings(), 0);
    WriteImage(device);
    const emu_test::Exchange again =
        emu_test::RunTransaction(device, proto::FirmwareWrite(0x1002, 8388608), kWrittenAt + 1000);
    EXPECT_EQ(again.Reply().errorCode, emu::kRejectNotReady);
    EXPECT_EQ(again.Reply().fwInfo, 7);
    EXPECT_EQ(device.Life(kWrittenAt + 10000).phase, P::Settling);  // the first burn's schedule is untouched
}

}  // namespace
