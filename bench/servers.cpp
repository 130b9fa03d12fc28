#include "bench/servers.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "bench/bare_socket.h"
#include "emulator/emu_server.h"
#include "link/protocol.h"

namespace bench {
namespace {

void Report(int fd, uint16_t port) { (void)!::write(fd, &port, sizeof port); }

void ServeEmulator(int reportFd, int stopFd) {
  emu::ServerOptions options;
  options.devicePort = 0;
  options.controlPort = 0;
  emu::EmuServer server(emu::Scenario{}, options, nullptr);
  std::string error;
  if (!server.Start(error)) return;
  Report(reportFd, server.DevicePort());
  Report(reportFd, server.ControlPort());
  ::close(reportFd);
  server.Run(stopFd);
}

void SinkOne(int fd, int eventFd, std::vector<uint8_t>& buffer) {
  uint8_t block[16];
  const uint8_t reply[32] = {};
  if (!ReceiveAll(fd, block, sizeof block) || !SendAll(fd, reply, sizeof reply)) return;
  size_t left = proto::Decode(block).dataLength;
  while (left > 0) {
    const ssize_t n = ::recv(fd, buffer.data(), std::min(left, buffer.size()), 0);
    if (n <= 0) return;
    left -= static_cast<size_t>(n);
  }
  (void)!::write(eventFd, "i", 1);
  while (::recv(fd, buffer.data(), buffer.size(), 0) > 0) {
  }
}

void ServeSink(int reportFd, int stopFd) {
  std::string error;
  emu::SocketFd listener = emu::ListenLoopback(0, error);
  if (!listener.Valid()) return;
  Report(reportFd, emu::LocalPort(listener.Get()));
  std::vector<uint8_t> buffer(1 << 20);
  for (;;) {
    pollfd fds[2] = {{listener.Get(), POLLIN, 0}, {stopFd, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0 || fds[1].revents != 0) return;
    emu::SocketFd client(::accept4(listener.Get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (client.Valid()) SinkOne(client.Get(), reportFd, buffer);
  }
}

}  // namespace

std::unique_ptr<ChildServer> StartEmulator() { return std::make_unique<ChildServer>(ServeEmulator, 2); }

std::unique_ptr<ChildServer> StartSink() { return std::make_unique<ChildServer>(ServeSink, 1); }

ControlClient::ControlClient(uint16_t port) : socket_(ConnectLoopback(port)) {}

std::string ControlClient::Command(const std::string& line) {
  const std::string text = line + "\n";
  if (!SendAll(socket_.Get(), reinterpret_cast<const uint8_t*>(text.data()), text.size())) return {};
  // One command at a time, so whatever arrives belongs to this reply.
  std::string reply;
  char piece[4096];
  for (;;) {
    const ssize_t n = ::recv(socket_.Get(), piece, sizeof piece, 0);
    if (n <= 0) return {};
    reply.append(piece, static_cast<size_t>(n));
    if (reply.back() == '\n') {
      reply.pop_back();
      return reply;
    }
  }
}

bool ControlClient::AwaitImage(size_t size) {
  const std::string received = " received=" + std::to_string(size) + " ";
  // Each poll is a round trip through the server's loop; a short pause leaves it the processor meanwhile.
  for (int polls = 0; polls < 200000; ++polls) {
    const std::string reply = Command("image");
    if (reply.empty()) return false;
    if (reply.find(received) != std::string::npos) {
      return reply.find(" complete=1 accepted=1 ") != std::string::npos;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(100));
  }
  return false;
}

}  // namespace bench
