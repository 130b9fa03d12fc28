// tessaline-emu's bridge port, as the Wine rig's usbscan driver uses it: one frame per request, one reply
// per frame. Real time on 127.0.0.1; every receive is bounded by the client's time-out.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "emulator/bridge_protocol.h"
#include "emulator/placeholder_image.h"
#include "link/protocol.h"
#include "loopback.h"

namespace {

using emu_test::Client;
using emu_test::ServerThread;

constexpr int kReceiveLimitMs = 5000;

struct BridgeReply {
    int result = -1;  // -1: no reply within the limit
    uint32_t value = 0;
    std::vector<uint8_t> payload;
};

std::array<uint8_t, BRIDGE_HEADER_SIZE> Header(uint8_t operation, uint32_t size) {
    std::array<uint8_t, BRIDGE_HEADER_SIZE> header{};
    header[0] = operation;
    proto::WriteLe32(&header[4], size);
    return header;
}

BridgeReply Call(Client& client, uint8_t operation, uint32_t size = 0, const uint8_t* payload = nullptr) {
    const auto header = Header(operation, size);
    BridgeReply reply;
    if (!client.Send(header.data(), header.size()) || (payload != nullptr && !client.Send(payload, size))) {
        return reply;
    }
    std::array<uint8_t, BRIDGE_HEADER_SIZE> answer{};
    if (!client.Receive(answer.data(), answer.size())) {
        return reply;
    }
    reply.result = answer[0];
    reply.value = proto::ReadLe32(&answer[4]);
    const bool carriesPayload = operation == BRIDGE_OP_READ || operation == BRIDGE_OP_DESCRIPTOR;
    if (carriesPayload && reply.value > 0) {
        reply.payload.resize(reply.value);
        if (!client.Receive(reply.payload.data(), reply.payload.size())) {
            reply.result = -1;
        }
    }
    return reply;
}

BridgeReply Write(Client& client, const proto::CommandBlock& block) {
    const proto::CommandBytes bytes = proto::Encode(block);
    return Call(client, BRIDGE_OP_WRITE, static_cast<uint32_t>(bytes.size()), bytes.data());
}

TEST(Bridge, CarriesOneTransactionAndTheDescriptor) {
    emu::Scenario scenario;
    scenario.bcdDevice = 1;
    ServerThread server(scenario);
    ASSERT_TRUE(server.Started()) << server.Error();
    Client bridge(server.BridgePort(), kReceiveLimitMs);
    ASSERT_TRUE(bridge.Connected());

    EXPECT_EQ(Call(bridge, BRIDGE_OP_PRESENT).value, 1u);
    EXPECT_EQ(Call(bridge, BRIDGE_OP_OPEN).result, BRIDGE_OK);
    const BridgeReply descriptor = Call(bridge, BRIDGE_OP_DESCRIPTOR);
    ASSERT_EQ(descriptor.result, BRIDGE_OK);
    ASSERT_EQ(descriptor.payload.size(), 8u);
    EXPECT_EQ(descriptor.payload[0] | descriptor.payload[1] << 8, 0x1209);
    EXPECT_EQ(descriptor.payload[2] | descriptor.payload[3] << 8, 0x0001);
    EXPECT_EQ(descriptor.payload[4] | descriptor.payload[5] << 8, 0x0001);

    const BridgeReply written = Write(bridge, proto::DeviceStatus());
    EXPECT_EQ(written.result, BRIDGE_OK);
    EXPECT_EQ(written.value, 16u);
    // A read asking for more than the stage holds completes short, as on the wire.
    const BridgeReply reply = Call(bridge, BRIDGE_OP_READ, 65536);
    ASSERT_EQ(reply.result, BRIDGE_OK);
    ASSERT_EQ(reply.payload.size(), proto::kStatusReplySize);
    EXPECT_EQ(proto::DecodeReply(reply.payload.data()).ubootVersion, 8);
    EXPECT_EQ(Call(bridge, BRIDGE_OP_CLOSE).result, BRIDGE_OK);

    Client control(server.ControlPort(), kReceiveLimitMs);
    EXPECT_EQ(control.Command("counts"),
              "ok identification=0 device-info=0 device-status=1 burn-status=0 firmware-write=0 other=0 rejected=0");
}

TEST(Bridge, LargestImageArrivesByteForByteInOneWrite) {
    ServerThread server(emu::Scenario{});
    ASSERT_TRUE(server.Started()) << server.Error();
    Client bridge(server.BridgePort(), kReceiveLimitMs);
    ASSERT_TRUE(bridge.Connected());
    const std::vector<uint8_t> image = emu::PlaceholderImage(505, 13633428);

    ASSERT_EQ(Call(bridge, BRIDGE_OP_OPEN).result, BRIDGE_OK);
    EXPECT_EQ(Write(bridge, proto::FirmwareWrite(0x1005, 13633428)).value, 16u);
    const BridgeReply reply = Call(bridge, BRIDGE_OP_READ, 32);
    ASSERT_EQ(reply.payload.size(), 32u);
    EXPECT_EQ(proto::DecodeReply(reply.payload.data()).errorCode, 0u);
    const BridgeReply data = Call(bridge, BRIDGE_OP_WRITE, static_cast<uint32_t>(image.size()), image.data());
    EXPECT_EQ(data.result, BRIDGE_OK);
    EXPECT_EQ(data.value, 13633428u);
    EXPECT_EQ(Call(bridge, BRIDGE_OP_CLOSE).result, BRIDGE_OK);

    Client control(server.ControlPort(), kReceiveLimitMs);
    const std::string record = control.Command("image");
    EXPECT_NE(record.find("code=0x1005 size=13633428 received=13633428"), std::string::npos) << record;
    EXPECT_NE(record.find("complete=1 accepted=1"), std::string::npos) << record;
    EXPECT_NE(record.find("placeholder=505"), std::string::npos) << record;
}

TEST(Bridge, AWriteTakesOnlyWhatTheStageNeedsAndTheStreamStaysInStep) {
    ServerThread server(emu::Scenario{});
    ASSERT_TRUE(server.Started()) << server.Error();
    Client bridge(server.BridgePort(), kReceiveLimitMs);
    ASSERT_EQ(Call(bridge, BRIDGE_OP_OPEN).result, BRIDGE_OK);

    std::array<uint8_t, 20> longer{};
    const proto::CommandBytes block = proto::Encode(proto::DeviceStatus());
    std::copy(block.begin(), block.end(), longer.begin());
    const BridgeReply written = Call(bridge, BRIDGE_OP_WRITE, longer.size(), longer.data());
    EXPECT_EQ(written.result, BRIDGE_OK);
    EXPECT_EQ(written.value, 16u);
    EXPECT_EQ(Call(bridge, BRIDGE_OP_READ, 32).payload.size(), 32u);
}

TEST(Bridge, RequestsTheDeviceCannotServe) {
    emu::Scenario scenario;
    scenario.faults.descriptorFails = true;
    scenario.faults.stageFaults.push_back({1, 1, emu::Stage::Reply, emu::FaultKind::NoReply, 0});
    ServerThread server(scenario);
    ASSERT_TRUE(server.Started()) << server.Error();
    Client bridge(server.BridgePort(), kReceiveLimitMs);

    struct Case {
        const char* what;
        uint8_t operation;
        uint32_t size;
        int expected;
    };
    // In this order: before OPEN the channel is not this connection's.
    const Case cases[] = {
        {"write before open", BRIDGE_OP_WRITE, 0, BRIDGE_ABSENT},
        {"read before open", BRIDGE_OP_READ, 32, BRIDGE_ABSENT},
        {"failing descriptor", BRIDGE_OP_DESCRIPTOR, 0, BRIDGE_FAILED},
        {"open", BRIDGE_OP_OPEN, 0, BRIDGE_OK},
        {"read while a block is expected", BRIDGE_OP_READ, 32, BRIDGE_WRONG_DIRECTION},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Call(bridge, c.operation, c.size).result, c.expected) << c.what;
    }
    EXPECT_EQ(Write(bridge, proto::DeviceStatus()).value, 16u);
    EXPECT_EQ(Call(bridge, BRIDGE_OP_READ, 32).result, BRIDGE_STALLED) << "reply of a no-reply fault";
}

