// The socket link for real on 127.0.0.1: against tessaline-emu's server in this process, and against peers that
// refuse, never answer or close. The simulated network routes the device's address 127.0.0.1:5566 to the
// server's ephemeral port; an address that is not routed is refused without any packet leaving the machine.
// Real waits are bounded: each receive has the channel's data limit, set small where a peer stays silent.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "emulator/loopback.h"
#include "emulator/placeholder_image.h"
#include "link/command_transaction.h"
#include "link/device_channel.h"
#include "link/protocol.h"
#include "link_fixture.h"
#include "loopback_peers.h"
#include "trace_reader.h"

namespace {

using simhost::SocketCall;

constexpr std::array<BYTE, 4> kLoopback = {127, 0, 0, 1};
constexpr uint16_t kDevicePort = 5566;

class SocketLinkTest : public LinkTest {
 protected:
  // The emulated scanner on an ephemeral port, reached as 127.0.0.1:5566.
  void StartServer(emu::Scenario scenario = {}) {
    server = std::make_unique<emu_test::ServerThread>(scenario);
    ASSERT_TRUE(server->Started()) << server->Error();
    tool.sockets().Route(kLoopback, kDevicePort, server->DevicePort());
  }
  bool Run(const proto::CommandBlock& command, const uint8_t* dataOut = nullptr, uint8_t* dataIn = nullptr) {
    const proto::CommandBytes block = proto::Encode(command);
    return RunCommandTransaction(host(), L"127.0.0.1", block.data(), dataOut, dataIn, reply.data(), 32);
  }
  std::string Control(const std::string& line) {
    emu_test::Client control(server->ControlPort(), 5000);
    return control.Command(line);
  }
  void ExpectSocketsBalanced() {
    EXPECT_EQ(tool.sockets().Startups(), tool.sockets().Cleanups());
    EXPECT_EQ(tool.sockets().OpenSockets(), 0u);
  }

  std::unique_ptr<emu_test::ServerThread> server;
  std::array<uint8_t, 32> reply{};
  TraceFile trace;
};

TEST_F(SocketLinkTest, EachCommandOverTcp) {
  StartServer();
  uint8_t data[72] = {};
  ASSERT_TRUE(Run(proto::IdentificationRead(), nullptr, data));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), 14), "KT-A4-00012345");
  ASSERT_TRUE(Run(proto::DeviceInfoRead(), nullptr, data));
  EXPECT_EQ(proto::ReadLe32(data + 24), 60u);
  EXPECT_EQ(proto::ReadLe32(data + 28), 0x00010005u);
  ASSERT_TRUE(Run(proto::DeviceStatus()));
  EXPECT_EQ(proto::DecodeReply(reply.data()).fwInfo, proto::kReady);
  EXPECT_EQ(proto::DecodeReply(reply.data()).ubootVersion, 8);
  ASSERT_TRUE(Run(proto::BurnStatus()));
  EXPECT_EQ(proto::DecodeReply(reply.data()).errorCode, 0u);
  EXPECT_EQ(Console(), L"");

  // Each transaction started the library, made its own connection and ended both.
  EXPECT_EQ(tool.sockets().Startups(), 4);
  ExpectSocketsBalanced();
  ASSERT_EQ(tool.sockets().Connects().size(), 4u);
  for (const simhost::ConnectAttempt& attempt : tool.sockets().Connects()) {
    EXPECT_EQ(attempt.address, kLoopback);
    EXPECT_EQ(attempt.port, kDevicePort);
  }
  const std::string counts = Control("counts");
  EXPECT_NE(counts.find("identification=1 device-info=1 device-status=1 burn-status=1"), std::string::npos) << counts;
  // The options of one transaction with a data-in phase: no delay, then a receive limit per data move.
  const auto& options = tool.sockets().Options();
  ASSERT_GE(options.size(), 3u);
  EXPECT_EQ(options[0], (std::array<int, 3>{IPPROTO_TCP, TCP_NODELAY, 1}));
  EXPECT_EQ(options[1], (std::array<int, 3>{SOL_SOCKET, SO_RCVTIMEO, 120000}));
  EXPECT_EQ(options[2], (std::array<int, 3>{SOL_SOCKET, SO_RCVTIMEO, 120000}));
}

