// The update thread: the whole update away from the window's thread, then, whatever the outcome, the service
// restarted, the verdict posted, the locks released and the buttons given back.
#include "app/console_log.h"
#include "app/settings.h"
#include "app/string_table.h"
#include "app/text_format.h"
#include "host/wia_control.h"
#include "res/resource.h"
#include "res/string_ids.h"
#include "ui/fwupdate_dlg.h"
#include "update/burn_protection.h"

namespace {

// The sequence, the service restart and the verdict, with the machine kept awake and the session's end held
// off until the verdict is posted.
UpdateOutcome RunProtected(CFWUpdateDlg& dialog, plat::Host& host, int row, std::wstring& reason) {
  const BurnProtection protection(dialog, app::LoadStringById(host, IDS_FW_UPGRADE_WAIT));
  const UpdateOutcome outcome = dialog.RunUpdate(L"USB", row);
  const bool updated = outcome == UpdateOutcome::kUpdated;
  reason = updated ? std::wstring() : dialog.GetCellText(row, 1);

  CWIAControl wia(host);
  dialog.PostStatus(row, app::LoadStringById(host, IDS_START_WIA));
  if (wia.Start()) {
    app::ConsolePrint(host, L"[Thread_VoskUpdate] Start WIA Finish!!\n");
    dialog.m_serviceGuard.GivenBack();
  } else {
    dialog.PostStatus(row, app::LoadStringById(host, IDS_START_WIA_FAILED));
  }
  dialog.PostStatus(row, updated ? app::LoadStringById(host, IDS_UPDATE_SUCCEED)
                                 : text::Format(app::LoadStringById(host, IDS_UPDATE_FAILED), reason));
  return outcome;
}

}  // namespace

DWORD WINAPI Thread_VoskUpdate(LPVOID parameter) {
  auto* dialog = static_cast<CFWUpdateDlg*>(parameter);
  plat::Host& host = dialog->Host();
  const int row = static_cast<int>(dialog->m_nCurrentRow.load());
  app::ApplyConfiguredLanguage(host);

  std::wstring reason;
  const UpdateOutcome outcome = RunProtected(*dialog, host, row, reason);
  dialog->ReleaseScanAppMutexes();
  host.kernel.SwitchPoint();
  // The buttons and the flag change in one task on the window's thread, so no handler sees one without the
  // other: a Close or Search Device on a button just enabled is never refused as busy, and an Update that finds
  // the flag clear waits only for a thread that makes no window call any more.
  const auto giveBack = [dialog, row] {
    if (!dialog->AnyOtherSlotBusy(row)) {
      dialog->EnableControl(IDC_SEARCH_DEVICE, true);
      dialog->EnableControl(IDCANCEL, true);
    }
    dialog->EnableControl(IDC_UPDATE, false);
    dialog->m_slots[row].bBusy = 0;
  };
  if (!dialog->RunOnWindowThread(giveBack)) dialog->m_slots[row].bBusy = 0;  // the window has gone
  host.kernel.SwitchPoint();
  dialog->ReportUpdateEnded(outcome == UpdateOutcome::kUpdated, reason);
  return static_cast<DWORD>(outcome);
}
