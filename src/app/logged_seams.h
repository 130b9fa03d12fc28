// The console and the message boxes of a run with a log: each line and each box goes to the log too. Without a
// person at the window no box is shown, and in /check no diagnostic line reaches standard output, which
// carries the one line of JSON (unless "-d" gave the program a console of its own).
#pragma once
#include "app/run_log.h"
#include "platform/console.h"
#include "platform/user.h"

namespace app {

class LoggedConsole final : public plat::IConsole {
 public:
  LoggedConsole(plat::IConsole& inner, RunLog& log, bool passLines) : inner_(inner), log_(log), passLines_(passLines) {}

  BOOL AllocConsole() override { return inner_.AllocConsole(); }
  bool ReopenStandardStreams(LPCWSTR device, LPCWSTR mode) override {
    passLines_ = true;  // the "-d" console: everything is shown there
    return inner_.ReopenStandardStreams(device, mode);
  }
  void WriteOut(std::wstring_view text) override {
    log_.Write(L"console", text.substr(0, text.find_last_not_of(L"\r\n") + 1));
    if (passLines_) inner_.WriteOut(text);
  }
  HANDLE GetStdHandle(DWORD which) override { return inner_.GetStdHandle(which); }
  BOOL AttachConsole(DWORD processId) override { return inner_.AttachConsole(processId); }

 private:
  plat::IConsole& inner_;
  RunLog& log_;
  bool passLines_;
};

class LoggedUser final : public plat::IUser {
 public:
  LoggedUser(plat::IUser& inner, RunLog& log, bool show) : inner_(inner), log_(log), show_(show) {}

  BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* classes) override {
    return inner_.InitCommonControlsEx(classes);
  }
  // Unshown, a box answers as its only button would: every box of the program has OK alone.
  int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) override {
    log_.Write(show_ ? L"message box" : L"message box, not shown", text != nullptr ? text : L"");
    return show_ ? inner_.MessageBoxW(owner, text, caption, type) : IDOK;
  }

 private:
  plat::IUser& inner_;
  RunLog& log_;
  bool show_;
};

}  // namespace app
