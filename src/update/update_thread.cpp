// The update thread. Until the update engine lands it gives the window back as a finished update does:
// the slot is no longer busy, Search Device and Close are enabled and Update is disabled.
#include "app/settings.h"
#include "res/resource.h"
#include "ui/fwupdate_dlg.h"

DWORD WINAPI Thread_VoskUpdate(LPVOID parameter) {
  auto* dialog = static_cast<CFWUpdateDlg*>(parameter);
  const LONG row = dialog->m_nCurrentRow.load();
  app::ApplyConfiguredLanguage(dialog->Host());
  dialog->m_slots[row].bBusy = 0;
  if (!dialog->AnySlotBusy()) {
    dialog->EnableControl(IDC_SEARCH_DEVICE, true);
    dialog->EnableControl(IDCANCEL, true);
  }
  dialog->EnableControl(IDC_UPDATE, false);
  return 0;
}
