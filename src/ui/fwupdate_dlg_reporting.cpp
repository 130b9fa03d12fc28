// How workers report: the window operations of the main dialog, each served by the window's thread.
#include "res/resource.h"
#include "ui/fwupdate_dlg.h"

void CFWUpdateDlg::PostStatus(int row, const std::wstring& text) {
  m_listDevices.SetItemText(row, 1, text);
  SetDlgItemText(IDC_STATUS, m_listDevices.GetItemText(row, 1));
}

void CFWUpdateDlg::SetStatusText(const std::wstring& text) { SetDlgItemText(IDC_STATUS, text); }

void CFWUpdateDlg::SetRowCheck(int row, bool checked) {
  m_listDevices.SetItemState(row, INDEXTOSTATEIMAGEMASK(checked ? 2u : 1u), LVIS_STATEIMAGEMASK);
}

bool CFWUpdateDlg::IsRowChecked(int row) {
  return ((m_listDevices.GetItemState(row, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

std::wstring CFWUpdateDlg::GetCellText(int row, int column) { return m_listDevices.GetItemText(row, column); }

void CFWUpdateDlg::SetCellText(int row, int column, const std::wstring& text) {
  m_listDevices.SetItemText(row, column, text);
}

void CFWUpdateDlg::SetControlText(int id, const std::wstring& text) { SetDlgItemText(id, text); }

void CFWUpdateDlg::EnableControl(int id, bool enable) { EnableDlgItem(id, enable); }

bool CFWUpdateDlg::AnySlotBusy() const {
  for (const auto& slot : m_slots) {
    if (slot.bBusy.load() != 0) return true;
  }
  return false;
}
