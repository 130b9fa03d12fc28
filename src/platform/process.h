// What a process knows about itself: its program file and its command line.
#pragma once
#include "platform/win_types.h"

namespace plat {

class IProcess {
 public:
  virtual ~IProcess() = default;
  virtual DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size) = 0;
  virtual LPCWSTR GetCommandLineW() = 0;
  // For the folders the system names by variable (%ProgramData%).
  virtual DWORD GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size) = 0;
};

}  // namespace plat
