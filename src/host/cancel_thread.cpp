// The cancel thread: for now it only ends the window; waiting for the workers and giving the imaging service
// and the locks back arrive with the update engine.
#include "app/settings.h"
#include "ui/fwupdate_dlg.h"

DWORD WINAPI Thread_Cancel(LPVOID parameter) {
  auto* dialog = static_cast<CFWUpdateDlg*>(parameter);
  app::ApplyConfiguredLanguage(dialog->Host());
  dialog->EndDialog(IDCANCEL);
  return 0;
}
