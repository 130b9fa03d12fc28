#include "service_setup.h"

#include <string>

#include "../../../emulator/wine_driver/driver_names.h"
#include "owners.h"

namespace rig {

namespace {

// Far above the second or two a service start takes under Wine; a start that hangs fails the setup.
constexpr DWORD kStateLimitMs = 30000;
constexpr DWORD kPollMs = 100;

std::string Failed(const char* step) { return std::string(step) + " failed (error " + std::to_string(GetLastError()) + ")"; }

bool WaitForState(SC_HANDLE service, DWORD wanted) {
  const DWORD start = GetTickCount();
  for (;;) {
    SERVICE_STATUS status{};
    if (!QueryServiceStatus(service, &status)) return false;
    if (status.dwCurrentState == wanted) return true;
    if (GetTickCount() - start >= kStateLimitMs) return false;
    Sleep(kPollMs);
  }
}

bool StartAndWait(SC_HANDLE service, std::string& error) {
  if (!StartServiceW(service, 0, nullptr) && GetLastError() != ERROR_SERVICE_ALREADY_RUNNING) {
    error = Failed("StartServiceW");
    return false;
  }
  if (!WaitForState(service, SERVICE_RUNNING)) {
    error = "the service did not run within 30 s";
    return false;
  }
  return true;
}

bool StopAndWait(SC_HANDLE service, std::string& error) {
  SERVICE_STATUS status{};
  if (!QueryServiceStatus(service, &status)) {
    error = Failed("QueryServiceStatus");
    return false;
  }
  if (status.dwCurrentState == SERVICE_STOPPED) return true;
  ControlService(service, SERVICE_CONTROL_STOP, &status);
  if (!WaitForState(service, SERVICE_STOPPED)) {
    error = "the service did not stop within 30 s";
    return false;
  }
  return true;
}

ServiceHandle OpenOrCreate(SC_HANDLE manager, const wchar_t* name, DWORD type, DWORD start, const std::wstring& image,
                           std::string& error) {
  ServiceHandle service(OpenServiceW(manager, name, SERVICE_ALL_ACCESS));
  if (service) {
    if (!ChangeServiceConfigW(service.Get(), type, start, SERVICE_ERROR_NORMAL, image.c_str(), nullptr, nullptr,
                              nullptr, nullptr, nullptr, nullptr)) {
      error = Failed("ChangeServiceConfigW");
      service.Reset();
    }
    return service;
  }
  service.Reset(CreateServiceW(manager, name, name, SERVICE_ALL_ACCESS, type, start, SERVICE_ERROR_NORMAL,
                               image.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
  if (!service) error = Failed("CreateServiceW");
  return service;
}

bool WriteParameters(const std::vector<std::pair<int, int>>& ports, std::optional<DWORD> timeoutMs,
                     std::string& error) {
  const std::wstring path = std::wstring(L"SYSTEM\\CurrentControlSet\\Services\\") + USBSCAN_EMU_SERVICE + L"\\" +
                            USBSCAN_EMU_PARAMETERS;
  RegKey key;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Receive(),
                      nullptr) != ERROR_SUCCESS) {
    error = "the driver's Parameters key cannot be created";
    return false;
  }
  // Values of an earlier run would keep devices the scenario does not ask for.
  for (int index = 0; index < USBSCAN_EMU_MAX_DEVICES; ++index) {
    RegDeleteValueW(key.Get(), (USBSCAN_EMU_PORT_VALUE + std::to_wstring(index)).c_str());
  }
  RegDeleteValueW(key.Get(), USBSCAN_EMU_TIMEOUT_VALUE);  // the driver's default unless a scenario sets one
  if (timeoutMs && RegSetValueExW(key.Get(), USBSCAN_EMU_TIMEOUT_VALUE, 0, REG_DWORD,
                                  reinterpret_cast<const BYTE*>(&*timeoutMs), sizeof *timeoutMs) != ERROR_SUCCESS) {
    error = "the driver's time-out cannot be written";
    return false;
  }
  for (const auto& [index, port] : ports) {
    const DWORD value = static_cast<DWORD>(port);
    const std::wstring name = USBSCAN_EMU_PORT_VALUE + std::to_wstring(index);
    if (RegSetValueExW(key.Get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) !=
        ERROR_SUCCESS) {
      error = "the port of usbscan" + std::to_string(index) + " cannot be written";
      return false;
    }
  }
  return true;
}

}  // namespace

bool InstallStandIn(const std::wstring& imagePath, std::string& error) {
  const ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) {
    error = Failed("OpenSCManagerW");
    return false;
  }
  const ServiceHandle service =
      OpenOrCreate(manager.Get(), L"stisvc", SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, imagePath, error);
  return service && StartAndWait(service.Get(), error);
}

bool InstallDriver(const std::wstring& imagePath, const std::vector<std::pair<int, int>>& ports,
                   std::optional<DWORD> timeoutMs, std::string& error) {
  const ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) {
    error = Failed("OpenSCManagerW");
    return false;
  }
  // Wine hosts the service in the driver host of this program's bitness, as it runs the program under test.
  const ServiceHandle service = OpenOrCreate(manager.Get(), USBSCAN_EMU_SERVICE, SERVICE_KERNEL_DRIVER,
                                             SERVICE_DEMAND_START, imagePath, error);
  return service && StopAndWait(service.Get(), error) && WriteParameters(ports, timeoutMs, error) &&
         StartAndWait(service.Get(), error);
}

}  // namespace rig
