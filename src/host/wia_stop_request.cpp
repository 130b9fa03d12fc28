// The imaging-service stop request: whether the still-image service is stopped and disabled, starting the stop
// thread when it is not. It reads the stop thread's exit code and never waits for it.
#include "app/string_table.h"
#include "host/wia_control.h"
#include "res/string_ids.h"
#include "ui/fwupdate_dlg.h"

namespace {

enum class StopThreadState { kNone, kEnded, kRunning, kUnknown };

// An ended stop thread's handle is closed here; a running one is left alone.
StopThreadState CheckStopThread(CFWUpdateDlg& dialog) {
  plat::IKernel& kernel = dialog.Host().kernel;
  const HANDLE thread = dialog.m_hStopThread.Load();
  if (thread == nullptr) return StopThreadState::kNone;
  DWORD exitCode = 0;
  if (!kernel.GetExitCodeThread(thread, &exitCode)) return StopThreadState::kUnknown;
  if (exitCode == STILL_ACTIVE) return StopThreadState::kRunning;
  dialog.m_hStopThread.CloseIfStillHeld(thread);
  return StopThreadState::kEnded;
}

}  // namespace

BOOL CFWUpdateDlg::CheckWIAClosed(SearchOrigin fromStopThread, int event) {
  plat::Host& host = Host();
  bool stopped = false;
  {
    CWIAControl wia(host);
    stopped = wia.IsDisabled() && !wia.IsRunning();
  }
  if (stopped && fromStopThread == SearchOrigin::kStopThread) return TRUE;
  if (stopped && m_hStopThread.IsEmpty()) return TRUE;

  switch (CheckStopThread(*this)) {
    case StopThreadState::kUnknown:
      SetStatusText(app::LoadStringById(host, IDS_CLOSE_WIA_FAILED));
      return FALSE;
    case StopThreadState::kRunning:
      SetStatusText(app::LoadStringById(host, IDS_CLOSE_WIA));
      return FALSE;
    case StopThreadState::kNone:
    case StopThreadState::kEnded:
      break;
  }
  if (stopped) return TRUE;
  SetStatusText(app::LoadStringById(host, IDS_CLOSE_WIA));
  // Once the session is ending the service has been given back for good: no stop thread may take it again.
  if (!m_disableGate.IsShut()) StartStopThread(event);
  return FALSE;
}
