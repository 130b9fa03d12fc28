#include "simhost/services.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace simhost {
namespace {

// Rights beyond those in win_types.h, with the platform's values.
constexpr DWORD kReadControl = 0x20000;
constexpr DWORD kGenericRead = 0x80000000;
constexpr DWORD kGenericWrite = 0x40000000;
constexpr DWORD kGenericAll = 0x10000000;
constexpr DWORD kManagerEnumerate = 0x0004;
constexpr DWORD kManagerLock = 0x0008;
constexpr DWORD kManagerQueryLockStatus = 0x0010;
constexpr DWORD kManagerModifyBootConfig = 0x0020;
constexpr DWORD kManagerCreateService = 0x0002;
constexpr DWORD kServiceEnumerateDependents = 0x0008;
constexpr DWORD kServicePauseContinue = 0x0040;
constexpr DWORD kServiceInterrogate = 0x0080;
constexpr DWORD kServiceUserDefined = 0x0100;
constexpr DWORD kServiceAllAccess = 0xF01FF;

DWORD MapManagerRights(DWORD access) {
  DWORD mapped = access & 0x0FFFFFFF;
  if (access & kGenericRead) mapped |= kReadControl | kManagerEnumerate | kManagerQueryLockStatus;
  if (access & kGenericWrite) mapped |= kReadControl | kManagerCreateService | kManagerModifyBootConfig;
  if (access & GENERIC_EXECUTE) mapped |= kReadControl | SC_MANAGER_CONNECT | kManagerLock;
  if (access & kGenericAll) mapped |= SC_MANAGER_ALL_ACCESS;
  return mapped;
}

DWORD MapServiceRights(DWORD access) {
  DWORD mapped = access & 0x0FFFFFFF;
  if (access & kGenericRead) {
    mapped |= kReadControl | SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS | kServiceInterrogate |
              kServiceEnumerateDependents;
  }
  if (access & kGenericWrite) mapped |= kReadControl | SERVICE_CHANGE_CONFIG;
  if (access & GENERIC_EXECUTE) {
    mapped |= kReadControl | SERVICE_START | SERVICE_STOP | kServicePauseContinue | kServiceInterrogate |
              kServiceUserDefined;
  }
  if (access & kGenericAll) mapped |= kServiceAllAccess;
  return mapped;
}

// What a user without administrator rights is granted on the manager and on a system service.
constexpr DWORD kManagerUserRights = kReadControl | SC_MANAGER_CONNECT | kManagerEnumerate | kManagerQueryLockStatus;
constexpr DWORD kServiceUserRights = kReadControl | SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS |
                                     kServiceEnumerateDependents | kServiceInterrogate | kServiceUserDefined;

struct ManagerObject : Object {
  DWORD access = 0;
};

struct ServiceHandleObject : Object {
  std::shared_ptr<SimService> service;
  DWORD access = 0;
};

}  // namespace

Services::Services(ProcessState& state) : state_(state) {
  SimService& stisvc = Service(L"stisvc");
  stisvc.displayName = L"Windows Image Acquisition (WIA)";
}

SimService& Services::Service(const std::wstring& name) {
  auto& slot = services_[FoldCase(name)];
  if (!slot) {
    slot = std::make_shared<SimService>();
    slot->name = name;
    slot->displayName = name;
  }
  return *slot;
}

void Services::RemoveService(const std::wstring& name) { services_.erase(FoldCase(name)); }

BOOL Services::Fail(DWORD error) {
  state_.CurrentThread().lastError = error;
  return FALSE;
}

std::nullptr_t Services::FailNull(DWORD error) {
  Fail(error);
  return nullptr;
}

void Services::SetRoundTripRange(DWORD minMs, DWORD maxMs, uint64_t seed) {
  roundTripMinMs_ = minMs;
  roundTripMaxMs_ = std::max(minMs, maxMs);
  roundTripDraws_ = seed | 1;  // xorshift never leaves zero
}

void Services::RoundTrip() {
  DWORD milliseconds = roundTripMinMs_;
  if (roundTripMaxMs_ > roundTripMinMs_) {
    roundTripDraws_ ^= roundTripDraws_ << 13;
    roundTripDraws_ ^= roundTripDraws_ >> 7;
    roundTripDraws_ ^= roundTripDraws_ << 17;
    milliseconds += static_cast<DWORD>(roundTripDraws_ % (roundTripMaxMs_ - roundTripMinMs_ + 1));
  }
  if (milliseconds != 0) state_.world.scheduler().Sleep(milliseconds);
}

void Services::Advance(SimService& service) const {
  const bool pending = service.state == SERVICE_START_PENDING || service.state == SERVICE_STOP_PENDING;
  if (pending && state_.world.scheduler().Now() >= service.transitionAt) {
    service.state = service.targetState;
    service.waitHint = 0;
    service.checkPoint = 0;
  }
}

void Services::FillStatus(const SimService& service, LPSERVICE_STATUS status) const {
  *status = SERVICE_STATUS{};
  status->dwServiceType = SERVICE_WIN32_SHARE_PROCESS;
  status->dwCurrentState = service.state;
  status->dwControlsAccepted = service.state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
  status->dwCheckPoint = service.checkPoint;
  status->dwWaitHint = service.waitHint;
}

