// The tool's side of the guard: before the tool first disables the still-image service, a guard process (this
// program with the guard's switch) is started to watch it, and an entry Windows runs at the next logon is
// written; when the tool gives the service back itself it says so to the guard and removes the entry.
// Called by the stop thread (Arm) and by whoever gives the service back (GivenBack); those are ordered by the
// stop thread's gate and the waits of the update and cancel threads, as the service calls themselves are.
#pragma once
#include "platform/host.h"
#include "platform/unique_handle.h"

class ServiceGuard {
 public:
  explicit ServiceGuard(plat::Host& host) : m_host(host), m_hGivenBack(host.kernel), m_hGuard(host.kernel) {}
  ServiceGuard(const ServiceGuard&) = delete;
  ServiceGuard& operator=(const ServiceGuard&) = delete;

  // Before a disable: a guard is watching (started now unless one still runs), it is told the service is held,
  // and the start-up entry is written. A guard that cannot be started is said on the console; the tool works on.
  void Arm();
  // After the tool gave the service back itself: the guard will do nothing when the tool ends.
  void GivenBack();

 private:
  bool GuardRunning();
  bool StartGuard();

  plat::Host& m_host;
  // Manual reset, named for the guard: signalled while the service is given back.
  plat::UniqueHandle m_hGivenBack;
  plat::UniqueHandle m_hGuard;
};
