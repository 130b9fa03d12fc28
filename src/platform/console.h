// The diagnostic console: created on request; lines written to standard output.
#pragma once
#include <string_view>

#include "platform/win_types.h"

#ifndef _WIN32
constexpr DWORD STD_OUTPUT_HANDLE = static_cast<DWORD>(-11);
constexpr DWORD ATTACH_PARENT_PROCESS = static_cast<DWORD>(-1);
#endif

namespace plat {

class IConsole {
 public:
  virtual ~IConsole() = default;
  virtual BOOL AllocConsole() = 0;
  // freopen_s of standard output and standard error on the given device ("CONOUT$") with the given mode.
  virtual bool ReopenStandardStreams(LPCWSTR device, LPCWSTR mode) = 0;
  // One formatted diagnostic line (or part of one), as wprintf_s would write it.
  virtual void WriteOut(std::wstring_view text) = 0;
  // A window program has no console of its own: standard output is a handle only when the starter redirected
  // it, and the console of the command prompt that started it is reached by attaching to it.
  virtual HANDLE GetStdHandle(DWORD which) = 0;
  virtual BOOL AttachConsole(DWORD processId) = 0;
};

}  // namespace plat
