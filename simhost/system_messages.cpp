#include "simhost/system_messages.h"

#include <map>

namespace simhost {

std::optional<std::wstring> SystemMessage(DWORD code) {
  static const std::map<DWORD, std::wstring> kTexts = {
      {0, L"The operation completed successfully.\r\n"},
      {1, L"Incorrect function.\r\n"},
      {2, L"The system cannot find the file specified.\r\n"},
      {5, L"Access is denied.\r\n"},
      {6, L"The handle is invalid.\r\n"},
      {8, L"Not enough memory resources are available to process this command.\r\n"},
      {31, L"A device attached to the system is not functioning.\r\n"},
      {87, L"The parameter is incorrect.\r\n"},
      {121, L"The semaphore timeout period has expired.\r\n"},
      {995, L"The I/O operation has been aborted because of either a thread exit or an application request.\r\n"},
      {996, L"Overlapped I/O event is not in a signaled state.\r\n"},
      {997, L"Overlapped I/O operation is in progress.\r\n"},
      {1167, L"The device is not connected.\r\n"},
      {1168, L"Element not found.\r\n"},
  };
  const auto it = kTexts.find(code);
  if (it == kTexts.end()) return std::nullopt;
  return it->second;
}

}  // namespace simhost
