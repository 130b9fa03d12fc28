#include "app/command_line.h"

#include <gtest/gtest.h>

namespace {

using app::RunMode;

TEST(CommandLineTest, SwitchesAsTheyAreWritten) {
  struct Case {
    const wchar_t* line;
    RunMode mode;
    const wchar_t* logPath;
    bool guard;
    const wchar_t* refused;
  };
  const Case cases[] = {
      {L"FWUpdate.exe", RunMode::kInteractive, L"", false, L""},
      {L"\"C:\\Program Files\\FWUpdate\\FWUpdate.exe\"", RunMode::kInteractive, L"", false, L""},
      // Either prefix, any case.
      {L"FWUpdate.exe /quiet", RunMode::kQuiet, L"", false, L""},
      {L"FWUpdate.exe -QUIET", RunMode::kQuiet, L"", false, L""},
      {L"FWUpdate.exe /Check", RunMode::kCheck, L"", false, L""},
      {L"FWUpdate.exe -check", RunMode::kCheck, L"", false, L""},
      {L"FWUpdate.exe /quiet /quiet", RunMode::kQuiet, L"", false, L""},
      // The log's file, quoted or not, with "-d" inside it taken as part of the path.
      {L"FWUpdate.exe /LOG C:\\logs\\fw.log /quiet", RunMode::kQuiet, L"C:\\logs\\fw.log", false, L""},
      {L"FWUpdate.exe -log \"C:\\my-dir\\fw update.log\"", RunMode::kInteractive, L"C:\\my-dir\\fw update.log",
       false, L""},
      {L"\"C:\\tools-d\\FWUpdate.exe\" /check /log C:\\x-d\\a.log", RunMode::kCheck, L"C:\\x-d\\a.log", false, L""},
      // The console's own word is known; everything after the guard's switch is the guard's.
      {L"FWUpdate.exe -d", RunMode::kInteractive, L"", false, L""},
      {L"FWUpdate.exe /quiet -d", RunMode::kQuiet, L"", false, L""},
      {L"FWUpdate.exe -debug", RunMode::kInteractive, L"", false, L""},
      {L"FWUpdate.exe /quiet run-dry", RunMode::kQuiet, L"", false, L""},
      {L"FWUpdate.exe /guard 1234 /whatever", RunMode::kInteractive, L"", true, L""},
      {L"FWUpdate.exe /quiet -GUARD /x", RunMode::kQuiet, L"", true, L""},
      // Refused: unknown switches, words, a /log without its file, two modes, two logs.
      {L"FWUpdate.exe /silent", RunMode::kInteractive, L"", false, L"/silent"},
      {L"FWUpdate.exe -D", RunMode::kInteractive, L"", false, L"-D"},
      {L"FWUpdate.exe /q", RunMode::kInteractive, L"", false, L"/q"},
      {L"FWUpdate.exe quiet", RunMode::kInteractive, L"", false, L"quiet"},
      {L"FWUpdate.exe /", RunMode::kInteractive, L"", false, L"/"},
      {L"FWUpdate.exe /log", RunMode::kInteractive, L"", false, L"/log"},
      {L"FWUpdate.exe /log \"\" /quiet", RunMode::kQuiet, L"", false, L"/log"},
      {L"FWUpdate.exe /log a.log /log b.log", RunMode::kInteractive, L"a.log", false, L"/log"},
      {L"FWUpdate.exe /quiet /check", RunMode::kQuiet, L"", false, L"/check"},
      // A refusal keeps the mode written after it, so a /quiet run never shows the refusal.
      {L"FWUpdate.exe /bogus /quiet", RunMode::kQuiet, L"", false, L"/bogus"},
      {L"FWUpdate.exe /bogus /other", RunMode::kInteractive, L"", false, L"/bogus"},
  };
  for (const auto& c : cases) {
    const app::CommandLine parsed = app::ParseCommandLine(c.line);
    EXPECT_EQ(parsed.mode, c.mode) << testing::PrintToString(std::wstring(c.line));
    EXPECT_EQ(parsed.logPath, c.logPath) << testing::PrintToString(std::wstring(c.line));
    EXPECT_EQ(parsed.guard, c.guard) << testing::PrintToString(std::wstring(c.line));
    EXPECT_EQ(parsed.refused, c.refused) << testing::PrintToString(std::wstring(c.line));
  }
}

TEST(CommandLineTest, WordsAreSplitAsTheRuntimeLibrarySplitsThem) {
  struct Case {
    const wchar_t* line;
    std::vector<std::wstring> words;
  };
  const Case cases[] = {
      {L"", {}},
      {L"   ", {}},
      {L"a.exe", {L"a.exe"}},
      {L"\"C:\\a b\\c.exe\"  x\ty", {L"C:\\a b\\c.exe", L"x", L"y"}},
      {L"c.exe \"two words\" end", {L"c.exe", L"two words", L"end"}},
      {L"c.exe a\\\\\"b c\"", {L"c.exe", L"a\\b c"}},
      {L"c.exe a\\\"b", {L"c.exe", L"a\"b"}},
      {L"c.exe C:\\dir\\ x", {L"c.exe", L"C:\\dir\\", L"x"}},
      {L"c.exe \"\"", {L"c.exe", L""}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(app::SplitArguments(c.line), c.words) << testing::PrintToString(std::wstring(c.line));
  }
}

}  // namespace
