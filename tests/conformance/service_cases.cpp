// The still-image service as the program drives it: its start type changed and read back through the
// configuration query's two-call size protocol, stopped and started, and left as it was found.
#include "checks.h"

namespace conformance {
namespace {

// The program's access to the manager and the service.
constexpr DWORD kFullAccess = 0xF003F;
// A stop or start takes a second or two under Wine (a service process ends or starts); virtual in the
// simulated host. Polled at the service's own pace.
constexpr DWORD kStateLimitMs = 20000;
constexpr DWORD kPollMs = 50;

DWORD StartTypeOf(Context& t, SC_HANDLE service) {
  DWORD needed = 0;
  t.host.services.QueryServiceConfigW(service, nullptr, 0, &needed);
  auto* config = static_cast<QUERY_SERVICE_CONFIGW*>(t.host.services.LocalAlloc(LMEM_FIXED, needed));
  if (config == nullptr) return 0;
  const DWORD startType = t.host.services.QueryServiceConfigW(service, config, needed, &needed) ? config->dwStartType : 0;
  t.host.services.LocalFree(config);
  return startType;
}

BOOL SetStartType(Context& t, SC_HANDLE service, DWORD startType) {
  return t.host.services.ChangeServiceConfigW(service, SERVICE_NO_CHANGE, startType, SERVICE_NO_CHANGE, nullptr,
                                              nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
}

// The state the service settles in, or the last one seen when the bound passes.
DWORD AwaitState(Context& t, SC_HANDLE service, DWORD wanted) {
  const DWORD start = t.host.time.GetTickCount();
  SERVICE_STATUS status{};
  for (;;) {
    if (!t.host.services.QueryServiceStatus(service, &status)) return 0;
    if (status.dwCurrentState == wanted || TicksSince(start, t.host.time.GetTickCount()) >= kStateLimitMs) {
      return status.dwCurrentState;
    }
    t.host.time.Sleep(kPollMs);
  }
}

}  // namespace

void test_stisvc_config_and_state(Context& t) {
  const SC_HANDLE manager = t.host.services.OpenSCManagerW(nullptr, nullptr, kFullAccess);
  ok(manager != nullptr, "OpenSCManagerW: got %p, error %lu\n", static_cast<void*>(manager),
     ul(t.host.kernel.GetLastError()));
  if (manager == nullptr) return;
  const SC_HANDLE service = t.host.services.OpenServiceW(manager, L"stisvc", kFullAccess);
  if (service == nullptr) {
    skip("stisvc cannot be opened (error %lu)\n", ul(t.host.kernel.GetLastError()));
    t.host.services.CloseServiceHandle(manager);
    return;
  }

  // The size protocol: too small a buffer fails and says how many bytes the configuration needs.
  DWORD needed = 0xdeadbeef;
  t.host.kernel.SetLastError(0xdeadbeef);
  BOOL done = t.host.services.QueryServiceConfigW(service, nullptr, 0, &needed);
  DWORD error = t.host.kernel.GetLastError();
  ok(!done && error == ERROR_INSUFFICIENT_BUFFER, "no buffer: got %d, error %lu\n", done, ul(error));
  ok(needed > sizeof(QUERY_SERVICE_CONFIGW) && needed != 0xdeadbeef, "no buffer: got %lu bytes needed\n", ul(needed));
  QUERY_SERVICE_CONFIGW small{};
  DWORD neededAgain = 0;
  t.host.kernel.SetLastError(0xdeadbeef);
  done = t.host.services.QueryServiceConfigW(service, &small, sizeof small, &neededAgain);
  error = t.host.kernel.GetLastError();
  ok(!done && error == ERROR_INSUFFICIENT_BUFFER, "fixed part only: got %d, error %lu\n", done, ul(error));
  ok(neededAgain == needed, "fixed part only: got %lu bytes needed, %lu before\n", ul(neededAgain), ul(needed));
  const DWORD original = StartTypeOf(t, service);
  ok(original == SERVICE_AUTO_START || original == SERVICE_DEMAND_START, "start type found: got %lu\n",
     ul(original));
  const DWORD originalState = AwaitState(t, service, SERVICE_RUNNING);
  ok(originalState == SERVICE_RUNNING, "state found: got %lu\n", ul(originalState));

  // Disabled, as the program leaves it during an update.
  done = SetStartType(t, service, SERVICE_DISABLED);
  ok(done, "ChangeServiceConfigW to disabled: got %d, error %lu\n", done, ul(t.host.kernel.GetLastError()));
  DWORD startType = StartTypeOf(t, service);
  ok(startType == SERVICE_DISABLED, "start type after the change: got %lu\n", ul(startType));

  SERVICE_STATUS status{};
  t.host.kernel.SetLastError(0xdeadbeef);
  done = t.host.services.ControlService(service, SERVICE_CONTROL_STOP, &status);
  error = t.host.kernel.GetLastError();
  ok(done, "stop control: got %d, error %lu\n", done, ul(error));
  ok(status.dwCurrentState == SERVICE_STOP_PENDING || status.dwCurrentState == SERVICE_STOPPED,
     "stop control: got state %lu\n", ul(status.dwCurrentState));
  DWORD state = AwaitState(t, service, SERVICE_STOPPED);
  ok(state == SERVICE_STOPPED, "after the stop: got state %lu\n", ul(state));
  t.host.kernel.SetLastError(0xdeadbeef);
  done = t.host.services.ControlService(service, SERVICE_CONTROL_STOP, &status);
  error = t.host.kernel.GetLastError();
  ok(!done && error == ERROR_SERVICE_NOT_ACTIVE, "stop of a stopped service: got %d, error %lu\n", done, ul(error));
  t.host.kernel.SetLastError(0xdeadbeef);
  done = t.host.services.StartServiceW(service, 0, nullptr);
  error = t.host.kernel.GetLastError();
  ok(!done && error == ERROR_SERVICE_DISABLED, "start while disabled: got %d, error %lu\n", done, ul(error));

  // Given back: the start type it had, and running.
  done = SetStartType(t, service, original);
  ok(done, "ChangeServiceConfigW back: got %d, error %lu\n", done, ul(t.host.kernel.GetLastError()));
  startType = StartTypeOf(t, service);
  ok(startType == original, "start type given back: got %lu, had %lu\n", ul(startType), ul(original));
  t.host.kernel.SetLastError(0xdeadbeef);
  done = t.host.services.StartServiceW(service, 0, nullptr);
  ok(done, "start: got %d, error %lu\n", done, ul(t.host.kernel.GetLastError()));
  state = AwaitState(t, service, SERVICE_RUNNING);
  ok(state == SERVICE_RUNNING, "after the start: got state %lu\n", ul(state));
  t.host.kernel.SetLastError(0xdeadbeef);
  done = t.host.services.StartServiceW(service, 0, nullptr);
  error = t.host.kernel.GetLastError();
  ok(!done && error == ERROR_SERVICE_ALREADY_RUNNING, "start of a running service: got %d, error %lu\n", done,
     ul(error));
  t.host.services.CloseServiceHandle(service);
  t.host.services.CloseServiceHandle(manager);
}

}  // namespace conformance
