#include "simhost/sockets.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "simhost/posix_sockets.h"

namespace simhost {
namespace {

constexpr int kWsaAddressFamilyNotSupported = 10047;

uint32_t AddressKey(const std::array<BYTE, 4>& address) {
  return (uint32_t{address[0]} << 24) | (uint32_t{address[1]} << 16) | (uint32_t{address[2]} << 8) | address[3];
}

bool InSet(const plat::fd_set* set, plat::SOCKET s) {
  if (set == nullptr) return false;
  for (UINT i = 0; i < set->fd_count && i < 64; ++i) {
    if (set->fd_array[i] == s) return true;
  }
  return false;
}

}  // namespace

Sockets::~Sockets() {
  for (const auto& [handle, socket] : sockets_) posix::Close(socket.fd);
}

// Runs one call in real time, then moves the world's clock on by what it took (at least 1 ms) and the delay
// set for the call.
template <class Body>
auto Sockets::Timed(SocketCall call, Body body) {
  ++calls_[call];
  const auto start = std::chrono::steady_clock::now();
  auto result = body();
  const auto took = std::chrono::ceil<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  const auto delay = delays_.count(call) != 0 ? delays_[call] : 0u;
  state_.world.scheduler().Sleep(static_cast<uint64_t>(std::max<int64_t>(1, took)) + delay);
  return result;
}

int Sockets::Fail(int error) {
  state_.CurrentThread().lastError = static_cast<DWORD>(error);
  return SOCKET_ERROR;
}

bool Sockets::Injected(SocketCall call, int& error) {
  auto it = failures_.find(call);
  if (it == failures_.end() || it->second.empty()) return false;
  error = it->second.front();
  it->second.erase(it->second.begin());
  return error != 0;
}

bool Sockets::Ready(SocketCall call, int& error) {
  if (users_ == 0) {
    error = WSANOTINITIALISED;
    return false;
  }
  return !Injected(call, error);
}

Sockets::SocketState* Sockets::Find(plat::SOCKET s) {
  const auto it = sockets_.find(s);
  return it == sockets_.end() ? nullptr : &it->second;
}

void Sockets::Route(std::array<BYTE, 4> address, uint16_t port, uint16_t loopbackPort) {
  routes_[{AddressKey(address), port}] = loopbackPort;
}

void Sockets::FailNext(SocketCall call, int error, int times) {
  for (int i = 0; i < times; ++i) failures_[call].push_back(error);
}

size_t Sockets::Calls(SocketCall call) const {
  const auto it = calls_.find(call);
  return it == calls_.end() ? 0 : it->second;
}

int Sockets::WSAStartup(WORD versionRequested, plat::LPWSADATA data) {
  return Timed(SocketCall::Startup, [&]() -> int {
    int error = 0;
    if (Injected(SocketCall::Startup, error)) return error;
    if ((versionRequested & 0xFF) < 1) return WSAVERNOTSUPPORTED;
    if (data != nullptr) {
      *data = plat::WSADATA{};
      data->wVersion = std::min<WORD>(versionRequested, 0x0202);
      data->wHighVersion = 0x0202;
      std::strcpy(data->szDescription, "WinSock 2.0");
      std::strcpy(data->szSystemStatus, "Running");
    }
    ++users_;
    ++startups_;
    return 0;
  });
}

int Sockets::WSACleanup() {
  if (users_ == 0) return Fail(WSANOTINITIALISED);
  --users_;
  ++cleanups_;
  return 0;
}

plat::SOCKET Sockets::socket(int addressFamily, int type, int) {
  return Timed(SocketCall::Socket, [&]() -> plat::SOCKET {
    int error = 0;
    const auto refuse = [this](int code) {
      Fail(code);
      return INVALID_SOCKET;
    };
    if (!Ready(SocketCall::Socket, error)) return refuse(error);
    if (addressFamily != AF_INET || type != SOCK_STREAM) return refuse(kWsaAddressFamilyNotSupported);
    const int fd = posix::OpenTcp(error);
    if (fd < 0) return refuse(error);
    const plat::SOCKET handle = nextSocket_;
    nextSocket_ += 4;
    sockets_[handle].fd = fd;
    return handle;
  });
}

int Sockets::ioctlsocket(plat::SOCKET s, long command, plat::u_long* argument) {
  return Timed(SocketCall::Ioctl, [&]() -> int {
    int error = 0;
    if (!Ready(SocketCall::Ioctl, error)) return Fail(error);
    SocketState* socket = Find(s);
    if (socket == nullptr) return Fail(WSAENOTSOCK);
    if (command != FIONBIO) return Fail(WSAEINVAL);
    if (argument == nullptr) return Fail(WSAEFAULT);
    if (!posix::SetNonBlocking(socket->fd, *argument != 0, error)) return Fail(error);
    socket->nonBlocking = *argument != 0;
    return 0;
  });
}

int Sockets::connect(plat::SOCKET s, const plat::sockaddr* name, int nameLength) {
  return Timed(SocketCall::Connect, [&]() -> int {
    int error = 0;
    if (!Ready(SocketCall::Connect, error)) return Fail(error);
    SocketState* socket = Find(s);
    if (socket == nullptr) return Fail(WSAENOTSOCK);
    if (name == nullptr || nameLength < static_cast<int>(sizeof(plat::sockaddr_in))) return Fail(WSAEFAULT);
    plat::sockaddr_in remote{};
    std::memcpy(&remote, name, sizeof remote);
    if (remote.sin_family != AF_INET) return Fail(kWsaAddressFamilyNotSupported);
    ConnectAttempt attempt;
    attempt.address = {remote.sin_addr.S_un.S_un_b.s_b1, remote.sin_addr.S_un.S_un_b.s_b2,
                       remote.sin_addr.S_un.S_un_b.s_b3, remote.sin_addr.S_un.S_un_b.s_b4};
    BYTE port[2];
    std::memcpy(port, &remote.sin_port, 2);
    attempt.port = static_cast<uint16_t>((port[0] << 8) | port[1]);
    const auto route = routes_.find({AddressKey(attempt.address), attempt.port});
    attempt.routed = route != routes_.end();
    connects_.push_back(attempt);
    bool underWay = false;
    if (!attempt.routed) {
      error = WSAECONNREFUSED;
    } else if (posix::ConnectLoopback(socket->fd, route->second, underWay, error)) {
      socket->underWay = underWay;
      socket->connected = !underWay;
      return socket->nonBlocking ? Fail(WSAEWOULDBLOCK) : 0;
    }
    if (!socket->nonBlocking) return Fail(error);
    socket->connectFailure = error;
    return Fail(WSAEWOULDBLOCK);
  });
}

int Sockets::select(int, plat::fd_set* readSet, plat::fd_set* writeSet, plat::fd_set* errorSet,
                    const plat::timeval* timeout) {
  return Timed(SocketCall::Select, [&]() -> int {
    int error = 0;
    if (!Ready(SocketCall::Select, error)) return Fail(error);
    const int timeoutMs = timeout == nullptr ? -1 : static_cast<int>(timeout->tv_sec * 1000 + timeout->tv_usec / 1000);
    return SelectSockets(readSet, writeSet, errorSet, timeoutMs);
  });
}

int Sockets::SelectSockets(plat::fd_set* readSet, plat::fd_set* writeSet, plat::fd_set* errorSet, int timeoutMs) {
  struct Want {
    plat::SOCKET handle;
    SocketState* socket;
    bool read, write, error;
    bool gotRead = false, gotWrite = false, gotError = false;
  };
  std::vector<Want> wants;
  for (const plat::fd_set* set : {readSet, writeSet, errorSet}) {
    for (UINT i = 0; set != nullptr && i < set->fd_count && i < 64; ++i) {
      const plat::SOCKET handle = set->fd_array[i];
      if (std::any_of(wants.begin(), wants.end(), [handle](const Want& w) { return w.handle == handle; })) continue;
      SocketState* socket = Find(handle);
      if (socket == nullptr) return Fail(WSAENOTSOCK);
      wants.push_back({handle, socket, InSet(readSet, handle), InSet(writeSet, handle), InSet(errorSet, handle)});
    }
  }
  const auto start = std::chrono::steady_clock::now();
  int ready = 0;
  for (;;) {
    std::vector<posix::PollItem> items;
    for (const Want& want : wants) {
      posix::PollItem item;
      item.fd = want.socket->fd;
      item.wantRead = want.read;
      item.wantWrite = want.write || (want.error && want.socket->underWay);
      items.push_back(item);
    }
    const bool known = std::any_of(wants.begin(), wants.end(), [](const Want& w) { return w.socket->connectFailure; });
    const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    const int remaining = timeoutMs < 0 ? -1 : std::max(0, timeoutMs - static_cast<int>(spent.count()));
    int error = 0;
    if (!posix::Poll(items, known ? 0 : remaining, error)) return Fail(error);
    ready = 0;
    for (size_t i = 0; i < wants.size(); ++i) {
      Want& want = wants[i];
      SocketState& socket = *want.socket;
      if (socket.underWay && (items[i].writable || items[i].hangUp)) {
        const int failure = posix::TakeConnectError(socket.fd);
        socket.underWay = false;
        if (failure != 0) socket.connectFailure = failure;
        socket.connected = failure == 0;
      }
      if (socket.connectFailure) {
        want.gotError = want.error;  // a connect that failed shows in the error set alone
      } else if (!socket.underWay) {
        want.gotRead = want.read && items[i].readable;
        want.gotWrite = want.write && items[i].writable;
      }
      ready += (want.gotRead ? 1 : 0) + (want.gotWrite ? 1 : 0) + (want.gotError ? 1 : 0);
    }
    if (ready > 0 || remaining == 0) break;
  }
  const auto keep = [&wants](plat::fd_set* set, bool Want::*got) {
    if (set == nullptr) return;
    set->fd_count = 0;
    for (const Want& want : wants) {
      if (want.*got) set->fd_array[set->fd_count++] = want.handle;
    }
  };
  keep(readSet, &Want::gotRead);
  keep(writeSet, &Want::gotWrite);
  keep(errorSet, &Want::gotError);
  return ready;
}

int Sockets::__WSAFDIsSet(plat::SOCKET s, plat::fd_set* set) { return InSet(set, s) ? 1 : 0; }

int Sockets::setsockopt(plat::SOCKET s, int level, int optionName, const char* optionValue, int optionLength) {
  return Timed(SocketCall::SetOption, [&]() -> int {
    int error = 0;
    if (!Ready(SocketCall::SetOption, error)) return Fail(error);
    SocketState* socket = Find(s);
    if (socket == nullptr) return Fail(WSAENOTSOCK);
    if (optionValue == nullptr || optionLength < 1) return Fail(WSAEFAULT);
    int value = 0;
    std::memcpy(&value, optionValue, std::min<size_t>(sizeof value, static_cast<size_t>(optionLength)));
    options_.push_back({level, optionName, value});
    bool done = false;
    if (level == SOL_SOCKET && (optionName == SO_RCVTIMEO || optionName == SO_SNDTIMEO)) {
      if (optionLength < static_cast<int>(sizeof(DWORD))) return Fail(WSAEFAULT);
      done = posix::SetTimeout(socket->fd, optionName == SO_RCVTIMEO, static_cast<uint32_t>(value), error);
      if (done) (optionName == SO_RCVTIMEO ? socket->receiveLimitMs : socket->sendLimitMs) = static_cast<uint32_t>(value);
    } else if (level == IPPROTO_TCP && optionName == TCP_NODELAY) {
      done = posix::SetNoDelay(socket->fd, value != 0, error);
    } else {
      error = WSAENOPROTOOPT;
    }
    return done ? 0 : Fail(error);
  });
}

Sockets::SocketState* Sockets::Movable(SocketCall call, plat::SOCKET s, const char* buffer, int length, int& error) {
  if (!Ready(call, error)) return nullptr;
  SocketState* socket = Find(s);
  if (socket == nullptr) {
    error = WSAENOTSOCK;
  } else if (length < 0 || (buffer == nullptr && length > 0)) {
    error = WSAEFAULT;
  } else if (socket->connectFailure || (!socket->connected && !socket->underWay)) {
    error = WSAENOTCONN;
  } else {
    return socket;
  }
  return nullptr;
}

int Sockets::EndMove(std::chrono::steady_clock::time_point start, uint64_t extraMs, bool timedOut, long moved,
                     int error) {
  const auto took = std::chrono::ceil<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  state_.world.scheduler().Sleep(static_cast<uint64_t>(std::max<int64_t>(1, took)) + extraMs);
  if (timedOut) return Fail(WSAETIMEDOUT);
  return moved < 0 ? Fail(error) : static_cast<int>(moved);
}

int Sockets::send(plat::SOCKET s, const char* buffer, int length, int) {
  ++calls_[SocketCall::Send];
  const auto start = std::chrono::steady_clock::now();
  int error = 0;
  SocketState* socket = Movable(SocketCall::Send, s, buffer, length, error);
  if (socket == nullptr) return EndMove(start, 0, false, -1, error);
  const uint64_t delayMs = delays_.count(SocketCall::Send) != 0 ? delays_[SocketCall::Send] : 0u;
  const uint64_t rateMs = sendRate_ == 0 ? 0 : (uint64_t{static_cast<uint32_t>(length)} * 1000 + sendRate_ - 1) / sendRate_;
  const uint32_t limitMs = socket->nonBlocking ? 0 : socket->sendLimitMs;
  const bool overrun = limitMs != 0 && delayMs + rateMs > limitMs;
  // What the link carries before the limit ends the call.
  size_t toSend = static_cast<size_t>(length);
  if (overrun && sendRate_ != 0) toSend = std::min<size_t>(toSend, uint64_t{limitMs} * sendRate_ / 1000);
  const long sent = toSend == 0 ? 0 : posix::Send(socket->fd, buffer, toSend, socket->nonBlocking, error);
  // The host's own limit ran out with bytes left: Windows fails such a call whatever went.
  const bool ranOut = limitMs != 0 && sent >= 0 && static_cast<size_t>(sent) < static_cast<size_t>(length);
  const bool timedOut = overrun || ranOut || (limitMs != 0 && sent < 0 && error == WSAETIMEDOUT);
  return EndMove(start, overrun ? limitMs : delayMs + rateMs, timedOut, sent, error);
}

int Sockets::recv(plat::SOCKET s, char* buffer, int length, int) {
  ++calls_[SocketCall::Recv];
  const auto start = std::chrono::steady_clock::now();
  int error = 0;
  SocketState* socket = Movable(SocketCall::Recv, s, buffer, length, error);
  if (socket == nullptr) return EndMove(start, 0, false, -1, error);
  const uint64_t delayMs = delays_.count(SocketCall::Recv) != 0 ? delays_[SocketCall::Recv] : 0u;
  const uint32_t limitMs = socket->nonBlocking ? 0 : socket->receiveLimitMs;
  // Bytes that come later than the limit are not taken: they stay for the next receive.
  if (limitMs != 0 && delayMs > limitMs) return EndMove(start, limitMs, true, -1, WSAETIMEDOUT);
  const long received = posix::Receive(socket->fd, buffer, static_cast<size_t>(length), socket->nonBlocking, error);
  return EndMove(start, delayMs, false, received, error);
}

int Sockets::shutdown(plat::SOCKET s, int how) {
  ++calls_[SocketCall::Shutdown];
  if (users_ == 0) return Fail(WSANOTINITIALISED);
  SocketState* socket = Find(s);
  if (socket == nullptr) return Fail(WSAENOTSOCK);
  int error = 0;
  return posix::Shutdown(socket->fd, how, error) ? 0 : Fail(error);
}

int Sockets::closesocket(plat::SOCKET s) {
  ++calls_[SocketCall::Close];
  if (users_ == 0) return Fail(WSANOTINITIALISED);
  SocketState* socket = Find(s);
  if (socket == nullptr) return Fail(WSAENOTSOCK);
  posix::Close(socket->fd);
  sockets_.erase(s);
  return 0;
}

}  // namespace simhost
