// Windows Sockets 2.2, as the socket link uses it: starting and ending the library, a TCP socket connected with
// a time limit, its options, sending, receiving and closing.
//
// The types keep their Windows shapes and live in namespace plat on both sides: on Windows they are the
// <winsock2.h> ones, elsewhere they are defined here. The C library of a POSIX system declares its own fd_set,
// timeval and socket constants with other values, so a file that includes this header must not include the
// system's socket headers; the POSIX side of the seam keeps those in a file of its own.
#pragma once
#include "platform/win_types.h"

#ifdef _WIN32
namespace plat {
using ::fd_set;
using ::in_addr;
using ::LPWSADATA;
using ::SOCKET;
using ::sockaddr;
using ::sockaddr_in;
using ::timeval;
using ::u_long;
using ::WSADATA;
}  // namespace plat
#else
typedef unsigned short USHORT;

namespace plat {
typedef UINT_PTR SOCKET;
typedef ULONG u_long;

struct WSADATA {
  WORD wVersion;
  WORD wHighVersion;
  char szDescription[257];
  char szSystemStatus[129];
  unsigned short iMaxSockets;
  unsigned short iMaxUdpDg;
  char* lpVendorInfo;
};
typedef WSADATA* LPWSADATA;

// Windows' set: a count and an array of up to 64 sockets (FD_SETSIZE there).
struct fd_set {
  UINT fd_count;
  SOCKET fd_array[64];
};

struct timeval {
  LONG tv_sec;
  LONG tv_usec;
};

struct sockaddr {
  USHORT sa_family;
  char sa_data[14];
};

struct in_addr {
  union {
    struct {
      BYTE s_b1, s_b2, s_b3, s_b4;
    } S_un_b;
    struct {
      USHORT s_w1, s_w2;
    } S_un_w;
    ULONG S_addr;
  } S_un;
};

struct sockaddr_in {
  short sin_family;
  USHORT sin_port;
  in_addr sin_addr;
  char sin_zero[8];
};
}  // namespace plat

constexpr plat::SOCKET INVALID_SOCKET = ~static_cast<plat::SOCKET>(0);
constexpr int SOCKET_ERROR = -1;

constexpr int AF_INET = 2;
constexpr int SOCK_STREAM = 1;
constexpr int IPPROTO_TCP = 6;
constexpr int TCP_NODELAY = 0x0001;
constexpr int SOL_SOCKET = 0xffff;
constexpr int SO_SNDTIMEO = 0x1005;
constexpr int SO_RCVTIMEO = 0x1006;
constexpr long FIONBIO = static_cast<long>(0x8004667Eu);
constexpr int SD_RECEIVE = 0;
constexpr int SD_SEND = 1;
constexpr int SD_BOTH = 2;

constexpr int WSAEINTR = 10004;
constexpr int WSAEFAULT = 10014;
constexpr int WSAEINVAL = 10022;
constexpr int WSAEMFILE = 10024;
constexpr int WSAEWOULDBLOCK = 10035;
constexpr int WSAEINPROGRESS = 10036;
constexpr int WSAENOTSOCK = 10038;
constexpr int WSAENOPROTOOPT = 10042;
constexpr int WSAEADDRNOTAVAIL = 10049;
constexpr int WSAENETUNREACH = 10051;
constexpr int WSAECONNABORTED = 10053;
constexpr int WSAECONNRESET = 10054;
constexpr int WSAENOTCONN = 10057;
constexpr int WSAETIMEDOUT = 10060;
constexpr int WSAECONNREFUSED = 10061;
constexpr int WSAEHOSTUNREACH = 10065;
constexpr int WSASYSNOTREADY = 10091;
constexpr int WSAVERNOTSUPPORTED = 10092;
constexpr int WSANOTINITIALISED = 10093;
#endif

namespace plat {

class ISockets {
 public:
  virtual ~ISockets() = default;
  virtual int WSAStartup(WORD versionRequested, LPWSADATA data) = 0;
  virtual int WSACleanup() = 0;
  virtual int WSAGetLastError() = 0;

  virtual SOCKET socket(int addressFamily, int type, int protocol) = 0;
  virtual int ioctlsocket(SOCKET s, long command, u_long* argument) = 0;
  virtual int connect(SOCKET s, const sockaddr* name, int nameLength) = 0;
  // Leaves in each set only the sockets that are ready; a connect that failed shows in the error set alone.
  virtual int select(int nfds, fd_set* readSet, fd_set* writeSet, fd_set* errorSet, const timeval* timeout) = 0;
  virtual int __WSAFDIsSet(SOCKET s, fd_set* set) = 0;
  virtual int setsockopt(SOCKET s, int level, int optionName, const char* optionValue, int optionLength) = 0;
  virtual int send(SOCKET s, const char* buffer, int length, int flags) = 0;
  virtual int recv(SOCKET s, char* buffer, int length, int flags) = 0;
  virtual int shutdown(SOCKET s, int how) = 0;
  virtual int closesocket(SOCKET s) = 0;
};

}  // namespace plat
