// The end of the Windows session: held off while an update burns firmware; otherwise allowed, with the
// imaging service and the locks given back first.
#include "app/string_table.h"
#include "app/time_limits.h"
#include "host/wia_control.h"
#include "res/string_ids.h"
#include "ui/fwupdate_dlg.h"

void CFWUpdateDlg::BlockShutdown(const std::wstring& reason) {
  Host().windows.SendMessageW(m_hWnd, kBlockShutdownMessage, 0, reinterpret_cast<LPARAM>(reason.c_str()));
}

void CFWUpdateDlg::UnblockShutdown() { Host().windows.SendMessageW(m_hWnd, kUnblockShutdownMessage, 0, 0); }

// An interrupted burn can leave the scanner unusable: no log-off, restart or shutdown while one runs.
INT_PTR CFWUpdateDlg::OnQueryEndSession() {
  if (!AnySlotBusy()) return FALSE;  // default processing: the session may end
  Host().windows.SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, FALSE);
  return TRUE;
}

// Windows ends the program at any moment after this returns, without the cancel path: the service must not stay
// disabled and no lock may outlive us. A stop thread may be disabling the service at this very moment, so the
// gate is shut first (after a disable under way has been written); the automatic start written then is the
// last word. Starting the service is left to the next boot; the session is going away. This holds during an
// update too: the session ends anyway when the user chose to end it regardless of the block.
void CFWUpdateDlg::OnEndSession(bool ending) {
  if (!ending) return;
  plat::Host& host = Host();
  m_disableGate.Shut(host, limits::kDisableGateShutLimitMs);
  {
    CWIAControl wia(host);
    if (wia.SetStartType(SERVICE_AUTO_START)) {
      m_serviceGuard.GivenBack();
    } else {
      PostStatus(0, app::LoadStringById(host, IDS_START_WIA_FAILED));
    }
  }
  ReleaseScanAppMutexes();
  if (m_pRunObserver != nullptr) m_pRunObserver->OnSessionEnding();
}
