#include "system_queries.h"

#include <windows.h>
#include <tlhelp32.h>

#include <vector>

namespace rig {

std::string Locks::Hold(const std::wstring& name) {
  SECURITY_DESCRIPTOR descriptor{};
  InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
  KernelHandle mutex(CreateMutexW(&attributes, TRUE, name.c_str()));
  if (!mutex) return "err CreateMutexW failed (error " + std::to_string(GetLastError()) + ")";
  const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
  held_[name] = std::move(mutex);
  return existed ? "ok existed" : "ok created";
}

std::string Locks::Release(const std::wstring& name) {
  const auto found = held_.find(name);
  if (found == held_.end()) return "err not held";
  ReleaseMutex(found->second.Get());
  held_.erase(found);
  return "ok";
}

std::string MutexExists(const std::wstring& name) {
  const KernelHandle mutex(OpenMutexW(SYNCHRONIZE, FALSE, name.c_str()));
  if (mutex) return "ok 1";
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND ? "ok 0" : "err OpenMutexW failed (error " + std::to_string(error) + ")";
}

std::string ProcessCount(const std::wstring& image) {
  // Fails with INVALID_HANDLE_VALUE, as CreateFileW does.
  const KernelHandle snapshot = FileHandle(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return "err CreateToolhelp32Snapshot failed (error " + std::to_string(GetLastError()) + ")";
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
    if (lstrcmpiW(entry.szExeFile, image.c_str()) == 0) ++count;
  }
  return "ok " + std::to_string(count);
}

std::string ServiceState(const std::wstring& name) {
  const ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  const ServiceHandle service(manager ? OpenServiceW(manager.Get(), name.c_str(), SERVICE_QUERY_STATUS | SERVICE_QUERY_CONFIG)
                                      : nullptr);
  if (!service) return "err the service cannot be opened (error " + std::to_string(GetLastError()) + ")";
  SERVICE_STATUS status{};
  DWORD needed = 0;
  QueryServiceConfigW(service.Get(), nullptr, 0, &needed);
  std::vector<BYTE> config(needed == 0 ? sizeof(QUERY_SERVICE_CONFIGW) : needed);
  if (!QueryServiceStatus(service.Get(), &status) ||
      !QueryServiceConfigW(service.Get(), reinterpret_cast<QUERY_SERVICE_CONFIGW*>(config.data()),
                           static_cast<DWORD>(config.size()), &needed)) {
    return "err the service cannot be read (error " + std::to_string(GetLastError()) + ")";
  }
  return "ok state=" + std::to_string(status.dwCurrentState) +
         " start=" + std::to_string(reinterpret_cast<QUERY_SERVICE_CONFIGW*>(config.data())->dwStartType);
}

std::string DeviceOpens(int index) {
  const std::wstring name = L"\\\\.\\usbscan" + std::to_wstring(index);
  const HANDLE device = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
  if (device == INVALID_HANDLE_VALUE) return "ok 0 error=" + std::to_string(GetLastError());
  CloseHandle(device);
  return "ok 1";
}

}  // namespace rig