TEST_F(SocketLinkTest, AFirmwareImageArrivesByteForByte) {
  StartServer();
  const std::vector<uint8_t> image = emu::PlaceholderImage(505, 13633428);
  ASSERT_TRUE(Run(proto::FirmwareWrite(0x1005, 13633428), image.data()));
  EXPECT_EQ(proto::DecodeReply(reply.data()).errorCode, 0u);
  // The server may still be reading the last bytes after the link has handed them all over: ask for up to 10 s.
  std::string record;
  for (int i = 0; i < 200; ++i) {
    record = Control("image");
    if (record.find("complete=1") != std::string::npos) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  char checksum[32];
  std::snprintf(checksum, sizeof checksum, "checksum=0x%llx",
                static_cast<unsigned long long>(emu::PlaceholderChecksum(505, 13633428)));
  EXPECT_NE(record.find("received=13633428"), std::string::npos) << record;
  EXPECT_NE(record.find(checksum), std::string::npos) << record << " wanted " << checksum;
  EXPECT_NE(record.find("complete=1"), std::string::npos) << record;
  EXPECT_NE(record.find("placeholder=505"), std::string::npos) << record;
  ExpectSocketsBalanced();
}

TEST_F(SocketLinkTest, AddressTextsAreReadAsTheLinkReadsThem) {
  // Parse only: none of these is routed, so each connect is refused inside the simulated network.
  const struct {
    std::wstring text;
    std::array<BYTE, 4> address;
  } cases[] = {
      {L"192.0.2.20", {192, 0, 2, 20}},
      {L"192.0.2.1234", {192, 0, 2, 123}},
      {L"192.0.2.300", {192, 0, 2, 44}},
      {L" 10.-1.+7.0099", {10, 255, 7, 9}},
      {L"1.2.3.4.5", {1, 2, 3, 4}},
      {L"a.b.c.d", {0, 0, 0, 0}},
      {L"...", {0, 0, 0, 0}},
      {L"99999999999.2.3.4", {255, 2, 3, 4}},
  };
  const proto::CommandBytes block = proto::Encode(proto::DeviceStatus());
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    const size_t before = tool.sockets().Connects().size();
    EXPECT_FALSE(RunCommandTransaction(host(), c.text, block.data(), nullptr, nullptr, reply.data(), 32));
    ASSERT_EQ(tool.sockets().Connects().size(), before + 1);
    const simhost::ConnectAttempt& attempt = tool.sockets().Connects().back();
    EXPECT_EQ(attempt.address, c.address);
    EXPECT_EQ(attempt.port, kDevicePort);
    EXPECT_FALSE(attempt.routed);
  }
  // Fewer than three dots: no address, no socket.
  for (const std::wstring text : {L"192.0.2", L"localhost", L"192 0 2 20"}) {
    const size_t before = tool.sockets().Connects().size();
    EXPECT_FALSE(RunCommandTransaction(host(), text, block.data(), nullptr, nullptr, reply.data(), 32));
    EXPECT_EQ(tool.sockets().Connects().size(), before);
  }
  EXPECT_EQ(tool.sockets().Calls(SocketCall::Socket), std::size(cases));
  ExpectSocketsBalanced();
}

TEST_F(SocketLinkTest, ARefusedConnection) {
  tool.sockets().Route(kLoopback, kDevicePort, link_test::UnusedLoopbackPort());
  {
    CDeviceChannel channel(host());
    const DWORD start = Now();
    EXPECT_FALSE(channel.ConnectTcp(L"127.0.0.1"));
    EXPECT_LT(Now() - start, 1000u) << "a refusal ends the wait at once";
    EXPECT_EQ(channel.m_socket.Get(), INVALID_SOCKET);
    EXPECT_EQ(channel.m_bWsaStarted, 1);
    EXPECT_EQ(channel.m_strError, L"") << "the socket link never writes the error text";
    EXPECT_EQ(tool.sockets().OpenSockets(), 0u);
    EXPECT_TRUE(channel.Close());
  }
  ExpectSocketsBalanced();
  EXPECT_EQ(tool.sockets().Cleanups(), 1);
}

