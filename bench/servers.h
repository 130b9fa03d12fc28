// The two peers on 127.0.0.1, each in a child process: tessaline-emu's server (device port and control port)
// and a sink, the bare baseline's receiver, which reads and drops what it is sent.
#pragma once
#include <memory>
#include <string>

#include "bench/child_server.h"
#include "emulator/socket_fd.h"

namespace bench {

// Device port 0, control port 1. The default scenario: a scanner with boot loader 8 on the standard path, so
// it takes image 505 with code 0x1005.
std::unique_ptr<ChildServer> StartEmulator();

// Port 0. Per connection: reads a 16-byte block and answers 32 zero bytes, reads the block's data length
// into a 1 MiB buffer and drops it, signals the event (ChildServer::AwaitEvent) once every byte has been
// taken, and reads on until the client closes.
std::unique_ptr<ChildServer> StartSink();

// Where the benchmarks find the peers.
struct Peers {
  uint16_t emulatorDevice = 0;
  uint16_t emulatorControl = 0;
  uint16_t sinkPort = 0;
  ChildServer* sink = nullptr;  // its events: one per image taken
};

// One line to the control port, its reply line back (empty on failure).
class ControlClient {
 public:
  explicit ControlClient(uint16_t port);
  std::string Command(const std::string& line);
  // Polls "image" until the device has taken `size` bytes; true when the write was complete and accepted.
  bool AwaitImage(size_t size);

 private:
  emu::SocketFd socket_;
};

}  // namespace bench
