#include "app/text_format.h"

#include <gtest/gtest.h>

namespace {

TEST(TextFormat, ConversionsTheTablesAndLinesUse) {
  struct Case {
    std::wstring got;
    std::wstring expected;
  };
  const Case cases[] = {
      {text::Format(L"Burning firmware... (%d%%)", 37), L"Burning firmware... (37%)"},
      {text::Format(L"Update Failed: %s", std::wstring(L"Device Not Found!!  Please Check.")),
       L"Update Failed: Device Not Found!!  Please Check."},
      {text::Format(L"%u.%02u", 0u, 68u), L"0.68"},
      {text::Format(L"%u.%02u", 2u, 300u), L"2.300"},
      {text::Format(L"%u.%02u", 65535u, 65535u), L"65535.65535"},
      {text::Format(L"%02X%02X%02X%02X", 0x04, 0x09, 0x04, 0xB0), L"040904B0"},
      {text::Format(L"(0x%x)", 0x7001u), L"(0x7001)"},
      {text::Format(L"%s-0x%x", std::wstring_view(L"Access is denied.\r\n"), 5u), L"Access is denied.\r\n-0x5"},
      {text::Format(L"incorrect (%d)...", static_cast<unsigned>(0x8001)), L"incorrect (32769)..."},
      {text::Format(L"%d", -5), L"-5"},
      {text::Format(L"%u", -1), L"4294967295"},
      {text::Format(L"%5d|%-5d|%05d", 42, 42, -42), L"   42|42   |-0042"},
      {text::Format(L"%.3s", std::wstring_view(L"abcdef")), L"abc"},
      {text::Format(L"\\\\.\\usbscan%d", 255), L"\\\\.\\usbscan255"},
      {text::Format(L"%s%s%s.ini", std::wstring_view(L"C:"), std::wstring_view(L"\\Tools\\"),
                    std::wstring_view(L"Settings")),
       L"C:\\Tools\\Settings.ini"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.expected);
}

TEST(TextFormat, NeverReadsPastItsArguments) {
  EXPECT_EQ(text::Format(L"a %s b %d c"), L"a  b  c");
  EXPECT_EQ(text::Format(L"%d and %s", 1), L"1 and ");
  EXPECT_EQ(text::Format(L"%s", 5), L"");  // a number where a text belongs formats as nothing
  EXPECT_EQ(text::Format(L"%d", std::wstring_view(L"x")), L"");
  EXPECT_EQ(text::Format(L"trailing %"), L"trailing ");
  EXPECT_EQ(text::Format(L"%99999999999d", 7).size(), 4096u);  // width is bounded
}

}  // namespace
