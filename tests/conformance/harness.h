// The conformance suite's harness, in the manner of Wine's tests: flat test functions, checks that print what
// they got, todo_wine for a check Wine is known to fail, and a count that makes the exit status.
//
//   ok(cond, fmt, ...)         a check; a failing one prints fmt with the values it got
//   todo_wine ok(cond, ...)    expected to fail under Wine (reported, not counted as a failure there); a mark
//                              that passes under Wine is a failure, so a fixed Wine shows
//   skip(fmt, ...)             a case that cannot run here, with the reason
#pragma once
#include <cstdarg>

#include "platform/host.h"

namespace conformance {

// The machine both builds set up: usbscan0 is the emulated scanner, whose first transaction's reply never
// comes (the channel's close ends that stall, so later transactions are answered); the usbscan driver holds an
// unanswered request this long before failing it; usbscan9 does not exist.
inline constexpr DWORD kDriverTimeoutMs = 1000;

// What a case needs beyond the seam: another process of the same machine and session, and which thread runs.
// Each build's main supplies it; the checks themselves go through the seam alone.
class IMachine {
 public:
  virtual ~IMachine() = default;
  // Starts another process that creates the named mutex owned; returns once it owns it.
  virtual bool StartMutexHolder(const wchar_t* name) = 0;
  // Ends that process without it releasing the mutex.
  virtual bool EndMutexHolder() = 0;
  // An id of the calling thread, the same for the same thread.
  virtual unsigned long CurrentThreadId() = 0;
};

class Results {
 public:
  explicit Results(bool onWine) : onWine_(onWine) {}
  // True when the check counts as passed (a todo under Wine that failed, as expected, counts as passed).
  bool Check(bool condition, const char* file, int line, const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 5, 6)))
#endif
      ;
  void Skip(const char* file, int line, const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 4, 5)))
#endif
      ;
  void BeginTodo(bool todo) { todo_ = todo && onWine_; }
  void EndTodo() { todo_ = false; }
  void Begin(const char* name);
  int Summary() const;  // prints the counts; the exit status: 0 when nothing failed

 private:
  bool onWine_;
  bool todo_ = false;
  const char* test_ = "";
  int passed_ = 0;
  int failed_ = 0;
  int todos_ = 0;
  int skipped_ = 0;
};

// What every case gets; the macros below reach the counts through a context named `t`. Checks are made on
// the suite's main thread only: a case's other threads record what they saw for it to check.
struct Context {
  plat::Host& host;
  IMachine& machine;
  Results& results;
  bool onWine = false;  // the Win32 build under Wine: todo_wine marks apply
};

// A todo mark that ends with its statement, as Wine's todo_wine does.
class TodoScope {
 public:
  TodoScope(Results& results, bool todo) : results_(results) { results_.BeginTodo(todo); }
  ~TodoScope() { results_.EndTodo(); }
  TodoScope(const TodoScope&) = delete;
  TodoScope& operator=(const TodoScope&) = delete;
  explicit operator bool() const { return false; }

 private:
  Results& results_;
};

// Every case, in the order they run.
void RunAll(Context& context);

}  // namespace conformance
