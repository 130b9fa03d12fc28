// The application object: start-up, the single-instance rule and the modal run of the main window.
#pragma once
#include "ui/framework/win_app.h"

// Held by the running copy for the whole modal run; Global\ makes it machine-wide, across logged-on users.
inline constexpr const wchar_t* kSingleInstanceMutexName = L"Global\\KAVREL_FFUT_APP_MUTEX";

class CFWUpdateApp : public CWinApp {
 public:
  // `buildNotice`: a line the build has to say about itself, shown first on the "-d" console; empty for none.
  explicit CFWUpdateApp(const wchar_t* buildNotice = L"") : m_szBuildNotice(buildNotice) {}

 protected:
  BOOL InitInstance() override;

 private:
  void OpenConsoleIfAsked();

  const wchar_t* m_szBuildNotice;
};
