// The run's log for administrators: one UTF-8 line per event, appended, each with the local time and the
// milliseconds since the run started. Written from every thread of the program: each event is one WriteFile on
// a handle opened for appending only, which the system puts at the end of the file whole, so no lock is needed.
#pragma once
#include <string>
#include <string_view>

#include "platform/host.h"
#include "platform/unique_handle.h"

namespace app {

// Where /quiet and /check log without /log: a folder of its own under %ProgramData%, which an administrator
// (or a collection script run as SYSTEM) finds on every machine. Empty when the variable is not set.
std::wstring DefaultLogFolder(plat::Host& host);
inline constexpr std::wstring_view kDefaultLogName = L"FWUpdate.log";

// "2026-01-05 09:00:01.234 +1234ms [status] text": the time stamp, the milliseconds since start, the kind.
std::string LogLine(const SYSTEMTIME& local, DWORD sinceStartMs, std::wstring_view kind, std::wstring_view text);

class RunLog {
 public:
  explicit RunLog(plat::Host& host);
  RunLog(const RunLog&) = delete;
  RunLog& operator=(const RunLog&) = delete;

  // Appends to the file from now on; false (and no log) when it cannot be opened. A folder given is made first.
  bool Open(const std::wstring& path, const std::wstring& folder = std::wstring());
  bool IsOpen() const { return file_.IsValid(); }
  // One line per line of text; a text without any is one empty line.
  void Write(std::wstring_view kind, std::wstring_view text);

 private:
  plat::Host& host_;
  const DWORD startTick_;
  plat::UniqueFile file_;
};

}  // namespace app
