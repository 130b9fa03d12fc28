// The rules of a /quiet world: nobody is at the window, so nothing may be shown, and the exit code is all an
// administrator sees: it must say what happened to the scanner.
#include <algorithm>
#include <string>

#include "res/resource.h"
#include "res/string_ids.h"
#include "sim_runner/invariants.h"
#include "sim_runner/trace.h"

namespace sim_runner {

namespace {

bool Shown(const RunFacts& f, unsigned id) {
  const std::wstring text = f.book.Entry(id);
  const auto& shown = f.tool.windows().TextHistory(IDC_STATUS);
  return std::any_of(shown.begin(), shown.end(), [&](const std::wstring& s) { return s.find(text) != std::wstring::npos; });
}

// What the code claims, checked against what the window would have shown; empty when it agrees.
std::string Disagreement(const RunFacts& f) {
  const bool updated = f.observer.successes > 0;
  const bool sessionEnded = f.intruders.sessionEndedAtMs.has_value() && *f.intruders.sessionEndedAtMs <= f.endedAtMs;
  if (sessionEnded) return f.exitCode == 1602 ? std::string() : "the session ended, the code is not 1602";
  switch (f.exitCode) {
    case 0:
      return updated ? std::string() : "0 without \"Update Succeed.\"";
    case 10:
      return Shown(f, IDS_FIRMWARE_LATEST) && !updated ? std::string() : "10 without the latest firmware found";
    case 12: {
      const bool none = f.tool.console().Output().find(L"[GetDeviceStatus]: Device not found...") != std::wstring::npos;
      return none && !updated ? std::string() : "12 without a search that found no scanner";
    }
    case 1618: {
      const bool held = Shown(f, IDS_QUENBY_IN_USE) || Shown(f, IDS_SCAN_APP_IN_USE) || Shown(f, IDS_MARLO_IN_USE) ||
                        Shown(f, IDS_BUSY) || Shown(f, IDS_FW_UPGRADE_WAIT);
      return held && !updated ? std::string() : "1618 while nothing held the scanner";
    }
    case 1603:
      return updated ? "1603 after \"Update Succeed.\"" : std::string();
    case 13:
      return Shown(f, IDS_MORE_THAN_ONE_SCANNER) && !updated ? std::string()
                                                             : "13 without the two-scanners text";
    default:
      return "no /quiet run ends with this code";
  }
}

}  // namespace

void CheckQuietRun(const RunFacts& f, std::vector<std::string>& out) {
  if (f.tool.windows().EverShown()) out.push_back("/quiet showed the window");
  for (const auto& box : f.tool.user().MessageBoxes()) {
    out.push_back("/quiet showed a message box: \"" + Utf8(box.text) + "\"");
  }
  // A tool Windows ended has no code of its own.
  if (!f.ended) return;
  const std::string why = Disagreement(f);
  if (!why.empty()) out.push_back("exit code " + std::to_string(f.exitCode) + ": " + why);
}

}  // namespace sim_runner
