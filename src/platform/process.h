// What a process knows about itself (its program file and its command line), and the start of another.
#pragma once
#include "platform/win_types.h"

namespace plat {

class IProcess {
 public:
  virtual ~IProcess() = default;
  virtual DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size) = 0;
  virtual LPCWSTR GetCommandLineW() = 0;
  virtual BOOL CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                              LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                              LPVOID environment, LPCWSTR currentDirectory, LPSTARTUPINFOW startupInfo,
                              LPPROCESS_INFORMATION processInformation) = 0;
  // For the folders the system names by variable (%ProgramData%).
  virtual DWORD GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size) = 0;
};

}  // namespace plat
