#include "device_record.h"

#include <windows.h>

#include "owners.h"

namespace rig {

namespace {

constexpr const wchar_t* kImageClass = L"{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}";
constexpr const wchar_t* kInstanceKey = L"SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_1209&PID_0001\\KT0001";
constexpr const wchar_t* kDriverIndex = L"0000";

// A list of texts, each ended by NUL, the whole ended by one more NUL.
std::wstring MultiText(std::initializer_list<const wchar_t*> items) {
  std::wstring out;
  for (const wchar_t* item : items) {
    out += item;
    out += L'\0';
  }
  return out + L'\0';
}

bool SetValue(HKEY key, const wchar_t* name, DWORD type, const std::wstring& data) {
  // REG_SZ carries its NUL; REG_MULTI_SZ data already ends with both of its own.
  const size_t units = type == REG_SZ ? data.size() + 1 : data.size();
  return RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(data.c_str()),
                        static_cast<DWORD>(units * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool CreateKey(const std::wstring& path, RegKey& key) {
  return RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Receive(),
                         nullptr) == ERROR_SUCCESS;
}

}  // namespace

bool WriteDeviceRecord(const std::wstring& friendlyName, std::string& error) {
  const std::wstring driverKey = std::wstring(kImageClass) + L"\\" + kDriverIndex;
  RegKey instance;
  if (!CreateKey(kInstanceKey, instance)) {
    error = "the device instance key cannot be created";
    return false;
  }
  const bool instanceWritten =
      SetValue(instance.Get(), L"HardwareID", REG_MULTI_SZ,
               MultiText({L"USB\\VID_1209&PID_0001&REV_0100", L"USB\\VID_1209&PID_0001"})) &&
      SetValue(instance.Get(), L"CompatibleIDs", REG_MULTI_SZ,
               MultiText({L"USB\\Class_ff&SubClass_ff&Prot_ff", L"USB\\Class_ff&SubClass_ff", L"USB\\Class_ff"})) &&
      SetValue(instance.Get(), L"ClassGUID", REG_SZ, kImageClass) &&
      SetValue(instance.Get(), L"Class", REG_SZ, L"Image") && SetValue(instance.Get(), L"Driver", REG_SZ, driverKey) &&
      SetValue(instance.Get(), L"Service", REG_SZ, L"usbscan") &&
      SetValue(instance.Get(), L"DeviceDesc", REG_SZ, friendlyName);
  if (!instanceWritten) {
    error = "the device instance values cannot be written";
    return false;
  }
  RegKey driver;
  if (!CreateKey(L"SYSTEM\\CurrentControlSet\\Control\\Class\\" + driverKey, driver) ||
      !SetValue(driver.Get(), L"FriendlyName", REG_SZ, friendlyName) ||
      !SetValue(driver.Get(), L"DriverDesc", REG_SZ, friendlyName)) {
    error = "the driver key with the friendly name cannot be written";
    return false;
  }
  return true;
}

}  // namespace rig
