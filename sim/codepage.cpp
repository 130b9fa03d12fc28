#include "sim/codepage.h"

#include <cstring>

namespace sim {
namespace {

constexpr wchar_t kReplacement = 0xFFFD;

// The length of the well-formed sequence a lead byte opens, and the range its first continuation byte must
// be in (narrower after E0, ED, F0, F4: no overlong forms, no surrogates, nothing above U+10FFFF).
struct Lead {
  int length;
  unsigned char low;
  unsigned char high;
};

Lead LeadOf(unsigned char byte) {
  if (byte >= 0xC2 && byte <= 0xDF) return {2, 0x80, 0xBF};
  if (byte == 0xE0) return {3, 0xA0, 0xBF};
  if (byte == 0xED) return {3, 0x80, 0x9F};
  if (byte >= 0xE1 && byte <= 0xEF) return {3, 0x80, 0xBF};
  if (byte == 0xF0) return {4, 0x90, 0xBF};
  if (byte >= 0xF1 && byte <= 0xF3) return {4, 0x80, 0xBF};
  if (byte == 0xF4) return {4, 0x80, 0x8F};
  return {0, 0, 0};
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
    const Lead lead = LeadOf(byte);
    if (lead.length == 0) {
      out.push_back(kReplacement);
      ++pos;
      continue;
    }
    uint32_t codePoint = byte & (0xFFu >> (lead.length + 1));
    size_t next = pos + 1;
    bool complete = true;
    for (int i = 1; i < lead.length; ++i, ++next) {
      const unsigned char low = i == 1 ? lead.low : 0x80;
      const unsigned char high = i == 1 ? lead.high : 0xBF;
      if (next >= length || bytes[next] < low || bytes[next] > high) {
        complete = false;
        break;
      }
      codePoint = (codePoint << 6) | (bytes[next] & 0x3Fu);
    }
    // An incomplete sequence is replaced as one unit; the byte that broke it is read again on its own.
    if (complete) {
      AppendUtf16(out, codePoint);
    } else {
      out.push_back(kReplacement);
    }
    pos = next;
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

}  // namespace sim
