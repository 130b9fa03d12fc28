// One client of the control port: text lines in, one reply line out per command line. Bounded: a line
// longer than kMaxLine, or a client that stops reading its replies, ends the connection.
#pragma once

#include <cstdint>
#include <string>

#include "emulator/socket_fd.h"
#include "emulator/tessaline_device.h"

namespace emu {

class ControlConnection {
public:
    static constexpr size_t kMaxLine = 4096;
    static constexpr size_t kMaxPendingReplies = 1 << 20;

    ControlConnection(SocketFd socket, uint64_t nowMs) : socket_(std::move(socket)), lastActivityMs_(nowMs) {}

    int Fd() const { return socket_.Get(); }
    uint64_t LastActivityMs() const { return lastActivityMs_; }
    short PollEvents() const;
    // False once the connection is over.
    bool Service(TessalineDevice& device, short revents, uint64_t nowMs);

private:
    bool Flush();  // false on a send error; replies the socket cannot take yet wait for POLLOUT

    SocketFd socket_;
    std::string input_;
    std::string output_;
    bool closing_ = false;  // close once the replies are out
    uint64_t lastActivityMs_ = 0;
};

}  // namespace emu
