// A stand-in for the still-image service "stisvc" in the Wine prefix: Wine's own one does not stay running.
// It runs until it is told to stop, so the tool's stop, disable, automatic start and start all have a real
// service to act on.
#include <windows.h>

namespace {

// A stand-in left behind in a prefix nobody stops ends itself within the hour.
constexpr DWORD kLifetimeLimitMs = 3600000;

SERVICE_STATUS_HANDLE g_status = nullptr;
HANDLE g_stop = nullptr;

void Report(DWORD state, DWORD waitHintMs) {
  SERVICE_STATUS status{};
  status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status.dwCurrentState = state;
  status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
  status.dwWaitHint = waitHintMs;
  SetServiceStatus(g_status, &status);
}

DWORD WINAPI Handler(DWORD control, DWORD, void*, void*) {
  if (control == SERVICE_CONTROL_STOP) {
    // A short hint: the tool sleeps it between status reads.
    Report(SERVICE_STOP_PENDING, 500);
    SetEvent(g_stop);
    return NO_ERROR;
  }
  return control == SERVICE_CONTROL_INTERROGATE ? NO_ERROR : ERROR_CALL_NOT_IMPLEMENTED;
}

void WINAPI ServiceMain(DWORD, LPWSTR*) {
  g_status = RegisterServiceCtrlHandlerExW(L"stisvc", Handler, nullptr);
  if (g_status == nullptr) return;
  g_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (g_stop == nullptr) {
    Report(SERVICE_STOPPED, 0);
    return;
  }
  Report(SERVICE_RUNNING, 0);
  WaitForSingleObject(g_stop, kLifetimeLimitMs);
  Report(SERVICE_STOPPED, 0);
}

}  // namespace

int wmain() {
  wchar_t name[] = L"stisvc";
  const SERVICE_TABLE_ENTRYW table[] = {{name, ServiceMain}, {nullptr, nullptr}};
  return StartServiceCtrlDispatcherW(table) ? 0 : 1;
}
