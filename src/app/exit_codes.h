// What the program's exit code says, for the deployment agents that read it. Windows Installer's numbers
// where one means the same, so Intune, Configuration Manager and PDQ Deploy read them without a mapping;
// our own small numbers for what Windows Installer has no word for.
#pragma once
#include <string_view>

namespace app {

enum class ExitCode : int {
  kUpdated = 0,            // the update was burnt and the scanner read back the new versions
  kAlreadyCurrent = 10,    // the scanner already runs the current firmware
  kNeedsUpdate = 11,       // /check: the scanner needs the update
  kNoScanner = 12,         // no scanner is connected
  kTwoScanners = 13,       // more than one scanner is connected; the tool updates none
  kCancelled = 1602,       // ERROR_INSTALL_USEREXIT: the Windows session ended under the run
  kFailed = 1603,          // ERROR_INSTALL_FAILURE: the update failed; the log says why
  kBusy = 1618,            // ERROR_INSTALL_ALREADY_RUNNING: another copy or a scan application holds the scanner
  kBadCommandLine = 1639,  // ERROR_INVALID_COMMAND_LINE: an unknown switch or a switch without its value
};

struct ExitCodeRow {
  ExitCode code;
  std::wstring_view name;     // as the log and the documents call it
  std::wstring_view meaning;  // the log's last line
};

inline constexpr ExitCodeRow kExitCodes[] = {
    {ExitCode::kUpdated, L"updated", L"the scanner was updated and read back"},
    {ExitCode::kAlreadyCurrent, L"current", L"the scanner already runs the current firmware"},
    {ExitCode::kNeedsUpdate, L"needs-update", L"the scanner needs the update"},
    {ExitCode::kNoScanner, L"no-scanner", L"no scanner is connected"},
    {ExitCode::kTwoScanners, L"two-scanners", L"more than one scanner is connected"},
    {ExitCode::kCancelled, L"cancelled", L"the Windows session ended during the run"},
    {ExitCode::kFailed, L"failed", L"the update or the search failed"},
    {ExitCode::kBusy, L"busy", L"another copy or a scan application holds the scanner; try again later"},
    {ExitCode::kBadCommandLine, L"bad-command-line", L"the command line holds an unknown switch"},
};

constexpr const ExitCodeRow& RowOf(ExitCode code) {
  for (const auto& row : kExitCodes) {
    if (row.code == code) return row;
  }
  return kExitCodes[0];
}

}  // namespace app
