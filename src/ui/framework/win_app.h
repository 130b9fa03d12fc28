// The application object: the framework calls InitInstance once on the main thread.
#pragma once
#include <string>

#include "platform/host.h"

class CDialogEx;

// The application title: the program file's name without its extension.
std::wstring ApplicationTitle(plat::Host& host);

class CWinApp {
 public:
  CWinApp() = default;
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;
  virtual ~CWinApp() = default;

  // The framework's entry: binds the platform and runs the start-up routine. The program's exit code.
  int Run(plat::Host& host);

  // A modal message box captioned with the application title, the program file's name without extension.
  int AfxMessageBox(const std::wstring& text, UINT type);
  std::wstring AppTitle();

  CDialogEx* m_pMainWnd = nullptr;

 protected:
  virtual BOOL InitInstance();
  // The program's exit code, asked once InitInstance has returned.
  virtual int ExitInstance() { return 0; }
  plat::Host& Host() { return *host_; }
  // Start-up may put its own parts in front of the platform's (a log); it restores the platform before it ends.
  void UseHost(plat::Host& host) { host_ = &host; }

 private:
  plat::Host* host_ = nullptr;
};
