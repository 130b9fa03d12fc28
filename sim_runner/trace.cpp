#include "sim_runner/trace.h"

#include <cstdio>

namespace sim_runner {

std::string Trace::Text() const {
  std::string out;
  char stamp[32];
  for (const Line& line : lines_) {
    std::snprintf(stamp, sizeof stamp, "%10llu ms  ", static_cast<unsigned long long>(line.atMs));
    out += stamp;
    out += line.text;
    out += '\n';
  }
  return out;
}

std::string Utf8(const std::wstring& text) {
  std::string out;
  for (const wchar_t wc : text) {
    const auto c = static_cast<uint32_t>(wc);
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | ((c >> 12) & 0x0F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

}  // namespace sim_runner
