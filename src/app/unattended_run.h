// The run's observer: every status text to the log (in the user's language and in English), and, when nobody
// sits at the window (/quiet, /check), the presses a user would make: after the first search Update when the
// search enabled it (/quiet only), else Close; after the update Close. What happened becomes the exit code.
#pragma once
#include <optional>
#include <string>

#include "app/command_line.h"
#include "app/exit_codes.h"
#include "app/run_log.h"
#include "ui/fwupdate_dlg.h"

namespace app {

class UnattendedRun final : public IRunObserver {
 public:
  UnattendedRun(CFWUpdateDlg& dialog, RunMode mode, RunLog& log) : dialog_(dialog), mode_(mode), log_(log) {}

  void OnSearchEnded(const SearchReport& report) override;
  void OnUpdateEnded(bool updated, const std::wstring& reason) override;
  void OnSessionEnding() override;
  void OnStatusText(const std::wstring& text) override;

  // The verdict; an interactive run, or one that ended before any verdict, has none.
  std::optional<ExitCode> Verdict() const { return verdict_; }
  const SearchReport& Search() const { return search_; }

 private:
  enum class Stage { kSearching, kUpdating, kClosing };

  void Press(int id);
  void Decide(ExitCode code);

  CFWUpdateDlg& dialog_;
  const RunMode mode_;
  RunLog& log_;
  Stage stage_ = Stage::kSearching;  // window's thread only
  std::optional<ExitCode> verdict_;
  SearchReport search_;
};

// The exit code's line, the log's last: "1618 busy: ..."
std::wstring ExitLine(ExitCode code);

}  // namespace app
