// The device link's trace file: lines appended as UTF-16 little-endian text, without a byte-order mark. File
// access goes through the C library on both platforms; the path is wide text (UTF-8 for the POSIX library).
#pragma once
#include <string>
#include <string_view>

// Appends the text's UTF-16 units, low byte first. False when the file cannot be opened or written.
bool AppendUtf16Text(const std::wstring& path, std::wstring_view text);

// The UTF-16 little-endian bytes of a text (wchar_t may be 32 bits wide: those above U+FFFF become pairs).
std::string Utf16LittleEndian(std::wstring_view text);
