// Firmware version numbers: a 32-bit value with the major number in the upper 16 bits and the minor number in
// the lower 16, shown as "major.minor" with at least two minor digits; and the scanner's UTF-8 texts as wide
// text. Stateless; any thread may call them.
#pragma once
#include <string>

#include "platform/host.h"

// The version of the firmware this program carries, kept as text and parsed where it is compared.
inline constexpr const wchar_t* kCarriedFirmwareVersion = L"0.68";

std::wstring FormatVersion(DWORD version);
// "major.minor": each part read as a leading decimal integer (blanks and a sign allowed, no digits read as 0),
// cut to its low 16 bits. A text without a point is 0.
DWORD ParseVersion(const std::wstring& text);
// True exactly when the main-board version equals the carried version; the channel and the panel version play
// no part.
bool IsLatestVersion(const std::wstring& channel, DWORD mainBoardVersion, const std::wstring& panelVersion);
// The NUL-terminated UTF-8 bytes as wide text; empty when the conversion yields no character.
std::wstring Utf8ToText(plat::Host& host, const char* bytes);
