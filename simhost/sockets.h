// Windows Sockets for a simulated process, over real TCP sockets on the loopback interface. The simulated network
// knows only the endpoints a test routes: a connect to a routed address and port reaches 127.0.0.1 at the
// routed port (tessaline-emu, or a peer of the test); a connect anywhere else is refused without leaving the
// machine. Windows behaviour kept: the library is counted (WSAStartup, WSACleanup) and every other call fails
// with WSANOTINITIALISED without it; a non-blocking connect reports WSAEWOULDBLOCK; select shows a connection
// that failed in the error set only; SO_RCVTIMEO and SO_SNDTIMEO take milliseconds; a blocking call that runs
// out of time fails with WSAETIMEDOUT.
//
// Time: the sockets wait in real time, and each call moves the world's clock on by what it took, at least
// 1 ms, plus any delay a test sets for that call and, for a send, the time the link's rate gives its bytes. A
// loop that polls a socket therefore sees the time pass. This is the one place the simulated host keeps real
// time: a run that uses sockets does not replay exactly (docs/reliability.md).
//
// Time limits as Windows keeps them: SO_SNDTIMEO and SO_RCVTIMEO bound the whole of one blocking call. A send
// or receive that would take longer fails with WSAETIMEDOUT when its limit has passed, also when bytes were
// moved meanwhile (Windows then calls the connection indeterminate; POSIX would return the partial count).
#pragma once
#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "platform/sockets.h"
#include "simhost/process_state.h"

namespace simhost {

enum class SocketCall { Startup, Socket, Ioctl, Connect, Select, SetOption, Send, Recv, Shutdown, Close };

struct ConnectAttempt {
  std::array<BYTE, 4> address{};  // in network order
  uint16_t port = 0;
  bool routed = false;
};

class Sockets final : public plat::ISockets {
 public:
  explicit Sockets(ProcessState& state) : state_(state) {}
  ~Sockets() override;
  Sockets(const Sockets&) = delete;
  Sockets& operator=(const Sockets&) = delete;

  int WSAStartup(WORD versionRequested, plat::LPWSADATA data) override;
  int WSACleanup() override;
  int WSAGetLastError() override { return state_.CurrentThread().lastError; }
  plat::SOCKET socket(int addressFamily, int type, int protocol) override;
  int ioctlsocket(plat::SOCKET s, long command, plat::u_long* argument) override;
  int connect(plat::SOCKET s, const plat::sockaddr* name, int nameLength) override;
  int select(int nfds, plat::fd_set* readSet, plat::fd_set* writeSet, plat::fd_set* errorSet,
             const plat::timeval* timeout) override;
  int __WSAFDIsSet(plat::SOCKET s, plat::fd_set* set) override;
  int setsockopt(plat::SOCKET s, int level, int optionName, const char* optionValue, int optionLength) override;
  int send(plat::SOCKET s, const char* buffer, int length, int flags) override;
  int recv(plat::SOCKET s, char* buffer, int length, int flags) override;
  int shutdown(plat::SOCKET s, int how) override;
  int closesocket(plat::SOCKET s) override;

  // The network: a connect to address:port reaches 127.0.0.1:loopbackPort.
  void Route(std::array<BYTE, 4> address, uint16_t port, uint16_t loopbackPort);
  // The next `times` calls of a kind fail with this error (WSAStartup returns it); an error of 0 lets a call
  // through, so FailNext(c, 0) then FailNext(c, e) fails the second call.
  void FailNext(SocketCall call, int error, int times = 1);
  // Every call of a kind takes this much more virtual time.
  void Delay(SocketCall call, uint32_t milliseconds) { delays_[call] = milliseconds; }
  // A link that carries this many bytes a second out of the tool (0: as fast as loopback); a blocking send
  // whose bytes need longer than its SO_SNDTIMEO sends what fits in the limit and then fails.
  void SetSendRate(uint32_t bytesPerSecond) { sendRate_ = bytesPerSecond; }

  // What tests observe.
  const std::vector<ConnectAttempt>& Connects() const { return connects_; }
  int Startups() const { return startups_; }
  int Cleanups() const { return cleanups_; }
  size_t OpenSockets() const { return sockets_.size(); }
  size_t Calls(SocketCall call) const;
  // The options set on sockets, in order: (level, name, value).
  const std::vector<std::array<int, 3>>& Options() const { return options_; }

 private:
  struct SocketState {
    int fd = -1;
    bool nonBlocking = false;
    bool underWay = false;              // a connection was started and its end not yet seen
    std::optional<int> connectFailure;  // how it ended when it failed
    bool connected = false;
    uint32_t sendLimitMs = 0;     // SO_SNDTIMEO; 0: none
    uint32_t receiveLimitMs = 0;  // SO_RCVTIMEO; 0: none
  };

  template <class Body>
  auto Timed(SocketCall call, Body body);
  int Fail(int error);
  bool Injected(SocketCall call, int& error);
  SocketState* Find(plat::SOCKET s);
  bool Ready(SocketCall call, int& error);
  int SelectSockets(plat::fd_set* readSet, plat::fd_set* writeSet, plat::fd_set* errorSet, int timeoutMs);
  // The socket a send or receive may move bytes on, or null with the error that refuses the call.
  SocketState* Movable(SocketCall call, plat::SOCKET s, const char* buffer, int length, int& error);
  // Ends a blocking send or receive: the clock moves on by what it took (its limit when it ran out of time).
  int EndMove(std::chrono::steady_clock::time_point start, uint64_t extraMs, bool timedOut, long moved, int error);

  ProcessState& state_;
  int users_ = 0;
  int startups_ = 0;
  int cleanups_ = 0;
  uintptr_t nextSocket_ = 0x3000;
  std::map<plat::SOCKET, SocketState> sockets_;
  std::map<std::pair<uint32_t, uint16_t>, uint16_t> routes_;
  std::map<SocketCall, std::vector<int>> failures_;
  std::map<SocketCall, uint32_t> delays_;
  uint32_t sendRate_ = 0;
  std::map<SocketCall, size_t> calls_;
  std::vector<ConnectAttempt> connects_;
  std::vector<std::array<int, 3>> options_;
};

}  // namespace simhost
