// The one door to the scanner: every request is a command transaction on a fresh channel, opened by its
// channel name and closed before the call returns. "USB" (exactly) selects the usbscan pipe; any other name
// is the device's IPv4 address for the socket link. A failed phase prints one "\t[USB Error] N-%s\n" line.
#pragma once
#include <cstdint>
#include <string>

#include "link/protocol.h"
#include "platform/host.h"

// The channel name fits a buffer of this many wide characters with its terminating NUL; a longer one is refused.
inline constexpr size_t kChannelNameChars = 20;

// Opcode 0x2B: data-out, then the status reply. 0x28: reply, then data-in. 0x2A: reply, then data-out.
// Anything else: the reply alone. The data length is the block's bytes 12-15.
bool RunCommandTransaction(plat::Host& host, const std::wstring& channel, const uint8_t* block, const uint8_t* dataOut,
                           uint8_t* dataIn, uint8_t* statusReply, DWORD statusLength);

// The command encoded and run with a whole status reply, and a data-in phase's bytes to dataIn: every request
// of the search and the update but the firmware's data-out.
bool RunCommand(plat::Host& host, const std::wstring& channel, const proto::CommandBlock& command,
                proto::ReplyBytes& statusReply, uint8_t* dataIn = nullptr);

// Opens and closes the channel. The USB release number (0 on the socket link) goes to releaseNumber if given.
bool ProbeDevice(plat::Host& host, const std::wstring& channel, DWORD* releaseNumber);

// How many scanners the channel reaches: the usbscan devices with the scanner's ids for "USB", one for an
// address. Nothing is sent to any of them.
int CountScanners(plat::Host& host, const std::wstring& channel);
