// The debug log: its callers hand it lines, and it writes and keeps nothing.
#pragma once

class DebugLog {
 public:
  DebugLog() = default;
  DebugLog(const DebugLog&) = delete;
  DebugLog& operator=(const DebugLog&) = delete;
  virtual ~DebugLog() = default;

  template <class... Args>
  void Log(const wchar_t* /*format*/, const Args&... /*args*/) const {}
};

// The one instance for the whole run.
extern const DebugLog g_debugLog;
