// The stop thread: stops and disables the still-image service off the window's thread, then runs the device
// search unless the user has pressed Close or the session is ending meanwhile.
#include <memory>

#include "app/console_log.h"
#include "app/settings.h"
#include "app/string_table.h"
#include "host/wia_control.h"
#include "res/string_ids.h"
#include "ui/fwupdate_dlg.h"

DWORD WINAPI Thread_CloseWIA(LPVOID parameter) {
  // The thread owns its record: read, then freed.
  std::unique_ptr<StopThreadRecord> record(static_cast<StopThreadRecord*>(parameter));
  CFWUpdateDlg* dialog = record->dialog;
  const int event = static_cast<int>(record->event);
  record.reset();

  plat::Host& host = dialog->Host();
  app::ApplyConfiguredLanguage(host);
  app::ConsolePrint(host, L"[Thread][Create Event %d] Closed WIA Start!!\n", event);
  if (!dialog->m_disableGate.IsShut()) dialog->m_serviceGuard.Arm();
  CWIAControl wia(host);
  if (!wia.Stop(&dialog->m_disableGate)) {
    dialog->SetStatusText(app::LoadStringById(host, IDS_CLOSE_WIA_FAILED));
  } else if (dialog->m_hCancelThread.IsEmpty() && !dialog->m_disableGate.IsShut()) {
    dialog->GetDeviceStatus(SearchOrigin::kStopThread, event);
  }
  app::ConsolePrint(host, L"[Thread][Create Event %d] Closed WIA finish!!\n", event);
  dialog->ReportSearchEnded();
  return 1;
}
