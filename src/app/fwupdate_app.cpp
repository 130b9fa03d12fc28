#include "app/fwupdate_app.h"

#include <string>

#include "app/settings.h"
#include "app/string_table.h"
#include "platform/unique_handle.h"
#include "res/string_ids.h"
#include "ui/fwupdate_dlg.h"

BOOL CFWUpdateApp::InitInstance() {
  plat::Host& host = Host();
  INITCOMMONCONTROLSEX classes{};
  classes.dwSize = sizeof(classes);
  classes.dwICC = ICC_WIN95_CLASSES;
  host.user.InitCommonControlsEx(&classes);

  CWinApp::InitInstance();
  app::ApplyConfiguredLanguage(host);
  OpenConsoleIfAsked();

  plat::UniqueHandle instanceLock(host.kernel, host.kernel.CreateMutexW(nullptr, TRUE, kSingleInstanceMutexName));
  if (!instanceLock || host.kernel.GetLastError() == ERROR_ALREADY_EXISTS) {
    AfxMessageBox(app::LoadStringById(host, IDS_ALREADY_OPEN), MB_OK);
    return FALSE;
  }

  CFWUpdateDlg dialog(host);
  m_pMainWnd = &dialog;
  dialog.DoModal();
  instanceLock.Reset();
  m_pMainWnd = nullptr;
  return FALSE;
}

// The whole command line is searched, however long: a switch past the 259th character still counts.
void CFWUpdateApp::OpenConsoleIfAsked() {
  plat::Host& host = Host();
  LPCWSTR commandLine = host.process.GetCommandLineW();
  if (commandLine == nullptr || std::wstring_view(commandLine).find(L"-d") == std::wstring_view::npos) return;
  host.console.AllocConsole();
  host.console.ReopenStandardStreams(L"CONOUT$", L"w");
  if (*m_szBuildNotice != L'\0') host.console.WriteOut(m_szBuildNotice);
}
