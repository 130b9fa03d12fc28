#include "link/trace_file.h"

#include <cstdint>
#include <cstdio>
#include <memory>

#include "app/text_format.h"
#include "link/device_channel.h"

namespace {

struct CloseFile {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using UniqueFilePointer = std::unique_ptr<std::FILE, CloseFile>;

void PutUnit(std::string& bytes, unsigned unit) {
  bytes += static_cast<char>(unit & 0xFF);
  bytes += static_cast<char>((unit >> 8) & 0xFF);
}

#ifndef _WIN32
std::string Utf8(std::wstring_view text) {
  std::string bytes;
  for (const wchar_t c : text) {
    const auto code = static_cast<uint32_t>(c);
    if (code < 0x80) {
      bytes += static_cast<char>(code);
    } else if (code < 0x800) {
      bytes += static_cast<char>(0xC0 | (code >> 6));
      bytes += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      bytes += static_cast<char>(0xE0 | (code >> 12));
      bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      bytes += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      bytes += static_cast<char>(0xF0 | (code >> 18));
      bytes += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      bytes += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return bytes;
}
#endif

UniqueFilePointer OpenForAppending(const std::wstring& path) {
#ifdef _WIN32
  return UniqueFilePointer(_wfopen(path.c_str(), L"ab"));
#else
  return UniqueFilePointer(std::fopen(Utf8(path).c_str(), "ab"));
#endif
}

}  // namespace

std::string Utf16LittleEndian(std::wstring_view text) {
  std::string bytes;
  for (const wchar_t c : text) {
    const auto code = static_cast<uint32_t>(c);
    if (code > 0xFFFF) {
      PutUnit(bytes, 0xD800 + ((code - 0x10000) >> 10));
      PutUnit(bytes, 0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      PutUnit(bytes, code);
    }
  }
  return bytes;
}

bool AppendUtf16Text(const std::wstring& path, std::wstring_view text) {
  const UniqueFilePointer file = OpenForAppending(path);
  if (!file) return false;
  const std::string bytes = Utf16LittleEndian(text);
  return std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
}

void CDeviceChannel::AppendTrace(const std::wstring& line, const std::wstring& tracePath, int traceSwitch) {
  if (traceSwitch == 0) return;
  AppendUtf16Text(tracePath, text::Format(L"%s\r\n", line));
}
