#include "app/text_format.h"

#include <algorithm>

namespace text {
namespace {

struct Spec {
  bool leftAlign = false;
  bool zeroPad = false;
  bool plusSign = false;
  bool space = false;
  size_t width = 0;
  bool hasPrecision = false;
  size_t precision = 0;
  int lengthBits = 32;  // 64 for ll, I64
  wchar_t conversion = 0;
};

// Parses flags, width, precision and length after '%'; returns the position after the conversion character,
// or npos for an incomplete conversion at the end of the format.
size_t ParseSpec(std::wstring_view format, size_t pos, Spec& spec) {
  for (; pos < format.size(); ++pos) {
    const wchar_t c = format[pos];
    if (c == L'-') spec.leftAlign = true;
    else if (c == L'0') spec.zeroPad = true;
    else if (c == L'+') spec.plusSign = true;
    else if (c == L' ') spec.space = true;
    else if (c == L'#') continue;
    else break;
  }
  for (; pos < format.size() && format[pos] >= L'0' && format[pos] <= L'9'; ++pos) {
    spec.width = std::min<size_t>(spec.width * 10 + static_cast<size_t>(format[pos] - L'0'), 4096);
  }
  if (pos < format.size() && format[pos] == L'.') {
    spec.hasPrecision = true;
    for (++pos; pos < format.size() && format[pos] >= L'0' && format[pos] <= L'9'; ++pos) {
      spec.precision = std::min<size_t>(spec.precision * 10 + static_cast<size_t>(format[pos] - L'0'), 4096);
    }
  }
  while (pos < format.size() && (format[pos] == L'l' || format[pos] == L'h' || format[pos] == L'w')) {
    if (format[pos] == L'l' && pos + 1 < format.size() && format[pos + 1] == L'l') {
      spec.lengthBits = 64;
      ++pos;
    }
    ++pos;
  }
  if (format.substr(pos, 3) == L"I64") {
    spec.lengthBits = 64;
    pos += 3;
  }
  if (pos >= format.size()) return std::wstring_view::npos;
  spec.conversion = format[pos];
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

std::wstring Pad(std::wstring body, const Spec& spec, bool numeric) {
  if (body.size() >= spec.width) return body;
  const size_t fill = spec.width - body.size();
  if (spec.leftAlign) return body + std::wstring(fill, L' ');
  if (numeric && spec.zeroPad && !spec.hasPrecision) {
    const size_t signLength = (!body.empty() && (body[0] == L'-' || body[0] == L'+' || body[0] == L' ')) ? 1 : 0;
    return body.substr(0, signLength) + std::wstring(fill, L'0') + body.substr(signLength);
  }
  return std::wstring(fill, L' ') + body;
}

std::wstring FormatInteger(const FormatArg& arg, const Spec& spec) {
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
  if (spec.lengthBits == 32) {
    unsignedValue &= 0xFFFFFFFFu;
    signedValue = static_cast<int32_t>(static_cast<uint32_t>(unsignedValue));
  }
  std::wstring body;
  switch (spec.conversion) {
    case L'd':
    case L'i': {
      const bool negative = signedValue < 0;
      const uint64_t magnitude = negative ? (~static_cast<uint64_t>(signedValue) + 1) : static_cast<uint64_t>(signedValue);
      body = Digits(magnitude, 10, false);
      if (spec.hasPrecision && body.size() < spec.precision) body.insert(0, spec.precision - body.size(), L'0');
      if (negative) body.insert(0, 1, L'-');
      else if (spec.plusSign) body.insert(0, 1, L'+');
      else if (spec.space) body.insert(0, 1, L' ');
      break;
    }
    case L'u':
    case L'x':
    case L'X':
      body = Digits(unsignedValue, spec.conversion == L'u' ? 10 : 16, spec.conversion == L'X');
      if (spec.hasPrecision && body.size() < spec.precision) body.insert(0, spec.precision - body.size(), L'0');
      break;
    case L'c':
      body.assign(1, static_cast<wchar_t>(unsignedValue));
      return Pad(body, spec, false);
    default:
      return std::wstring();
  }
  return Pad(body, spec, true);
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
    Spec spec;
    const size_t after = ParseSpec(format, pos + 1, spec);
    if (after == std::wstring_view::npos) break;
    pos = after;
    if (next == args.end()) continue;
    const FormatArg& arg = *next++;
    if (spec.conversion == L's' || spec.conversion == L'S') {
      const auto* textArg = std::get_if<std::wstring_view>(&arg);
      if (textArg == nullptr) continue;
      std::wstring body(*textArg);
      if (spec.hasPrecision && body.size() > spec.precision) body.resize(spec.precision);
      out += Pad(std::move(body), spec, false);
    } else {
      out += FormatInteger(arg, spec);
    }
  }
  return out;
}

}  // namespace text
