// The baseline: plain blocking POSIX sockets on 127.0.0.1, with nothing of the tool in between. This header
// names no socket type, so files that see the seam's Windows socket types can include it.
#pragma once
#include <cstddef>
#include <cstdint>

#include "emulator/socket_fd.h"

namespace bench {

// Connected with TCP_NODELAY (as the tool's link sets it), or invalid.
emu::SocketFd ConnectLoopback(uint16_t port);
bool SendAll(int fd, const uint8_t* data, size_t size);
bool ReceiveAll(int fd, uint8_t* buffer, size_t size);

// One command transaction done by hand: the 16-byte block, the 32-byte reply, then `dataOut` bytes of
// data-out (none when 0), then both directions shut and the socket closed, as the tool's link closes.
bool BareTransaction(uint16_t port, const uint8_t* block, const uint8_t* data, size_t dataOut);

}  // namespace bench
