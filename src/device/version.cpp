#include "device/version.h"

#include <algorithm>
#include <climits>
#include <cwctype>
#include <vector>

#include "app/text_format.h"

namespace {

// The leading decimal integer, as the C library's wide atoi reads it: blanks, a sign, digits; a value out of
// the int range saturates there instead of overflowing.
int LeadingInteger(const std::wstring& text) {
  size_t pos = 0;
  while (pos < text.size() && std::iswspace(static_cast<wint_t>(text[pos]))) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == L'+' || text[pos] == L'-')) negative = text[pos++] == L'-';
  long long magnitude = 0;
  for (; pos < text.size() && text[pos] >= L'0' && text[pos] <= L'9'; ++pos) {
    if (magnitude <= static_cast<long long>(INT_MAX) + 1) magnitude = magnitude * 10 + (text[pos] - L'0');
  }
  const long long value = negative ? -magnitude : magnitude;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

DWORD Low16(int value) { return static_cast<DWORD>(value) & 0xFFFFu; }

}  // namespace

std::wstring FormatVersion(DWORD version) { return text::Format(L"%u.%02u", version >> 16, version & 0xFFFFu); }

DWORD ParseVersion(const std::wstring& text) {
  const size_t point = text.find(L'.');
  if (point == std::wstring::npos) return 0;
  const DWORD major = Low16(LeadingInteger(text.substr(0, point)));
  const DWORD minor = Low16(LeadingInteger(text.substr(point + 1)));
  return (major << 16) | minor;
}

bool IsLatestVersion(const std::wstring&, DWORD mainBoardVersion, const std::wstring&) {
  return mainBoardVersion == ParseVersion(kCarriedFirmwareVersion);
}

std::wstring Utf8ToText(plat::Host& host, const char* bytes) {
  if (bytes == nullptr) return std::wstring();
  const int units = host.codePage.MultiByteToWideChar(CP_UTF8, 0, bytes, -1, nullptr, 0);
  if (units <= 0) return std::wstring();
  std::vector<WCHAR> wide(static_cast<size_t>(units));
  const int written = host.codePage.MultiByteToWideChar(CP_UTF8, 0, bytes, -1, wide.data(), units);
  if (written <= 0) return std::wstring();
  // The count normally ends with the NUL, but a sequence cut short by the NUL can swallow it: the text ends at
  // the first NUL inside the count, never after it.
  const auto end = std::find(wide.begin(), wide.begin() + written, WCHAR{0});
  return std::wstring(wide.begin(), end);
}
