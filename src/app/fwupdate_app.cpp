#include "app/fwupdate_app.h"

#include <string>

#include "app/logged_seams.h"
#include "app/run_verdict.h"
#include "app/settings.h"
#include "app/string_table.h"
#include "host/guard_run.h"
#include "host/start_up_entry.h"
#include "app/text_format.h"
#include "app/unattended_run.h"
#include "platform/unique_handle.h"
#include "res/string_ids.h"
#include "ui/fwupdate_dlg.h"

BOOL CFWUpdateApp::InitInstance() {
  plat::Host& platform = Host();
  // The guard is this program too: it shows nothing and takes no lock, so it comes before all else.
  if (const LPCWSTR commandLine = platform.process.GetCommandLineW(); commandLine != nullptr) {
    if (const auto order = guard::ParseGuardCommandLine(commandLine)) {
      guard::RunGuard(platform, *order);
      return FALSE;
    }
  }
  INITCOMMONCONTROLSEX classes{};
  classes.dwSize = sizeof(classes);
  classes.dwICC = ICC_WIN95_CLASSES;
  platform.user.InitCommonControlsEx(&classes);

  CWinApp::InitInstance();
  app::ApplyConfiguredLanguage(platform);

  LPCWSTR commandLine = platform.process.GetCommandLineW();
  const app::CommandLine line = app::ParseCommandLine(commandLine != nullptr ? commandLine : L"");
  app::RunLog log(platform);
  OpenLog(line, log);
  log.Write(L"start", commandLine != nullptr ? commandLine : L"");

  app::LoggedConsole console(platform.console, log, line.mode != app::RunMode::kCheck);
  app::LoggedUser user(platform.user, log, line.mode == app::RunMode::kInteractive);
  plat::Host logged{platform.time,     platform.kernel,   platform.process, platform.profile, console,
                    platform.language, platform.resources, user,            platform.windows, platform.codePage,
                    platform.setup,    platform.registry, platform.services, platform.files,  platform.sockets,
                    platform.power};
  UseHost(logged);
  const app::ExitCode code = RunWithLog(line, log, platform.console);
  UseHost(platform);
  m_nExitCode = static_cast<int>(code);
  return FALSE;
}

app::ExitCode CFWUpdateApp::RunWithLog(const app::CommandLine& line, app::RunLog& log,
                                       plat::IConsole& standardOutput) {
  plat::Host& host = Host();
  OpenConsoleIfAsked();
  auto end = [&](app::ExitCode code, const SearchReport& report = {}) {
    if (line.mode == app::RunMode::kCheck) {
      const std::wstring json = app::CheckJson(report, code);
      log.Write(L"check", json);
      PrintCheckLine(standardOutput, json);
    }
    log.Write(L"exit", app::ExitLine(code));
    return code;
  };

  if (!line.refused.empty()) {
    log.Write(L"refused", line.refused);
    AfxMessageBox(text::Format(app::LoadStringById(host, IDS_UNKNOWN_SWITCH), line.refused), MB_OK);
    return end(app::ExitCode::kBadCommandLine);
  }

  plat::UniqueHandle instanceLock(host.kernel, host.kernel.CreateMutexW(nullptr, TRUE, kSingleInstanceMutexName));
  if (!instanceLock || host.kernel.GetLastError() == ERROR_ALREADY_EXISTS) {
    AfxMessageBox(app::LoadStringById(host, IDS_ALREADY_OPEN), MB_OK);
    return end(app::ExitCode::kBusy);
  }

  CFWUpdateDlg dialog(host);
  // Taken only by the copy that holds the lock: a refused second copy must not spend the first one's notice. An
  // entry still there means nothing has given the service back since (no guard ran, no logon yet).
  dialog.m_bUpdateCutOff = guard::TakeCutOffMark(host) || guard::HasStartUpEntry(host);
  app::UnattendedRun run(dialog, line.mode, log);
  // The observer's English status lines cost a look through the table: only when something reads them.
  if (line.mode != app::RunMode::kInteractive || log.IsOpen()) dialog.m_pRunObserver = &run;
  m_pMainWnd = &dialog;
  if (line.mode == app::RunMode::kInteractive) {
    dialog.DoModal();
  } else {
    dialog.DoModalHidden();
  }
  instanceLock.Reset();
  m_pMainWnd = nullptr;
  if (line.mode == app::RunMode::kInteractive) {
    log.Write(L"exit", L"0: the window was closed");
    return app::ExitCode::kUpdated;
  }
  // A run that ended without a verdict did not finish its work. The session's end wrote its verdict when it came
  // (the program may not live on to here); it is written again, so the verdict is the log's last line.
  return end(run.Verdict().value_or(app::ExitCode::kFailed), run.Search());
}

void CFWUpdateApp::OpenLog(const app::CommandLine& line, app::RunLog& log) {
  if (!line.logPath.empty()) {
    log.Open(line.logPath);
  } else if (line.mode != app::RunMode::kInteractive) {
    const std::wstring folder = app::DefaultLogFolder(Host());
    if (!folder.empty()) log.Open(folder + L"\\" + std::wstring(app::kDefaultLogName), folder);
  }
}

void CFWUpdateApp::PrintCheckLine(plat::IConsole& console, const std::wstring& line) {
  const HANDLE out = console.GetStdHandle(STD_OUTPUT_HANDLE);
  if ((out == nullptr || out == INVALID_HANDLE_VALUE) && console.AttachConsole(ATTACH_PARENT_PROCESS)) {
    console.ReopenStandardStreams(L"CONOUT$", L"w");
  }
  console.WriteOut(line + L"\n");
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
