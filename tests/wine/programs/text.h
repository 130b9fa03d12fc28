// Text for the rig's Windows programs: their standard output is UTF-8, read by the rig's Python side.
#pragma once

#include <string>

namespace rig {

std::string Utf8(const std::wstring& text);
std::wstring Wide(const std::string& utf8);
// A JSON string literal, quotes included.
std::string JsonString(const std::wstring& text);
// One line to standard output, flushed at once: the rig waits for it.
void WriteLine(const std::string& line);

}  // namespace rig
