#include "emulator/control_connection.h"

#include <array>
#include <cerrno>
#include <poll.h>
#include <sys/socket.h>

#include "emulator/control_commands.h"

namespace emu {

short ControlConnection::PollEvents() const {
    if (!output_.empty()) {
        return POLLOUT;
    }
    return closing_ ? 0 : POLLIN;
}

bool ControlConnection::Flush() {
    while (!output_.empty()) {
        const ssize_t sent = ::send(socket_.Get(), output_.data(), output_.size(), MSG_NOSIGNAL);
        if (sent < 0) {
            return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
        }
        output_.erase(0, static_cast<size_t>(sent));
    }
    return true;
}

bool ControlConnection::Service(TessalineDevice& device, short revents, uint64_t nowMs) {
    if ((revents & (POLLERR | POLLNVAL)) != 0) {
        return false;
    }
    if ((revents & POLLIN) != 0) {
        std::array<char, 1024> piece{};
        const ssize_t got = ::recv(socket_.Get(), piece.data(), piece.size(), 0);
        if (got == 0) {
            return false;
        }
        if (got < 0) {
            return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
        }
        lastActivityMs_ = nowMs;
        input_.append(piece.data(), static_cast<size_t>(got));
        for (size_t end = input_.find('\n'); end != std::string::npos && !closing_; end = input_.find('\n')) {
            const std::string line = input_.substr(0, end);
            input_.erase(0, end + 1);
            if (line.size() > kMaxLine) {
                output_ += "err line too long\n";
                closing_ = true;
            } else if (line == "quit" || line == "quit\r") {
                closing_ = true;
                output_ += "ok bye\n";
            } else {
                output_ += HandleControlLine(device, line, nowMs) + "\n";
            }
        }
        if (input_.size() > kMaxLine) {
            output_ += "err line too long\n";
            closing_ = true;
        }
        if (output_.size() > kMaxPendingReplies) {
            return false;
        }
    } else if ((revents & POLLHUP) != 0) {
        return false;
    }
    if (!Flush()) {
        return false;
    }
    return !(closing_ && output_.empty());
}

}  // namespace emu
