#include "emulator/bridge_connection.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <sys/socket.h>

#include "emulator/bridge_protocol.h"
#include "link/protocol.h"

namespace emu {

namespace {

constexpr size_t kPieceSize = 65536;

bool WouldBlock() {
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
}

uint8_t ResultOf(Outcome outcome) {
    switch (outcome) {
    case Outcome::Moved: return BRIDGE_OK;
    case Outcome::Stalled: return BRIDGE_STALLED;
    case Outcome::Absent: return BRIDGE_ABSENT;
    case Outcome::WrongDirection: return BRIDGE_WRONG_DIRECTION;
    }
    return BRIDGE_ABSENT;
}

}  // namespace

BridgeConnection::BridgeConnection(SocketFd socket, uint64_t nowMs)
    : socket_(std::move(socket)), piece_(kPieceSize), lastActivityMs_(nowMs) {}

short BridgeConnection::PollEvents() const {
    if (outputSent_ < output_.size()) {
        return POLLOUT;
    }
    return closing_ ? 0 : POLLIN;
}

bool BridgeConnection::Service(TessalineDevice& device, ChannelHolder& channel, short revents, uint64_t nowMs) {
    if ((revents & (POLLERR | POLLNVAL)) != 0) {
        return false;
    }
    if ((revents & POLLOUT) != 0 && !Flush()) {
        return false;
    }
    if ((revents & POLLIN) != 0 && outputSent_ == output_.size() && !closing_) {
        if (!Receive(device, channel, nowMs)) {
            return false;
        }
        lastActivityMs_ = nowMs;
        if (!Flush()) {
            return false;
        }
    } else if ((revents & POLLHUP) != 0 && (revents & POLLIN) == 0) {
        return false;
    }
    return !(closing_ && outputSent_ == output_.size());
}

bool BridgeConnection::Receive(TessalineDevice& device, ChannelHolder& channel, uint64_t nowMs) {
    if (payloadLeft_ > 0) {
        const ssize_t got = ::recv(socket_.Get(), piece_.data(), std::min<size_t>(payloadLeft_, piece_.size()), 0);
        if (got <= 0) {
            return got < 0 && WouldBlock();
        }
        payloadLeft_ -= static_cast<uint32_t>(got);
        FeedWrite(device, channel, piece_.data(), static_cast<size_t>(got), nowMs);
        if (payloadLeft_ == 0) {
            Reply(*writeResult_, written_);
        }
        return true;
    }
    const ssize_t got = ::recv(socket_.Get(), header_.data() + headerGot_, header_.size() - headerGot_, 0);
    if (got <= 0) {
        return got < 0 && WouldBlock();
    }
    headerGot_ += static_cast<size_t>(got);
    if (headerGot_ == header_.size()) {
        headerGot_ = 0;
        BeginRequest(device, channel, nowMs);
    }
    return true;
}

void BridgeConnection::BeginRequest(TessalineDevice& device, ChannelHolder& channel, uint64_t nowMs) {
    const uint8_t operation = header_[0];
    const uint32_t size = proto::ReadLe32(&header_[4]);
    switch (operation) {
    case BRIDGE_OP_OPEN:
        Reply(channel.Open(this, nowMs) ? BRIDGE_OK : BRIDGE_ABSENT, 0);
        return;
    case BRIDGE_OP_CLOSE:
        channel.Close(this);
        Reply(BRIDGE_OK, 0);
        return;
    case BRIDGE_OP_DESCRIPTOR: {
        if (!device.IsPresent(nowMs)) {
            Reply(BRIDGE_ABSENT, 0);
        } else if (device.GetScenario().faults.descriptorFails) {
            Reply(BRIDGE_FAILED, 0);
        } else {
            const UsbIdentity identity = device.Identity();
            uint8_t descriptor[BRIDGE_DESCRIPTOR_SIZE] = {};
            proto::WriteLe16(&descriptor[0], identity.vendorId);
            proto::WriteLe16(&descriptor[2], identity.productId);
            proto::WriteLe16(&descriptor[4], identity.bcdDevice);
            Reply(BRIDGE_OK, sizeof descriptor, descriptor, sizeof descriptor);
        }
        return;
    }
    case BRIDGE_OP_WRITE:
        if (size <= BRIDGE_MAX_WRITE) {
            BeginWrite(device, channel, size, nowMs);
            return;
        }
        break;
    case BRIDGE_OP_READ:
        if (size <= BRIDGE_MAX_READ) {
            Read(device, channel, size, nowMs);
            return;
        }
        break;
    case BRIDGE_OP_PRESENT:
        Reply(BRIDGE_OK, device.IsPresent(nowMs) ? 1 : 0);
        return;
    default:
        break;
    }
    Reply(BRIDGE_BAD_REQUEST, 0);
    closing_ = true;
}

// The device takes one write the way one USB request reaches it: at most what its current stage still
// needs. Bytes past that are read from the socket and dropped, so the stream stays in step.
void BridgeConnection::BeginWrite(TessalineDevice& device, ChannelHolder& channel, uint32_t size, uint64_t nowMs) {
    written_ = 0;
    writeResult_.reset();
    feedLeft_ = 0;
    if (!channel.Holds(this)) {
        writeResult_ = BRIDGE_ABSENT;
    } else if (size == 0) {
        writeResult_ = ResultOf(device.Write(nullptr, 0, nowMs).outcome);
    } else {
        feedLeft_ = std::min<size_t>(size, device.Remaining());
    }
    payloadLeft_ = size;
    if (payloadLeft_ == 0) {
        Reply(*writeResult_, 0);
    }
}

void BridgeConnection::FeedWrite(TessalineDevice& device, const ChannelHolder& channel, const uint8_t* data,
                                 size_t size, uint64_t nowMs) {
    if (writeResult_ && feedLeft_ == 0) {
        return;
    }
    // Another front's open between two pieces took the channel: the rest is not this write's to give.
    if (!channel.Holds(this)) {
        writeResult_ = BRIDGE_ABSENT;
        feedLeft_ = 0;
        return;
    }
    // The first piece always reaches the device, so a stalled or finished stage answers for itself.
    const size_t offer = std::min(size, feedLeft_ == 0 ? size : feedLeft_);
    const Transfer transfer = device.Write(data, offer, nowMs);
    // A device gone before the write's end fails it, as usbscan fails the request, whatever went before.
    if (!writeResult_ || transfer.outcome == Outcome::Absent) {
        writeResult_ = ResultOf(transfer.outcome);
    }
    written_ += static_cast<uint32_t>(transfer.bytes);
    const bool tookAll = transfer.outcome == Outcome::Moved && transfer.bytes == offer;
    feedLeft_ = tookAll ? feedLeft_ - std::min(feedLeft_, offer) : 0;
}

void BridgeConnection::Read(TessalineDevice& device, ChannelHolder& channel, uint32_t size, uint64_t nowMs) {
    if (!channel.Holds(this)) {
        Reply(BRIDGE_ABSENT, 0);
        return;
    }
    const size_t capacity = std::min<size_t>(size, piece_.size());
    const Transfer transfer = device.Read(piece_.data(), capacity, nowMs);
    Reply(ResultOf(transfer.outcome), static_cast<uint32_t>(transfer.bytes), piece_.data(), transfer.bytes);
}

void BridgeConnection::Reply(uint8_t result, uint32_t value, const uint8_t* payload, size_t payloadSize) {
    output_.assign(BRIDGE_HEADER_SIZE, 0);
    output_[0] = result;
    proto::WriteLe32(&output_[4], value);
    output_.insert(output_.end(), payload, payload + payloadSize);
    outputSent_ = 0;
}

bool BridgeConnection::Flush() {
    while (outputSent_ < output_.size()) {
        const ssize_t sent =
            ::send(socket_.Get(), output_.data() + outputSent_, output_.size() - outputSent_, MSG_NOSIGNAL);
        if (sent < 0) {
            return WouldBlock();
        }
        outputSent_ += static_cast<size_t>(sent);
    }
    return true;
}

}  // namespace emu
