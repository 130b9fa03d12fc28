// The search thread: the device search Search Device asks for, away from the window's thread, its result handed
// to the window when it ends.
#include "app/settings.h"
#include "ui/fwupdate_dlg.h"

DWORD WINAPI Thread_Search(LPVOID parameter) {
  auto* dialog = static_cast<CFWUpdateDlg*>(parameter);
  plat::Host& host = dialog->Host();
  app::ApplyConfiguredLanguage(host);
  const int result = dialog->GetDeviceStatus(SearchOrigin::kOther, 2);
  // The session ended while the search ran: the window has given every lock back, and the Quenby lock this
  // search may have taken since must not outlive it.
  if (dialog->m_disableGate.IsShut()) dialog->ReleaseScanAppMutexes();
  host.kernel.SwitchPoint();
  dialog->RunOnWindowThread([dialog, result] { dialog->OnSearchEnded(result); });
  return 0;
}
