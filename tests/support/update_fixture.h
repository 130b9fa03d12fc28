// One update against the emulated scanner, with a hook before Update is pressed and one while the update runs,
// and a watch on row 0's status cell that notes when each text first appeared there, in virtual time.
#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/text_format.h"
#include "res/resource.h"
#include "res/string_ids.h"
#include "support/scanner_fixture.h"

class UpdateFixture : public ScannerTest {
 protected:
  // Waits for the window's first search, runs beforeUpdate, presses Update (whatever the search found: the
  // sequence decides), runs duringUpdate once the update thread has started, waits for the thread, notes what
  // the window and the bus show then, and closes the window.
  void UpdateOnce(const std::function<void(CFWUpdateDlg&)>& beforeUpdate = {},
                  const std::function<void()>& duringUpdate = {}) {
    Run([&](CFWUpdateDlg& dialog) {
      WaitForFirstSearch(dialog);
      if (beforeUpdate) beforeUpdate(dialog);
      dialog.SetRowCheck(0, true);
      world.usb().ClearLog();
      pressedAt = world.scheduler().Now();
      UpdateAndWait(dialog, 3000000, duringUpdate);
      verdict = tool.windows().ControlText(IDC_STATUS);
      shownAtVerdict = Shown();
      usbLog = world.usb().Log();
      Press(IDCANCEL);
      WaitFor([&] { return !tool.windows().IsOpen(); }, 300000);
    });
  }

  // From now on, notes the virtual time at which each text first stands in row 0's status cell (the texts the
  // update posts; texts set on the status text alone are not seen). Times are exact: the watcher wakes before
  // the clock moves on.
  void WatchCell(const std::vector<std::wstring>& texts) {
    for (const auto& text : texts) {
      world.scheduler().Spawn([this, text] {
        if (world.scheduler().BlockUntil([&] { return tool.windows().CellText(0, 1) == text; },
                                         world.scheduler().Now() + 10000000)) {
          cellAt[text] = world.scheduler().Now();
        }
      });
    }
  }
  bool CellSeen(const std::wstring& text) const { return cellAt.count(text) == 1; }

  std::wstring Failed(UINT reason) { return text::Format(Text(IDS_UPDATE_FAILED), Text(reason)); }
  std::wstring Progress(int percent, size_t dots) {
    return text::Format(Text(IDS_BURN_PROGRESS), percent) + std::wstring(dots, L'.');
  }
  // How often a text was shown in the status text up to the verdict.
  size_t TimesShown(const std::wstring& text) const {
    size_t n = 0;
    for (const auto& shown : shownAtVerdict) n += shown == text ? 1 : 0;
    return n;
  }
  // Device opens after the last write or read request: the probes of a wait that sent no command.
  size_t OpensAfterLastRequest() const {
    size_t opens = 0;
    for (auto it = usbLog.rbegin(); it != usbLog.rend(); ++it) {
      if (it->call == simhost::UsbCall::Write || it->call == simhost::UsbCall::Read) break;
      opens += it->call == simhost::UsbCall::Open && it->access != 0 ? 1 : 0;  // a scanner count's are not probes
    }
    return opens;
  }

  uint64_t pressedAt = 0;
  std::wstring verdict;
  std::vector<std::wstring> shownAtVerdict;
  std::vector<simhost::UsbRequest> usbLog;
  std::map<std::wstring, uint64_t> cellAt;
};
