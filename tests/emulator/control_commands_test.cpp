#include <gtest/gtest.h>

#include "emulator/control_commands.h"
#include "emulator/placeholder_image.h"
#include "link/protocol.h"
#include "transaction_driver.h"

namespace {

TEST(ControlCommands, LinesAndReplies) {
    emu::TessalineDevice device(emu::Scenario{}, 0);
    const struct {
        const char* line;
        const char* reply;
    } steps[] = {
        {"get fwinfo", "ok 0"},
        {"set fwinfo 6", "ok"},
        {"get fwinfo", "ok 6"},
        {"  set   ident  KT 0001 ", "ok"},
        {"get ident", "ok KT 0001"},
        {"set mb 0.68\r", "ok"},
        {"get mb", "ok 0.68"},
        {"set nonsense 1", "err unknown field 'nonsense'"},
        {"set burn-ms soon", "err bad value 'soon' for burn-ms"},
        {"get nonsense", "err unknown field 'nonsense'"},
        {"jump", "err unknown command 'jump' (try help)"},
        {"", "err empty command"},
        {"counts", "ok identification=0 device-info=0 device-status=0 burn-status=0 firmware-write=0 other=0 rejected=0"},
        {"image", "ok seen=0 code=0x0 size=0 received=0 checksum=0xcbf29ce484222325 complete=0 accepted=0 reject=0x0 "
                  "placeholder=none"},
        {"status", "ok phase=idle present=1 fwinfo=6 percent=0 error=0x0 mb=0.68 in-phase-ms=5 transactions=0 open=0 "
                   "stalled=0"},
        {"unplug", "ok"},
        {"status", "ok phase=unplugged present=0 fwinfo=0 percent=0 error=0x0 mb=0.00 in-phase-ms=0 transactions=0 "
                   "open=0 stalled=0"},
        {"plug", "ok"},
        {"status", "ok phase=idle present=1 fwinfo=6 percent=0 error=0x0 mb=0.68 in-phase-ms=0 transactions=0 open=0 "
                   "stalled=0"},
    };
    for (const auto& step : steps) {
        EXPECT_EQ(emu::HandleControlLine(device, step.line, 5), step.reply) << "line '" << step.line << "'";
    }
}

TEST(ControlCommands, ImageAndCountsReportWhatArrived) {
    emu::Scenario scenario;
    scenario.ubootVersion = 4;
    emu::TessalineDevice device(scenario, 0);
    const std::vector<uint8_t> image = emu::PlaceholderImage(504, 8388608);
    ASSERT_TRUE(emu_test::RunTransaction(device, proto::DeviceStatus(), 0).complete);
    ASSERT_TRUE(emu_test::RunTransaction(device, proto::FirmwareWrite(0x1002, 8388608), 0, image.data()).complete);

    const std::string reply = emu::HandleControlLine(device, "image", 1);
    EXPECT_NE(reply.find("seen=1 code=0x1002 size=8388608 received=8388608"), std::string::npos) << reply;
    EXPECT_NE(reply.find("complete=1 accepted=1 reject=0x0 placeholder=504"), std::string::npos) << reply;
    EXPECT_EQ(emu::HandleControlLine(device, "counts", 1),
              "ok identification=0 device-info=0 device-status=1 burn-status=0 firmware-write=1 other=0 rejected=0");
    EXPECT_EQ(emu::HandleControlLine(device, "status", 1).substr(0, 37), "ok phase=burning present=1 fwinfo=7 p");

    EXPECT_EQ(emu::HandleControlLine(device, "reset", 2), "ok");
    EXPECT_EQ(emu::HandleControlLine(device, "image", 2).substr(0, 9), "ok seen=0");
    EXPECT_EQ(emu::HandleControlLine(device, "status", 2).substr(0, 14), "ok phase=idle ");
}

TEST(ControlCommands, GetWithoutANameListsEveryField) {
    emu::TessalineDevice device(emu::Scenario{}, 0);
    const std::string reply = emu::HandleControlLine(device, "get", 0);
    for (const char* pair : {"ok vid=0x1209 ", " bcd=0x100 ", " mb-after=0.68 ", " faults=none "}) {
        EXPECT_NE(reply.find(pair), std::string::npos) << "missing '" << pair << "' in: " << reply;
    }
}

}  // namespace
