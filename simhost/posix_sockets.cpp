#include "simhost/posix_sockets.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace simhost::posix {
namespace {

// Windows Sockets codes (winsock2.h).
int WsaCode(int posixError, bool nonBlocking) {
  switch (posixError) {
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
      return nonBlocking ? 10035 : 10060;  // WSAEWOULDBLOCK; a blocking call's time limit: WSAETIMEDOUT
    case EINPROGRESS: return 10035;
    case EINTR: return 10004;
    case EBADF:
    case ENOTSOCK: return 10038;
    case EFAULT: return 10014;
    case EINVAL: return 10022;
    case EMFILE:
    case ENFILE: return 10024;
    case ENOPROTOOPT: return 10042;
    case EADDRNOTAVAIL: return 10049;
    case ENETUNREACH: return 10051;
    case ECONNABORTED: return 10053;
    case ECONNRESET:
    case EPIPE: return 10054;
    case ENOTCONN: return 10057;
    case ETIMEDOUT: return 10060;
    case ECONNREFUSED: return 10061;
    case EHOSTUNREACH: return 10065;
    default: return 10022;
  }
}

}  // namespace

int OpenTcp(int& error) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) error = WsaCode(errno, false);
  return fd;
}

bool SetNonBlocking(int fd, bool on, int& error) {
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK)) < 0) {
    error = WsaCode(errno, false);
    return false;
  }
  return true;
}

bool ConnectLoopback(int fd, uint16_t port, bool& underWay, int& error) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  underWay = false;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return true;
  if (errno == EINPROGRESS) {
    underWay = true;
    return true;
  }
  error = WsaCode(errno, false);
  return false;
}

int TakeConnectError(int fd) {
  int value = 0;
  socklen_t length = sizeof value;
  if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &value, &length) != 0) return WsaCode(errno, false);
  return value == 0 ? 0 : WsaCode(value, false);
}

bool Poll(std::vector<PollItem>& items, int timeoutMs, int& error) {
  std::vector<pollfd> fds;
  for (const PollItem& item : items) {
    pollfd entry{};
    entry.fd = item.fd;
    entry.events = static_cast<short>((item.wantRead ? POLLIN : 0) | (item.wantWrite ? POLLOUT : 0));
    fds.push_back(entry);
  }
  const int result = ::poll(fds.data(), fds.size(), timeoutMs < 0 ? -1 : timeoutMs);
  if (result < 0) {
    error = WsaCode(errno, false);
    return false;
  }
  for (size_t i = 0; i < items.size(); ++i) {
    items[i].readable = (fds[i].revents & (POLLIN | POLLHUP)) != 0;
    items[i].writable = (fds[i].revents & POLLOUT) != 0;
    items[i].hangUp = (fds[i].revents & (POLLERR | POLLHUP)) != 0;
  }
  return true;
}

bool SetTimeout(int fd, bool receive, uint32_t milliseconds, int& error) {
  timeval limit{};
  limit.tv_sec = static_cast<time_t>(milliseconds / 1000);
  limit.tv_usec = static_cast<suseconds_t>((milliseconds % 1000) * 1000);
  if (::setsockopt(fd, SOL_SOCKET, receive ? SO_RCVTIMEO : SO_SNDTIMEO, &limit, sizeof limit) != 0) {
    error = WsaCode(errno, false);
    return false;
  }
  return true;
}

bool SetNoDelay(int fd, bool on, int& error) {
  const int value = on ? 1 : 0;
  if (::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &value, sizeof value) != 0) {
    error = WsaCode(errno, false);
    return false;
  }
  return true;
}

long Send(int fd, const void* data, size_t size, bool nonBlocking, int& error) {
  const ssize_t sent = ::send(fd, data, size, MSG_NOSIGNAL);
  if (sent < 0) error = WsaCode(errno, nonBlocking);
  return static_cast<long>(sent);
}

long Receive(int fd, void* buffer, size_t size, bool nonBlocking, int& error) {
  const ssize_t received = ::recv(fd, buffer, size, 0);
  if (received < 0) error = WsaCode(errno, nonBlocking);
  return static_cast<long>(received);
}

bool Shutdown(int fd, int how, int& error) {
  const int mode = how == 0 ? SHUT_RD : how == 1 ? SHUT_WR : SHUT_RDWR;
  if (::shutdown(fd, mode) != 0) {
    error = WsaCode(errno, false);
    return false;
  }
  return true;
}

void Close(int fd) { ::close(fd); }

}  // namespace simhost::posix