// No socket to be had (too many open): the link gives up before any call on INVALID_SOCKET.
TEST_F(SocketLinkTest, ASocketThatCannotBeMadeEndsTheConnectAtOnce) {
  tool.sockets().FailNext(SocketCall::Socket, WSAEMFILE);
  CDeviceChannel channel(host());
  EXPECT_FALSE(channel.ConnectTcp(L"127.0.0.1"));
  EXPECT_EQ(channel.m_socket.Get(), INVALID_SOCKET);
  EXPECT_EQ(tool.sockets().Calls(SocketCall::Ioctl), 0u);
  EXPECT_EQ(tool.sockets().Calls(SocketCall::Connect), 0u);
  EXPECT_TRUE(channel.Close());
}

TEST_F(SocketLinkTest, AConnectNobodyAnswersIsGivenUpAfterTheCommandLimit) {
  // A listener whose queue is full drops the connection request: only the select's time-out ends the wait.
  // The limit is cut to 1 s (the select waits it in real time) and the clock moves on by as much.
  link_test::FullListener listener;
  ASSERT_TRUE(listener.Full()) << "could not fill the listener's queue";
  tool.sockets().Route(kLoopback, kDevicePort, listener.Port());
  CDeviceChannel channel(host());
  channel.m_dwCommandTimeout = 1000;
  const auto realStart = std::chrono::steady_clock::now();
  const DWORD start = Now();
  EXPECT_FALSE(channel.ConnectTcp(L"127.0.0.1"));
  EXPECT_GE(Now() - start, 1000u);
  EXPECT_LT(std::chrono::steady_clock::now() - realStart, std::chrono::seconds(5));
  EXPECT_EQ(channel.m_socket.Get(), INVALID_SOCKET);
  EXPECT_EQ(tool.sockets().OpenSockets(), 0u);
}

TEST_F(SocketLinkTest, APeerThatClosesDuringAReceive) {
  // The device vanishes as the data-in phase begins: its reply arrived, then the connection closes. The receive
  // keeps trying until its limit (2 s here) has passed, then fails.
  emu::Scenario scenario;
  scenario.faults.stageFaults.push_back({.transaction = 1, .stage = emu::Stage::DataIn, .kind = emu::FaultKind::Unplug});
  StartServer(scenario);
  CDeviceChannel channel(host());
  channel.m_dwDataTimeout = 2000;
  ASSERT_TRUE(channel.ConnectTcp(L"127.0.0.1"));
  const proto::CommandBytes block = proto::Encode(proto::IdentificationRead());
  ASSERT_TRUE(channel.SendCommand(block.data()));
  ASSERT_TRUE(channel.ReceiveData(reply.data(), 32, trace.Path(), 1));
  uint8_t data[14] = {};
  const DWORD start = Now();
  EXPECT_FALSE(channel.ReceiveData(data, sizeof data, trace.Path(), 1));
  EXPECT_GT(Now() - start, 2000u);
  EXPECT_LT(Now() - start, 2100u);
  EXPECT_EQ(trace.Lines(), (std::vector<std::wstring>{L"==>In recv data do-while", L"==>Out recv data do-while",
                                                       L"==>In recv data do-while", L"==>recv data time out"}));
  channel.Close();
}

TEST_F(SocketLinkTest, APeerThatClosesDuringAReceiveWithTheDefaultLimit) {
  // The same through the transaction, with the 120000 ms limit on the virtual clock.
  emu::Scenario scenario;
  scenario.faults.stageFaults.push_back({.transaction = 1, .stage = emu::Stage::DataIn, .kind = emu::FaultKind::Unplug});
  StartServer(scenario);
  uint8_t data[14] = {};
  const DWORD start = Now();
  EXPECT_FALSE(Run(proto::IdentificationRead(), nullptr, data));
  EXPECT_GT(Now() - start, 120000u);
  EXPECT_LT(Now() - start, 121000u);
  EXPECT_EQ(Console(), L"\t[USB Error] 5-\n");
  ExpectSocketsBalanced();
}

