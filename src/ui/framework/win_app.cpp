#include "ui/framework/win_app.h"

#include "app/path_split.h"
#include "ui/framework/dialog.h"

int CWinApp::Run(plat::Host& host) {
  host_ = &host;
  InitInstance();
  m_pMainWnd = nullptr;
  return ExitInstance();
}

BOOL CWinApp::InitInstance() { return TRUE; }

std::wstring CWinApp::AppTitle() { return ApplicationTitle(*host_); }

std::wstring ApplicationTitle(plat::Host& host) {
  WCHAR path[1024] = {};
  const DWORD length = host.process.GetModuleFileNameW(nullptr, path, 1024);
  const auto parts = app::SplitPath(std::wstring_view(path, length < 1024 ? length : 0));
  return parts ? parts->name : std::wstring();
}

int CWinApp::AfxMessageBox(const std::wstring& text, UINT type) {
  const HWND owner = m_pMainWnd != nullptr ? m_pMainWnd->m_hWnd : nullptr;
  return host_->user.MessageBoxW(owner, text.c_str(), AppTitle().c_str(), type);
}
