#include "ui/framework/dialog.h"

CDialogEx::CDialogEx(plat::Host& host, UINT templateId) : host_(host), templateId_(templateId) {}

INT_PTR CDialogEx::DoModal() { return host_.windows.DialogBoxParamW(MAKEINTRESOURCEW(templateId_), nullptr, *this); }

INT_PTR CDialogEx::DoModalHidden() {
  keepHidden_ = true;
  const INT_PTR result = DoModal();
  keepHidden_ = false;
  return result;
}

void CDialogEx::EndDialog(INT_PTR result) { host_.windows.EndDialog(m_hWnd, result); }

HWND CDialogEx::GetDlgItem(int id) { return host_.windows.GetDlgItem(m_hWnd, id); }

void CDialogEx::SetDlgItemText(int id, const std::wstring& text) {
  host_.windows.SetWindowTextW(GetDlgItem(id), text.c_str());
}

void CDialogEx::EnableDlgItem(int id, bool enable) { host_.windows.EnableWindow(GetDlgItem(id), enable ? TRUE : FALSE); }


void CDialogEx::SetWindowText(const std::wstring& text) { host_.windows.SetWindowTextW(m_hWnd, text.c_str()); }

BOOL CDialogEx::OnInitDialog() {
  DoDataExchange();
  return TRUE;
}

bool CDialogEx::OnCommand(UINT id) {
  if (id == IDOK || id == IDCANCEL) {
    EndDialog(static_cast<INT_PTR>(id));
    return true;
  }
  return false;
}

bool CDialogEx::OnMessage(UINT, WPARAM, LPARAM, INT_PTR&) { return false; }

INT_PTR CDialogEx::OnDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      m_hWnd = dialog;
      return OnInitDialog();
    case WM_COMMAND:
      return OnCommand(static_cast<UINT>(wParam & 0xFFFF)) ? TRUE : FALSE;
    case WM_WINDOWPOSCHANGING:
      if (keepHidden_) reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~static_cast<UINT>(SWP_SHOWWINDOW);
      return FALSE;
    default: {
      INT_PTR result = FALSE;
      return OnMessage(message, wParam, lParam, result) ? result : FALSE;
    }
  }
}
