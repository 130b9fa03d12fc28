// The system's English (United States) texts for the error codes the simulated platform produces, as
// FormatMessageW gives them: a sentence ending in a carriage return and a line feed.
#pragma once
#include <optional>
#include <string>

#include "platform/win_types.h"

namespace simhost {

std::optional<std::wstring> SystemMessage(DWORD code);

}  // namespace simhost
