// The guard is this same program started with an internal switch and the guard's own arguments: either the
// tool's process id (the guard opens the tool's process and its "given back" event, named after that id), or the
// start of Windows.
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "platform/host.h"

namespace guard {

inline constexpr const wchar_t* kGuardSwitch = L"/guard";
inline constexpr const wchar_t* kBootArgument = L"/boot";

// What a guard's command line asks for.
struct GuardOrder {
  bool boot = false;            // at the start of Windows: give the service back, nothing to wait for
  DWORD toolId = 0;             // the tool's process id; 0 when the line named none
};

// None when the command line is not a guard's (the switch is a word of its own after the program's path).
// A guard's line whose arguments do not parse yields an order with neither boot nor a tool.
std::optional<GuardOrder> ParseGuardCommandLine(std::wstring_view commandLine);

// The quoted program path, the switch and the arguments.
std::wstring GuardCommandLine(plat::Host& host, std::wstring_view arguments);
// The argument that names the tool to a guard.
std::wstring ToolArgument(DWORD toolId);
// The tool's manual-reset event, signalled while it has given the service back itself; in the session's
// namespace, which the guard it starts shares.
std::wstring GivenBackEventName(DWORD toolId);

}  // namespace guard
