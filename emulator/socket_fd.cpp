#include "emulator/socket_fd.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace emu {

SocketFd& SocketFd::operator=(SocketFd&& other) noexcept {
    if (this != &other) {
        Reset(other.Release());
    }
    return *this;
}

int SocketFd::Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void SocketFd::Reset(int fd) {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    fd_ = fd;
}

bool SetNonBlocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL, 0);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

SocketFd ListenLoopback(uint16_t port, std::string& error) {
    SocketFd socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!socket.Valid()) {
        error = std::string("socket: ") + std::strerror(errno);
        return {};
    }
    const int yes = 1;
    ::setsockopt(socket.Get(), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(socket.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        error = "bind 127.0.0.1:" + std::to_string(port) + ": " + std::strerror(errno);
        return {};
    }
    constexpr int kBacklog = 8;
    if (::listen(socket.Get(), kBacklog) != 0 || !SetNonBlocking(socket.Get())) {
        error = std::string("listen: ") + std::strerror(errno);
        return {};
    }
    return socket;
}

uint16_t LocalPort(int fd) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return 0;
    }
    return ntohs(address.sin_port);
}

}  // namespace emu
