// The application object: start-up, the single-instance rule and the modal run of the main window.
#pragma once
#include "ui/framework/win_app.h"

// Held by the running copy for the whole modal run; Global\ makes it machine-wide, across logged-on users.
inline constexpr const wchar_t* kSingleInstanceMutexName = L"Global\\KAVREL_FFUT_APP_MUTEX";

class CFWUpdateApp : public CWinApp {
 protected:
  BOOL InitInstance() override;

 private:
  void OpenConsoleIfAsked();
};
