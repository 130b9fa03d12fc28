#include "ui/framework/dialog.h"

CDialogEx::CDialogEx(plat::Host& host, UINT templateId) : host_(host), templateId_(templateId) {}

INT_PTR CDialogEx::DoModal() { return host_.windows.DialogBoxParamW(MAKEINTRESOURCEW(templateId_), nullptr, *this); }

void CDialogEx::EndDialog(INT_PTR result) { host_.windows.EndDialog(m_hWnd, result); }

BOOL CDialogEx::OnInitDialog() { return TRUE; }

bool CDialogEx::OnCommand(UINT id) {
  if (id == IDCANCEL) {
    EndDialog(IDCANCEL);
    return true;
  }
  return false;
}

INT_PTR CDialogEx::OnDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  switch (message) {
    case WM_INITDIALOG:
      m_hWnd = dialog;
      return OnInitDialog();
    case WM_COMMAND:
      return OnCommand(static_cast<UINT>(wParam & 0xFFFF)) ? TRUE : FALSE;
    default:
      return FALSE;
  }
}
