// What a run without a person at the window ends with: the exit code for what happened to the scanner, and
// the line /check prints.
#pragma once
#include <string>

#include "app/command_line.h"
#include "app/exit_codes.h"
#include "ui/run_observer.h"

namespace app {

// After a search that no update follows: /check always, /quiet when Update cannot be pressed.
ExitCode ExitCodeOfSearch(const SearchReport& report, RunMode mode);
// After the update; `reasonText` is the string id of the failure text, 0 when no table text matched it.
ExitCode ExitCodeOfUpdate(bool updated, UINT reasonText);

// What the update would do: "update" (from the running firmware), "recovery" (from the boot loader), "none".
std::wstring UpdatePath(const SearchReport& report);
// One line of JSON (no line end), every character outside ASCII escaped, so any console shows it whole.
std::wstring CheckJson(const SearchReport& report, ExitCode code);

}  // namespace app
