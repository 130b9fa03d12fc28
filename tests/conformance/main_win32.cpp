// The conformance suite against Windows' API through the program's Win32 host; under Wine (the rig runs it
// beside the emulated usbscan driver and the stand-in stisvc) its todo_wine marks apply. Started with
// --hold-mutex NAME it is the other process of the mutex case: it owns the mutex until told to end.
#include <windows.h>

#include <string>

#include "harness.h"
#include "platform/win32/win32_host.h"

namespace {

constexpr wchar_t kReadyEvent[] = L"FWUConformance.HolderReady";
constexpr wchar_t kQuitEvent[] = L"FWUConformance.HolderQuit";
// A process starts within a second or two under Wine; bounded so a hung child cannot hold the suite.
constexpr DWORD kChildLimitMs = 15000;

int HoldMutex(const wchar_t* name) {
  const HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, kReadyEvent);
  const HANDLE quit = OpenEventW(SYNCHRONIZE, FALSE, kQuitEvent);
  const HANDLE mutex = CreateMutexW(nullptr, TRUE, name);
  if (ready == nullptr || quit == nullptr || mutex == nullptr) return 2;
  SetEvent(ready);
  WaitForSingleObject(quit, kChildLimitMs);
  return 0;  // ends owning the mutex: the system abandons it
}

class Win32Machine final : public conformance::IMachine {
 public:
  Win32Machine()
      : ready_(CreateEventW(nullptr, TRUE, FALSE, kReadyEvent)), quit_(CreateEventW(nullptr, TRUE, FALSE, kQuitEvent)) {}
  ~Win32Machine() override {
    EndMutexHolder();
    if (ready_ != nullptr) CloseHandle(ready_);
    if (quit_ != nullptr) CloseHandle(quit_);
  }
  Win32Machine(const Win32Machine&) = delete;
  Win32Machine& operator=(const Win32Machine&) = delete;

  bool StartMutexHolder(const wchar_t* name) override {
    if (ready_ == nullptr || quit_ == nullptr) return false;
    ResetEvent(ready_);
    ResetEvent(quit_);
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(module) + L"\" --hold-mutex " + name;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(module, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
      return false;
    }
    CloseHandle(started.hThread);
    child_ = started.hProcess;
    const HANDLE waits[] = {ready_, child_};
    return WaitForMultipleObjects(2, waits, FALSE, kChildLimitMs) == WAIT_OBJECT_0;
  }

  bool EndMutexHolder() override {
    if (child_ == nullptr) return false;
    SetEvent(quit_);
    bool ended = WaitForSingleObject(child_, kChildLimitMs) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(child_, 3);
    DWORD code = 0;
    ended = ended && GetExitCodeProcess(child_, &code) && code == 0;
    CloseHandle(child_);
    child_ = nullptr;
    return ended;
  }

  unsigned long CurrentThreadId() override { return GetCurrentThreadId(); }

 private:
  HANDLE ready_;
  HANDLE quit_;
  HANDLE child_ = nullptr;
};

bool OnWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && std::wstring(argv[1]) == L"--hold-mutex") return HoldMutex(argv[2]);
  const bool onWine = OnWine();
  plat::win32::Win32Host win32;
  Win32Machine machine;
  conformance::Results results(onWine);
  conformance::Context context{win32.host, machine, results, onWine};
  conformance::RunAll(context);
  return results.Summary();
}
