// The cancel thread: waits for the other workers, gives the still-image service back (automatic start,
// running), releases the scan-application locks and ends the window.
#include "app/console_log.h"
#include "app/settings.h"
#include "app/string_table.h"
#include "app/time_limits.h"
#include "host/held_worker.h"
#include "host/wia_control.h"
#include "res/string_ids.h"
#include "ui/fwupdate_dlg.h"

namespace {

// The handle stays in its member while it is waited for: a thread that looks at the member meanwhile must still
// find the thread there. Afterwards it is cleared only if it is still the same one, and closed by whoever
// cleared it.
void WaitForUpdateThreads(CFWUpdateDlg& dialog) {
  plat::IKernel& kernel = dialog.Host().kernel;
  for (auto& slot : dialog.m_slots) {
    const HANDLE thread = slot.hUpdateThread.Load();
    if (thread == nullptr) continue;
    for (int step = 0; step < limits::kCancelWaitSteps; ++step) {
      if (kernel.WaitForSingleObject(thread, limits::kCancelWaitStepMs) != WAIT_TIMEOUT) break;
    }
    slot.hUpdateThread.CloseIfStillHeld(thread);
  }
}

void WaitForStopThread(CFWUpdateDlg& dialog) {
  plat::Host& host = dialog.Host();
  const HANDLE thread = dialog.m_hStopThread.Load();
  if (thread == nullptr) return;
  bool timedOut = true;
  for (int step = 0; step < limits::kCancelWaitSteps; ++step) {
    const DWORD result = host.kernel.WaitForSingleObject(thread, limits::kCancelWaitStepMs);
    if (result == WAIT_TIMEOUT) {
      app::ConsolePrint(host, L"[Cancel Thread] Closed WIA Thread return wait time out!!\n");
      host.time.Sleep(limits::kCancelStopThreadPauseMs);
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
  // A stop thread still running after the steps is held by a scanner that does not answer: the window must not end
  // under it.
  if (timedOut) {
    app::ConsolePrint(host, L"[Cancel Thread] Closed WIA Thread is held by the device: its request is cancelled\n");
    if (!AwaitHeldWorker(host, thread, limits::kHeldStopThreadLimitMs)) {
      app::ConsolePrint(host, L"[Cancel Thread] Closed WIA Thread did not end!!\n");
    }
  }
  dialog.m_hStopThread.CloseIfStillHeld(thread);
}

// First of all: a search may start a stop thread, which must be waited for in turn. Its requests are cancelled at
// once rather than waited out, since the user asked to leave and a search's outcome is worth nothing now.
void WaitForSearchThread(CFWUpdateDlg& dialog) {
  plat::Host& host = dialog.Host();
  const HANDLE thread = dialog.m_hSearchThread.Load();
  if (thread == nullptr) return;
  if (!AwaitHeldWorker(host, thread, limits::kHeldStopThreadLimitMs)) {
    app::ConsolePrint(host, L"[Cancel Thread] Search Thread did not end!!\n");
  }
  dialog.m_hSearchThread.CloseIfStillHeld(thread);
}

}  // namespace

DWORD WINAPI Thread_Cancel(LPVOID parameter) {
  auto* dialog = static_cast<CFWUpdateDlg*>(parameter);
  plat::Host& host = dialog->Host();
  app::ApplyConfiguredLanguage(host);
  WaitForSearchThread(*dialog);
  WaitForUpdateThreads(*dialog);
  WaitForStopThread(*dialog);

  {
    // Its service handles are closed before the window ends: once it has, the program may end at any moment.
    CWIAControl wia(host);
    dialog->PostStatus(0, app::LoadStringById(host, IDS_START_WIA));
    if (wia.Start()) {
      dialog->m_serviceGuard.GivenBack();
    } else {
      dialog->PostStatus(0, app::LoadStringById(host, IDS_START_WIA_FAILED));
    }
  }
  dialog->ReleaseScanAppMutexes();
  dialog->EndDialog(IDCANCEL);
  return 0;
}
