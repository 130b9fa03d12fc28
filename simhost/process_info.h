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
  DWORD GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size) override;

 private:
  ProcessState& state_;
  std::wstring commandLine_;
};

}  // namespace simhost
