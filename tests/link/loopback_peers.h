// Peers of the socket link's tests on 127.0.0.1, written against the POSIX sockets directly (so this header names
// no socket type: the test files see the seam's Windows types). Every wait in them is bounded.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

namespace link_test {

// A port of 127.0.0.1 on which nothing listens: a connect there is refused at once.
uint16_t UnusedLoopbackPort();

// A listener whose accept queue is full: a further connect is never answered, so it neither succeeds nor is refused.
class FullListener {
 public:
  FullListener();
  ~FullListener();
  FullListener(const FullListener&) = delete;
  FullListener& operator=(const FullListener&) = delete;
  // False when the queue could not be shown to be full (the test then cannot prove a time-out).
  bool Full() const { return full_; }
  uint16_t Port() const { return port_; }

 private:
  int listener_ = -1;
  std::vector<int> fillers_;
  uint16_t port_ = 0;
  bool full_ = false;
};

// Accepts one connection, reads `readBytes`, answers `answer`, then closes it, on a thread of its own.
class ClosingPeer {
 public:
  ClosingPeer(size_t readBytes, std::vector<uint8_t> answer);
  ~ClosingPeer();  // joins; the thread gives up after 10 s without a client
  ClosingPeer(const ClosingPeer&) = delete;
  ClosingPeer& operator=(const ClosingPeer&) = delete;
  uint16_t Port() const;
  size_t BytesRead() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace link_test
