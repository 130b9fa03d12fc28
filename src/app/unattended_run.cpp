#include "app/unattended_run.h"

#include "app/english_text.h"
#include "app/run_verdict.h"
#include "app/string_table.h"
#include "app/text_format.h"
#include "res/resource.h"
#include "res/string_ids.h"

namespace app {

namespace {

// The ids of the texts a status may be made from: the whole table.
constexpr UINT kFirstText = 200;
constexpr UINT kLastText = 300;

// The id of the table text a failure reason is, from the texts that tell who holds the scanner; 0 for another.
UINT ReasonId(plat::Host& host, const std::wstring& reason) {
  for (const UINT id : {IDS_SCAN_APP_IN_USE, IDS_MARLO_IN_USE, IDS_QUENBY_IN_USE}) {
    if (LoadStringById(host, id) == reason) return id;
  }
  return 0;
}

}  // namespace

std::wstring ExitLine(ExitCode code) {
  const ExitCodeRow& row = RowOf(code);
  return text::Format(L"%d %s: %s", static_cast<int>(code), row.name, row.meaning);
}

void UnattendedRun::Press(int id) {
  dialog_.Host().windows.PostMessageW(dialog_.m_hWnd, WM_COMMAND, static_cast<WPARAM>(id), 0);
}

void UnattendedRun::Decide(ExitCode code) {
  verdict_ = code;
  stage_ = Stage::kClosing;
  Press(IDCANCEL);
}

void UnattendedRun::OnSearchEnded(const SearchReport& report) {
  if (mode_ == RunMode::kInteractive || stage_ != Stage::kSearching) return;
  search_ = report;
  log_.Write(L"search", text::Format(L"found %d, updatable %d, device \"%s\", main board \"%s\", panel \"%s\"",
                                     report.found ? 1 : 0, report.updatable ? 1 : 0, report.deviceName,
                                     report.mainBoard, report.panel));
  // The search enables Update exactly when the row is checked and no update runs.
  if (mode_ == RunMode::kQuiet && report.updatable && !dialog_.AnySlotBusy()) {
    stage_ = Stage::kUpdating;
    Press(IDC_UPDATE);
    return;
  }
  Decide(ExitCodeOfSearch(report, mode_));
}

void UnattendedRun::OnUpdateEnded(bool updated, const std::wstring& reason) {
  if (stage_ == Stage::kUpdating) {
    Decide(ExitCodeOfUpdate(updated, updated ? 0 : ReasonId(dialog_.Host(), reason)));
  } else if (stage_ == Stage::kClosing) {
    // The run pressed Close while an update ran (after the session's end, or one another program started before
    // the search told its result); Close did nothing then, so it is pressed again now. That update is what
    // happened to the scanner, unless the session's end has already given the verdict.
    if (verdict_ != ExitCode::kCancelled) {
      verdict_ = ExitCodeOfUpdate(updated, updated ? 0 : ReasonId(dialog_.Host(), reason));
    }
    Press(IDCANCEL);
  }
}

// Windows may end the program as soon as this returns: the verdict is written now. Should the program live on,
// it closes the window as a user would, at once or when a running update has ended.
void UnattendedRun::OnSessionEnding() {
  if (mode_ == RunMode::kInteractive) return;
  verdict_ = ExitCode::kCancelled;
  log_.Write(L"exit", ExitLine(ExitCode::kCancelled));
  stage_ = Stage::kClosing;
  Press(IDCANCEL);
}

void UnattendedRun::OnStatusText(const std::wstring& text) {
  log_.Write(L"status", text);
  plat::Host& host = dialog_.Host();
  const std::wstring english = EnglishOf(host, text, kFirstText, kLastText);
  if (english != text) log_.Write(L"status, English", english);
}

}  // namespace app
