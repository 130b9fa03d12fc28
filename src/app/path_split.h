// The split of a program path into drive, folder, name and extension, as the runtime library's
// _wsplitpath_s does it, with its buffer limits.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace app {

struct PathParts {
  std::wstring drive;      // "C:" or empty
  std::wstring folder;     // ends with a backslash (or slash) when not empty
  std::wstring name;
  std::wstring extension;  // with its point
};

// Buffer sizes in characters, terminating NUL included: drive 3, the others 256 each.
inline constexpr size_t kDriveChars = 3;
inline constexpr size_t kPartChars = 256;

// Empty when a part does not fit its buffer (the runtime library then fails with ERANGE).
std::optional<PathParts> SplitPath(std::wstring_view path);

}  // namespace app
