// One client of tessaline-emu's bridge port: the Wine rig's usbscan driver. Request frames in, one reply
// frame out per request (emulator/bridge_protocol.h). A write's bytes go to the device piece by piece as they
// arrive, so nothing is ever allocated by a size the client sent; a read's buffer is at most 65536 bytes, the
// most any stage of the device gives.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "emulator/channel_holder.h"
#include "emulator/socket_fd.h"
#include "emulator/tessaline_device.h"

namespace emu {

class BridgeConnection {
public:
    BridgeConnection(SocketFd socket, uint64_t nowMs);

    int Fd() const { return socket_.Get(); }
    uint64_t LastActivityMs() const { return lastActivityMs_; }
    // POLLOUT while a reply is on its way (requests wait meanwhile), otherwise POLLIN.
    short PollEvents() const;
    // False once the connection is over: the peer closed, a socket error, or a bad request was answered.
    bool Service(TessalineDevice& device, ChannelHolder& channel, short revents, uint64_t nowMs);

private:
    bool Receive(TessalineDevice& device, ChannelHolder& channel, uint64_t nowMs);
    void BeginRequest(TessalineDevice& device, ChannelHolder& channel, uint64_t nowMs);
    void BeginWrite(TessalineDevice& device, ChannelHolder& channel, uint32_t size, uint64_t nowMs);
    void FeedWrite(TessalineDevice& device, const ChannelHolder& channel, const uint8_t* data, size_t size,
                   uint64_t nowMs);
    void Read(TessalineDevice& device, ChannelHolder& channel, uint32_t size, uint64_t nowMs);
    void Reply(uint8_t result, uint32_t value, const uint8_t* payload = nullptr, size_t payloadSize = 0);
    bool Flush();

    SocketFd socket_;
    std::array<uint8_t, 8> header_{};
    size_t headerGot_ = 0;
    // The write whose payload is arriving: bytes still to come, bytes the device may still take, the
    // outcome once the device has answered (ABSENT should it go away before the last piece), and what it took.
    uint32_t payloadLeft_ = 0;
    size_t feedLeft_ = 0;
    std::optional<uint8_t> writeResult_;
    uint32_t written_ = 0;
    std::vector<uint8_t> piece_;
    std::vector<uint8_t> output_;
    size_t outputSent_ = 0;
    bool closing_ = false;  // close once the reply is out
    uint64_t lastActivityMs_ = 0;
};

}  // namespace emu
