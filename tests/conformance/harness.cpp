#include "harness.h"

#include <cstdio>

namespace conformance {
namespace {

const char* BaseName(const char* path) {
  const char* base = path;
  for (const char* p = path; *p != '\0'; ++p) {
    if (*p == '/' || *p == '\\') base = p + 1;
  }
  return base;
}

}  // namespace

void Results::Begin(const char* name) {
  test_ = name;
  std::printf("-- %s\n", name);
  std::fflush(stdout);
}

bool Results::Check(bool condition, const char* file, int line, const char* format, ...) {
  const char* verdict = nullptr;
  bool counted = condition;
  if (todo_) {
    if (condition) {
      verdict = "Test succeeded inside todo block";
      ++failed_;
      counted = false;
    } else {
      verdict = "Test marked todo";
      ++todos_;
      counted = true;
    }
  } else if (condition) {
    ++passed_;
  } else {
    verdict = "Test failed";
    ++failed_;
  }
  std::printf("%s:%d: %s: %s: ", BaseName(file), line, test_, verdict != nullptr ? verdict : "ok");
  va_list arguments;
  va_start(arguments, format);
  std::vprintf(format, arguments);
  va_end(arguments);
  std::fflush(stdout);
  return counted;
}

void Results::Skip(const char* file, int line, const char* format, ...) {
  ++skipped_;
  std::printf("%s:%d: %s: Tests skipped: ", BaseName(file), line, test_);
  va_list arguments;
  va_start(arguments, format);
  std::vprintf(format, arguments);
  va_end(arguments);
  std::fflush(stdout);
}

int Results::Summary() const {
  std::printf("conformance: %d tests executed (%d marked as todo, %d failures), %d skipped.\n",
              passed_ + failed_ + todos_, todos_, failed_, skipped_);
  std::fflush(stdout);
  return failed_ == 0 && passed_ > 0 ? 0 : 1;
}

}  // namespace conformance
