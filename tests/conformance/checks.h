// What the cases share: Wine's check macros, printable forms of the platform's values, and the machine they
// expect. The macros' names are common words (`ok` is also a member of <chrono>'s types): a case file includes
// this header after every other.
#pragma once
#include <string>
#include <string_view>

#include "harness.h"

namespace conformance {

// DWORD is 32 bits on both sides, unsigned int natively and unsigned long on Windows; printf gets unsigned long.
inline unsigned long ul(DWORD value) { return static_cast<unsigned long>(value); }

// A text for a check's message: line ends shown as \r and \n, anything beyond ASCII as '?'.
inline std::string Narrow(std::wstring_view text) {
  std::string out;
  for (const wchar_t c : text) {
    if (c == L'\r') {
      out += "\\r";
    } else if (c == L'\n') {
      out += "\\n";
    } else {
      out += c < 0x80 ? static_cast<char>(c) : '?';
    }
  }
  return out;
}

}  // namespace conformance

#define ok(condition, ...) t.results.Check((condition), __FILE__, __LINE__, __VA_ARGS__)
#define skip(...) t.results.Skip(__FILE__, __LINE__, __VA_ARGS__)
#define todo_wine_if(condition) \
  if (const ::conformance::TodoScope todo_scope_{t.results, (condition)}) {} else
#define todo_wine todo_wine_if(true)
