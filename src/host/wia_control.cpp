#include "host/wia_control.h"

#include <algorithm>
#include <cstring>

#include "app/console_log.h"
#include "app/time_limits.h"
#include "platform/local_memory.h"

namespace {

constexpr const wchar_t* kServiceName = L"stisvc";
constexpr const wchar_t* kRunningTestName = L"STISVC";
// All rights on the manager; on the service the standard rights with query and change configuration, query
// status, enumerate dependents, start and stop.
constexpr DWORD kFullAccess = 0xF003F;
// Stop, start, query status and change configuration.
constexpr DWORD kRunningTestAccess = 0x36;

}  // namespace

CWIAControl::CWIAControl(plat::Host& host) : m_hSCManager(host.services), m_hService(host.services), m_host(host) {}

void CWIAControl::CloseHandles() {
  m_hService.Reset();
  m_hSCManager.Reset();
}

BOOL CWIAControl::QueryStatus(LPSERVICE_STATUS status) {
  if (status == nullptr) return FALSE;
  if (!m_hSCManager) {
    m_hSCManager.Reset(m_host.services.OpenSCManagerW(nullptr, nullptr, kFullAccess));
    if (!m_hSCManager) return FALSE;
  }
  if (!m_hService) {
    m_hService.Reset(m_host.services.OpenServiceW(m_hSCManager.Get(), kServiceName, kFullAccess));
    if (!m_hService) {
      CloseHandles();
      return FALSE;
    }
  }
  m_status = SERVICE_STATUS{};
  if (!m_host.services.QueryServiceStatus(m_hService.Get(), &m_status)) {
    CloseHandles();
    return FALSE;
  }
  *status = m_status;
  return TRUE;
}

BOOL CWIAControl::IsRunning() {
  if (!m_hSCManager) {
    m_hSCManager.Reset(m_host.services.OpenSCManagerW(nullptr, nullptr, GENERIC_EXECUTE));
    if (!m_hSCManager) return FALSE;
  }
  if (!m_hService) {
    m_hService.Reset(m_host.services.OpenServiceW(m_hSCManager.Get(), kRunningTestName, kRunningTestAccess));
    if (!m_hService) {
      CloseHandles();
      return FALSE;
    }
  }
  m_status = SERVICE_STATUS{};
  const BOOL read = m_host.services.QueryServiceStatus(m_hService.Get(), &m_status);
  CloseHandles();
  return read && m_status.dwCurrentState == SERVICE_RUNNING;
}

HLOCAL CWIAControl::ReadConfig(bool zeroFill) {
  if (!m_hSCManager || !m_hService) QueryStatus(&m_status);
  if (!m_hSCManager || !m_hService) return nullptr;

  plat::IServices& services = m_host.services;
  DWORD needed = 0;
  if (!services.QueryServiceConfigW(m_hService.Get(), nullptr, 0, &needed)) {
    const DWORD error = m_host.kernel.GetLastError();
    if (error != ERROR_INSUFFICIENT_BUFFER) {
      app::ConsolePrint(m_host, L"QueryServiceConfig failed (%d)", static_cast<int>(error));
      return nullptr;
    }
  }
  plat::UniqueLocalMemory config(services, services.LocalAlloc(LMEM_FIXED, needed));
  if (config.Get() == nullptr) {
    app::ConsolePrint(m_host, L"Memory allocation failed\n");
    return nullptr;
  }
  if (zeroFill) std::memset(config.Get(), 0, needed);
  if (!services.QueryServiceConfigW(m_hService.Get(), static_cast<LPQUERY_SERVICE_CONFIGW>(config.Get()), needed,
                                    &needed)) {
    app::ConsolePrint(m_host, L"QueryServiceConfig failed (%d)", static_cast<int>(m_host.kernel.GetLastError()));
    return nullptr;
  }
  return config.Detach();
}

BOOL CWIAControl::IsDisabled() {
  const plat::UniqueLocalMemory config(m_host.services, ReadConfig(false));
  if (config.Get() == nullptr) return FALSE;
  return static_cast<const QUERY_SERVICE_CONFIGW*>(config.Get())->dwStartType == SERVICE_DISABLED;
}