std::shared_ptr<SimService> Services::ServiceOf(SC_HANDLE handle, DWORD right) {
  const auto object = handles_.Get<ServiceHandleObject>(handle);
  if (!object) {
    Fail(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if ((object->access & right) != right) {
    Fail(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  Advance(*object->service);
  return object->service;
}

SC_HANDLE Services::OpenSCManagerW(LPCWSTR machineName, LPCWSTR databaseName, DWORD access) {
  RoundTrip();
  ++managerOpens_;
  lastManagerAccess_ = access;
  if (openManagerError_ != 0) return FailNull(openManagerError_);
  if (machineName != nullptr && *machineName != L'\0') return FailNull(ERROR_INVALID_PARAMETER);
  if (databaseName != nullptr && FoldCase(databaseName) != L"SERVICESACTIVE") {
    return FailNull(ERROR_INVALID_PARAMETER);
  }
  const DWORD rights = MapManagerRights(access);
  if (!state_.options.elevated && (rights & ~kManagerUserRights) != 0) return FailNull(ERROR_ACCESS_DENIED);
  auto manager = std::make_shared<ManagerObject>();
  manager->access = rights;
  return static_cast<SC_HANDLE>(handles_.Insert(std::move(manager)));
}

SC_HANDLE Services::OpenServiceW(SC_HANDLE managerHandle, LPCWSTR serviceName, DWORD access) {
  RoundTrip();
  ++serviceOpens_;
  lastServiceAccess_ = access;
  lastServiceName_ = serviceName != nullptr ? serviceName : L"";
  const auto manager = handles_.Get<ManagerObject>(managerHandle);
  if (!manager) return FailNull(ERROR_INVALID_HANDLE);
  if ((manager->access & SC_MANAGER_CONNECT) == 0) return FailNull(ERROR_ACCESS_DENIED);
  if (serviceName == nullptr) return FailNull(ERROR_INVALID_PARAMETER);
  const auto it = services_.find(FoldCase(serviceName));
  if (it == services_.end()) return FailNull(ERROR_SERVICE_DOES_NOT_EXIST);
  const DWORD rights = MapServiceRights(access);
  if (!state_.options.elevated && (rights & ~kServiceUserRights) != 0) return FailNull(ERROR_ACCESS_DENIED);
  auto object = std::make_shared<ServiceHandleObject>();
  object->service = it->second;
  object->access = rights;
  return static_cast<SC_HANDLE>(handles_.Insert(std::move(object)));
}

BOOL Services::QueryServiceStatus(SC_HANDLE handle, LPSERVICE_STATUS status) {
  RoundTrip();
  const auto service = ServiceOf(handle, SERVICE_QUERY_STATUS);
  if (!service) return FALSE;
  if (status == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (service->queryStatusError != 0) return Fail(service->queryStatusError);
  FillStatus(*service, status);
  return TRUE;
}

BOOL Services::QueryServiceConfigW(SC_HANDLE handle, LPQUERY_SERVICE_CONFIGW config, DWORD bufferSize,
                                   LPDWORD bytesNeeded) {
  RoundTrip();
  const auto service = ServiceOf(handle, SERVICE_QUERY_CONFIG);
  if (!service) return FALSE;
  if (bytesNeeded == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (service->queryConfigError != 0) return Fail(service->queryConfigError);
  // The texts follow the record in the caller's buffer, as the platform lays them out.
  const std::wstring binaryPath = L"C:\\Windows\\system32\\svchost.exe -k imgsvc";
  const std::wstring group;
  const std::wstring dependencies = std::wstring(L"RpcSs") + L'\0';  // a list: one more NUL ends it
  const std::wstring account = L"LocalSystem";
  const std::wstring* texts[] = {&binaryPath, &group, &dependencies, &account, &service->displayName};
  size_t needed = sizeof(QUERY_SERVICE_CONFIGW);
  for (const auto* text : texts) needed += (text->size() + 1) * sizeof(WCHAR);
  *bytesNeeded = static_cast<DWORD>(needed);
  if (config == nullptr || bufferSize < needed) return Fail(ERROR_INSUFFICIENT_BUFFER);
  auto* cursor = reinterpret_cast<WCHAR*>(reinterpret_cast<BYTE*>(config) + sizeof(QUERY_SERVICE_CONFIGW));
  LPWSTR placed[5];
  for (size_t i = 0; i < 5; ++i) {
    placed[i] = cursor;
    texts[i]->copy(cursor, texts[i]->size());
    cursor[texts[i]->size()] = L'\0';
    cursor += texts[i]->size() + 1;
  }
  config->dwServiceType = SERVICE_WIN32_SHARE_PROCESS;
  config->dwStartType = service->startType;
  config->dwErrorControl = SERVICE_ERROR_NORMAL;
  config->lpBinaryPathName = placed[0];
  config->lpLoadOrderGroup = placed[1];
  config->dwTagId = 0;
  config->lpDependencies = placed[2];
  config->lpServiceStartName = placed[3];
  config->lpDisplayName = placed[4];
  return TRUE;
}

BOOL Services::ChangeServiceConfigW(SC_HANDLE handle, DWORD serviceType, DWORD startType, DWORD errorControl,
                                    LPCWSTR binaryPathName, LPCWSTR loadOrderGroup, LPDWORD tagId, LPCWSTR,
                                    LPCWSTR serviceStartName, LPCWSTR password, LPCWSTR displayName) {
  RoundTrip();
  const auto service = ServiceOf(handle, SERVICE_CHANGE_CONFIG);
  if (!service) return FALSE;
  // Only the start type is modelled; a request to change anything else is refused rather than ignored.
  const bool otherChanges = serviceType != SERVICE_NO_CHANGE || errorControl != SERVICE_NO_CHANGE ||
                            binaryPathName != nullptr || loadOrderGroup != nullptr || tagId != nullptr ||
                            serviceStartName != nullptr || password != nullptr || displayName != nullptr;
  if (otherChanges) return Fail(ERROR_INVALID_PARAMETER);
  // Boot and system start belong to drivers; a shared-process service takes automatic, demand or disabled.
  const bool validStart = startType == SERVICE_NO_CHANGE || startType == SERVICE_AUTO_START ||
                          startType == SERVICE_DEMAND_START || startType == SERVICE_DISABLED;
  if (!validStart) return Fail(ERROR_INVALID_PARAMETER);
  if (service->changeConfigError != 0) return Fail(service->changeConfigError);
  if (startType != SERVICE_NO_CHANGE) service->startType = startType;
  ++service->configChanges;
  return TRUE;
}

BOOL Services::ControlService(SC_HANDLE handle, DWORD control, LPSERVICE_STATUS status) {
  RoundTrip();
  if (status == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (control != SERVICE_CONTROL_STOP) return Fail(ERROR_INVALID_SERVICE_CONTROL);
  const auto service = ServiceOf(handle, SERVICE_STOP);
  if (!service) return FALSE;
  ++service->stopControls;
  // The platform fills the status for these refusals too.
  if (service->state == SERVICE_STOPPED) {
    FillStatus(*service, status);
    return Fail(ERROR_SERVICE_NOT_ACTIVE);
  }
  if (service->state != SERVICE_RUNNING) {
    FillStatus(*service, status);
    return Fail(ERROR_SERVICE_CANNOT_ACCEPT_CTRL);
  }
  if (service->stopControlError != 0) return Fail(service->stopControlError);
  service->state = SERVICE_STOP_PENDING;
  service->targetState = SERVICE_STOPPED;
  service->waitHint = service->stopWaitHintMs;
  service->checkPoint = 1;
  service->transitionAt =
      service->stopTakesMs ? state_.world.scheduler().Now() + *service->stopTakesMs : kForever;
  FillStatus(*service, status);
  return TRUE;
}

BOOL Services::StartServiceW(SC_HANDLE handle, DWORD argumentCount, LPCWSTR* arguments) {
  RoundTrip();
  const auto service = ServiceOf(handle, SERVICE_START);
  if (!service) return FALSE;
  if (argumentCount != 0 && arguments == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  ++service->startRequests;
  if (service->startType == SERVICE_DISABLED) return Fail(ERROR_SERVICE_DISABLED);
  if (service->state != SERVICE_STOPPED) return Fail(ERROR_SERVICE_ALREADY_RUNNING);
  if (service->startError != 0) return Fail(service->startError);
  service->state = SERVICE_START_PENDING;
  service->targetState = service->stopsAgainAfterStart ? SERVICE_STOPPED : SERVICE_RUNNING;
  service->waitHint = service->startWaitHintMs;
  service->checkPoint = 1;
  service->transitionAt =
      service->startTakesMs ? state_.world.scheduler().Now() + *service->startTakesMs : kForever;
  return TRUE;
}

BOOL Services::CloseServiceHandle(SC_HANDLE handle) {
  if (!handles_.Close(handle)) return Fail(ERROR_INVALID_HANDLE);
  return TRUE;
}

// Memory that is not asked to be zeroed is filled with a pattern, so a reader that relies on zeros is seen.
HLOCAL Services::LocalAlloc(UINT flags, SIZE_T bytes) {
  if ((flags & ~LMEM_ZEROINIT) != LMEM_FIXED) return FailNull(ERROR_INVALID_PARAMETER);
  if (failAllocations_) return FailNull(ERROR_NOT_ENOUGH_MEMORY);
  void* memory = std::malloc(bytes == 0 ? 1 : bytes);
  if (memory == nullptr) return FailNull(ERROR_NOT_ENOUGH_MEMORY);
  std::memset(memory, (flags & LMEM_ZEROINIT) != 0 ? 0 : 0xA5, bytes);
  allocations_[memory] = bytes;
  return memory;
}

HLOCAL Services::LocalFree(HLOCAL memory) {
  if (memory == nullptr) return nullptr;
  if (allocations_.erase(memory) != 1) {
    Fail(ERROR_INVALID_HANDLE);
    return memory;
  }
  std::free(memory);
  return nullptr;
}

}  // namespace simhost
