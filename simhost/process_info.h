#pragma once
#include <string>

#include "platform/process.h"
#include "simhost/process_state.h"

namespace simhost {

class ProcessInfo final : public plat::IProcess {
 public:
  explicit ProcessInfo(ProcessState& state);
  DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size) override;
  LPCWSTR GetCommandLineW() override { return commandLine_.c_str(); }
  // Hands the launch to the world's launcher; the caller gets handles to the process and a stand-in for its
  // first thread, as Windows gives them.
  BOOL CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                      LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                      LPVOID environment, LPCWSTR currentDirectory, LPSTARTUPINFOW startupInfo,
                      LPPROCESS_INFORMATION processInformation) override;
  DWORD GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size) override;

 private:
  ProcessState& state_;
  std::wstring commandLine_;
};

}  // namespace simhost
