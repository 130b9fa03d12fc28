// Held by the update thread for the whole update: the machine stays awake for lack of user input, and the end
// of the session is held off with text 217 as the reason. Both go on every way out of the thread.
#pragma once
#include <string>

#include "ui/fwupdate_dlg.h"

class BurnProtection {
 public:
  BurnProtection(CFWUpdateDlg& dialog, const std::wstring& reason) : dialog_(dialog) {
    dialog_.Host().power.SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
    dialog_.BlockShutdown(reason);
  }
  BurnProtection(const BurnProtection&) = delete;
  BurnProtection& operator=(const BurnProtection&) = delete;
  ~BurnProtection() {
    dialog_.UnblockShutdown();
    dialog_.Host().power.SetThreadExecutionState(ES_CONTINUOUS);
  }

 private:
  CFWUpdateDlg& dialog_;
};
