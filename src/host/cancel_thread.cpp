// The cancel thread: waits for the other workers, gives the still-image service back (automatic start,
// running), releases the scan-application locks and ends the window.
#include "app/console_log.h"
#include "app/settings.h"
#include "app/string_table.h"
#include "host/held_worker.h"
#include "host/wia_control.h"
#include "res/string_ids.h"
#include "ui/fwupdate_dlg.h"

namespace {

constexpr int kWaitSteps = 100;
constexpr DWORD kWaitStepMs = 1000;
// A stop thread still running after the steps is held by a scanner that does not answer; the window must not end
// under it, so it is awaited further, its held requests cancelled, as long as the ready wait's limit.
constexpr DWORD kHeldWorkerLimitMs = 600000;

// The handle stays in its member while it is waited for: a thread that looks at the member meanwhile must still
// find the thread there. Afterwards it is cleared only if it is still the same one, and closed by whoever
// cleared it.
void WaitForUpdateThreads(CFWUpdateDlg& dialog) {
  plat::IKernel& kernel = dialog.Host().kernel;
  for (auto& slot : dialog.m_slots) {
    const HANDLE thread = slot.hUpdateThread.Load();
    if (thread == nullptr) continue;
    for (int step = 0; step < kWaitSteps && kernel.WaitForSingleObject(thread, kWaitStepMs) == WAIT_TIMEOUT; ++step) {
    }
    slot.hUpdateThread.CloseIfStillHeld(thread);
  }
}

void WaitForStopThread(CFWUpdateDlg& dialog) {
  plat::Host& host = dialog.Host();
  const HANDLE thread = dialog.m_hStopThread.Load();
  if (thread == nullptr) return;
  bool timedOut = true;
  for (int step = 0; step < kWaitSteps; ++step) {
    const DWORD result = host.kernel.WaitForSingleObject(thread, kWaitStepMs);
    if (result == WAIT_TIMEOUT) {
      app::ConsolePrint(host, L"[Cancel Thread] Closed WIA Thread return wait time out!!\n");
      host.time.Sleep(kWaitStepMs);
      continue;
    }
    timedOut = false;
    if (result == WAIT_OBJECT_0) {
      app::ConsolePrint(host, L"[Cancel Thread] Closed WIA Thread return TRUE!!\n");
    } else if (result == WAIT_FAILED) {
      app::ConsolePrint(host, L"[Cancel Thread] Closed WIA Thread return Wait failed!! ErrorCode (0x%x)\n",
                        host.kernel.GetLastError());
    } else {
      app::ConsolePrint(host, L"[Cancel Thread] Closed WIA Thread return Unknow error(%u)\n", result);
    }
    break;
  }
  if (timedOut) {
    app::ConsolePrint(host, L"[Cancel Thread] Closed WIA Thread is held by the device: its request is cancelled\n");
    if (!AwaitHeldWorker(host, thread, kHeldWorkerLimitMs)) {
      app::ConsolePrint(host, L"[Cancel Thread] Closed WIA Thread did not end!!\n");
    }
  }
  dialog.m_hStopThread.CloseIfStillHeld(thread);
}

}  // namespace

DWORD WINAPI Thread_Cancel(LPVOID parameter) {
  auto* dialog = static_cast<CFWUpdateDlg*>(parameter);
  plat::Host& host = dialog->Host();
  app::ApplyConfiguredLanguage(host);
  WaitForUpdateThreads(*dialog);
  WaitForStopThread(*dialog);

  {
    // Its service handles are closed before the window ends: once it has, the program may end at any moment.
    CWIAControl wia(host);
    dialog->PostStatus(0, app::LoadStringById(host, IDS_START_WIA));
    if (!wia.Start()) dialog->PostStatus(0, app::LoadStringById(host, IDS_START_WIA_FAILED));
  }
  dialog->ReleaseScanAppMutexes();
  dialog->EndDialog(IDCANCEL);
  return 0;
}
