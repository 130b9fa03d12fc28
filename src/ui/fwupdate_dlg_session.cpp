// The end of the Windows session: held off while an update burns firmware; otherwise allowed, with the
// imaging service and the locks given back first.
#include "host/wia_control.h"
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

// Windows ends the program after this returns, without the cancel path: the service must not stay disabled
// and no lock may outlive us. Starting the service is left to the next boot (automatic start); the session is
// going away.
void CFWUpdateDlg::OnEndSession(bool ending) {
  if (!ending || AnySlotBusy()) return;
  CWIAControl wia(Host());
  wia.SetStartType(SERVICE_AUTO_START);
  ReleaseScanAppMutexes();
}
