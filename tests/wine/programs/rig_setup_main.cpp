// rig_setup: prepares the Wine prefix for one run of the tool. Sets or removes Wine's virtual desktop, writes
// the scanner's device record, puts the stand-in "stisvc" in place and starts it, installs and (re)starts the
// emulated usbscan driver with the bridge ports of the emulators, and waits until the named usbscan devices
// open. It runs before any window exists, so the desktop setting holds for the whole session.
//
//   rig_setup --standin PATH --driver PATH [--desktop WxH|none] [--port INDEX=PORT ...] [--timeout-ms MS]
//             [--friendly-name TEXT] [--wait-device INDEX ...]
//
// One line per step on standard output ("ok ..." or "err ..."); exit status 0 when every step worked.
#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "desktop_setting.h"
#include "device_record.h"
#include "service_setup.h"
#include "text.h"

namespace {

// The driver shows a present scanner's name before its service reports running; this covers an emulator
// that is still starting.
constexpr DWORD kDeviceLimitMs = 10000;

struct Options {
  std::wstring standIn;
  std::wstring driver;
  std::wstring friendlyName = L"Kavrel Tessaline";
  std::wstring desktop = L"none";
  std::vector<std::pair<int, int>> ports;
  std::vector<int> waitDevices;
  std::optional<DWORD> timeoutMs;  // the driver's hold of an unanswered request; none: its default
};

bool Parse(int argc, wchar_t** argv, Options& options, std::string& error) {
  for (int i = 1; i < argc; i += 2) {
    const std::wstring name = argv[i];
    if (i + 1 >= argc) {
      error = "option " + rig::Utf8(name) + " needs a value";
      return false;
    }
    const std::wstring value = argv[i + 1];
    if (name == L"--standin") {
      options.standIn = value;
    } else if (name == L"--driver") {
      options.driver = value;
    } else if (name == L"--desktop") {
      options.desktop = value;
    } else if (name == L"--friendly-name") {
      options.friendlyName = value;
    } else if (name == L"--port" && value.find(L'=') != std::wstring::npos) {
      options.ports.emplace_back(std::stoi(value.substr(0, value.find(L'='))), std::stoi(value.substr(value.find(L'=') + 1)));
    } else if (name == L"--timeout-ms") {
      options.timeoutMs = static_cast<DWORD>(std::stoul(value));
    } else if (name == L"--wait-device") {
      options.waitDevices.push_back(std::stoi(value));
    } else {
      error = "unknown option " + rig::Utf8(name) + " " + rig::Utf8(value);
      return false;
    }
  }
  if (options.standIn.empty() || options.driver.empty()) {
    error = "--standin and --driver are needed";
    return false;
  }
  return true;
}

bool WaitForDevice(int index) {
  const std::wstring name = L"\\\\.\\usbscan" + std::to_wstring(index);
  const DWORD start = GetTickCount();
  for (;;) {
    const HANDLE device = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    if (device != INVALID_HANDLE_VALUE) {
      CloseHandle(device);
      return true;
    }
    if (GetTickCount() - start >= kDeviceLimitMs) return false;
    Sleep(100);
  }
}

int Step(bool done, const std::string& what, const std::string& error) {
  rig::WriteLine(done ? "ok " + what : "err " + what + ": " + error);
  return done ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  try {
    Options options;
    std::string error;
    if (!Parse(argc, argv, options, error)) return Step(false, "options", error);
    if (Step(rig::SetVirtualDesktop(options.desktop, error), "desktop " + rig::Utf8(options.desktop), error) != 0) {
      return 1;
    }
    if (Step(rig::WriteDeviceRecord(options.friendlyName, error), "device record", error) != 0) return 1;
    if (Step(rig::InstallStandIn(options.standIn, error), "stisvc stand-in running", error) != 0) return 1;
    if (Step(rig::InstallDriver(options.driver, options.ports, options.timeoutMs, error), "usbscan driver running", error) != 0) return 1;
    for (const int index : options.waitDevices) {
      const std::string what = "usbscan" + std::to_string(index) + " opens";
      if (Step(WaitForDevice(index), what, "not within 10 s") != 0) return 1;
    }
    return 0;
  } catch (const std::exception& failure) {
    return Step(false, "options", failure.what());
  }
}
