#include "loopback_peers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

namespace link_test {
namespace {

sockaddr_in Loopback(uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

// A socket bound to 127.0.0.1 on a free port; listening with the backlog when it is not negative.
int Bound(int backlog, uint16_t& port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address = Loopback(0);
  if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      (backlog >= 0 && ::listen(fd, backlog) != 0)) {
    if (fd >= 0) ::close(fd);
    return -1;
  }
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return fd;
}

// Starts a connection; true when it stands within the time.
bool ConnectsWithin(int fd, uint16_t port, int milliseconds) {
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
  const sockaddr_in address = Loopback(port);
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return true;
  pollfd entry{fd, POLLOUT, 0};
  if (::poll(&entry, 1, milliseconds) != 1) return false;
  int error = 0;
  socklen_t length = sizeof error;
  ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
  return error == 0;
}

}  // namespace

uint16_t UnusedLoopbackPort() {
  uint16_t port = 0;
  const int fd = Bound(-1, port);
  if (fd >= 0) ::close(fd);  // bound but never listening, then released: nothing answers there
  return port;
}

FullListener::FullListener() {
  listener_ = Bound(0, port_);
  if (listener_ < 0) return;
  // Connections that are never accepted fill the queue; the first one left unanswered for 300 ms shows it full.
  for (int i = 0; i < 8 && !full_; ++i) {
    const int filler = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (filler < 0) return;
    fillers_.push_back(filler);
    full_ = !ConnectsWithin(filler, port_, 300);
  }
}

FullListener::~FullListener() {
  for (const int fd : fillers_) ::close(fd);
  if (listener_ >= 0) ::close(listener_);
}

struct ClosingPeer::State {
  int listener = -1;
  uint16_t port = 0;
  std::atomic<size_t> read{0};
  std::thread thread;
};

ClosingPeer::ClosingPeer(size_t readBytes, std::vector<uint8_t> answer) : state_(std::make_unique<State>()) {
  state_->listener = Bound(1, state_->port);
  if (state_->listener < 0) return;
  State* state = state_.get();
  state_->thread = std::thread([state, readBytes, answer = std::move(answer)] {
    pollfd waiting{state->listener, POLLIN, 0};
    if (::poll(&waiting, 1, 10000) != 1) return;  // no client within 10 s: the test has failed already
    const int client = ::accept(state->listener, nullptr, nullptr);
    if (client < 0) return;
    uint8_t byte = 0;
    while (state->read < readBytes) {
      pollfd entry{client, POLLIN, 0};
      if (::poll(&entry, 1, 10000) != 1 || ::recv(client, &byte, 1, 0) != 1) break;
      ++state->read;
    }
    if (!answer.empty()) ::send(client, answer.data(), answer.size(), MSG_NOSIGNAL);
    ::close(client);
  });
}

ClosingPeer::~ClosingPeer() {
  if (state_->thread.joinable()) state_->thread.join();
  if (state_->listener >= 0) ::close(state_->listener);
}

uint16_t ClosingPeer::Port() const { return state_->port; }
size_t ClosingPeer::BytesRead() const { return state_->read; }

}  // namespace link_test
