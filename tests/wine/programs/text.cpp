#include "text.h"

#include <windows.h>

#include <cstdio>

namespace rig {

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                       nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
  return out;
}

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), size);
  return out;
}

std::string JsonString(const std::wstring& text) {
  std::wstring escaped = L"\"";
  for (const wchar_t c : text) {
    switch (c) {
      case L'"': escaped += L"\\\""; break;
      case L'\\': escaped += L"\\\\"; break;
      case L'\n': escaped += L"\\n"; break;
      case L'\r': escaped += L"\\r"; break;
      case L'\t': escaped += L"\\t"; break;
      default:
        if (c < 0x20) {
          constexpr wchar_t kHex[] = L"0123456789abcdef";
          escaped += L"\\u00";
          escaped += kHex[(c >> 4) & 0xF];
          escaped += kHex[c & 0xF];
        } else {
          escaped += c;
        }
    }
  }
  return Utf8(escaped + L"\"");
}

void WriteLine(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

}  // namespace rig
