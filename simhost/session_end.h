// Windows ending the session, as seen by one program's window: WM_QUERYENDSESSION, then WM_ENDSESSION, each
// sent with a limit. A window that has not answered one by then is treated as hung, and the program is ended
// without its own code running (the "end anyway" of a log-off, or the system's own time-out).
#pragma once
#include <cstdint>
#include <optional>

#include "simhost/process.h"

namespace simhost {

// How long Windows waits for a window's answer to either message.
inline constexpr uint64_t kSessionEndAnswerLimitMs = 5000;

class SessionEnd {
 public:
  explicit SessionEnd(Process& program) : program_(program) {}

  // WM_QUERYENDSESSION: whether the window lets the session end; none when it did not answer in time, and the
  // program has then been ended. A window that has gone meanwhile answers 0, as a destroyed window does.
  std::optional<bool> Query();
  // WM_ENDSESSION with whether the session ends; false when it did not answer in time (the program ended).
  bool Tell(bool ending);
  // Whether the program was ended for not answering, and when.
  std::optional<uint64_t> EndedUnansweredAtMs() const { return endedAtMs_; }

 private:
  std::optional<LRESULT> Send(UINT message, WPARAM wParam, LRESULT defaultResult);

  Process& program_;
  std::optional<uint64_t> endedAtMs_;
};

}  // namespace simhost
