// One TCP connection to the emulated device. The stream carries transactions back to back with no framing:
// it reads exactly what the device expects next (the 16-byte block, the data-out) and sends what the device
// gives (the reply, the data-in). When the device stalls the connection goes silent.
#pragma once

#include <cstdint>
#include <vector>

#include "emulator/socket_fd.h"
#include "emulator/tessaline_device.h"

namespace emu {

class DeviceConnection {
public:
    DeviceConnection(SocketFd socket, uint64_t nowMs);

    int Fd() const { return socket_.Get(); }
    uint64_t LastActivityMs() const { return lastActivityMs_; }
    // Every byte the device gave has gone to the socket.
    bool AllSent() const { return pendingSent_ == pending_.size(); }
    // poll() events this connection waits for; 0 while the device is stalled.
    short PollEvents(const TessalineDevice& device) const;
    // False once the connection is over: the peer closed, a socket error, or the device went away.
    bool Service(TessalineDevice& device, short revents, uint64_t nowMs);

private:
    bool Receive(TessalineDevice& device, uint64_t nowMs);
    bool Send(TessalineDevice& device, uint64_t nowMs);

    SocketFd socket_;
    std::vector<uint8_t> buffer_;
    std::vector<uint8_t> pending_;  // device bytes not yet taken by the socket
    size_t pendingSent_ = 0;
    uint64_t lastActivityMs_ = 0;
};

}  // namespace emu
