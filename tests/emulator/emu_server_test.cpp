// tessaline-emu end to end on 127.0.0.1, in real time. Each wait is bounded: receives time out after a few
// seconds, and loops that wait for the device to power off or on give up after a fixed number of tries,
// so a broken server fails these tests instead of hanging them.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "emulator/placeholder_image.h"
#include "emulator/scenario_text.h"
#include "loopback.h"

namespace {

using emu_test::Client;
using emu_test::ServerThread;

constexpr int kReceiveLimitMs = 5000;  // far above loopback latency, far below a hung test

// The data-out may still be in the sockets when the client is done with it. Sanitizer builds move the
// megabytes slowly, so this waits up to 30 s, polling every 20 ms.
bool WaitForImage(Client& control) {
    for (int attempt = 0; attempt < 1500; ++attempt) {
        if (control.Command("image").find("complete=1") != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

struct InCase {
    const char* name;
    proto::CommandBlock block;
    size_t dataIn;
};

TEST(EmuServer, OneTransactionOfEachCommandPerConnection) {
    emu::Scenario scenario;
    scenario.fwInfo = proto::kLlBoot;
    scenario.mainBoardVersion = 0x00000042;
    ServerThread server(scenario);
    ASSERT_TRUE(server.Started()) << server.Error();

    const InCase reads[] = {{"identification read", proto::IdentificationRead(), 14},
                            {"device information read", proto::DeviceInfoRead(), 72},
                            {"device status", proto::DeviceStatus(), 0},
                            {"burn status", proto::BurnStatus(), 0}};
    for (const InCase& c : reads) {
        Client client(server.DevicePort(), kReceiveLimitMs);
        ASSERT_TRUE(client.Connected()) << c.name;
        ASSERT_TRUE(client.Send(c.block)) << c.name;
        const std::optional<proto::StatusReply> reply = client.ReceiveReply();
        ASSERT_TRUE(reply.has_value()) << c.name << ": no status reply";
        EXPECT_EQ(reply->fwInfo, proto::kLlBoot) << c.name;
        EXPECT_EQ(reply->ubootVersion, 8) << c.name;
        std::vector<uint8_t> data(c.dataIn);
        ASSERT_TRUE(client.Receive(data.data(), data.size())) << c.name << ": no data-in";
        if (c.dataIn == 14) {
            EXPECT_EQ(std::string(data.begin(), data.end()), "KT-A4-00012345");
        } else if (c.dataIn == 72) {
            EXPECT_EQ(proto::ReadLe32(&data[proto::kMainBoardVersionOffset]), 0x42u);
        }
    }

    Client control(server.ControlPort(), kReceiveLimitMs);
    ASSERT_TRUE(control.Connected());
    EXPECT_EQ(control.Command("counts"),
              "ok identification=1 device-info=1 device-status=1 burn-status=1 firmware-write=0 other=0 rejected=0");
}

TEST(EmuServer, LargestImageArrivesByteForByteOverTcp) {
    ServerThread server(emu::Scenario{});
    ASSERT_TRUE(server.Started()) << server.Error();
    const std::vector<uint8_t> image = emu::PlaceholderImage(505, 13633428);
    {
        Client client(server.DevicePort(), kReceiveLimitMs);
        ASSERT_TRUE(client.Connected());
        ASSERT_TRUE(client.Send(proto::FirmwareWrite(0x1005, 13633428)));
        const std::optional<proto::StatusReply> reply = client.ReceiveReply();
        ASSERT_TRUE(reply.has_value());
        EXPECT_EQ(reply->errorCode, 0u);
        ASSERT_TRUE(client.Send(image.data(), image.size()));
    }
    Client control(server.ControlPort(), kReceiveLimitMs);
    ASSERT_TRUE(WaitForImage(control));
    const std::string seen = control.Command("image");
    const std::string expected = "ok seen=1 code=0x1005 size=13633428 received=13633428 checksum=" +
                                 emu::FormatHex(emu::PlaceholderChecksum(505, 13633428)) +
                                 " complete=1 accepted=1 reject=0x0 placeholder=505";
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(control.Command("status").substr(0, 26), "ok phase=burning present=1");
}

TEST(EmuServer, TransactionsMayFollowEachOtherOnOneConnection) {
    ServerThread server(emu::Scenario{});
    ASSERT_TRUE(server.Started()) << server.Error();
    Client client(server.DevicePort(), kReceiveLimitMs);
    ASSERT_TRUE(client.Connected());
    const proto::CommandBytes a = proto::Encode(proto::DeviceStatus());
    const proto::CommandBytes b = proto::Encode(proto::BurnStatus());
    std::vector<uint8_t> both(a.begin(), a.end());
    both.insert(both.end(), b.begin(), b.end());
    ASSERT_TRUE(client.Send(both.data(), both.size()));  // one segment carrying two blocks
    EXPECT_TRUE(client.ReceiveReply().has_value()) << "first reply";
    EXPECT_TRUE(client.ReceiveReply().has_value()) << "second reply";
}

TEST(EmuServer, PoweredOffDeviceRefusesConnections) {
    emu::Scenario scenario;
    scenario.ubootVersion = 4;
    scenario.burnMs = 100;
    scenario.readyBeforeOffMs = 100;
    scenario.offMs = 1500;  // long enough that a probe every 20 ms cannot miss it
    scenario.bootMs = 100;
    ServerThread server(scenario);
    ASSERT_TRUE(server.Started()) << server.Error();
    const std::vector<uint8_t> image = emu::PlaceholderImage(504, 8388608);
    {
        Client client(server.DevicePort(), kReceiveLimitMs);
        ASSERT_TRUE(client.Send(proto::FirmwareWrite(0x1002, 8388608)));
        ASSERT_TRUE(client.ReceiveReply().has_value());
        ASSERT_TRUE(client.Send(image.data(), image.size()));
    }
    Client control(server.ControlPort(), kReceiveLimitMs);
    ASSERT_TRUE(WaitForImage(control)) << control.Command("image");
    // Probe as the tool does, once per 20 ms, for at most 5 s each way.
    int probes = 0;
    while (probes < 250 && Client(server.DevicePort(), kReceiveLimitMs).Connected()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ++probes;
    }
    ASSERT_LT(probes, 250) << "the device never powered off: " << control.Command("status");
    probes = 0;
    while (probes < 250 && !Client(server.DevicePort(), kReceiveLimitMs).Connected()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ++probes;
    }
    ASSERT_LT(probes, 250) << "the device never came back";
    EXPECT_GE(probes, 10) << "off for about " << probes * 20 << " ms, set 1500 ms";

    std::optional<proto::StatusReply> reply;
    for (int attempt = 0; attempt < 100; ++attempt) {  // booting lasts 100 ms
        Client client(server.DevicePort(), kReceiveLimitMs);
        ASSERT_TRUE(client.Send(proto::DeviceStatus()));
        reply = client.ReceiveReply();
        if (reply && reply->fwInfo == proto::kReady) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->fwInfo, proto::kReady);
    Client client(server.DevicePort(), kReceiveLimitMs);
    ASSERT_TRUE(client.Send(proto::DeviceInfoRead()));
    ASSERT_TRUE(client.ReceiveReply().has_value());
    std::array<uint8_t, 72> info{};
    ASSERT_TRUE(client.Receive(info.data(), info.size()));
    EXPECT_EQ(proto::ReadLe32(&info[proto::kMainBoardVersionOffset]), 68u);
}

TEST(EmuServer, NoReplyFaultIsSilenceAndTheNextConnectionIsServed) {
    emu::Scenario scenario;
    scenario.faults.stageFaults = {{1, 1, emu::Stage::Reply, emu::FaultKind::NoReply, 0}};
    ServerThread server(scenario);
    ASSERT_TRUE(server.Started()) << server.Error();
    Client silent(server.DevicePort(), 300);  // the silence is the expected outcome; 300 ms shows it
    ASSERT_TRUE(silent.Send(proto::DeviceStatus()));
    EXPECT_FALSE(silent.ReceiveReply().has_value());

    Client next(server.DevicePort(), kReceiveLimitMs);
    ASSERT_TRUE(next.Send(proto::DeviceStatus()));
    EXPECT_TRUE(next.ReceiveReply().has_value());
    EXPECT_TRUE(silent.ClosedByPeer()) << "the replaced connection is closed";
}

TEST(EmuServer, SilentConnectionIsClosedAfterTheIdleLimit) {
    ServerThread server(emu::Scenario{}, 200);
    ASSERT_TRUE(server.Started()) << server.Error();
    Client client(server.DevicePort(), kReceiveLimitMs);
    ASSERT_TRUE(client.Connected());
    EXPECT_TRUE(client.ClosedByPeer());
}

TEST(EmuServer, ControlPortSetsTheScenarioAndRefusesLongLines) {
    ServerThread server(emu::Scenario{});
    ASSERT_TRUE(server.Started()) << server.Error();
    Client control(server.ControlPort(), kReceiveLimitMs);
    ASSERT_TRUE(control.Connected());
    EXPECT_EQ(control.Command("set fwinfo 4"), "ok");
    EXPECT_EQ(control.Command("get fwinfo"), "ok 4");

    Client device(server.DevicePort(), kReceiveLimitMs);
    ASSERT_TRUE(device.Send(proto::DeviceStatus()));
    const std::optional<proto::StatusReply> reply = device.ReceiveReply();
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->fwInfo, proto::kBusy);

    EXPECT_EQ(control.Command("unplug"), "ok");
    int tries = 0;  // the listener closes within one server tick
    while (tries < 50 && Client(server.DevicePort(), kReceiveLimitMs).Connected()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ++tries;
    }
    EXPECT_LT(tries, 50) << "an unplugged device must refuse connections";

    EXPECT_EQ(control.Command(std::string(5000, 'x')), "err line too long");
    EXPECT_TRUE(control.ClosedByPeer());
}

#ifdef TESSALINE_EMU_PATH
// The program itself: it prints its ports, serves, and exits cleanly on SIGTERM.
TEST(EmuProgram, ServesAndStopsOnSigterm) {
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::execl(TESSALINE_EMU_PATH, TESSALINE_EMU_PATH, "--port", "0", "--control-port", "0", "--fwinfo", "6",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    emu::SocketFd output(out[0]);
    std::string line;
    char c = 0;
    while (line.size() < 200 && ::read(output.Get(), &c, 1) == 1 && c != '\n') {
        line += c;
    }
    unsigned devicePort = 0, controlPort = 0;
    const int parsed = std::sscanf(line.c_str(), "tessaline-emu: device on 127.0.0.1:%u, control on 127.0.0.1:%u",
                                   &devicePort, &controlPort);
    EXPECT_EQ(parsed, 2) << "first line: " << line;
    if (parsed == 2) {
        Client client(static_cast<uint16_t>(devicePort), kReceiveLimitMs);
        ASSERT_TRUE(client.Send(proto::DeviceStatus()));
        const std::optional<proto::StatusReply> reply = client.ReceiveReply();
        ASSERT_TRUE(reply.has_value());
        EXPECT_EQ(reply->fwInfo, proto::kLlBoot);
    }
    ::kill(pid, SIGTERM);
    int status = 0;
    pid_t done = 0;
    for (int i = 0; i < 250 && done == 0; ++i) {  // at most 5 s
        done = ::waitpid(pid, &status, WNOHANG);
        if (done == 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (done == 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    }
    ASSERT_EQ(done, pid) << "tessaline-emu did not exit on SIGTERM";
    EXPECT_TRUE(WIFEXITED(status)) << "status " << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
#endif

}  // namespace
