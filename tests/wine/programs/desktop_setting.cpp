#include "desktop_setting.h"

#include <windows.h>

#include "owners.h"

namespace rig {

namespace {

constexpr const wchar_t* kExplorerKey = L"Software\\Wine\\Explorer";
constexpr const wchar_t* kDesktopName = L"Default";

bool SetText(HKEY key, const wchar_t* name, const std::wstring& value) {
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace

bool SetVirtualDesktop(const std::wstring& size, std::string& error) {
  RegKey explorer;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kExplorerKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, explorer.Receive(),
                      nullptr) != ERROR_SUCCESS) {
    error = "the Explorer key cannot be created";
    return false;
  }
  if (size == L"none") {
    const LONG result = RegDeleteValueW(explorer.Get(), L"Desktop");
    if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) {
      error = "the desktop setting cannot be removed";
      return false;
    }
    return true;
  }
  RegKey desktops;
  if (RegCreateKeyExW(explorer.Get(), L"Desktops", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, desktops.Receive(),
                      nullptr) != ERROR_SUCCESS ||
      !SetText(desktops.Get(), kDesktopName, size) || !SetText(explorer.Get(), L"Desktop", kDesktopName)) {
    error = "the desktop setting cannot be written";
    return false;
  }
  return true;
}

}  // namespace rig