TEST_F(SocketLinkTest, APartialReplyThenClose) {
  link_test::ClosingPeer peer(16, std::vector<uint8_t>(10, 0xAB));
  tool.sockets().Route(kLoopback, kDevicePort, peer.Port());
  CDeviceChannel channel(host());
  channel.m_dwDataTimeout = 500;
  ASSERT_TRUE(channel.ConnectTcp(L"127.0.0.1"));
  const proto::CommandBytes block = proto::Encode(proto::DeviceStatus());
  ASSERT_TRUE(channel.SendCommand(block.data()));
  reply.fill(0);
  EXPECT_FALSE(channel.ReceiveData(reply.data(), 32, trace.Path(), 0));
  for (size_t i = 0; i < 32; ++i) EXPECT_EQ(reply[i], i < 10 ? 0xAB : 0) << "byte " << i;
  EXPECT_FALSE(trace.Exists()) << "the switch is off";
  channel.Close();
}

TEST_F(SocketLinkTest, TimeLimitsOfTheThreeMoves) {
  // Each call takes as long as the test says; the limits are checked after each call.
  StartServer();
  const struct {
    const char* name;
    uint32_t sendDelay, recvDelay;
    bool commandOk, dataOk, replyOk;
  } cases[] = {
      {"all in time", 0, 0, true, true, true},
      {"the block just in time", 11990, 0, true, true, true},
      {"the block late", 12000, 0, false, false, false},
      {"a receive late though complete", 0, 120001, true, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CDeviceChannel channel(host());
    ASSERT_TRUE(channel.ConnectTcp(L"127.0.0.1"));
    proto::CommandBlock command;
    command.opcode = proto::kOpDataOutFirst;  // data out, then the reply
    command.dataLength = 1000;
    const proto::CommandBytes block = proto::Encode(command);
    tool.sockets().Delay(SocketCall::Send, c.sendDelay);
    EXPECT_EQ(channel.SendCommand(block.data()), c.commandOk);
    if (c.commandOk) {
      const std::vector<uint8_t> data(1000, 0x42);
      EXPECT_EQ(channel.SendData(data.data(), 1000, L"", 0), c.dataOk);
      tool.sockets().Delay(SocketCall::Recv, c.recvDelay);
      EXPECT_EQ(channel.ReceiveData(reply.data(), 32, L"", 0), c.replyOk);
      EXPECT_EQ(proto::DecodeReply(reply.data()).errorCode, 0xE2u) << "0x2B is answered with a reject code";
    }
    tool.sockets().Delay(SocketCall::Send, 0);
    tool.sockets().Delay(SocketCall::Recv, 0);
    channel.Close();
  }
  ExpectSocketsBalanced();
}

TEST_F(SocketLinkTest, ADataSendLimitsTheTimeWithoutProgressNotTheWholeSend) {
  // Windows ends a blocking send that runs past SO_SNDTIMEO, whatever it moved meanwhile. The link sends in pieces
  // with the data limit each, so only a link that carries less than a piece within the limit fails.
  StartServer();
  const struct {
    const char* name;
    uint32_t bytesPerSecond;
    DWORD bytes;
    bool ok;
    uint64_t atLeastMs;  // the virtual time the send took at least
    const wchar_t* lastLine;
  } cases[] = {
      {"fast", 0, 200000, true, 0, L"==>Out send data do-while"},
      {"200000 bytes at 1000 a second: 200 s in all, 66 s a piece", 1000, 200000, true, 200000,
       L"==>Out send data do-while"},
      {"13.6 MB at 100 KB a second: about 136 s", 100000, 13633428, true, 136000, L"==>Out send data do-while"},
      {"500 bytes a second: a piece needs 131 s", 500, 200000, false, 120000, L"==>Send data time out"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TraceFile file;
    proto::CommandBlock command;
    command.opcode = proto::kOpDataOutFirst;
    command.dataLength = c.bytes;
    const proto::CommandBytes block = proto::Encode(command);
    const std::vector<uint8_t> data(c.bytes, 0x42);
    CDeviceChannel channel(host());
    ASSERT_TRUE(channel.ConnectTcp(L"127.0.0.1"));
    ASSERT_TRUE(channel.SendCommand(block.data()));
    tool.sockets().SetSendRate(c.bytesPerSecond);
    const DWORD start = Now();
    EXPECT_EQ(channel.SendData(data.data(), c.bytes, file.Path(), 1), c.ok);
    tool.sockets().SetSendRate(0);
    EXPECT_GE(Now() - start, c.atLeastMs);
    ASSERT_FALSE(file.Lines().empty());
    EXPECT_EQ(file.Lines().back(), c.lastLine);
    EXPECT_EQ(tool.sockets().Options().back(), (std::array<int, 3>{SOL_SOCKET, SO_SNDTIMEO, 120000}));
    channel.Close();
  }
  ExpectSocketsBalanced();
}

TEST_F(SocketLinkTest, TraceLines) {
  StartServer();
  proto::CommandBlock command;
  command.opcode = proto::kOpDataOutFirst;
  command.dataLength = 3000;
  const proto::CommandBytes block = proto::Encode(command);
  const std::vector<uint8_t> data(3000, 0x42);
  CDeviceChannel channel(host());
  ASSERT_TRUE(channel.ConnectTcp(L"127.0.0.1"));
  ASSERT_TRUE(channel.SendCommand(block.data()));
  ASSERT_TRUE(channel.SendData(data.data(), 3000, trace.Path(), 1));
  ASSERT_TRUE(channel.ReceiveData(reply.data(), 32, trace.Path(), 1));
  EXPECT_EQ(trace.Lines(), (std::vector<std::wstring>{L"==>In send data do-while", L"==>Send data start",
                                                       L"==>Send data end", L"==>Out send data do-while",
                                                       L"==>In recv data do-while", L"==>Out recv data do-while"}));
  // A late receive traces its time-out.
  tool.sockets().Delay(SocketCall::Recv, 120001);
  ASSERT_TRUE(channel.SendCommand(block.data()));
  EXPECT_TRUE(channel.SendData(data.data(), 3000, L"", 0));
  EXPECT_FALSE(channel.ReceiveData(reply.data(), 32, trace.Path(), 1));
  EXPECT_EQ(trace.Lines().back(), L"==>recv data time out");
  channel.Close();
}

TEST_F(SocketLinkTest, TraceLinesOfFailedMoves) {
  StartServer();
  const std::vector<uint8_t> data(100, 0x42);
  const struct {
    const char* name;
    SocketCall call;
    std::vector<std::wstring> lines;
  } cases[] = {
      // No line when the option cannot be set; no closing line after SOCKET_ERROR, but "end" still follows send.
      {"send option", SocketCall::SetOption, {}},
      {"send", SocketCall::Send, {L"==>In send data do-while", L"==>Send data start", L"==>Send data end"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TraceFile file;
    CDeviceChannel channel(host());
    ASSERT_TRUE(channel.ConnectTcp(L"127.0.0.1"));
    tool.sockets().FailNext(c.call, WSAECONNRESET);
    EXPECT_FALSE(channel.SendData(data.data(), 100, file.Path(), 1));
    EXPECT_EQ(file.Lines(), c.lines);
    channel.Close();
  }
  {
    TraceFile file;
    CDeviceChannel channel(host());
    ASSERT_TRUE(channel.ConnectTcp(L"127.0.0.1"));
    tool.sockets().FailNext(SocketCall::SetOption, WSAENOPROTOOPT);
    EXPECT_FALSE(channel.ReceiveData(reply.data(), 32, file.Path(), 1));
    tool.sockets().FailNext(SocketCall::Recv, WSAECONNRESET);
    EXPECT_FALSE(channel.ReceiveData(reply.data(), 32, file.Path(), 1));
    EXPECT_EQ(file.Lines(), std::vector<std::wstring>{L"==>In recv data do-while"});
    channel.Close();
  }
  ExpectSocketsBalanced();
}

TEST_F(SocketLinkTest, EachStepOfTheConnectThatCanFail) {
  StartServer();
  const struct {
    const char* name;
    std::vector<std::pair<SocketCall, int>> failures;
    int wsaStarted;
    bool socketLeft;  // the owner's Close must close it
  } cases[] = {
      {"WSAStartup", {{SocketCall::Startup, WSASYSNOTREADY}}, 0, false},
      {"socket", {{SocketCall::Socket, WSAEMFILE}}, 1, false},
      {"non-blocking", {{SocketCall::Ioctl, WSAEINVAL}}, 1, true},
      {"blocking again", {{SocketCall::Ioctl, 0}, {SocketCall::Ioctl, WSAEINVAL}}, 1, true},
      {"select", {{SocketCall::Select, WSAEINVAL}}, 1, false},
      {"no delay", {{SocketCall::SetOption, WSAENOPROTOOPT}}, 1, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const int startups = tool.sockets().Startups();
    const int cleanups = tool.sockets().Cleanups();
    {
      CDeviceChannel channel(host());
      for (const auto& [call, error] : c.failures) tool.sockets().FailNext(call, error);
      EXPECT_FALSE(channel.ConnectTcp(L"127.0.0.1"));
      EXPECT_EQ(channel.m_bWsaStarted, c.wsaStarted);
      EXPECT_EQ(channel.m_socket.Get() != INVALID_SOCKET, c.socketLeft);
      EXPECT_EQ(tool.sockets().OpenSockets(), c.socketLeft ? 1u : 0u);
      EXPECT_TRUE(channel.Close());
      EXPECT_EQ(channel.m_socket.Get(), INVALID_SOCKET);
      EXPECT_EQ(tool.sockets().OpenSockets(), 0u);
    }
    EXPECT_EQ(tool.sockets().Startups() - startups, c.wsaStarted);
    EXPECT_EQ(tool.sockets().Cleanups() - cleanups, c.wsaStarted) << "one WSACleanup per channel that started";
  }
}

TEST_F(SocketLinkTest, OneStartupPerChannelHoweverManyConnects) {
  tool.sockets().Route(kLoopback, kDevicePort, link_test::UnusedLoopbackPort());
  {
    CDeviceChannel channel(host());
    EXPECT_FALSE(channel.ConnectTcp(L"127.0.0.1"));
    EXPECT_FALSE(channel.ConnectTcp(L"127.0.0.1"));
    EXPECT_EQ(tool.sockets().Startups(), 1);
    EXPECT_EQ(tool.sockets().Cleanups(), 0);
  }
  EXPECT_EQ(tool.sockets().Cleanups(), 1);
  { CDeviceChannel unused(host()); }
  EXPECT_EQ(tool.sockets().Cleanups(), 1) << "a channel that never started the library does not end it";
}

TEST_F(SocketLinkTest, ADataSendThePeerNeverDrainsEndsAtTheDataLimit) {
  // A data-out phase longer than the device takes stalls it: the device reads nothing more. 64 MiB cannot all
  // fit in the connection's buffers, so the send waits; the link's own limit per send (1 s here) ends it.
  StartServer();
  proto::CommandBlock command;
  command.opcode = proto::kOpDataOutFirst;
  command.dataLength = 64u << 20;
  const std::vector<uint8_t> data(command.dataLength, 0x42);
  CDeviceChannel channel(host());
  channel.m_dwDataTimeout = 1000;
  ASSERT_TRUE(channel.ConnectTcp(L"127.0.0.1"));
  const proto::CommandBytes block = proto::Encode(command);
  ASSERT_TRUE(channel.SendCommand(block.data()));
  const auto realStart = std::chrono::steady_clock::now();
  EXPECT_FALSE(channel.SendData(data.data(), command.dataLength, trace.Path(), 1));
  EXPECT_LT(std::chrono::steady_clock::now() - realStart, std::chrono::seconds(10));
  ASSERT_FALSE(trace.Lines().empty());
  EXPECT_EQ(trace.Lines().back(), L"==>Send data time out");
  EXPECT_EQ(tool.sockets().Options().back(), (std::array<int, 3>{SOL_SOCKET, SO_SNDTIMEO, 1000}));
  channel.Close();
}

}  // namespace
