// Test helpers for tessaline-emu over TCP on 127.0.0.1: the server on its own thread, and a plain blocking
// client. Every receive has a time limit, so a silent server fails a test instead of hanging it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "emulator/emu_server.h"
#include "emulator/socket_fd.h"
#include "link/protocol.h"

namespace emu_test {

class ServerThread {
public:
    // Any free ports; the control and bridge ports are always on.
    explicit ServerThread(emu::Scenario scenario, uint64_t idleTimeoutMs = 10000);
    ServerThread(const ServerThread&) = delete;
    ServerThread& operator=(const ServerThread&) = delete;
    ~ServerThread();  // stops the loop and joins

    bool Started() const { return started_; }
    const std::string& Error() const { return error_; }
    uint16_t DevicePort() const { return server_.DevicePort(); }
    uint16_t ControlPort() const { return server_.ControlPort(); }
    uint16_t BridgePort() const { return server_.BridgePort(); }

private:
    emu::EmuServer server_;
    emu::SocketFd stopRead_;
    emu::SocketFd stopWrite_;
    bool started_ = false;
    std::string error_;
    std::thread thread_;
};

class Client {
public:
    // Connects to 127.0.0.1:port; Connected() is false when refused.
    Client(uint16_t port, int receiveTimeoutMs);
    bool Connected() const { return socket_.Valid(); }
    bool Send(const uint8_t* data, size_t size);
    bool Send(const proto::CommandBlock& block);
    // All `size` bytes or false (time-out, peer closed).
    bool Receive(uint8_t* buffer, size_t size);
    std::optional<proto::StatusReply> ReceiveReply();
    // Control port: one command line, one reply line (without the line feed).
    std::string Command(const std::string& line);
    // True when the server closed the connection (a receive returns end of stream) within the time limit.
    bool ClosedByPeer();

private:
    emu::SocketFd socket_;
};

}  // namespace emu_test
