#include "device/device_enumeration.h"

#include "app/text_format.h"
#include "device/usb_identity.h"
#include "platform/registry_handles.h"
#include "platform/setup_handles.h"
#include "ui/fwupdate_dlg.h"

namespace {

constexpr const wchar_t* kClassKeyRoot = L"SYSTEM\\CurrentControlSet\\Control\\Class";
constexpr size_t kPropertyChars = 256;
// Half of each property buffer is offered (256 bytes on Windows), so whatever the query writes stays
// NUL-terminated by the zeroed half behind it.
constexpr DWORD kPropertyBytes = static_cast<DWORD>(kPropertyChars / 2 * sizeof(WCHAR));

wchar_t AsciiUpper(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

// The first prefix.size() characters of a NUL-terminated hardware ID equal the prefix, ignoring case.
bool StartsWithIgnoringCase(const WCHAR* hardwareId, const std::wstring& prefix) {
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (hardwareId[i] == L'\0' || AsciiUpper(hardwareId[i]) != AsciiUpper(prefix[i])) return false;
  }
  return true;
}

// The registry does not promise a NUL after a text: the value ends where its size says, and a text that fills
// the whole buffer must carry its NUL as the last character.
bool EndText(WCHAR* buffer, DWORD bytes) {
  const size_t units = bytes / sizeof(WCHAR);
  if (units < kFriendlyNameChars) {
    buffer[units] = L'\0';
    return true;
  }
  return buffer[kFriendlyNameChars - 1] == L'\0';
}

}  // namespace

bool ReadFriendlyName(plat::Host& host, const std::wstring& keyPath, int valueKind, WCHAR* buffer) {
  const DWORD size = valueKind == kFriendlyNameText ? static_cast<DWORD>(kFriendlyNameChars * sizeof(WCHAR)) : 4;
  plat::UniqueRegKey key(host.registry);
  if (host.registry.RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) {
    return false;
  }
  DWORD read = size;
  const LONG result = host.registry.RegQueryValueExW(key.Get(), L"FriendlyName", nullptr, nullptr,
                                                     reinterpret_cast<LPBYTE>(buffer), &read);
  if (result != static_cast<LONG>(ERROR_SUCCESS)) return false;
  return valueKind != kFriendlyNameText || EndText(buffer, read);
}

// The name is read into a buffer of its own and copied only on success, so that a failed walk leaves the
// last good name untouched even where a too-long value was partly written.
BOOL CFWUpdateDlg::FindDeviceFriendlyName() {
  static_assert(sizeof(m_szFriendlyName) == kFriendlyNameChars * sizeof(WCHAR));
  plat::Host& host = Host();
  const plat::UniqueDeviceInfoSet devices(
      host.setup, host.setup.SetupDiGetClassDevsW(&GUID_DEVCLASS_IMAGE, nullptr, nullptr, DIGCF_PRESENT));
  if (!devices.IsValid()) return FALSE;

  const std::wstring prefix = text::Format(L"USB\\VID_%04X&PID_%04X", kScannerVendorId, kScannerProductId);
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof(SP_DEVINFO_DATA);  // 28 on x86
  for (DWORD index = 0; host.setup.SetupDiEnumDeviceInfo(devices.Get(), index, &device); ++index) {
    WCHAR driverKey[kPropertyChars] = {};
    WCHAR hardwareId[kPropertyChars] = {};
    // A failed query leaves its buffer zeroed, which matches nothing.
    host.setup.SetupDiGetDeviceRegistryPropertyW(devices.Get(), &device, SPDRP_DRIVER, nullptr,
                                                 reinterpret_cast<PBYTE>(driverKey), kPropertyBytes, nullptr);
    host.setup.SetupDiGetDeviceRegistryPropertyW(devices.Get(), &device, SPDRP_HARDWAREID, nullptr,
                                                 reinterpret_cast<PBYTE>(hardwareId), kPropertyBytes, nullptr);
    if (!StartsWithIgnoringCase(hardwareId, prefix)) continue;

    const std::wstring keyPath = text::Format(L"%s\\%s", kClassKeyRoot, std::wstring_view(driverKey));
    WCHAR friendlyName[kFriendlyNameChars] = {};
    if (ReadFriendlyName(host, keyPath, kFriendlyNameText, friendlyName)) {
      return StoreFriendlyName(friendlyName) ? TRUE : FALSE;
    }
  }
  return FALSE;
}
