#include "simhost/profile.h"

#include <cwctype>
#include <sstream>

namespace simhost {
namespace {

std::wstring Trim(const std::wstring& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && std::iswspace(static_cast<wint_t>(text[begin]))) ++begin;
  while (end > begin && std::iswspace(static_cast<wint_t>(text[end - 1]))) --end;
  return text.substr(begin, end - begin);
}

// The reading of a number that the platform applies: blanks, a sign, decimal digits; modulo 2^32.
UINT ParseProfileInt(const std::wstring& value) {
  size_t pos = 0;
  while (pos < value.size() && std::iswspace(static_cast<wint_t>(value[pos]))) ++pos;
  bool negative = false;
  if (pos < value.size() && (value[pos] == L'+' || value[pos] == L'-')) negative = value[pos++] == L'-';
  uint32_t result = 0;
  for (; pos < value.size() && value[pos] >= L'0' && value[pos] <= L'9'; ++pos) {
    result = result * 10u + static_cast<uint32_t>(value[pos] - L'0');
  }
  return negative ? 0u - result : result;
}

}  // namespace

std::optional<std::wstring> FindProfileValue(const std::wstring& content, const std::wstring& section,
                                             const std::wstring& key) {
  std::wistringstream lines(content);
  std::wstring line;
  bool inSection = false;
  const std::wstring wantedSection = FoldCase(section);
  const std::wstring wantedKey = FoldCase(key);
  while (std::getline(lines, line)) {
    const std::wstring trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == L';') continue;
    if (trimmed[0] == L'[') {
      const size_t close = trimmed.find(L']');
      inSection = close != std::wstring::npos && FoldCase(Trim(trimmed.substr(1, close - 1))) == wantedSection;
      continue;
    }
    if (!inSection) continue;
    const size_t equals = trimmed.find(L'=');
    if (equals == std::wstring::npos) continue;
    if (FoldCase(Trim(trimmed.substr(0, equals))) == wantedKey) return Trim(trimmed.substr(equals + 1));
  }
  return std::nullopt;
}

UINT Profile::GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, INT defaultValue, LPCWSTR fileName) {
  if (section == nullptr || key == nullptr || fileName == nullptr) return static_cast<UINT>(defaultValue);
  const auto content = state_.world.ReadTextFile(fileName);
  if (!content) return static_cast<UINT>(defaultValue);
  const auto value = FindProfileValue(*content, section, key);
  if (!value || value->empty()) return static_cast<UINT>(defaultValue);
  return ParseProfileInt(*value);
}

}  // namespace simhost
