#include "emulator/device_connection.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <sys/socket.h>

namespace emu {

namespace {
constexpr size_t kPieceSize = 65536;

bool WouldBlock() {
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
}
}  // namespace

DeviceConnection::DeviceConnection(SocketFd socket, uint64_t nowMs)
    : socket_(std::move(socket)), buffer_(kPieceSize), lastActivityMs_(nowMs) {}

short DeviceConnection::PollEvents(const TessalineDevice& device) const {
    if (pendingSent_ < pending_.size()) {
        return POLLOUT;
    }
    if (device.IsStalled()) {
        return 0;
    }
    const Stage stage = device.Expecting();
    return stage == Stage::Command || stage == Stage::DataOut ? POLLIN : POLLOUT;
}

bool DeviceConnection::Service(TessalineDevice& device, short revents, uint64_t nowMs) {
    if ((revents & (POLLERR | POLLNVAL)) != 0) {
        return false;
    }
    if ((revents & POLLOUT) != 0 && !Send(device, nowMs)) {
        return false;
    }
    if ((revents & POLLIN) != 0) {
        return Receive(device, nowMs);
    }
    return (revents & POLLHUP) == 0;
}

bool DeviceConnection::Receive(TessalineDevice& device, uint64_t nowMs) {
    const size_t want = std::min(device.Remaining(), buffer_.size());
    const ssize_t got = ::recv(socket_.Get(), buffer_.data(), want, 0);
    if (got == 0) {
        return false;
    }
    if (got < 0) {
        return WouldBlock();
    }
    lastActivityMs_ = nowMs;
    const Transfer transfer = device.Write(buffer_.data(), static_cast<size_t>(got), nowMs);
    // Bytes the device did not take (after a short-transfer fault) are dropped with the transaction.
    return transfer.outcome != Outcome::Absent && transfer.outcome != Outcome::WrongDirection;
}

bool DeviceConnection::Send(TessalineDevice& device, uint64_t nowMs) {
    if (pendingSent_ == pending_.size()) {
        pending_.resize(kPieceSize);
        const Transfer transfer = device.Read(pending_.data(), pending_.size(), nowMs);
        pending_.resize(transfer.bytes);
        pendingSent_ = 0;
        if (transfer.outcome == Outcome::Absent || transfer.outcome == Outcome::WrongDirection) {
            return false;
        }
    }
    if (pendingSent_ == pending_.size()) {
        return true;
    }
    const ssize_t sent = ::send(socket_.Get(), pending_.data() + pendingSent_, pending_.size() - pendingSent_, MSG_NOSIGNAL);
    if (sent < 0) {
        return WouldBlock();
    }
    lastActivityMs_ = nowMs;
    pendingSent_ += static_cast<size_t>(sent);
    return true;
}

}  // namespace emu
