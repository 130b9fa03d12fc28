#include "host/service_guard.h"

#include <string>

#include "app/console_log.h"
#include "host/guard_switch.h"
#include "host/start_up_entry.h"

namespace {

// Tried in this order: a deployment agent's job that ends its whole tree must not take the guard with it; a
// job that does not allow breaking away refuses the first, and a guard inside the job still covers a crash.
constexpr DWORD kGuardFlags[] = {CREATE_BREAKAWAY_FROM_JOB | CREATE_NO_WINDOW, CREATE_NO_WINDOW};

}  // namespace

bool ServiceGuard::GuardRunning() {
  return m_hGuard && m_host.kernel.WaitForSingleObject(m_hGuard.Get(), 0) == WAIT_TIMEOUT;
}

void ServiceGuard::Arm() {
  if (m_hGivenBack) m_host.kernel.ResetEvent(m_hGivenBack.Get());
  if (!GuardRunning() && !StartGuard()) {
    const DWORD error = m_host.kernel.GetLastError();
    m_hGivenBack.Reset();  // nobody to tell
    app::ConsolePrint(m_host, L"[Guard] Not started (%u): the service is given back only by this program\n", error);
  }
  if (!guard::WriteStartUpEntry(m_host)) app::ConsolePrint(m_host, L"[Guard] Start-up entry not written\n");
}

void ServiceGuard::GivenBack() {
  if (m_hGivenBack) m_host.kernel.SetEvent(m_hGivenBack.Get());
  guard::RemoveStartUpEntry(m_host);
}

// The guard inherits nothing: a scan-application lock held at that moment must not outlive the tool in it. It
// finds the tool by its process id and the event by the name made from that id.
bool ServiceGuard::StartGuard() {
  plat::IKernel& kernel = m_host.kernel;
  const DWORD self = kernel.GetCurrentProcessId();
  if (!m_hGivenBack) {
    m_hGivenBack.Reset(kernel.CreateEventW(nullptr, TRUE, FALSE, guard::GivenBackEventName(self).c_str()));
    if (!m_hGivenBack) return false;
  }
  std::wstring commandLine = guard::GuardCommandLine(m_host, guard::ToolArgument(self));
  for (const DWORD flags : kGuardFlags) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    if (!m_host.process.CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr,
                                       &startup, &started)) {
      if (kernel.GetLastError() == ERROR_ACCESS_DENIED) continue;
      return false;
    }
    kernel.CloseHandle(started.hThread);
    m_hGuard.Reset(started.hProcess);
    return true;
  }
  return false;
}
