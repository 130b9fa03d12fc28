// Owner of a socket, closed with closesocket. A shutdown before the close is the user's to send.
#pragma once
#include "platform/sockets.h"
#include "platform/unique.h"

namespace plat {

struct SocketTraits {
  using Type = SOCKET;
  using Seam = ISockets;
  static SOCKET Empty() { return INVALID_SOCKET; }
  static bool IsValid(SOCKET s) { return s != INVALID_SOCKET; }
  static void Close(ISockets& sockets, SOCKET s) { sockets.closesocket(s); }
};

using UniqueSocket = Unique<SocketTraits>;

}  // namespace plat
