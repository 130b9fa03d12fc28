#include "host/guard_switch.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace guard {
namespace {

// The program's path is the first word, quoted or not; the rest split at spaces.
std::vector<std::wstring_view> Words(std::wstring_view line) {
  std::vector<std::wstring_view> words;
  size_t at = 0;
  if (!line.empty() && line[0] == L'"') {
    const size_t close = line.find(L'"', 1);
    at = close == std::wstring_view::npos ? line.size() : close + 1;
    words.push_back(line.substr(0, at));
  }
  while (at < line.size()) {
    while (at < line.size() && line[at] == L' ') ++at;
    const size_t end = std::min(line.find(L' ', at), line.size());
    if (end > at) words.push_back(line.substr(at, end - at));
    at = end;
  }
  return words;
}

// A decimal process id: digits only, no more than a DWORD holds.
DWORD ParseProcessId(std::wstring_view word) {
  if (word.empty() || word.size() > 10) return 0;
  uint64_t value = 0;
  for (const wchar_t c : word) {
    if (c < L'0' || c > L'9') return 0;
    value = value * 10 + static_cast<uint64_t>(c - L'0');
  }
  return value > 0xFFFFFFFFu ? 0 : static_cast<DWORD>(value);
}

}  // namespace

std::optional<GuardOrder> ParseGuardCommandLine(std::wstring_view commandLine) {
  const std::vector<std::wstring_view> words = Words(commandLine);
  if (words.size() < 2 || words[1] != kGuardSwitch) return std::nullopt;
  GuardOrder order;
  if (words.size() == 3 && words[2] == kBootArgument) {
    order.boot = true;
  } else if (words.size() == 3) {
    order.toolId = ParseProcessId(words[2]);
  }
  return order;
}

std::wstring GuardCommandLine(plat::Host& host, std::wstring_view arguments) {
  wchar_t path[1024] = {};
  const DWORD length = host.process.GetModuleFileNameW(nullptr, path, 1024);
  const std::wstring_view program(path, length < 1024 ? length : 0);
  return L"\"" + std::wstring(program) + L"\" " + kGuardSwitch + L" " + std::wstring(arguments);
}

std::wstring ToolArgument(DWORD toolId) { return std::to_wstring(toolId); }

std::wstring GivenBackEventName(DWORD toolId) { return L"FWUpdate service given back " + std::to_wstring(toolId); }

}  // namespace guard
