// The device's IPv4 address as the socket link reads it from a channel name: four decimal numbers a.b.c.d, each
// read as the C library's _wtoi reads (leading white space and a sign, digits up to the first other character,
// saturating at the int range), of which only the low 8 bits count; d is read from at most three characters.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

// The address bytes in network order; none for a text with fewer than three dots.
std::optional<std::array<uint8_t, 4>> ReadDeviceAddress(std::wstring_view text);

// _wtoi: the decimal number at the start of the text, 0 when there is none.
int ReadDecimal(std::wstring_view text);
