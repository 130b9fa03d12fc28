// Windows Sockets 2.2, forwarded one to one.
#pragma once
#include "platform/sockets.h"

namespace plat::win32 {

class Sockets final : public ISockets {
 public:
  int WSAStartup(WORD versionRequested, LPWSADATA data) override;
  int WSACleanup() override;
  int WSAGetLastError() override;
  SOCKET socket(int addressFamily, int type, int protocol) override;
  int ioctlsocket(SOCKET s, long command, u_long* argument) override;
  int connect(SOCKET s, const sockaddr* name, int nameLength) override;
  int select(int nfds, fd_set* readSet, fd_set* writeSet, fd_set* errorSet, const timeval* timeout) override;
  int __WSAFDIsSet(SOCKET s, fd_set* set) override;
  int setsockopt(SOCKET s, int level, int optionName, const char* optionValue, int optionLength) override;
  int send(SOCKET s, const char* buffer, int length, int flags) override;
  int recv(SOCKET s, char* buffer, int length, int flags) override;
  int shutdown(SOCKET s, int how) override;
  int closesocket(SOCKET s) override;
};

}  // namespace plat::win32
