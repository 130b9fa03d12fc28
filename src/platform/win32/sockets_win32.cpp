#include "platform/win32/sockets_win32.h"

namespace plat::win32 {

int Sockets::WSAStartup(WORD versionRequested, LPWSADATA data) { return ::WSAStartup(versionRequested, data); }
int Sockets::WSACleanup() { return ::WSACleanup(); }
int Sockets::WSAGetLastError() { return ::WSAGetLastError(); }

SOCKET Sockets::socket(int addressFamily, int type, int protocol) { return ::socket(addressFamily, type, protocol); }
int Sockets::ioctlsocket(SOCKET s, long command, u_long* argument) { return ::ioctlsocket(s, command, argument); }
int Sockets::connect(SOCKET s, const sockaddr* name, int nameLength) { return ::connect(s, name, nameLength); }
int Sockets::select(int nfds, fd_set* readSet, fd_set* writeSet, fd_set* errorSet, const timeval* timeout) {
  // mingw declares the time-out as a constant pointer to a writable record; select does not change it.
  return ::select(nfds, readSet, writeSet, errorSet, const_cast<timeval*>(timeout));
}
int Sockets::__WSAFDIsSet(SOCKET s, fd_set* set) { return ::__WSAFDIsSet(s, set); }
int Sockets::setsockopt(SOCKET s, int level, int optionName, const char* optionValue, int optionLength) {
  return ::setsockopt(s, level, optionName, optionValue, optionLength);
}
int Sockets::send(SOCKET s, const char* buffer, int length, int flags) { return ::send(s, buffer, length, flags); }
int Sockets::recv(SOCKET s, char* buffer, int length, int flags) { return ::recv(s, buffer, length, flags); }
int Sockets::shutdown(SOCKET s, int how) { return ::shutdown(s, how); }
int Sockets::closesocket(SOCKET s) { return ::closesocket(s); }

}  // namespace plat::win32
