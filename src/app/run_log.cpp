#include "app/run_log.h"

#include <array>

#include "app/text_format.h"
#include "app/utf8.h"

namespace app {

std::wstring DefaultLogFolder(plat::Host& host) {
  constexpr DWORD kChars = 260;  // a folder path, as the shell keeps them
  std::array<WCHAR, kChars> buffer{};
  const DWORD length = host.process.GetEnvironmentVariableW(L"ProgramData", buffer.data(), kChars);
  if (length == 0 || length >= kChars) return std::wstring();
  return std::wstring(buffer.data(), length) + L"\\FWUpdate";
}

std::string LogLine(const SYSTEMTIME& local, DWORD sinceStartMs, std::wstring_view kind, std::wstring_view text) {
  const std::wstring line =
      text::Format(L"%04u-%02u-%02u %02u:%02u:%02u.%03u +%ums [%s] ", local.wYear, local.wMonth, local.wDay,
                   local.wHour, local.wMinute, local.wSecond, local.wMilliseconds, sinceStartMs, kind) +
      std::wstring(text) + L"\r\n";
  return ToUtf8(line);
}

RunLog::RunLog(plat::Host& host) : host_(host), startTick_(host.time.GetTickCount()), file_(host.kernel) {}

bool RunLog::Open(const std::wstring& path, const std::wstring& folder) {
  // The folder may exist already; the file's open says whether it can be written.
  if (!folder.empty()) host_.files.CreateDirectoryW(folder.c_str(), nullptr);
  file_.Reset(host_.files.CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  return file_.IsValid();
}

void RunLog::Write(std::wstring_view kind, std::wstring_view text) {
  if (!file_.IsValid()) return;
  SYSTEMTIME local{};
  host_.time.GetLocalTime(&local);
  const DWORD since = host_.time.GetTickCount() - startTick_;
  std::string lines;
  size_t at = 0;
  do {
    const size_t end = text.find(L'\n', at);
    std::wstring_view piece = text.substr(at, end == std::wstring_view::npos ? std::wstring_view::npos : end - at);
    if (!piece.empty() && piece.back() == L'\r') piece.remove_suffix(1);
    lines += LogLine(local, since, kind, piece);
    at = end == std::wstring_view::npos ? text.size() : end + 1;
  } while (at < text.size());
  DWORD written = 0;
  host_.files.WriteFile(file_.Get(), lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr);
}

}  // namespace app
