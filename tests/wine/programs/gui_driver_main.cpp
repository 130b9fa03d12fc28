// gui_driver: the Wine rig's hands and eyes inside the prefix. It reads one command per line on standard
// input and answers each with one line starting with "ok" or "err", so the rig's script drives a whole
// scenario through one process:
//
//   output PATH               standard output and error of programs started from now on (default NUL)
//   start COMMAND LINE        start a program               ok pid=N
//   window PID LIMIT_MS       wait for its main window       ok hwnd=N
//   windows PID               its visible windows as JSON    ok [...]
//   click PID ID              press an enabled button        ok | err disabled | err no such button
//   key PID VK                press a key in its main window (posted key-down and key-up)
//   command PID ID            post a control's command to its main window, whatever the control's state
//   post PID MESSAGE WPARAM   post a message to its main window (16: WM_CLOSE)
//   probe PID LIMIT_MS        send WM_NULL with SendMessageTimeout   ok ms=N | err unanswered ms=N
//   wait-exit PID LIMIT_MS    wait for it to end             ok code=N | err timeout
//   kill PID                  end it by force
//   hold-mutex NAME           take a named lock as another application would; release-mutex NAME
//   mutex-exists NAME         ok 1 | ok 0
//   service NAME              ok state=N start=N
//   device INDEX              ok 1 | ok 0 error=N (opens \\.\usbscanN)
//   quit
#include <windows.h>

#include <cstdio>
#include <string>

#include "programs.h"
#include "system_queries.h"
#include "text.h"
#include "window_reader.h"

namespace {

// The tool's main window holds the status text.
constexpr int kStatusText = 1017;
// Longest line the rig sends: a command with a path.
constexpr size_t kLineLimit = 4096;

struct Driver {
  rig::Programs programs;
  rig::Locks locks;
};

std::string WaitForWindow(DWORD processId, DWORD limitMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (const HWND window = rig::FindWindowWithControl(processId, kStatusText)) {
      return "ok hwnd=" + std::to_string(reinterpret_cast<uintptr_t>(window));
    }
    if (GetTickCount() - start >= limitMs) return "err no window within " + std::to_string(limitMs) + " ms";
    Sleep(50);
  }
}

// The first word, and the rest of the line after one blank.
std::pair<std::string, std::string> Split(const std::string& line) {
  const size_t blank = line.find(' ');
  if (blank == std::string::npos) return {line, ""};
  return {line.substr(0, blank), line.substr(blank + 1)};
}

DWORD Number(const std::string& text) { return static_cast<DWORD>(std::stoul(text)); }

std::string Handle(Driver& driver, const std::string& line) {
  const auto [command, rest] = Split(line);
  const auto [first, second] = Split(rest);
  if (command == "output") return driver.programs.SetOutput(rig::Wide(rest));
  if (command == "start") return driver.programs.Start(rig::Wide(rest));
  if (command == "window") return WaitForWindow(Number(first), Number(second));
  if (command == "windows") return "ok " + rig::DescribeWindows(Number(first));
  if (command == "click") return rig::ClickButton(Number(first), static_cast<int>(Number(second)));
  if (command == "key") return rig::PressKey(Number(first), static_cast<int>(Number(second)));
  if (command == "command") return rig::PostCommand(Number(first), static_cast<int>(Number(second)));
  if (command == "post") {
    const auto [message, wParam] = Split(second);
    return rig::PostToMainWindow(Number(first), Number(message), wParam.empty() ? 0 : Number(wParam));
  }
  if (command == "probe") return rig::ProbeMainWindow(Number(first), Number(second));
  if (command == "wait-exit") return driver.programs.WaitExit(Number(first), Number(second));
  if (command == "kill") return driver.programs.Kill(Number(first));
  if (command == "hold-mutex") return driver.locks.Hold(rig::Wide(rest));
  if (command == "release-mutex") return driver.locks.Release(rig::Wide(rest));
  if (command == "mutex-exists") return rig::MutexExists(rig::Wide(rest));
  if (command == "processes") return rig::ProcessCount(rig::Wide(rest));
  if (command == "service") return rig::ServiceState(rig::Wide(rest));
  if (command == "device") return rig::DeviceOpens(static_cast<int>(Number(first)));
  return "err unknown command " + command;
}

}  // namespace

int wmain() {
  // The programs started here inherit their own output file, never this driver's pipes: the rig sees the end
  // of the pipes when this driver ends, whatever it started.
  for (const DWORD stream : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
    SetHandleInformation(GetStdHandle(stream), HANDLE_FLAG_INHERIT, 0);
  }
  Driver driver;
  char buffer[kLineLimit];
  while (std::fgets(buffer, sizeof buffer, stdin) != nullptr) {
    std::string line = buffer;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (line == "quit") {
      rig::WriteLine("ok bye");
      return 0;
    }
    try {
      rig::WriteLine(Handle(driver, line));
    } catch (const std::exception& failure) {
      rig::WriteLine(std::string("err ") + failure.what());
    }
  }
  return 0;
}
