#include "link/device_address.h"

#include <climits>
#include <cwctype>

int ReadDecimal(std::wstring_view text) {
  size_t at = 0;
  while (at < text.size() && std::iswspace(static_cast<wint_t>(text[at]))) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == L'+' || text[at] == L'-')) negative = text[at++] == L'-';
  // Accumulated as a magnitude and saturated, as the runtime library does for a number out of range.
  const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
  long long magnitude = 0;
  for (; at < text.size() && text[at] >= L'0' && text[at] <= L'9'; ++at) {
    magnitude = magnitude * 10 + (text[at] - L'0');
    if (magnitude > limit) magnitude = limit;
  }
  return static_cast<int>(negative ? -magnitude : magnitude);
}

std::optional<std::array<uint8_t, 4>> ReadDeviceAddress(std::wstring_view text) {
  size_t dots[3];
  size_t from = 0;
  for (size_t& dot : dots) {
    dot = text.find(L'.', from);
    if (dot == std::wstring_view::npos) return std::nullopt;
    from = dot + 1;
  }
  const auto low8 = [](int value) { return static_cast<uint8_t>(static_cast<unsigned>(value) & 0xFF); };
  return std::array<uint8_t, 4>{low8(ReadDecimal(text)), low8(ReadDecimal(text.substr(dots[0] + 1))),
                                low8(ReadDecimal(text.substr(dots[1] + 1))),
                                low8(ReadDecimal(text.substr(dots[2] + 1, 3)))};
}
