// What a run without a person at the window follows: the search's and the update's ends and the session's end,
// each told on the window's thread, and every status text as it is posted (from any thread).
#pragma once
#include <string>

#include "platform/win_types.h"

// What the last device search found. A search that never ran (the imaging service could not be stopped) leaves
// `searched` false.
struct SearchReport {
  bool searched = false;
  bool found = false;       // a scanner answered the probe
  bool updatable = false;   // the row's check mark: Update may run
  UINT text = 0;            // the string id of the verdict the search posted; 0 for none
  WORD state = 0;           // the state the scanner answered
  std::wstring deviceName;  // as the window shows it
  std::wstring mainBoard;   // versions as read, empty when not read
  std::wstring panel;
};

class IRunObserver {
 public:
  virtual void OnSearchEnded(const SearchReport& report) = 0;
  // `reason`: the failure text the update left in the status cell; empty when it succeeded.
  virtual void OnUpdateEnded(bool updated, const std::wstring& reason) = 0;
  // Windows ends the program at any moment after this.
  virtual void OnSessionEnding() = 0;
  virtual void OnStatusText(const std::wstring& text) = 0;

 protected:
  ~IRunObserver() = default;
};
