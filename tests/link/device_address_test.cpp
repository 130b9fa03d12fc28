// Reading the device's address from a channel name.
#include <gtest/gtest.h>

#include "link/device_address.h"

namespace {

TEST(DeviceAddress, NumbersAsTheRuntimeLibraryReadsThem) {
  const struct {
    const wchar_t* text;
    int value;
  } cases[] = {
      {L"20", 20},       {L"  \t7x", 7},     {L"+12", 12},       {L"-1", -1},         {L"", 0},
      {L"x1", 0},        {L"- 1", 0},        {L"0099", 99},      {L"2147483647", 2147483647},
      {L"2147483648", 2147483647},           {L"-2147483648", -2147483647 - 1},   {L"-99999999999", -2147483647 - 1},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadDecimal(c.text), c.value) << testing::PrintToString(std::wstring(c.text));
}

TEST(DeviceAddress, FourNumbersLow8BitsAndAtMostThreeCharactersForTheLast) {
  using Bytes = std::array<uint8_t, 4>;
  const struct {
    const wchar_t* text;
    std::optional<Bytes> address;
  } cases[] = {
      {L"192.0.2.20", Bytes{192, 0, 2, 20}},
      {L"192.0.2.1234", Bytes{192, 0, 2, 123}},
      {L"192.0.2.300", Bytes{192, 0, 2, 44}},
      {L"256.257.-1.255", Bytes{0, 1, 255, 255}},
      {L"127.0.0.1", Bytes{127, 0, 0, 1}},
      {L"1.2.3.", Bytes{1, 2, 3, 0}},
      {L"1.2.3.4.5.6", Bytes{1, 2, 3, 4}},
      {L"192.0.2", std::nullopt},
      {L"USB", std::nullopt},
      {L"", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadDeviceAddress(c.text), c.address) << testing::PrintToString(std::wstring(c.text));
  }
}

}  // namespace
