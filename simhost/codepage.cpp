#include "simhost/codepage.h"

#include <cstring>

namespace simhost {
namespace {

constexpr wchar_t kReplacement = 0xFFFD;

// Continuation bytes a lead byte announces; 0 for bytes that cannot start a sequence (stray continuation
// bytes, C0 and C1, F5 to FF).
int ContinuationCount(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return 1;
  if (lead >= 0xE0 && lead <= 0xEF) return 2;
  if (lead >= 0xF0 && lead <= 0xF4) return 3;
  return 0;
}

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// One sequence whose announced bytes all lie inside the input. Continuation bytes are taken one at a time; a
// sequence that proves overlong, a surrogate or above U+10FFFF becomes one replacement, which includes the
// byte that proved it except for the range check, made before that byte is taken (checked against Wine).
// Returns the code point, or 0xFFFFFFFF for a replacement; *pos ends after the bytes taken.
uint32_t DecodeSequence(const unsigned char* bytes, size_t* pos, int count) {
  const unsigned char lead = bytes[(*pos)++];
  uint32_t value = lead & (0x7Fu >> (count + 1));
  constexpr uint32_t kInvalid = 0xFFFFFFFF;
  for (int remaining = count; remaining > 0; --remaining) {
    const unsigned char next = bytes[*pos];
    if (!IsContinuation(next)) return kInvalid;
    value = (value << 6) | (next & 0x3Fu);
    if (remaining == 2 && value >= (0x110000u >> 6)) return kInvalid;
    ++*pos;
    if (remaining == 3 && value < (0x10000u >> 12)) return kInvalid;  // a four-byte form of a smaller value
    if (remaining == 2 && value < (0x800u >> 6)) return kInvalid;     // a three-byte form of a smaller value
    if (remaining == 2 && value >= (0xD800u >> 6) && value <= (0xDFFFu >> 6)) return kInvalid;
  }
  return value;
}

void AppendUtf16(std::wstring& out, uint32_t codePoint) {
  if (codePoint < 0x10000) {
    out.push_back(static_cast<wchar_t>(codePoint));
    return;
  }
  codePoint -= 0x10000;
  out.push_back(static_cast<wchar_t>(0xD800 + (codePoint >> 10)));
  out.push_back(static_cast<wchar_t>(0xDC00 + (codePoint & 0x3FF)));
}

}  // namespace

std::wstring DecodeUtf8(const unsigned char* bytes, size_t length) {
  std::wstring out;
  size_t pos = 0;
  while (pos < length) {
    const unsigned char byte = bytes[pos];
    if (byte < 0x80) {
      out.push_back(static_cast<wchar_t>(byte));
      ++pos;
      continue;
    }
    const int count = ContinuationCount(byte);
    if (count == 0) {
      out.push_back(kReplacement);
      ++pos;
    } else if (static_cast<size_t>(count) > length - pos - 1) {
      // A sequence cut by the end of the input takes the rest of the input with it, even a terminating NUL.
      out.push_back(kReplacement);
      pos = length;
    } else {
      const uint32_t codePoint = DecodeSequence(bytes, &pos, count);
      if (codePoint == 0xFFFFFFFF) {
        out.push_back(kReplacement);
      } else {
        AppendUtf16(out, codePoint);
      }
    }
  }
  return out;
}

int CodePage::Fail(DWORD error) {
  state_.CurrentThread().lastError = error;
  return 0;
}

int CodePage::MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteLength, LPWSTR wide,
                                  int wideLength) {
  ++calls_;
  if (codePage != CP_UTF8) return Fail(ERROR_INVALID_PARAMETER);
  if (flags != 0) return Fail(ERROR_INVALID_FLAGS);  // only MB_ERR_INVALID_CHARS is allowed, and it is not modelled
  if (multiByte == nullptr || multiByteLength == 0 || multiByteLength < -1 || wideLength < 0 ||
      (wide == nullptr && wideLength != 0)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  const size_t length = multiByteLength == -1 ? std::strlen(multiByte) + 1 : static_cast<size_t>(multiByteLength);
  const std::wstring units = DecodeUtf8(reinterpret_cast<const unsigned char*>(multiByte), length);
  const int count = static_cast<int>(units.size());
  if (wideLength == 0) return count;
  if (count > wideLength) return Fail(ERROR_INSUFFICIENT_BUFFER);
  units.copy(wide, units.size());
  return count;
}

}  // namespace simhost
