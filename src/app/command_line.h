// The switches an administrator or a deployment agent passes: how the tool runs, and where its log goes.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace app {

enum class RunMode { kInteractive, kQuiet, kCheck };

struct CommandLine {
  RunMode mode = RunMode::kInteractive;
  std::wstring logPath;  // empty: none asked for
  bool guard = false;    // the guard's own switch: the rest of the line is the guard's, not ours
  std::wstring refused;  // the first argument refused as written; empty when the line is sound
};

// The words of a command line, program path first, split as the runtime library splits them: white space
// separates, a double quote groups, backslashes before a quote escape it.
std::vector<std::wstring> SplitArguments(std::wstring_view line);

// Switches are case-insensitive and start with '/' or '-'. The diagnostic console's "-d" is a rule of its own
// (anywhere in the line) and is left to start-up; as a word of its own it is known here, never refused.
CommandLine ParseCommandLine(std::wstring_view line);

}  // namespace app
