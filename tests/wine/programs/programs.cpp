#include "programs.h"

namespace rig {

std::string Programs::SetOutput(const std::wstring& path) {
  outputPath_ = path;
  return "ok";
}

// The tool's diagnostic lines go to its standard output; the rig keeps them beside the run's screenshots
// instead of mixing them into this driver's replies.
std::string Programs::Start(const std::wstring& commandLine) {
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  const KernelHandle output = FileHandle(CreateFileW(outputPath_.c_str(), FILE_APPEND_DATA,
                                                    FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, OPEN_ALWAYS,
                                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  const KernelHandle input = FileHandle(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                   &inheritable, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!output || !input) {
    return "err the output file cannot be opened (error " + std::to_string(GetLastError()) + ")";
  }
  std::wstring line = commandLine;  // CreateProcessW may write into it
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input.Get();
  startup.hStdOutput = output.Get();
  startup.hStdError = output.Get();
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
    return "err CreateProcessW failed (error " + std::to_string(GetLastError()) + ")";
  }
  CloseHandle(process.hThread);
  processes_[process.dwProcessId] = KernelHandle(process.hProcess);
  return "ok pid=" + std::to_string(process.dwProcessId);
}

std::string Programs::WaitExit(DWORD processId, DWORD limitMs) {
  const auto found = processes_.find(processId);
  if (found == processes_.end()) return "err not started here";
  if (WaitForSingleObject(found->second.Get(), limitMs) != WAIT_OBJECT_0) return "err timeout";
  DWORD code = 0;
  GetExitCodeProcess(found->second.Get(), &code);
  return "ok code=" + std::to_string(code);
}

std::string Programs::Kill(DWORD processId) {
  const auto found = processes_.find(processId);
  if (found == processes_.end()) return "err not started here";
  TerminateProcess(found->second.Get(), 1);
  return "ok";
}

}  // namespace rig
