// The application object: start-up, the single-instance rule and the modal run of the main window.
#pragma once
#include "app/command_line.h"
#include "app/exit_codes.h"
#include "app/run_log.h"
#include "ui/framework/win_app.h"

// Held by the running copy for the whole modal run; Global\ makes it machine-wide, across logged-on users.
inline constexpr const wchar_t* kSingleInstanceMutexName = L"Global\\KAVREL_FFUT_APP_MUTEX";

class CFWUpdateApp : public CWinApp {
 public:
  // `buildNotice`: a line the build has to say about itself, shown first on the "-d" console; empty for none.
  explicit CFWUpdateApp(const wchar_t* buildNotice = L"") : m_szBuildNotice(buildNotice) {}

 protected:
  BOOL InitInstance() override;
  int ExitInstance() override { return m_nExitCode; }

 private:
  void OpenConsoleIfAsked();
  // Start-up from the lock on, on the host whose console and message boxes also write the log.
  app::ExitCode RunWithLog(const app::CommandLine& line, app::RunLog& log, plat::IConsole& standardOutput);
  void OpenLog(const app::CommandLine& line, app::RunLog& log);
  // /check's line: on standard output when the starter redirected it, else on the console of the command prompt
  // that started the program, attached to for the purpose.
  static void PrintCheckLine(plat::IConsole& console, const std::wstring& line);

  const wchar_t* m_szBuildNotice;
  int m_nExitCode = 0;
};
