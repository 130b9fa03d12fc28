// One program copy running in the simulated world: the host its core runs on, and what tests observe.
#pragma once
#include <functional>

#include "platform/host.h"
#include "simhost/codepage.h"
#include "simhost/console.h"
#include "simhost/files.h"
#include "simhost/kernel.h"
#include "simhost/language.h"
#include "simhost/process_info.h"
#include "simhost/process_state.h"
#include "simhost/power.h"
#include "simhost/profile.h"
#include "simhost/registry.h"
#include "simhost/resources.h"
#include "simhost/services.h"
#include "simhost/setup.h"
#include "simhost/sockets.h"
#include "simhost/time.h"
#include "simhost/user.h"
#include "simhost/windows.h"

namespace simhost {

class Process {
 public:
  explicit Process(World& world, ProcessOptions options = {});
  // Threads still running when a process ends are ended with it, as Windows does at process exit.
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  plat::Host& host() { return host_; }
  World& world() { return state_.world; }
  const ProcessOptions& options() const { return state_.options; }

  Console& console() { return console_; }
  User& user() { return user_; }
  Windows& windows() { return windows_; }
  Resources& resources() { return resources_; }
  CodePage& codePage() { return codePage_; }
  Setup& setup() { return setup_; }
  Registry& registry() { return registry_; }
  Services& services() { return services_; }
  Sockets& sockets() { return sockets_; }
  Power& power() { return power_; }
  size_t OpenHandles() const { return state_.handles.Count(); }
  // This copy as a kernel object; it is signalled once the process has ended.
  const std::shared_ptr<ProcessObject>& Self() const { return state_.self; }
  // The program's main thread: the process ends when it returns, as it does when its entry point returns.
  int Start(std::function<void()> main);
  // Ends the program as TerminateProcess does: its threads stop where they are and none of its code runs again
  // (no destructor either), the mutexes they own are abandoned, its handles are closed (a name goes with its
  // last handle), its windows go (senders get 0), and waits on the process return.
  void Terminate();
  // Every thread of the program but its main one has ended.
  bool OtherThreadsEnded() const;
  // Another copy on the same machine: the same service manager and registry from now on.
  void ShareMachineOf(Process& other);
  // A handle the copy inherited from the program that started it.
  void Inherit(HANDLE handle, std::shared_ptr<Object> object) { state_.handles.InsertAt(handle, std::move(object)); }
  void FailThreadCreations(int count) { state_.threadCreationsToFail = count; }
  void FailEventCreations(int count) { state_.eventCreationsToFail = count; }
  void FailExitCodeQueries(int count) { state_.exitCodeQueriesToFail = count; }
  void FailLaunches(DWORD error) { state_.launchError = error; }
  void PutInJobWithoutBreakaway() { state_.inJobWithoutBreakaway = true; }
  // Whether a handle of this process would be inherited by a child (HANDLE_FLAG_INHERIT).
  bool HandleInheritable(HANDLE handle) const { return state_.handles.Inheritable(handle); }

 private:
  ProcessState state_;
  Time time_{state_};
  Kernel kernel_{state_};
  ProcessInfo processInfo_{state_};
  Profile profile_{state_};
  Console console_;
  Language language_{state_};
  Resources resources_{state_};
  Windows windows_{state_};
  User user_{state_, windows_};
  CodePage codePage_{state_};
  Registry registry_;
  Setup setup_{state_, registry_};
  Services services_{state_};
  Files files_{state_};
  Sockets sockets_{state_};
  Power power_{state_, windows_};
  plat::Host host_{time_, kernel_, processInfo_, profile_, console_, language_, resources_, user_, windows_,
                    codePage_, setup_, registry_, services_, files_, sockets_, power_};
};

}  // namespace simhost
