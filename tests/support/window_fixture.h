// A copy of the tool in a simulated world with its main window running modally on the test's thread (the
// window's thread), while a user thread acts, waits in virtual time and checks.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/string_table.h"
#include "simhost/process.h"
#include "ui/fwupdate_dlg.h"

class WindowTest : public testing::Test {
 protected:
  void SetUp() override { world.scheduler().AdoptCurrentThread(); }

  // Opens the main window, runs user() on a user thread, and presses Close afterwards unless the user did (once
  // it is enabled: Close does nothing while an update runs). With settleMs the dialog stays that much longer after the window has ended: a thread that outlives the
  // window then shows in what it leaves behind rather than by touching a dialog that has gone.
  void Run(const std::function<void(CFWUpdateDlg&)>& user, uint64_t settleMs = 0) {
    CFWUpdateDlg dialog(tool.host());
    world.scheduler().Spawn([&] {
      WaitFor([&] { return tool.windows().IsOpen(); });
      user(dialog);
      if (tool.windows().IsOpen() && dialog.m_hCancelThread.Load() == nullptr) {
        WaitFor([&] { return !tool.windows().IsOpen() || tool.windows().IsEnabled(IDCANCEL); }, 3000000);
        tool.windows().PostCommand(IDCANCEL);
      }
    });
    if (beforeOpen) beforeOpen(dialog);
    dialog.DoModal();
    if (settleMs != 0) world.scheduler().Sleep(settleMs);
  }

  bool WaitFor(const std::function<bool()>& condition, uint64_t boundMs = 10000) {
    return world.scheduler().BlockUntil(condition, world.scheduler().Now() + boundMs);
  }
  // Presses a button and lets the window's thread handle it.
  void Press(int id) {
    tool.windows().PostCommand(id);
    WaitFor([&] { return tool.windows().QueuedCalls() == 0; });
    world.scheduler().Sleep(1);
  }
  std::wstring Text(UINT id, LANGID language = 0x0409) {
    tool.host().language.SetThreadUILanguage(language);
    return app::LoadStringById(tool.host(), id);
  }
  static size_t Count(const std::wstring& haystack, const std::wstring& needle) {
    size_t n = 0;
    for (size_t at = haystack.find(needle); at != std::wstring::npos; at = haystack.find(needle, at + 1)) ++n;
    return n;
  }

  // What start-up sets on the dialog before its window opens (the cut-off notice, an observer).
  std::function<void(CFWUpdateDlg&)> beforeOpen;
  simhost::World world;
  simhost::Process tool{world};
};
