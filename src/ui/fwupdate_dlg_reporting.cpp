// How workers report: the window operations of the main dialog, each served by the window's thread.
#include <algorithm>
#include <iterator>

#include "app/string_table.h"
#include "res/resource.h"
#include "res/string_ids.h"
#include "ui/fwupdate_dlg.h"

void CFWUpdateDlg::PostStatus(int row, const std::wstring& text) {
  m_listDevices.SetItemText(row, 1, text);
  const std::wstring shown = m_listDevices.GetItemText(row, 1);
  SetDlgItemText(IDC_STATUS, WithCutOffNotice(shown));
  ReportStatusText(shown);
}

void CFWUpdateDlg::SetStatusText(const std::wstring& text) {
  SetDlgItemText(IDC_STATUS, WithCutOffNotice(text));
  ReportStatusText(text);
}

// The first search's texts replace the notice within a second; below them it stays until the user acts on it.
// The log and the run's observer get the texts alone.
std::wstring CFWUpdateDlg::WithCutOffNotice(const std::wstring& text) {
  if (!m_bUpdateCutOff.load()) return text;
  const std::wstring notice = app::LoadStringById(Host(), IDS_UPDATE_CUT_OFF);
  if (text.empty() || text.back() == L'\n') return text + notice;
  return text + L"\n" + notice;
}

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

void CFWUpdateDlg::EnableControl(int id, bool enable) { EnableDlgItem(id, enable); }

bool CFWUpdateDlg::AnySlotBusy() const {
  for (const auto& slot : m_slots) {
    if (slot.bBusy.load() != 0) return true;
  }
  return false;
}

bool CFWUpdateDlg::AnyOtherSlotBusy(int row) const {
  for (size_t index = 0; index < m_slots.size(); ++index) {
    if (static_cast<int>(index) != row && m_slots[index].bBusy.load() != 0) return true;
  }
  return false;
}

bool CFWUpdateDlg::RunOnWindowThread(const std::function<void()>& task) {
  if (m_hWnd == nullptr) {
    task();
    return true;
  }
  WindowTask record{&task, false};
  Host().windows.SendMessageW(m_hWnd, kWindowTaskMessage, 0, reinterpret_cast<LPARAM>(&record));
  return record.ran;
}

void CFWUpdateDlg::ShowDeviceTexts(const std::wstring& deviceName, const std::wstring& interfaceText) {
  RunOnWindowThread([&] {
    m_strDeviceName = deviceName;
    m_strInterface = interfaceText;
    SetDlgItemText(IDC_DEVICE_NAME, m_strDeviceName);
    SetDlgItemText(IDC_INTERFACE, m_strInterface);
  });
}

bool CFWUpdateDlg::StoreFriendlyName(const WCHAR* friendlyName) {
  return RunOnWindowThread([&] { std::copy_n(friendlyName, std::size(m_szFriendlyName), m_szFriendlyName); });
}

bool CFWUpdateDlg::CopyFriendlyName(std::wstring* friendlyName) {
  return RunOnWindowThread([&] {
    const WCHAR* const begin = m_szFriendlyName;
    friendlyName->assign(begin, std::find(begin, begin + std::size(m_szFriendlyName), L'\0'));
  });
}
