// Which scanner the update talks to. Every request opens the first usbscan device with the scanner's ids, so
// with two scanners on the bus an answer may come from the wrong one: the update goes on only while one scanner
// is there, and the one that comes back from the power cycle must carry the identification it read before.
#pragma once
#include <array>
#include <optional>
#include <string>

#include "link/protocol.h"
#include "platform/host.h"

using ScannerIdentification = std::array<uint8_t, proto::kIdentificationSize>;

// The identification read's data; none when the read fails.
std::optional<ScannerIdentification> ReadIdentification(plat::Host& host, const std::wstring& channel,
                                                         proto::ReplyBytes& status);

// The scanners the channel reaches now, and a console line naming them when there is more than one. The caller's
// tag starts the line.
bool OnlyOneScanner(plat::Host& host, const std::wstring& channel, const wchar_t* tag);
