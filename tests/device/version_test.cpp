#include "device/version.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "simhost/process.h"

namespace {

DWORD Version(DWORD major, DWORD minor) { return (major << 16) | minor; }

TEST(Version, FormatsMajorAndTwoDigitMinor) {
  struct Case {
    DWORD value;
    std::wstring text;
  };
  const Case cases[] = {
      {Version(0, 68), L"0.68"},       {Version(1, 5), L"1.05"},         {Version(2, 300), L"2.300"},
      {Version(0, 0), L"0.00"},        {0xFFFFFFFFu, L"65535.65535"},   {Version(10, 10), L"10.10"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatVersion(c.value), c.text) << "value 0x" << std::hex << c.value;
}

TEST(Version, ParsesTheLeadingNumbersAroundTheFirstPoint) {
  struct Case {
    std::wstring text;
    DWORD value;
  };
  const Case cases[] = {
      {L"0.68", Version(0, 68)},
      {L"1.5", Version(1, 5)},
      {L"2.300", Version(2, 300)},
      {L"068", 0},                     // no point
      {L"", 0},
      {L".7", Version(0, 7)},          // nothing before the point reads as 0
      {L"3.", Version(3, 0)},
      {L" 1. 9", Version(1, 9)},       // leading blanks
      {L"+4.-1", Version(4, 0xFFFF)},  // signs, then the low 16 bits
      {L"1.2.3", Version(1, 2)},       // the minor stops at the second point
      {L"v1.x", 0},                    // no digits at all
      {L"65537.65536", Version(1, 0)}, // cut to 16 bits each
      {L"99999999999.99999999999", Version(0xFFFF, 0xFFFF)},  // saturates at the int range, then is cut
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseVersion(c.text), c.value) << testing::PrintToString(c.text) << " gave 0x" << std::hex
                                             << ParseVersion(c.text);
  }
  EXPECT_EQ(FormatVersion(ParseVersion(L"1.5")), L"1.05");
  EXPECT_EQ(ParseVersion(kCarriedFirmwareVersion), 68u);
}

TEST(Version, OnlyTheCarriedMainBoardVersionIsLatest) {
  struct Case {
    DWORD mainBoard;
    std::wstring panel;
    bool latest;
  };
  const Case cases[] = {
      {Version(0, 68), L"0.68", true},   {Version(0, 68), L"9.99", true}, {Version(0, 68), L"", true},
      {Version(0, 69), L"0.68", false},  {Version(1, 68), L"0.68", false},
      {Version(0, 70), L"0.68", false},  // newer is not current either: it is offered 0.68
      {Version(0, 67), L"0.68", false},  {0, L"0.00", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsLatestVersion(L"USB", c.mainBoard, c.panel), c.latest)
        << FormatVersion(c.mainBoard) << " with panel " << testing::PrintToString(c.panel);
  }
  EXPECT_TRUE(IsLatestVersion(L"192.168.0.9", Version(0, 68), L"0.01"));
}

class Utf8ToTextTest : public testing::Test {
 protected:
  void SetUp() override { world.scheduler().AdoptCurrentThread(); }

  // The bytes in a heap block of exactly their size, so a read past the end is caught by the sanitizer build.
  std::wstring Convert(const std::string& bytes) {
    auto block = std::make_unique<char[]>(bytes.size() + 1);
    std::memcpy(block.get(), bytes.c_str(), bytes.size() + 1);
    return Utf8ToText(tool.host(), block.get());
  }

  simhost::World world;
  simhost::Process tool{world};
};

TEST_F(Utf8ToTextTest, DecodesAsWindowsDoes) {
  struct Case {
    std::string bytes;
    std::wstring text;
  };
  const Case cases[] = {
      {"", L""},
      {"TESSALINE-014", L"TESSALINE-014"},
      {"ABCDEFGHIJKLMN", L"ABCDEFGHIJKLMN"},  // 14 ASCII bytes, 14 characters
      {"Gr\xC3\xBC\xC3\x9F", L"Gr\u00FC\u00DF"},
      {"\xE2\x82\xAC" "5", L"\u20AC" L"5"},
      {"\xF0\x9F\x98\x80", std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}},  // above U+FFFF: a surrogate pair
      {"a\x80z", L"a\uFFFDz"},                                                // stray continuation byte
      {"\xE2\x82z", L"\uFFFDz"},                                              // cut short: one replacement
      {"\xC0\x80", L"\uFFFD\uFFFD"},                                          // overlong form
      {"\xED\xA0\x80", L"\uFFFD\uFFFD"},                                      // an encoded surrogate
      {"\xF4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD"},                            // above U+10FFFF
      {"\xFF\xFE", L"\uFFFD\uFFFD"},
      {"end\xF0\x9F\x98", L"end\uFFFD"},                                       // cut by the terminating NUL
      {"\xF0" "A", L"\uFFFD"},       // announces more bytes than remain: swallows the rest and the NUL
      {"ab\xF0\x9F", L"ab\uFFFD"},
  };
  for (const auto& c : cases) {
    const std::wstring got = Convert(c.bytes);
    EXPECT_EQ(got, c.text) << "bytes " << testing::PrintToString(c.bytes) << " gave "
                           << testing::PrintToString(got);
  }
}

TEST_F(Utf8ToTextTest, StopsAtTheTerminatingNul) {
  // A sequence opened before the NUL must not swallow it and go on into what lies beyond.
  const char bytes[] = "\xF0\0\x9F\x98\x80";
  const std::wstring got = Utf8ToText(tool.host(), bytes);
  EXPECT_EQ(got, L"\uFFFD") << testing::PrintToString(got);
  const char replyWithTail[15] = {'K', 'V', '\0', 'x', 'y'};
  EXPECT_EQ(Utf8ToText(tool.host(), replyWithTail), L"KV");
}

TEST_F(Utf8ToTextTest, AsksForTheSizeThenConverts) {
  EXPECT_EQ(Convert("abc"), L"abc");
  EXPECT_EQ(tool.codePage().Calls(), 2) << "a size query and one conversion";
  EXPECT_EQ(Convert(""), L"");
  EXPECT_EQ(tool.codePage().Calls(), 4) << "a size query and one conversion again";
  EXPECT_EQ(Utf8ToText(tool.host(), nullptr), L"");
}

TEST(Utf8Decoder, SizeQueryCountsTheNulAndASmallBufferFails) {
  simhost::World world;
  world.scheduler().AdoptCurrentThread();
  simhost::Process tool(world);
  plat::ICodePage& codePage = tool.host().codePage;
  EXPECT_EQ(codePage.MultiByteToWideChar(CP_UTF8, 0, "ab", -1, nullptr, 0), 3);
  EXPECT_EQ(codePage.MultiByteToWideChar(CP_UTF8, 0, "ab", 2, nullptr, 0), 2);
  WCHAR small[2];
  EXPECT_EQ(codePage.MultiByteToWideChar(CP_UTF8, 0, "ab", -1, small, 2), 0);
  EXPECT_EQ(tool.host().kernel.GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(codePage.MultiByteToWideChar(CP_UTF8, 0, "ab", 0, nullptr, 0), 0);
  EXPECT_EQ(tool.host().kernel.GetLastError(), ERROR_INVALID_PARAMETER);
}

}  // namespace
