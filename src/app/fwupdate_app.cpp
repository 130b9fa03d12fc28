#include "app/fwupdate_app.h"

#include <string>

#include "app/settings.h"
#include "app/string_table.h"
#include "host/guard_run.h"
#include "host/start_up_entry.h"
#include "platform/unique_handle.h"
#include "res/string_ids.h"
#include "ui/fwupdate_dlg.h"

BOOL CFWUpdateApp::InitInstance() {
  plat::Host& host = Host();
  // The guard is this program too: it shows nothing and takes no lock, so it comes before all else.
  if (const LPCWSTR commandLine = host.process.GetCommandLineW(); commandLine != nullptr) {
    if (const auto order = guard::ParseGuardCommandLine(commandLine)) {
      guard::RunGuard(host, *order);
      return FALSE;
    }
  }
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
  // Taken only by the copy that holds the lock: a refused second copy must not spend the first one's notice. An
  // entry still there means nothing has given the service back since (no guard ran, no logon yet).
  dialog.m_bUpdateCutOff = guard::TakeCutOffMark(host) || guard::HasStartUpEntry(host);
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
