// The simulated machine: virtual clock and threads, the named objects of its namespaces, its files and its
// system language. Programs run in it as simulated processes (simhost/process.h).
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/time.h"
#include "platform/win_types.h"
#include "simhost/handle_table.h"
#include "simhost/scheduler.h"

namespace simhost {

class UsbBus;

// A program copy as a kernel object: a handle to it is signalled once the process has ended.
struct ProcessObject : Object {
  DWORD id = 0;
  bool ended = false;
};

// What CreateProcessW asks of the machine: the command line, the flags, and the handles the child inherits
// (same values, same objects).
struct ProcessLaunch {
  std::wstring commandLine;
  DWORD creationFlags = 0;
  std::vector<std::pair<HANDLE, std::shared_ptr<Object>>> inherited;
};
// Starts the program a launch names; null when it cannot be started (the call fails with ERROR_FILE_NOT_FOUND).
using Launcher = std::function<std::shared_ptr<ProcessObject>(const ProcessLaunch&)>;

std::wstring FoldCase(std::wstring text);

class World {
 public:
  explicit World(uint64_t seed = 1);
  ~World();
  World(const World&) = delete;
  World& operator=(const World&) = delete;

  Scheduler& scheduler() { return scheduler_; }
  // GetTickCount: virtual milliseconds from a settable start, wrapping at 2^32 as the real one does.
  DWORD TickCount() const { return static_cast<DWORD>(tickBase_ + scheduler_.Now()); }
  void SetTickBase(DWORD base) { tickBase_ = base; }

  // Named kernel objects. "Global\" names are machine-wide; other names live in their session's namespace.
  std::shared_ptr<Object> FindNamed(const std::wstring& name, int session) const;
  void AddNamed(const std::wstring& name, int session, const std::shared_ptr<Object>& object);
  bool IsNameInUse(const std::wstring& name, int session) const { return FindNamed(name, session) != nullptr; }

  // Every mutex of the machine, named or not, so that the end of a thread can abandon those it still owns.
  void AddMutex(const std::shared_ptr<Object>& mutex);
  std::vector<std::shared_ptr<Object>> LiveMutexes();

  // Files, by path without regard to case.
  void WriteTextFile(const std::wstring& path, const std::wstring& content);
  void DeleteFile(const std::wstring& path);
  std::optional<std::wstring> ReadTextFile(const std::wstring& path) const;
  // Files a program writes (a log): bytes, appended. Every folder of a path exists; a folder a program makes
  // is noted, and making it again fails as it does on Windows.
  void AppendBytes(const std::wstring& path, const std::string& bytes) { written_[FoldCase(path)] += bytes; }
  std::optional<std::string> ReadBytes(const std::wstring& path) const;
  bool MakeFolder(const std::wstring& path) { return folders_.insert(FoldCase(path)).second; }
  bool FolderMade(const std::wstring& path) const { return folders_.count(FoldCase(path)) == 1; }

  // GetLocalTime: a fixed wall-clock start, moved on by the virtual clock.
  SYSTEMTIME LocalTime() const;

  // The machine's usbscan devices (simhost/usbscan.h).
  UsbBus& usb();

  LANGID systemUiLanguage = 0x0409;

  // Programs started by the copies running here. Without a launcher no program can be started.
  void SetLauncher(Launcher launcher) { launcher_ = std::move(launcher); }
  std::shared_ptr<ProcessObject> Launch(const ProcessLaunch& launch);
  void RecordRefusedLaunch(const ProcessLaunch& launch) { launches_.push_back(launch); }
  // A new copy's id; the copy is found by it for as long as its kernel object lives.
  DWORD AddProcess(const std::shared_ptr<ProcessObject>& process);
  std::shared_ptr<ProcessObject> FindProcess(DWORD id) const;
  // What tests observe: every launch asked for, also those that failed.
  const std::vector<ProcessLaunch>& Launches() const { return launches_; }

 private:
  static std::wstring NamespaceKey(const std::wstring& name, int session);

  // Before the scheduler, so the devices outlive the threads that complete their requests.
  std::unique_ptr<UsbBus> usb_;
  Scheduler scheduler_;
  DWORD tickBase_ = 0;
  std::map<std::wstring, std::weak_ptr<Object>> named_;
  std::vector<std::weak_ptr<Object>> mutexes_;
  std::map<std::wstring, std::wstring> files_;
  Launcher launcher_;
  std::vector<ProcessLaunch> launches_;
  DWORD nextProcessId_ = 0x1000;
  std::map<DWORD, std::weak_ptr<ProcessObject>> processes_;
  std::map<std::wstring, std::string> written_;
  std::set<std::wstring> folders_;
};

}  // namespace simhost
