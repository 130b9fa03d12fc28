// The channel's TCP side: the scanner's port 5566 at an IPv4 address, carrying the same bytes as on USB.
// The socket link never writes m_strError.
#include <algorithm>
#include <climits>
#include <cstring>

#include "app/time_limits.h"
#include "link/device_address.h"
#include "link/device_channel.h"

namespace {

constexpr WORD kWinsockVersion = 0x0202;
constexpr uint16_t kDevicePort = 5566;
constexpr DWORD kCommandBlockBytes = 16;
// A data send goes in pieces of this size, each bounded by the data limit: a link fails only when it carries
// less than a piece in that limit.
constexpr DWORD kSendPieceBytes = 65536;

// One socket in a set, as FD_SET would put it into an empty one.
plat::fd_set SetOf(plat::SOCKET socket) {
  plat::fd_set set{};
  set.fd_count = 1;
  set.fd_array[0] = socket;
  return set;
}

int ChunkOf(DWORD bytes) { return static_cast<int>(std::min<DWORD>(bytes, INT_MAX)); }

}  // namespace

bool CDeviceChannel::ConnectTcp(const std::wstring& address) {
  if (m_bWsaStarted == 0) {
    plat::WSADATA data{};
    if (host_.sockets.WSAStartup(kWinsockVersion, &data) != 0) return false;
    m_bWsaStarted = 1;
  }
  // A text that is not four dot-separated numbers names no address: refused before any socket is made.
  const auto bytes = ReadDeviceAddress(address);
  if (!bytes) return false;
  m_socket.Reset(host_.sockets.socket(AF_INET, SOCK_STREAM, 0));
  if (!m_socket) return false;
  plat::u_long nonBlocking = 1;
  if (host_.sockets.ioctlsocket(m_socket.Get(), FIONBIO, &nonBlocking) != 0) return false;

  plat::sockaddr_in remote{};
  remote.sin_family = AF_INET;
  const BYTE port[2] = {kDevicePort >> 8, kDevicePort & 0xFF};  // network byte order
  std::memcpy(&remote.sin_port, port, sizeof port);
  remote.sin_addr.S_un.S_un_b.s_b1 = (*bytes)[0];
  remote.sin_addr.S_un.S_un_b.s_b2 = (*bytes)[1];
  remote.sin_addr.S_un.S_un_b.s_b3 = (*bytes)[2];
  remote.sin_addr.S_un.S_un_b.s_b4 = (*bytes)[3];
  host_.sockets.connect(m_socket.Get(), reinterpret_cast<const plat::sockaddr*>(&remote), sizeof remote);

  plat::u_long blocking = 0;
  if (host_.sockets.ioctlsocket(m_socket.Get(), FIONBIO, &blocking) != 0) return false;
  plat::fd_set writeSet = SetOf(m_socket.Get());
  plat::fd_set errorSet = SetOf(m_socket.Get());
  const plat::timeval timeout{static_cast<LONG>(m_dwCommandTimeout / 1000), 0};
  // A select that fails says nothing about the sets, which still hold the socket: that is no connection.
  const bool waited = host_.sockets.select(0, nullptr, &writeSet, &errorSet, &timeout) != SOCKET_ERROR;
  if (waited && host_.sockets.__WSAFDIsSet(m_socket.Get(), &writeSet)) {
    const int noDelay = 1;
    return host_.sockets.setsockopt(m_socket.Get(), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
                                    sizeof noDelay) == 0;
  }
  CloseSocket();
  return false;
}

bool CDeviceChannel::SendCommandTcp(const uint8_t* block) {
  const DWORD start = host_.time.GetTickCount();
  DWORD sent = 0;
  do {
    const int result = host_.sockets.send(m_socket.Get(), reinterpret_cast<const char*>(block + sent),
                                          static_cast<int>(kCommandBlockBytes - sent), 0);
    if (result > 0) sent += static_cast<DWORD>(result);
    if (TicksSince(start, host_.time.GetTickCount()) > m_dwCommandTimeout) return false;
    if (result == SOCKET_ERROR) return false;
  } while (sent < kCommandBlockBytes);
  return true;
}

bool CDeviceChannel::SendDataTcp(const uint8_t* data, DWORD length, const std::wstring& tracePath,
                                 int traceSwitch) {
  // Windows fails a blocking send that runs past SO_SNDTIMEO even while its bytes are still going out, so the
  // image goes in pieces, each with the whole data limit, and the link's own time-out counts from the last
  // piece that went out: a slow link that keeps moving succeeds, a peer that takes nothing fails.
  const DWORD perPieceLimit = m_dwDataTimeout;
  if (host_.sockets.setsockopt(m_socket.Get(), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&perPieceLimit),
                               sizeof perPieceLimit) != 0) {
    return false;
  }
  DWORD lastProgress = host_.time.GetTickCount();
  AppendTrace(L"==>In send data do-while", tracePath, traceSwitch);
  DWORD sent = 0;
  for (;;) {
    AppendTrace(L"==>Send data start", tracePath, traceSwitch);
    const int piece = static_cast<int>(std::min(length - sent, kSendPieceBytes));
    const int result = host_.sockets.send(m_socket.Get(), reinterpret_cast<const char*>(data + sent), piece, 0);
    AppendTrace(L"==>Send data end", tracePath, traceSwitch);
    const DWORD now = host_.time.GetTickCount();
    if (result > 0) {
      sent += static_cast<DWORD>(result);
      lastProgress = now;
    }
    if (TicksSince(lastProgress, now) > m_dwDataTimeout && sent < length) {
      AppendTrace(L"==>Send data time out", tracePath, traceSwitch);
      return false;
    }
    if (result == SOCKET_ERROR) return false;
    if (sent >= length) {
      AppendTrace(L"==>Out send data do-while", tracePath, traceSwitch);
      return true;
    }
  }
}

bool CDeviceChannel::ReceiveDataTcp(uint8_t* buffer, DWORD length, const std::wstring& tracePath,
                                    int traceSwitch) {
  const DWORD limit = m_dwDataTimeout;
  if (host_.sockets.setsockopt(m_socket.Get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&limit),
                               sizeof limit) != 0) {
    return false;
  }
  const DWORD start = host_.time.GetTickCount();
  AppendTrace(L"==>In recv data do-while", tracePath, traceSwitch);
  DWORD received = 0;
  for (;;) {
    const int result = host_.sockets.recv(m_socket.Get(), reinterpret_cast<char*>(buffer + received),
                                          ChunkOf(length - received), 0);
    if (result > 0) received += static_cast<DWORD>(result);
    if (TicksSince(start, host_.time.GetTickCount()) > m_dwDataTimeout) {
      AppendTrace(L"==>recv data time out", tracePath, traceSwitch);
      return false;
    }
    if (result == SOCKET_ERROR) return false;
    if (received >= length) {
      AppendTrace(L"==>Out recv data do-while", tracePath, traceSwitch);
      return true;
    }
    if (result == 0) host_.time.Sleep(limits::kSocketClosedPeerPauseMs);
  }
}
