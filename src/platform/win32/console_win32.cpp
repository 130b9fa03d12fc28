#include <cstdio>
#include <string>

#include "platform/win32/win32_host.h"

namespace plat::win32 {

BOOL Console::AllocConsole() { return ::AllocConsole(); }

bool Console::ReopenStandardStreams(LPCWSTR device, LPCWSTR mode) {
  FILE* out = nullptr;
  FILE* err = nullptr;
  const bool outOk = _wfreopen_s(&out, device, mode, stdout) == 0;
  const bool errOk = _wfreopen_s(&err, device, mode, stderr) == 0;
  return outOk && errOk;
}

void Console::WriteOut(std::wstring_view text) {
  const std::wstring line(text);
  fputws(line.c_str(), stdout);
  fflush(stdout);
}

HANDLE Console::GetStdHandle(DWORD which) { return ::GetStdHandle(which); }
BOOL Console::AttachConsole(DWORD processId) { return ::AttachConsole(processId); }

}  // namespace plat::win32
