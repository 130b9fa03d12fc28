#include "bench/bare_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace bench {

emu::SocketFd ConnectLoopback(uint16_t port) {
  emu::SocketFd socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!socket.Valid()) return {};
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(socket.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) return {};
  const int yes = 1;
  ::setsockopt(socket.Get(), IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
  return socket;
}

bool SendAll(int fd, const uint8_t* data, size_t size) {
  for (size_t sent = 0; sent < size;) {
    const ssize_t n = ::send(fd, data + sent, size - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

bool ReceiveAll(int fd, uint8_t* buffer, size_t size) {
  for (size_t got = 0; got < size;) {
    const ssize_t n = ::recv(fd, buffer + got, size - got, 0);
    if (n <= 0) return false;
    got += static_cast<size_t>(n);
  }
  return true;
}

bool BareTransaction(uint16_t port, const uint8_t* block, const uint8_t* data, size_t dataOut) {
  emu::SocketFd socket = ConnectLoopback(port);
  if (!socket.Valid()) return false;
  uint8_t reply[32];
  const bool ok = SendAll(socket.Get(), block, 16) && ReceiveAll(socket.Get(), reply, sizeof reply) &&
                  SendAll(socket.Get(), data, dataOut);
  ::shutdown(socket.Get(), SHUT_RDWR);
  return ok;
}

}  // namespace bench
