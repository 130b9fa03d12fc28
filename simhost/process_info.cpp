#include "simhost/process_info.h"

#include <algorithm>

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

}  // namespace simhost
