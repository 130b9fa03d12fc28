#include "app/path_split.h"

namespace app {

std::optional<PathParts> SplitPath(std::wstring_view path) {
  PathParts parts;
  if (path.size() >= 2 && path[1] == L':') {
    parts.drive = std::wstring(path.substr(0, 2));
    path.remove_prefix(2);
  }
  const size_t lastSeparator = path.find_last_of(L"\\/");
  if (lastSeparator != std::wstring_view::npos) {
    parts.folder = std::wstring(path.substr(0, lastSeparator + 1));
    path.remove_prefix(lastSeparator + 1);
  }
  const size_t lastPoint = path.find_last_of(L'.');
  if (lastPoint != std::wstring_view::npos) {
    parts.extension = std::wstring(path.substr(lastPoint));
    path = path.substr(0, lastPoint);
  }
  parts.name = std::wstring(path);
  if (parts.drive.size() >= kDriveChars || parts.folder.size() >= kPartChars || parts.name.size() >= kPartChars ||
      parts.extension.size() >= kPartChars) {
    return std::nullopt;
  }
  return parts;
}

}  // namespace app
