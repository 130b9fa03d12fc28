// One bridge connection's streamed write, driven by hand over a socket pair in virtual time: the write's
// payload reaches the device piece by piece, and the device can go away between two pieces. usbscan fails a
// WriteFile whose device disappears (ERROR_DEVICE_NOT_CONNECTED), however many bytes went before, and the
// simulated host's usbscan does the same; so the bridge must answer ABSENT, never a short OK.
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "emulator/bridge_connection.h"
#include "emulator/bridge_protocol.h"
#include "emulator/channel_holder.h"
#include "emulator/placeholder_image.h"
#include "emulator/socket_fd.h"
#include "link/protocol.h"

namespace {

constexpr size_t kPiece = 65536;  // what the connection takes from its socket at a time
constexpr uint32_t kImageSize = 13633428;
// Services of the connection to take in what was sent: far more than the few a piece needs.
constexpr int kServiceLimit = 16;

struct Answer {
    int result = -1;  // -1: no reply
    uint32_t value = 0;
};

// The driver's end of a socket pair and the emulator's connection on the other, with the device whose channel
// the connection holds, halfway into the largest image's data-out.
class StreamedWrite {
public:
    StreamedWrite() {
        int fds[2] = {-1, -1};
        if (::socketpair(AF_UNIX, SOCK_STREAM, 0, fds) == 0) {
            driver_.Reset(fds[0]);
            emu::SetNonBlocking(fds[1]);
            connection_.emplace(emu::SocketFd(fds[1]), now);
            const timeval limit{5, 0};  // a reply that never comes fails the test instead of hanging it
            ::setsockopt(driver_.Get(), SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        }
    }

    bool Connected() const { return connection_.has_value(); }

    // The firmware write's block and its status reply, straight on the device; the data-out stays for the bridge.
    bool BeginImage() {
        if (!channel.Open(&*connection_, now)) return false;
        const proto::CommandBytes block = proto::Encode(proto::FirmwareWrite(0x1005, kImageSize));
        proto::ReplyBytes reply{};
        return device.Write(block.data(), block.size(), now).bytes == block.size() &&
               device.Read(reply.data(), reply.size(), now).bytes == reply.size() &&
               device.Expecting() == emu::Stage::DataOut;
    }

    bool Send(const uint8_t* data, size_t size) {
        return ::send(driver_.Get(), data, size, MSG_NOSIGNAL) == static_cast<ssize_t>(size);
    }

    bool SendWriteHeader(uint32_t size) {
        std::array<uint8_t, BRIDGE_HEADER_SIZE> header{BRIDGE_OP_WRITE};
        proto::WriteLe32(&header[4], size);
        return Send(header.data(), header.size());
    }

    // Lets the connection read what is waiting, as the poll loop does while its socket is readable.
    void Serve() {
        for (int i = 0; i < kServiceLimit && connection_->PollEvents() == POLLIN; ++i) {
            connection_->Service(device, channel, POLLIN, now);
        }
    }

    Answer Reply() {
        std::array<uint8_t, BRIDGE_HEADER_SIZE> header{};
        Answer answer;
        if (::recv(driver_.Get(), header.data(), header.size(), MSG_WAITALL) == static_cast<ssize_t>(header.size())) {
            answer.result = header[0];
            answer.value = proto::ReadLe32(&header[4]);
        }
        return answer;
    }

    uint64_t now = 0;
    emu::TessalineDevice device{emu::Scenario{}, 0};
    emu::ChannelHolder channel{device};

private:
    emu::SocketFd driver_;
    std::optional<emu::BridgeConnection> connection_;
};

TEST(BridgeWrite, TheDeviceGoingAwayDuringAWriteFailsIt) {
    struct Case {
        const char* what;
        std::function<void(StreamedWrite&)> between;  // what happens between the write's two pieces
        int expected;
    };
    // An emulator's other connection, as far as the channel is concerned.
    const int otherHolder = 0;
    const Case cases[] = {
        {"nothing: both pieces arrive", [](StreamedWrite&) {}, BRIDGE_OK},
        {"unplugged (the control port's unplug)", [](StreamedWrite& w) { w.device.Unplug(w.now); }, BRIDGE_ABSENT},
        {"unplugged by unplug-after-ms in idle",
         [](StreamedWrite& w) {
             w.device.MutableScenario().faults.unplugInPhase = emu::LifePhase::Idle;
             w.device.MutableScenario().faults.unplugAfterMs = 1000;
             w.now += 1000;
         },
         BRIDGE_ABSENT},
        {"the channel taken by another connection's open",
         [&otherHolder](StreamedWrite& w) { w.channel.Open(&otherHolder, w.now); }, BRIDGE_ABSENT},
    };
    const std::vector<uint8_t> image = emu::PlaceholderImage(505, kImageSize);
    for (const Case& c : cases) {
        StreamedWrite write;
        ASSERT_TRUE(write.Connected()) << c.what;
        ASSERT_TRUE(write.BeginImage()) << c.what;
        ASSERT_TRUE(write.SendWriteHeader(2 * kPiece)) << c.what;
        ASSERT_TRUE(write.Send(image.data(), kPiece)) << c.what;
        write.Serve();
        ASSERT_EQ(write.device.LastImage().received, kPiece) << c.what << ": the first piece reached the device";

        c.between(write);
        ASSERT_TRUE(write.Send(image.data() + kPiece, kPiece)) << c.what;
        write.Serve();
        const Answer answer = write.Reply();
        EXPECT_EQ(answer.result, c.expected) << c.what << " (" << answer.value << " bytes)";
        if (c.expected == BRIDGE_OK) {
            EXPECT_EQ(answer.value, 2 * kPiece) << c.what;
        }
        // The second piece begins no transaction on someone else's channel.
        EXPECT_EQ(write.device.TransactionCount(), 1u) << c.what;
    }
}

}  // namespace
