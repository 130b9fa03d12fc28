#include <gtest/gtest.h>

#include "emulator/scenario_text.h"

namespace {

TEST(ScenarioText, FieldsRoundTrip) {
    const struct {
        const char* name;
        const char* value;
        const char* shown;
    } cases[] = {
        {"bcd", "1", "0x1"},
        {"vid", "0x04b4", "0x4b4"},
        {"ident", "ABC", "ABC"},
        {"ident-hex", "00414243ff00000000000000c328", "00414243ff00000000000000c328"},
        {"fwinfo", "0x8001", "32769"},
        {"uboot", "255", "255"},
        {"mb", "0.68", "0.68"},
        {"mb", "1.5", "1.05"},
        {"panel", "2.300", "2.300"},
        {"mb-after", "68", "0.68"},
        {"burn-ms", "123456", "123456"},
        {"keep-bytes", "yes", "1"},
        {"never-off", "off", "0"},
        {"keeps-old", "on", "1"},
        {"burn-forever", "yes", "1"},
        {"burn-error", "0x7001", "0x7001"},
        {"burn-fwinfo", "6", "0x6"},
        {"burn-fwinfo", "none", "none"},
        {"unplug-phase", "booting", "booting"},
        {"faults", "noreply,3,reply", "noreply,3,reply"},
        {"faults", "short,2-4,datain,10;unplug,7+,dataout", "short,2-4,datain,10;unplug,7+,dataout"},
        {"faults", "none", "none"},
    };
    for (const auto& c : cases) {
        emu::Scenario scenario;
        std::string error;
        EXPECT_TRUE(emu::SetScenarioField(scenario, c.name, c.value, error)) << c.name << " " << c.value << ": " << error;
        EXPECT_EQ(emu::GetScenarioField(scenario, c.name).value_or("?"), c.shown) << c.name << " " << c.value;
    }
}

TEST(ScenarioText, FieldsLandInTheScenario) {
    emu::Scenario scenario;
    std::string error;
    ASSERT_TRUE(emu::SetScenarioField(scenario, "faults", "short,2-4,datain,10;noreply,7+,command", error)) << error;
    ASSERT_EQ(scenario.faults.stageFaults.size(), 2u);
    const emu::StageFault& first = scenario.faults.stageFaults[0];
    EXPECT_EQ(first.kind, emu::FaultKind::Short);
    EXPECT_EQ(first.transaction, 2u);
    EXPECT_EQ(first.count, 3u);
    EXPECT_EQ(first.stage, emu::Stage::DataIn);
    EXPECT_EQ(first.bytes, 10u);
    EXPECT_EQ(scenario.faults.stageFaults[1].count, 0u);
    ASSERT_TRUE(emu::SetScenarioField(scenario, "mb", "1.5", error)) << error;
    EXPECT_EQ(scenario.mainBoardVersion, 0x00010005u);
    ASSERT_TRUE(emu::SetScenarioField(scenario, "ident", "KT 0001", error)) << error;
    EXPECT_EQ(scenario.identification[2], ' ');
    EXPECT_EQ(scenario.identification[13], 0);
}

TEST(ScenarioText, BadValuesLeaveTheScenarioAlone) {
    const struct {
        const char* name;
        const char* value;
    } cases[] = {
        {"nonsense", "1"},        {"bcd", "0x10000"},       {"bcd", "-1"},          {"uboot", "256"},
        {"burn-ms", "12ms"},      {"burn-ms", ""},          {"mb", "0.70000"},      {"ident", "fifteen-bytes!!"},
        {"ident-hex", "0041"},    {"ident-hex", "zz414243ff00000000000000c328"},    {"keep-bytes", "maybe"},
        {"unplug-phase", "later"}, {"faults", "noreply,0,reply"},                   {"faults", "noreply,3,nowhere"},
        {"faults", "sometimes,3,reply"}, {"faults", "noreply,3,reply,5"},          {"faults", "short,5-2,reply,1"},
    };
    for (const auto& c : cases) {
        emu::Scenario scenario;
        std::string error;
        const std::string before = emu::GetScenarioField(scenario, "faults").value_or("") +
                                   emu::GetScenarioField(scenario, "ident-hex").value_or("");
        EXPECT_FALSE(emu::SetScenarioField(scenario, c.name, c.value, error)) << c.name << " '" << c.value << "'";
        EXPECT_FALSE(error.empty()) << c.name;
        EXPECT_EQ(emu::GetScenarioField(scenario, "faults").value_or("") +
                      emu::GetScenarioField(scenario, "ident-hex").value_or(""),
                  before)
            << c.name;
        EXPECT_EQ(scenario.bcdDevice, 0x0100) << c.name;
        EXPECT_EQ(scenario.burnMs, 20000u) << c.name;
    }
}

TEST(ScenarioText, EveryListedFieldCanBeRead) {
    const emu::Scenario scenario;
    for (const emu::FieldHelp& field : emu::ScenarioFields()) {
        EXPECT_TRUE(emu::GetScenarioField(scenario, field.name).has_value()) << field.name;
        EXPECT_FALSE(field.help.empty()) << field.name;
    }
}

}  // namespace
