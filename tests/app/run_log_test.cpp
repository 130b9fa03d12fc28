#include "app/run_log.h"

#include <gtest/gtest.h>

#include "app/english_text.h"
#include "app/string_table.h"
#include "app/text_format.h"
#include "app/utf8.h"
#include "res/string_ids.h"
#include "simhost/process.h"

namespace {

TEST(RunLogTest, ALineHasTheLocalTimeTheMillisecondsSinceStartAndItsKind) {
  const SYSTEMTIME at{2026, 3, 2, 9, 7, 5, 4, 31};
  EXPECT_EQ(app::LogLine(at, 0, L"start", L"FWUpdate.exe /quiet"),
            "2026-03-09 07:05:04.031 +0ms [start] FWUpdate.exe /quiet\r\n");
  EXPECT_EQ(app::LogLine(at, 123456, L"status", L"Ger\u00e4t \u66f4\u65b0"),
            "2026-03-09 07:05:04.031 +123456ms [status] Ger\xc3\xa4t \xe6\x9b\xb4\xe6\x96\xb0\r\n");
}

TEST(RunLogTest, WideTextBecomesUtf8) {
  struct Case {
    std::wstring text;
    std::string utf8;
  };
  const Case cases[] = {
      {L"abc", "abc"},
      {L"\u00e9", "\xc3\xa9"},
      {L"\u0e01", "\xe0\xb8\x81"},
      {std::wstring{static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)}, "\xf0\x9f\x98\x80"},
      {std::wstring{static_cast<wchar_t>(0xD83D)}, "\xef\xbf\xbd"},
      {std::wstring{static_cast<wchar_t>(0xDE00), L'x'}, "\xef\xbf\xbdx"},
  };
  for (const auto& c : cases) EXPECT_EQ(app::ToUtf8(c.text), c.utf8);
}

TEST(RunLogTest, AFormattedTextGivesBackItsValues) {
  struct Case {
    const wchar_t* format;
    const wchar_t* text;
    bool matches;
    std::vector<std::wstring> values;
    const wchar_t* tail;
  };
  const Case cases[] = {
      {L"Plain text", L"Plain text", true, {}, L""},
      {L"Plain text", L"Plain text...", false, {}, L""},
      {L"Plain text", L"Other", false, {}, L""},
      {L"Failed: %s", L"Failed: no power", true, {L"no power"}, L""},
      {L"Burn %d%% done", L"Burn 40% done...", true, {L"40"}, L"..."},
      {L"%s of %u", L"3 of 9", true, {L"3", L"9"}, L""},
      {L"[%s]", L"(x)", false, {}, L""},
  };
  for (const auto& c : cases) {
    const auto filled = app::MatchFormat(c.format, c.text);
    ASSERT_EQ(filled.has_value(), c.matches) << testing::PrintToString(std::wstring(c.text));
    if (!filled) continue;
    EXPECT_EQ(filled->values, c.values);
    EXPECT_EQ(filled->tail, c.tail);
  }
  app::Filled filled{{L"40"}, L".."};
  EXPECT_EQ(app::Refill(L"Progress %d%%", filled), L"Progress 40%..");
}

TEST(RunLogTest, AStatusInTheUsersLanguageIsAlsoWrittenInEnglish) {
  simhost::World world;
  world.scheduler().AdoptCurrentThread();
  simhost::Process tool(world);
  plat::Host& host = tool.host();
  auto load = [&](LANGID language, UINT id) {
    host.language.SetThreadUILanguage(language);
    return app::LoadStringById(host, id);
  };
  const std::wstring reasonDe = load(0x0407, IDS_SCAN_APP_IN_USE);
  const std::wstring failedDe = text::Format(load(0x0407, IDS_UPDATE_FAILED), reasonDe);
  const std::wstring progressDe = text::Format(load(0x0407, IDS_BURN_PROGRESS), 40) + L"...";
  struct Case {
    std::wstring text;
    std::wstring english;
  };
  // The value inside stays as it was posted: it is taken over, not translated.
  const Case cases[] = {
      {load(0x0407, IDS_READY), load(0x0409, IDS_READY)},
      {failedDe, text::Format(load(0x0409, IDS_UPDATE_FAILED), reasonDe)},
      {progressDe, text::Format(load(0x0409, IDS_BURN_PROGRESS), 40) + L"..."},
      {L"not a table text", L"not a table text"},
  };
  for (const auto& c : cases) {
    host.language.SetThreadUILanguage(0x0407);
    EXPECT_EQ(app::EnglishOf(host, c.text, 200, 300), c.english) << testing::PrintToString(c.text);
    EXPECT_EQ(host.language.GetThreadUILanguage(), 0x0407);
  }
  host.language.SetThreadUILanguage(0x0409);
  EXPECT_EQ(app::EnglishOf(host, failedDe, 200, 300), failedDe);  // an English thread leaves texts alone
}

TEST(RunLogTest, LinesAreAppendedWithTheTimeSinceStart) {
  simhost::World world;
  world.scheduler().AdoptCurrentThread();
  simhost::Process tool(world);
  world.AppendBytes(L"C:\\logs\\fw.log", "earlier run\r\n");
  {
    world.scheduler().Sleep(1500);
    app::RunLog log(tool.host());
    ASSERT_TRUE(log.Open(L"C:\\logs\\fw.log"));
    world.scheduler().Sleep(250);
    log.Write(L"console", L"one\ntwo\r\n");
  }
  EXPECT_EQ(world.ReadBytes(L"c:\\LOGS\\fw.log"),
            "earlier run\r\n"
            "2026-01-05 09:00:01.750 +250ms [console] one\r\n"
            "2026-01-05 09:00:01.750 +250ms [console] two\r\n");
  EXPECT_EQ(tool.OpenHandles(), 0u);
}

}  // namespace
