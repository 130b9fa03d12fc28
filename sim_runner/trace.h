// The event trace of one run: time-stamped lines, printed when a seed is replayed or fails.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace sim_runner {

class Trace {
 public:
  void Add(uint64_t atMs, std::string line) { lines_.push_back({atMs, std::move(line)}); }
  std::string Text() const;

 private:
  struct Line {
    uint64_t atMs;
    std::string text;
  };
  std::vector<Line> lines_;
};

// Wide text as UTF-8, for the trace and the reports.
std::string Utf8(const std::wstring& text);

}  // namespace sim_runner
