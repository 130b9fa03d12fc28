#include "ui/framework/list_ctrl.h"

#include <vector>

LRESULT CListCtrl::Send(UINT message, WPARAM wParam, LPARAM lParam) {
  if (windows_ == nullptr || m_hWnd == nullptr) return 0;
  return windows_->SendMessageW(m_hWnd, message, wParam, lParam);
}

int CListCtrl::InsertColumn(int column, const std::wstring& heading, int format, int width) {
  std::wstring text = heading;
  LVCOLUMNW info{};
  info.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  info.fmt = format;
  info.cx = width;
  info.pszText = text.data();
  info.iSubItem = column;
  return static_cast<int>(Send(LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info)));
}

DWORD CListCtrl::SetExtendedStyle(DWORD style) {
  return static_cast<DWORD>(Send(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(style)));
}

int CListCtrl::InsertItem(int item, const std::wstring& text) {
  std::wstring copy = text;
  LVITEMW info{};
  info.mask = LVIF_TEXT;
  info.iItem = item;
  info.pszText = copy.data();
  return static_cast<int>(Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&info)));
}

bool CListCtrl::SetItemText(int item, int subItem, const std::wstring& text) {
  std::wstring copy = text;
  LVITEMW info{};
  info.iSubItem = subItem;
  info.pszText = copy.data();
  return Send(LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&info)) != 0;
}

// Grows the buffer until the text fits, as the framework's own GetItemText does.
std::wstring CListCtrl::GetItemText(int item, int subItem) {
  for (int size = 256; size <= 65536; size *= 4) {
    std::vector<WCHAR> buffer(static_cast<size_t>(size), L'\0');
    LVITEMW info{};
    info.iSubItem = subItem;
    info.pszText = buffer.data();
    info.cchTextMax = size;
    const auto length =
        static_cast<int>(Send(LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&info)));
    if (length < size - 1) return std::wstring(buffer.data(), static_cast<size_t>(length));
  }
  return std::wstring();
}

bool CListCtrl::SetItemState(int item, UINT state, UINT mask) {
  LVITEMW info{};
  info.state = state;
  info.stateMask = mask;
  return Send(LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&info)) != 0;
}

UINT CListCtrl::GetItemState(int item, UINT mask) {
  return static_cast<UINT>(Send(LVM_GETITEMSTATE, static_cast<WPARAM>(item), static_cast<LPARAM>(mask)));
}

