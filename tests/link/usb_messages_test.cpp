// The pipe's texts: the system's error texts with their codes, and the console message table.
#include <gtest/gtest.h>

#include "link/device_channel.h"
#include "link_fixture.h"

namespace {

using UsbMessagesTest = LinkTest;

TEST_F(UsbMessagesTest, SystemErrorTexts) {
  const struct {
    DWORD code;
    std::wstring text;
  } cases[] = {
      {5, L"Access is denied.\r\n-0x5"},
      {31, L"A device attached to the system is not functioning.\r\n-0x1f"},
      {995, L"The I/O operation has been aborted because of either a thread exit or an application request.\r\n-0x3e3"},
      {0xE0001234, L"-0xe0001234"},  // no text for the code: the text part is empty
  };
  CDeviceChannel channel(host());
  for (const auto& c : cases) EXPECT_EQ(channel.FormatSystemError(c.code), c.text) << c.code;
}

TEST_F(UsbMessagesTest, TheConsoleMessagesEachWithOneMoreLineBreak) {
  const struct {
    int number;
    std::wstring printed;
  } cases[] = {
      {1, L"Get device descriptor error!!\n\n"},
      {21, L"USB timeout error!!\n\n"},
      {22, L"Get USB overlapped result error!!\n\n"},
      {23, L"Write to USB error!!\n\n"},
      {24, L"Read from USB error!!\n\n"},
      {25, L"Request and return USB data size not matched!!\n\n"},
      {2, L"\n"},  // a number without a text prints the empty text
  };
  CDeviceChannel channel(host());
  for (const auto& c : cases) {
    const size_t before = Console().size();
    channel.PrintConsoleMessage(c.number);
    EXPECT_EQ(Console().substr(before), c.printed) << c.number;
  }
}

}  // namespace
