// The USB scanner pipe's texts: the system's error texts and the console message table.
#include "app/console_log.h"
#include "app/text_format.h"
#include "link/device_channel.h"

namespace {

constexpr DWORD kMessageChars = 256;
constexpr DWORD kEnglishUnitedStates = 0x0409;

struct ConsoleMessage {
  int number;
  const wchar_t* text;
};

// The numbers the pipe uses; the table has room for more.
constexpr ConsoleMessage kConsoleMessages[] = {
    {1, L"Get device descriptor error!!\n"},
    {21, L"USB timeout error!!\n"},
    {22, L"Get USB overlapped result error!!\n"},
    {23, L"Write to USB error!!\n"},
    {24, L"Read from USB error!!\n"},
    {25, L"Request and return USB data size not matched!!\n"},
};

}  // namespace

std::wstring CDeviceChannel::FormatSystemError(DWORD error) {
  WCHAR message[kMessageChars] = {};
  const DWORD length = host_.files.FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                                  error, kEnglishUnitedStates, message, kMessageChars, nullptr);
  const std::wstring_view text(message, length < kMessageChars ? length : 0);
  return text::Format(L"%s-0x%x", text, error);
}

void CDeviceChannel::PrintConsoleMessage(int number) {
  for (const ConsoleMessage& message : kConsoleMessages) {
    if (message.number == number) {
      app::ConsolePrint(host_, L"%s\n", std::wstring_view(message.text));
      return;
    }
  }
  app::ConsolePrint(host_, L"%s\n", std::wstring_view());
}