TEST(Bridge, AnUnpluggedDeviceIsAbsent) {
    ServerThread server(emu::Scenario{});
    ASSERT_TRUE(server.Started()) << server.Error();
    Client bridge(server.BridgePort(), kReceiveLimitMs);
    ASSERT_EQ(Call(bridge, BRIDGE_OP_OPEN).result, BRIDGE_OK);
    Client control(server.ControlPort(), kReceiveLimitMs);
    ASSERT_EQ(control.Command("unplug"), "ok");

    EXPECT_EQ(Call(bridge, BRIDGE_OP_PRESENT).value, 0u);
    EXPECT_EQ(Write(bridge, proto::DeviceStatus()).result, BRIDGE_ABSENT);
    EXPECT_EQ(Call(bridge, BRIDGE_OP_OPEN).result, BRIDGE_ABSENT);
    EXPECT_EQ(Call(bridge, BRIDGE_OP_DESCRIPTOR).result, BRIDGE_ABSENT);
    ASSERT_EQ(control.Command("plug"), "ok");
    EXPECT_EQ(Call(bridge, BRIDGE_OP_PRESENT).value, 1u);
    EXPECT_EQ(Call(bridge, BRIDGE_OP_OPEN).result, BRIDGE_OK);
}

TEST(Bridge, ABadRequestIsAnsweredAndEndsTheConnection) {
    ServerThread server(emu::Scenario{});
    ASSERT_TRUE(server.Started()) << server.Error();
    struct Case {
        const char* what;
        uint8_t operation;
        uint32_t size;
    };
    const Case cases[] = {{"unknown operation", 99, 0},
                          {"write past the limit", BRIDGE_OP_WRITE, BRIDGE_MAX_WRITE + 1},
                          {"read past the limit", BRIDGE_OP_READ, BRIDGE_MAX_READ + 1}};
    for (const Case& c : cases) {
        Client bridge(server.BridgePort(), kReceiveLimitMs);
        EXPECT_EQ(Call(bridge, c.operation, c.size).result, BRIDGE_BAD_REQUEST) << c.what;
        EXPECT_TRUE(bridge.ClosedByPeer()) << c.what;
    }
}

}  // namespace
