// The scenario as named text fields, shared by tessaline-emu's command line (--name value) and its
// control port (get name / set name value), so both speak the same names and formats.
//
// Numbers are decimal or 0x-prefixed hex. Versions are "major.minor" (0.68, 1.05) or a raw value.
// Booleans are 0/1, no/yes, false/true, off/on. Stage faults are a ';'-separated list of
// kind,transactions,stage[,bytes]: the kind and the stage by their names (scenario_text.cpp keeps them, in
// the enums' order), transactions N | N-M | N+ (N and every later one); "none" clears the list.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "emulator/scenario.h"

namespace emu {

struct FieldHelp {
    std::string_view name;
    std::string_view help;
};

// Every field in a fixed order, with a one-line description.
std::span<const FieldHelp> ScenarioFields();

// False with `error` set when the name is unknown or the value does not parse; the scenario is unchanged.
bool SetScenarioField(Scenario& scenario, std::string_view name, std::string_view value, std::string& error);
std::optional<std::string> GetScenarioField(const Scenario& scenario, std::string_view name);

std::string FormatVersionValue(uint32_t value);
std::string FormatHex(uint64_t value);  // 0x-prefixed, lower case
std::optional<uint64_t> ParseNumber(std::string_view text);

}  // namespace emu
