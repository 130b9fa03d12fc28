// The system's error texts the program puts in its status line (FormatMessageW from the system, US English,
// no inserts): Windows' own words, and the failures of an unknown number and of a buffer too small.
#include <cwchar>
#include <string>

#include "checks.h"  // last: its macros

namespace conformance {
namespace {

constexpr DWORD kEnglish = 0x0409;
constexpr DWORD kFlags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;

}  // namespace

void test_system_error_texts(Context& t) {
  // The errors a request of the program can end with, in the words of Windows (English). Wine has shorter
  // words of its own for most ("Semaphore timeout.\r\n"), so the rig's screenshots show those.
  const struct {
    DWORD error;
    const wchar_t* text;
    bool wineWordsDiffer;
  } texts[] = {
      {ERROR_FILE_NOT_FOUND, L"The system cannot find the file specified.\r\n", true},
      {ERROR_GEN_FAILURE, L"A device attached to the system is not functioning.\r\n", true},
      {ERROR_SEM_TIMEOUT, L"The semaphore timeout period has expired.\r\n", true},
      {ERROR_OPERATION_ABORTED,
       L"The I/O operation has been aborted because of either a thread exit or an application request.\r\n", true},
      {ERROR_DEVICE_NOT_CONNECTED, L"The device is not connected.\r\n", false},
  };
  for (const auto& wanted : texts) {
    wchar_t buffer[512] = {};
    t.host.kernel.SetLastError(0xdeadbeef);
    const DWORD length = t.host.files.FormatMessageW(kFlags, nullptr, wanted.error, kEnglish, buffer, 512, nullptr);
    todo_wine_if(wanted.wineWordsDiffer) ok(length == std::wcslen(wanted.text) && std::wcscmp(buffer, wanted.text) == 0, "error %lu: got %lu \"%s\"\n",
       ul(wanted.error), ul(length), Narrow(buffer).c_str());
  }

  wchar_t buffer[512] = {};
  t.host.kernel.SetLastError(0xdeadbeef);
  DWORD length = t.host.files.FormatMessageW(kFlags, nullptr, 0x2000FFFF, kEnglish, buffer, 512, nullptr);
  DWORD error = t.host.kernel.GetLastError();
  ok(length == 0 && error == ERROR_MR_MID_NOT_FOUND, "unknown number: got %lu, error %lu\n", ul(length), ul(error));

  wchar_t small[8] = {};
  t.host.kernel.SetLastError(0xdeadbeef);
  length = t.host.files.FormatMessageW(kFlags, nullptr, ERROR_SEM_TIMEOUT, kEnglish, small, 8, nullptr);
  error = t.host.kernel.GetLastError();
  ok(length == 0 && error == ERROR_INSUFFICIENT_BUFFER, "8 characters: got %lu, error %lu\n", ul(length), ul(error));
}

}  // namespace conformance
