// Owner of one POSIX file descriptor (a socket): closes it when destroyed or replaced. Movable, not copyable.
#pragma once

#include <cstdint>
#include <string>

namespace emu {

class SocketFd {
public:
    SocketFd() = default;
    explicit SocketFd(int fd) : fd_(fd) {}
    SocketFd(SocketFd&& other) noexcept : fd_(other.Release()) {}
    SocketFd& operator=(SocketFd&& other) noexcept;
    SocketFd(const SocketFd&) = delete;
    SocketFd& operator=(const SocketFd&) = delete;
    ~SocketFd() { Reset(); }

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    int Release();
    void Reset(int fd = -1);

private:
    int fd_ = -1;
};

// A non-blocking TCP socket listening on 127.0.0.1:port (0 = any free port); invalid with `error` set on failure.
SocketFd ListenLoopback(uint16_t port, std::string& error);
uint16_t LocalPort(int fd);
bool SetNonBlocking(int fd);

}  // namespace emu