BOOL CWIAControl::SetStartType(DWORD startType) {
  const plat::UniqueLocalMemory config(m_host.services, ReadConfig(true));
  if (config.Get() == nullptr) return FALSE;
  const DWORD wanted = startType & 0xFFu;
  if (static_cast<const QUERY_SERVICE_CONFIGW*>(config.Get())->dwStartType == wanted) return TRUE;
  return m_host.services.ChangeServiceConfigW(m_hService.Get(), SERVICE_NO_CHANGE, wanted, SERVICE_NO_CHANGE, nullptr,
                                              nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
}

// A wait hint far beyond the time left (or INFINITE from a misbehaving service) would hold the caller past
// its own limit, so the sleep ends with the limit at the latest.
void CWIAControl::SleepWaitHint(DWORD startTick, DWORD limitMs) {
  const DWORD elapsed = TicksSince(startTick, m_host.time.GetTickCount());
  const DWORD left = elapsed < limitMs ? limitMs - elapsed : 0;
  m_host.time.Sleep(std::min(m_status.dwWaitHint, left));
}

// The stop control goes out in every pass and the results of both calls are not looked at: the state read
// decides. The limit is elapsed ticks, so it holds across the tick count's wrap.
BOOL CWIAControl::Stop(DisableGate* gate) {
  BOOL result = QueryStatus(&m_status);
  const DWORD startTick = m_host.time.GetTickCount();
  if (result && m_status.dwCurrentState == SERVICE_RUNNING) {
    for (;;) {
      m_host.services.ControlService(m_hService.Get(), SERVICE_CONTROL_STOP, &m_status);
      m_host.services.QueryServiceStatus(m_hService.Get(), &m_status);
      if (TicksSince(startTick, m_host.time.GetTickCount()) >= limits::kServiceStopLimitMs) {
        result = FALSE;
        break;
      }
      SleepWaitHint(startTick, limits::kServiceStopLimitMs);
      if (m_status.dwCurrentState == SERVICE_STOPPED) {
        result = TRUE;
        break;
      }
    }
  }
  if (gate != nullptr && !gate->BeginDisable()) return result;  // the session is ending: no disable any more
  const BOOL disabled = SetStartType(SERVICE_DISABLED);
  if (gate != nullptr) gate->EndDisable();
  return disabled && result;
}

BOOL CWIAControl::WaitUntilRunning() {
  const DWORD startTick = m_host.time.GetTickCount();
  BOOL read = m_host.services.QueryServiceStatus(m_hService.Get(), &m_status);
  while (read) {
    if (TicksSince(startTick, m_host.time.GetTickCount()) >= limits::kServiceStartLimitMs) {
      return m_status.dwCurrentState == SERVICE_RUNNING;
    }
    SleepWaitHint(startTick, limits::kServiceStartLimitMs);
    if (m_status.dwCurrentState == SERVICE_RUNNING) break;
    read = m_host.services.QueryServiceStatus(m_hService.Get(), &m_status);
  }
  return TRUE;
}

// A stop still under way (one that outlasted our own stop's limit) would otherwise leave the service stopped
// behind us: it is awaited, as long as a stop may take, before deciding whether to start.
BOOL CWIAControl::QueryStatusAfterPendingStop(LPSERVICE_STATUS status) {
  if (!QueryStatus(status)) return FALSE;
  const DWORD startTick = m_host.time.GetTickCount();
  while (status->dwCurrentState == SERVICE_STOP_PENDING &&
         TicksSince(startTick, m_host.time.GetTickCount()) < limits::kServiceStopLimitMs) {
    m_host.time.Sleep(std::clamp(status->dwWaitHint, limits::kStopPendingPollMinMs, limits::kStopPendingPollMaxMs));
    if (!QueryStatus(status)) return FALSE;
  }
  return TRUE;
}

BOOL CWIAControl::Start() {
  if (!SetStartType(SERVICE_AUTO_START)) return FALSE;
  if (!QueryStatusAfterPendingStop(&m_status) || m_status.dwCurrentState != SERVICE_STOPPED) return TRUE;
  if (!m_host.services.StartServiceW(m_hService.Get(), 0, nullptr)) return FALSE;
  return WaitUntilRunning();
}
