#include "app/settings.h"

#include <optional>
#include <string>

#include "app/path_split.h"
#include "app/text_format.h"

namespace app {
namespace {

constexpr DWORD kModulePathChars = 1024;

// A path that does not fit a buffer is no settings file: the reader then yields the default.
std::optional<std::wstring> SettingsPath(plat::Host& host, size_t pathChars) {
  WCHAR modulePath[kModulePathChars] = {};
  const DWORD length = host.process.GetModuleFileNameW(nullptr, modulePath, kModulePathChars);
  if (length == 0 || length >= kModulePathChars) return std::nullopt;
  const auto parts = SplitPath(std::wstring_view(modulePath, length));
  if (!parts) return std::nullopt;
  std::wstring path = text::Format(L"%s%s%s.ini", parts->drive, parts->folder, std::wstring_view(L"Settings"));
  if (path.size() >= pathChars) return std::nullopt;
  return path;
}

UINT ReadDevelopmentInt(plat::Host& host, LPCWSTR key, size_t pathChars) {
  const auto path = SettingsPath(host, pathChars);
  if (!path) return 0;
  return host.profile.GetPrivateProfileIntW(L"Development", key, 0, path->c_str());
}

}  // namespace

UINT ReadLangId(plat::Host& host) { return ReadDevelopmentInt(host, L"LANG_ID", kLangIdPathChars); }

bool IsShowAllStrings(plat::Host& host) {
  return static_cast<WORD>(ReadDevelopmentInt(host, L"SHOW_ALL_STRING", kShowAllPathChars)) == 9999;
}

void ApplyConfiguredLanguage(plat::Host& host) {
  const UINT langId = ReadLangId(host);
  if (langId != 0) host.language.SetThreadUILanguage(static_cast<LANGID>(langId));
}

}  // namespace app
