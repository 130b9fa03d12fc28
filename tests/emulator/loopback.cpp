#include "loopback.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace emu_test {

namespace {
emu::ServerOptions TestOptions(uint64_t idleTimeoutMs) {
    emu::ServerOptions options;
    options.devicePort = 0;
    options.controlPort = 0;
    options.bridgePort = 0;
    options.idleTimeoutMs = idleTimeoutMs;
    return options;
}
}  // namespace

ServerThread::ServerThread(emu::Scenario scenario, uint64_t idleTimeoutMs)
    : server_(std::move(scenario), TestOptions(idleTimeoutMs), nullptr) {
    int fds[2] = {-1, -1};
    if (::pipe(fds) != 0) {
        error_ = "pipe failed";
        return;
    }
    stopRead_.Reset(fds[0]);
    stopWrite_.Reset(fds[1]);
    started_ = server_.Start(error_);
    if (started_) {
        thread_ = std::thread([this] { server_.Run(stopRead_.Get()); });
    }
}

ServerThread::~ServerThread() {
    if (thread_.joinable()) {
        const char stop = 's';
        (void)::write(stopWrite_.Get(), &stop, 1);
        thread_.join();
    }
}

Client::Client(uint16_t port, int receiveTimeoutMs) {
    emu::SocketFd socket(::socket(AF_INET, SOCK_STREAM, 0));
    timeval timeout{receiveTimeoutMs / 1000, (receiveTimeoutMs % 1000) * 1000};
    ::setsockopt(socket.Get(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    ::setsockopt(socket.Get(), SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    const int yes = 1;
    ::setsockopt(socket.Get(), IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(socket.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        socket_ = std::move(socket);
    }
}

bool Client::Send(const uint8_t* data, size_t size) {
    for (size_t sent = 0; sent < size;) {
        const ssize_t n = ::send(socket_.Get(), data + sent, size - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        sent += static_cast<size_t>(n);
    }
    return true;
}

bool Client::Send(const proto::CommandBlock& block) {
    const proto::CommandBytes bytes = proto::Encode(block);
    return Send(bytes.data(), bytes.size());
}

bool Client::Receive(uint8_t* buffer, size_t size) {
    for (size_t got = 0; got < size;) {
        const ssize_t n = ::recv(socket_.Get(), buffer + got, size - got, 0);
        if (n <= 0) {
            return false;
        }
        got += static_cast<size_t>(n);
    }
    return true;
}

std::optional<proto::StatusReply> Client::ReceiveReply() {
    proto::ReplyBytes reply{};
    if (!Receive(reply.data(), reply.size())) {
        return std::nullopt;
    }
    return proto::DecodeReply(reply.data());
}

std::string Client::Command(const std::string& line) {
    const std::string text = line + "\n";
    if (!Send(reinterpret_cast<const uint8_t*>(text.data()), text.size())) {
        return "<send failed>";
    }
    std::string reply;
    char c = 0;
    while (reply.size() < 65536) {
        if (::recv(socket_.Get(), &c, 1, 0) != 1) {
            return reply + "<no line end>";
        }
        if (c == '\n') {
            return reply;
        }
        reply += c;
    }
    return reply;
}

bool Client::ClosedByPeer() {
    uint8_t byte = 0;
    return ::recv(socket_.Get(), &byte, 1, 0) == 0;
}

}  // namespace emu_test
