// The diagnostic console: created on request; lines written to standard output.
#pragma once
#include <string_view>

#include "platform/win_types.h"

namespace plat {

class IConsole {
 public:
  virtual ~IConsole() = default;
  virtual BOOL AllocConsole() = 0;
  // freopen_s of standard output and standard error on the given device ("CONOUT$") with the given mode.
  virtual bool ReopenStandardStreams(LPCWSTR device, LPCWSTR mode) = 0;
  // One formatted diagnostic line (or part of one), as wprintf_s would write it.
  virtual void WriteOut(std::wstring_view text) = 0;
};

}  // namespace plat
