#include "app/text_format.h"

#include <algorithm>

namespace text {
namespace {

struct Conversion {
  bool leftAlign = false;
  bool zeroPad = false;
  bool plusSign = false;
  bool space = false;
  size_t width = 0;
  bool hasPrecision = false;
  size_t precision = 0;
  int lengthBits = 32;  // 64 for ll, I64
  wchar_t letter = 0;
};

// Parses flags, width, precision and length after '%'; returns the position after the conversion character,
// or npos for an incomplete conversion at the end of the format.
size_t ParseConversion(std::wstring_view format, size_t pos, Conversion& conversion) {
  for (; pos < format.size(); ++pos) {
    const wchar_t c = format[pos];
    if (c == L'-') conversion.leftAlign = true;
    else if (c == L'0') conversion.zeroPad = true;
    else if (c == L'+') conversion.plusSign = true;
    else if (c == L' ') conversion.space = true;
    else if (c == L'#') continue;
    else break;
  }
  for (; pos < format.size() && format[pos] >= L'0' && format[pos] <= L'9'; ++pos) {
    conversion.width = std::min<size_t>(conversion.width * 10 + static_cast<size_t>(format[pos] - L'0'), 4096);
  }
  if (pos < format.size() && format[pos] == L'.') {
    conversion.hasPrecision = true;
    for (++pos; pos < format.size() && format[pos] >= L'0' && format[pos] <= L'9'; ++pos) {
      conversion.precision = std::min<size_t>(conversion.precision * 10 + static_cast<size_t>(format[pos] - L'0'), 4096);
    }
  }
  while (pos < format.size() && (format[pos] == L'l' || format[pos] == L'h' || format[pos] == L'w')) {
    if (format[pos] == L'l' && pos + 1 < format.size() && format[pos + 1] == L'l') {
      conversion.lengthBits = 64;
      ++pos;
    }
    ++pos;
  }
  if (format.substr(pos, 3) == L"I64") {
    conversion.lengthBits = 64;
    pos += 3;
  }
  if (pos >= format.size()) return std::wstring_view::npos;
  conversion.letter = format[pos];
  return pos + 1;
}

std::wstring Digits(uint64_t value, unsigned base, bool upper) {
  const wchar_t* digits = upper ? L"0123456789ABCDEF" : L"0123456789abcdef";
  std::wstring out;
  do {
    out.insert(out.begin(), digits[value % base]);
    value /= base;
  } while (value != 0);
  return out;
}

std::wstring Pad(std::wstring body, const Conversion& conversion, bool numeric) {
  if (body.size() >= conversion.width) return body;
  const size_t fill = conversion.width - body.size();
  if (conversion.leftAlign) return body + std::wstring(fill, L' ');
  if (numeric && conversion.zeroPad && !conversion.hasPrecision) {
    const size_t signLength = (!body.empty() && (body[0] == L'-' || body[0] == L'+' || body[0] == L' ')) ? 1 : 0;
    return body.substr(0, signLength) + std::wstring(fill, L'0') + body.substr(signLength);
  }
  return std::wstring(fill, L' ') + body;
}

std::wstring FormatInteger(const FormatArg& arg, const Conversion& conversion) {
  int64_t signedValue = 0;
  uint64_t unsignedValue = 0;
  if (const auto* s = std::get_if<int64_t>(&arg)) {
    signedValue = *s;
    unsignedValue = static_cast<uint64_t>(*s);
  } else if (const auto* u = std::get_if<uint64_t>(&arg)) {
    signedValue = static_cast<int64_t>(*u);
    unsignedValue = *u;
  } else {
    return std::wstring();
  }
  if (conversion.lengthBits == 32) {
    unsignedValue &= 0xFFFFFFFFu;
    signedValue = static_cast<int32_t>(static_cast<uint32_t>(unsignedValue));
  }
  std::wstring body;
  switch (conversion.letter) {
    case L'd':
    case L'i': {
      const bool negative = signedValue < 0;
      const uint64_t magnitude = negative ? (~static_cast<uint64_t>(signedValue) + 1) : static_cast<uint64_t>(signedValue);
      body = Digits(magnitude, 10, false);
      if (conversion.hasPrecision && body.size() < conversion.precision) body.insert(0, conversion.precision - body.size(), L'0');
      if (negative) body.insert(0, 1, L'-');
      else if (conversion.plusSign) body.insert(0, 1, L'+');
      else if (conversion.space) body.insert(0, 1, L' ');
      break;
    }
    case L'u':
    case L'x':
    case L'X':
      body = Digits(unsignedValue, conversion.letter == L'u' ? 10 : 16, conversion.letter == L'X');
      if (conversion.hasPrecision && body.size() < conversion.precision) body.insert(0, conversion.precision - body.size(), L'0');
      break;
    case L'c':
      body.assign(1, static_cast<wchar_t>(unsignedValue));
      return Pad(body, conversion, false);
    default:
      return std::wstring();
  }
  return Pad(body, conversion, true);
}

}  // namespace

std::wstring FormatArgs(std::wstring_view format, std::initializer_list<FormatArg> args) {
  std::wstring out;
  out.reserve(format.size() + 32);
  const FormatArg* next = args.begin();
  size_t pos = 0;
  while (pos < format.size()) {
    const wchar_t c = format[pos];
    if (c != L'%') {
      out.push_back(c);
      ++pos;
      continue;
    }
    if (pos + 1 < format.size() && format[pos + 1] == L'%') {
      out.push_back(L'%');
      pos += 2;
      continue;
    }
    Conversion conversion;
    const size_t after = ParseConversion(format, pos + 1, conversion);
    if (after == std::wstring_view::npos) break;
    pos = after;
    if (next == args.end()) continue;
    const FormatArg& arg = *next++;
    if (conversion.letter == L's' || conversion.letter == L'S') {
      const auto* textArg = std::get_if<std::wstring_view>(&arg);
      if (textArg == nullptr) continue;
      std::wstring body(*textArg);
      if (conversion.hasPrecision && body.size() > conversion.precision) body.resize(conversion.precision);
      out += Pad(std::move(body), conversion, false);
    } else {
      out += FormatInteger(arg, conversion);
    }
  }
  return out;
}

}  // namespace text
