// The list-view control, by messages; bound to its dialog item by DoDataExchange.
#pragma once
#include <string>

#include "platform/host.h"

class CListCtrl {
 public:
  CListCtrl() = default;
  CListCtrl(const CListCtrl&) = delete;
  CListCtrl& operator=(const CListCtrl&) = delete;

  void Attach(plat::IWindows& windows, HWND control) {
    windows_ = &windows;
    m_hWnd = control;
  }

  int InsertColumn(int column, const std::wstring& heading, int format, int width);
  DWORD SetExtendedStyle(DWORD style);
  int InsertItem(int item, const std::wstring& text);
  bool SetItemText(int item, int subItem, const std::wstring& text);
  std::wstring GetItemText(int item, int subItem);
  bool SetItemState(int item, UINT state, UINT mask);
  UINT GetItemState(int item, UINT mask);

  HWND m_hWnd = nullptr;

 private:
  LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam);

  plat::IWindows* windows_ = nullptr;
};
