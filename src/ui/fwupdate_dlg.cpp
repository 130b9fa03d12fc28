#include "ui/fwupdate_dlg.h"

#include "app/string_table.h"
#include "res/resource.h"
#include "res/string_ids.h"

CFWUpdateDlg::CFWUpdateDlg(plat::Host& host) : CDialogEx(host, IDD_FWUPDATE_DIALOG) {}

BOOL CFWUpdateDlg::OnInitDialog() {
  CDialogEx::OnInitDialog();
  Host().windows.SetWindowTextW(m_hWnd, app::LoadStringById(Host(), IDS_APP_TITLE).c_str());
  return TRUE;
}
