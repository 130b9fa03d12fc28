#include "host/start_up_entry.h"

#include "host/guard_switch.h"
#include "platform/registry_handles.h"

namespace guard {
namespace {

plat::UniqueRegKey CreateKey(plat::Host& host, const wchar_t* path, REGSAM access) {
  plat::UniqueRegKey key(host.registry);
  host.registry.RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                                key.Receive(), nullptr);
  return key;
}

bool SetValue(plat::Host& host, const wchar_t* path, const wchar_t* name, DWORD type, const void* data,
              DWORD size) {
  const plat::UniqueRegKey key = CreateKey(host, path, KEY_SET_VALUE);
  return key && host.registry.RegSetValueExW(key.Get(), name, 0, type, static_cast<const BYTE*>(data), size) ==
                    static_cast<LONG>(ERROR_SUCCESS);
}

bool DeleteValue(plat::Host& host, const wchar_t* path, const wchar_t* name) {
  plat::UniqueRegKey key(host.registry);
  const LONG opened = host.registry.RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_SET_VALUE, key.Receive());
  if (opened == static_cast<LONG>(ERROR_FILE_NOT_FOUND)) return true;
  if (opened != static_cast<LONG>(ERROR_SUCCESS)) return false;
  const LONG deleted = host.registry.RegDeleteValueW(key.Get(), name);
  return deleted == static_cast<LONG>(ERROR_SUCCESS) || deleted == static_cast<LONG>(ERROR_FILE_NOT_FOUND);
}

bool HasValue(plat::Host& host, const wchar_t* path, const wchar_t* name) {
  plat::UniqueRegKey key(host.registry);
  if (host.registry.RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE, key.Receive()) !=
      static_cast<LONG>(ERROR_SUCCESS)) {
    return false;
  }
  return host.registry.RegQueryValueExW(key.Get(), name, nullptr, nullptr, nullptr, nullptr) ==
         static_cast<LONG>(ERROR_SUCCESS);
}

}  // namespace

std::wstring StartUpCommand(plat::Host& host) { return GuardCommandLine(host, kBootArgument); }

bool WriteStartUpEntry(plat::Host& host) {
  const std::wstring command = StartUpCommand(host);
  return SetValue(host, kRunOnceKey, kRunOnceValue, REG_SZ, command.c_str(),
                  static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
}

bool RemoveStartUpEntry(plat::Host& host) { return DeleteValue(host, kRunOnceKey, kRunOnceValue); }

bool HasStartUpEntry(plat::Host& host) { return HasValue(host, kRunOnceKey, kRunOnceValue); }

bool MarkCutOff(plat::Host& host) {
  const DWORD one = 1;
  return SetValue(host, kToolKey, kCutOffValue, REG_DWORD, &one, sizeof(one));
}

bool TakeCutOffMark(plat::Host& host) {
  if (!HasValue(host, kToolKey, kCutOffValue)) return false;
  DeleteValue(host, kToolKey, kCutOffValue);
  return true;
}

}  // namespace guard
