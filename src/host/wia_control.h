// The still-image service (stisvc): whether it runs, whether it is disabled, stopping and disabling it, and
// setting it to automatic start and starting it. Each user makes a local object for one task; the object owns
// its two service-control handles and closes them when it goes.
#pragma once
#include "host/disable_gate.h"
#include "platform/host.h"
#include "platform/service_handles.h"

class CWIAControl {
 public:
  explicit CWIAControl(plat::Host& host);
  CWIAControl(const CWIAControl&) = delete;
  CWIAControl& operator=(const CWIAControl&) = delete;
  virtual ~CWIAControl() = default;

  // Opens what is not open (full access) and reads the service status into the object and the record.
  BOOL QueryStatus(LPSERVICE_STATUS status);
  // True when the service runs; opens with the lesser rights of a running test and always closes both handles.
  BOOL IsRunning();
  BOOL IsDisabled();
  // Makes the start type equal to the low 8 bits of startType.
  BOOL SetStartType(DWORD startType);
  // Stops a running service within the stop limit, then disables it (even when the stop failed). With a gate, the
  // disable goes through it; once the gate is shut the start type is left alone and the result is the stop's.
  BOOL Stop(DisableGate* gate = nullptr);
  // Sets automatic start and starts a stopped service, waiting at most the start limit for it to run.
  BOOL Start();

 private:
  // QueryStatus, then, while a stop is pending, polls until it ends or as long as a stop may take.
  BOOL QueryStatusAfterPendingStop(LPSERVICE_STATUS status);
  // After StartServiceW: polls until the service runs, a status read fails, or the start limit has passed (false).
  BOOL WaitUntilRunning();
  // The configuration read shared by IsDisabled and SetStartType: opens the handles when needed and reads the
  // configuration into local memory that the caller frees. Null, with the console line written, on failure.
  HLOCAL ReadConfig(bool zeroFill);
  // Sleeps the status's wait hint, but never past the end of a wait that started at startTick.
  void SleepWaitHint(DWORD startTick, DWORD limitMs);
  void CloseHandles();

  // Declared manager first: the service handle is closed before the manager's, also when the object goes.
  plat::UniqueServiceHandle m_hSCManager;
  plat::UniqueServiceHandle m_hService;
  SERVICE_STATUS m_status{};
  plat::Host& m_host;
};
