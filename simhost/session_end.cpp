#include "simhost/session_end.h"

namespace simhost {

std::optional<LRESULT> SessionEnd::Send(UINT message, WPARAM wParam, LRESULT defaultResult) {
  const std::optional<LRESULT> answer =
      program_.windows().SendToDialogWithin(message, wParam, 0, defaultResult, kSessionEndAnswerLimitMs);
  if (!answer) {
    program_.Terminate();
    endedAtMs_ = program_.world().scheduler().Now();
  }
  return answer;
}

std::optional<bool> SessionEnd::Query() {
  const std::optional<LRESULT> mayEnd = Send(WM_QUERYENDSESSION, 0, TRUE);
  if (!mayEnd) return std::nullopt;
  return *mayEnd != FALSE;
}

bool SessionEnd::Tell(bool ending) { return Send(WM_ENDSESSION, ending ? TRUE : FALSE, 0).has_value(); }

}  // namespace simhost
