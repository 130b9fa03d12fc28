#include "simhost/process_info.h"

#include <algorithm>

#include "simhost/kernel.h"
#include "simhost/world.h"

namespace simhost {

ProcessInfo::ProcessInfo(ProcessState& state)
    : state_(state),
      commandLine_(state.options.commandLine.empty() ? L"\"" + state.options.modulePath + L"\""
                                                     : state.options.commandLine) {}

// As Windows does: a path that does not fit is cut to the buffer, NUL-terminated, and reported with the
// buffer's size and ERROR_INSUFFICIENT_BUFFER.
DWORD ProcessInfo::GetModuleFileNameW(HMODULE, LPWSTR buffer, DWORD size) {
  const std::wstring& path = state_.options.modulePath;
  if (size == 0 || buffer == nullptr) return 0;
  if (path.size() >= size) {
    std::copy_n(path.begin(), size - 1, buffer);
    buffer[size - 1] = L'\0';
    state_.CurrentThread().lastError = ERROR_INSUFFICIENT_BUFFER;
    return size;
  }
  std::copy(path.begin(), path.end(), buffer);
  buffer[path.size()] = L'\0';
  state_.CurrentThread().lastError = ERROR_SUCCESS;
  return static_cast<DWORD>(path.size());
}

BOOL ProcessInfo::CreateProcessW(LPCWSTR, LPWSTR commandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                                 BOOL inheritHandles, DWORD creationFlags, LPVOID, LPCWSTR,
                                 LPSTARTUPINFOW startupInfo, LPPROCESS_INFORMATION processInformation) {
  ThreadState& thread = state_.CurrentThread();
  if (commandLine == nullptr || startupInfo == nullptr || processInformation == nullptr) {
    thread.lastError = ERROR_INVALID_PARAMETER;
    return FALSE;
  }
  ProcessLaunch launch;
  launch.commandLine = commandLine;
  launch.creationFlags = creationFlags;
  if (inheritHandles) launch.inherited = state_.handles.InheritableEntries();
  if ((creationFlags & CREATE_BREAKAWAY_FROM_JOB) != 0 && state_.inJobWithoutBreakaway) {
    state_.world.RecordRefusedLaunch(launch);
    thread.lastError = ERROR_ACCESS_DENIED;
    return FALSE;
  }
  if (state_.launchError != 0) {
    state_.world.RecordRefusedLaunch(launch);
    thread.lastError = state_.launchError;
    return FALSE;
  }
  const std::shared_ptr<ProcessObject> child = state_.world.Launch(launch);
  if (!child) {
    thread.lastError = ERROR_FILE_NOT_FOUND;
    return FALSE;
  }
  auto first = std::make_shared<ThreadObject>();
  first->id = child->id + 4;
  processInformation->hProcess = state_.handles.Insert(child);
  processInformation->hThread = state_.handles.Insert(first);
  processInformation->dwProcessId = child->id;
  processInformation->dwThreadId = first->id;
  thread.lastError = ERROR_SUCCESS;
  return TRUE;
}

// As Windows does: the value's length when it fits, else the size it needs (with the NUL); 0 and
// ERROR_ENVVAR_NOT_FOUND when the variable is not set.
DWORD ProcessInfo::GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size) {
  const auto it = state_.options.environment.find(FoldCase(name != nullptr ? name : L""));
  if (it == state_.options.environment.end()) {
    state_.CurrentThread().lastError = ERROR_ENVVAR_NOT_FOUND;
    return 0;
  }
  const std::wstring& value = it->second;
  if (buffer == nullptr || value.size() >= size) return static_cast<DWORD>(value.size() + 1);
  std::copy(value.begin(), value.end(), buffer);
  buffer[value.size()] = L'\0';
  return static_cast<DWORD>(value.size());
}

}  // namespace simhost
