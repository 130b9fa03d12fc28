// The service control manager with the still-image service "stisvc": its state and start type, kept and changed
// as on Windows; a stop and a start that take virtual time and report wait hints, and that can fail or never
// finish; access rights checked per handle; names compared without regard to case. Every request to the
// manager is a round trip that takes a little virtual time, so a caller that polls without sleeping still sees
// the clock move; the time may differ from call to call (a busy manager), so two threads' requests can land
// in either order. Also the local memory the configuration query is read into, with a count of live blocks.
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/services.h"
#include "simhost/process_state.h"

namespace simhost {

struct SimService {
  std::wstring name;
  std::wstring displayName;
  DWORD state = SERVICE_RUNNING;
  DWORD startType = SERVICE_AUTO_START;

  // How a stop goes: it takes stopTakesMs (never when empty) with this wait hint; a nonzero stopControlError
  // makes ControlService refuse with that error and the service keeps running.
  std::optional<DWORD> stopTakesMs = 1000;
  DWORD stopWaitHintMs = 1000;
  DWORD stopControlError = 0;
  // How a start goes, likewise; stopsAgainAfterStart makes the service fall back to stopped instead of running.
  std::optional<DWORD> startTakesMs = 1000;
  DWORD startWaitHintMs = 2000;
  DWORD startError = 0;
  bool stopsAgainAfterStart = false;
  // Errors of the other requests (0: they succeed).
  DWORD queryStatusError = 0;
  DWORD queryConfigError = 0;
  DWORD changeConfigError = 0;

  // As the tool must leave it, and its guard must give it back: automatic start, running.
  bool GivenBack() const { return startType == SERVICE_AUTO_START && state == SERVICE_RUNNING; }

  // What tests observe.
  int stopControls = 0;
  int startRequests = 0;
  int configChanges = 0;

  // A pending state ends at this virtual time in targetState.
  uint64_t transitionAt = 0;
  DWORD targetState = 0;
  DWORD waitHint = 0;
  DWORD checkPoint = 0;
};

class Services final : public plat::IServices {
 public:
  explicit Services(ProcessState& state);

  SC_HANDLE OpenSCManagerW(LPCWSTR machineName, LPCWSTR databaseName, DWORD access) override;
  SC_HANDLE OpenServiceW(SC_HANDLE manager, LPCWSTR serviceName, DWORD access) override;
  BOOL QueryServiceStatus(SC_HANDLE service, LPSERVICE_STATUS status) override;
  BOOL QueryServiceConfigW(SC_HANDLE service, LPQUERY_SERVICE_CONFIGW config, DWORD bufferSize,
                           LPDWORD bytesNeeded) override;
  BOOL ChangeServiceConfigW(SC_HANDLE service, DWORD serviceType, DWORD startType, DWORD errorControl,
                            LPCWSTR binaryPathName, LPCWSTR loadOrderGroup, LPDWORD tagId, LPCWSTR dependencies,
                            LPCWSTR serviceStartName, LPCWSTR password, LPCWSTR displayName) override;
  BOOL ControlService(SC_HANDLE service, DWORD control, LPSERVICE_STATUS status) override;
  BOOL StartServiceW(SC_HANDLE service, DWORD argumentCount, LPCWSTR* arguments) override;
  BOOL CloseServiceHandle(SC_HANDLE handle) override;
  HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) override;
  HLOCAL LocalFree(HLOCAL memory) override;

  // The machine: "stisvc" exists from the start (running, automatic start).
  SimService& Service(const std::wstring& name);  // created when missing
  void RemoveService(const std::wstring& name);
  void FailOpenManager(DWORD error) { openManagerError_ = error; }  // 0: opening succeeds again
  void FailAllocations(bool fail) { failAllocations_ = fail; }
  void SetRoundTripMs(DWORD milliseconds) { SetRoundTripRange(milliseconds, milliseconds, 0); }
  // Each request takes between minMs and maxMs, drawn per request from a generator of its own (seeded here), so
  // the scheduler's picks stay those of its seed. A request takes effect at the end of its round trip.
  void SetRoundTripRange(DWORD minMs, DWORD maxMs, uint64_t seed);
  // Another copy on the same machine: the services existing now are the same ones for both.
  void ShareMachineOf(const Services& other) { services_ = other.services_; }

  // What tests observe.
  size_t OpenHandles() const { return handles_.Count(); }
  size_t LiveAllocations() const { return allocations_.size(); }
  int ManagerOpens() const { return managerOpens_; }
  int ServiceOpens() const { return serviceOpens_; }
  // The access asked for (as passed, generic rights unmapped) and the name used by the last opens.
  DWORD LastManagerAccess() const { return lastManagerAccess_; }
  DWORD LastServiceAccess() const { return lastServiceAccess_; }
  const std::wstring& LastServiceName() const { return lastServiceName_; }

 private:
  std::shared_ptr<SimService> ServiceOf(SC_HANDLE handle, DWORD right);
  void RoundTrip();
  void Advance(SimService& service) const;
  void FillStatus(const SimService& service, LPSERVICE_STATUS status) const;
  BOOL Fail(DWORD error);
  std::nullptr_t FailNull(DWORD error);

  ProcessState& state_;
  std::map<std::wstring, std::shared_ptr<SimService>> services_;  // by folded name
  HandleTable handles_{0x53000};
  std::map<HLOCAL, SIZE_T> allocations_;
  DWORD openManagerError_ = 0;
  bool failAllocations_ = false;
  DWORD roundTripMinMs_ = 1;
  DWORD roundTripMaxMs_ = 1;
  uint64_t roundTripDraws_ = 0;
  int managerOpens_ = 0;
  int serviceOpens_ = 0;
  DWORD lastManagerAccess_ = 0;
  DWORD lastServiceAccess_ = 0;
  std::wstring lastServiceName_;
};

}  // namespace simhost
