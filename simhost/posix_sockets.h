// Real TCP sockets of the POSIX host, for the simulated host's Windows Sockets (simhost/sockets.h). This file
// and its source are the only ones that see the system's socket headers: their fd_set, timeval and
// constants differ from the Windows ones of the seam. Every failure comes back as a Windows Sockets code.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace simhost::posix {

int OpenTcp(int& error);
bool SetNonBlocking(int fd, bool on, int& error);
// Starts a connection to 127.0.0.1:port. True when it stands or is under way; false with the error otherwise.
bool ConnectLoopback(int fd, uint16_t port, bool& underWay, int& error);
// The error a connection under way ended with (0: none yet, or it stands), taken from the socket.
int TakeConnectError(int fd);

struct PollItem {
  int fd = -1;
  bool wantRead = false;
  bool wantWrite = false;  // also set to learn how a connection under way ends
  bool readable = false;
  bool writable = false;
  bool hangUp = false;  // an error or hang-up is pending
};
// Waits up to timeoutMs (negative: without limit) until one item is ready; false with the error on failure.
bool Poll(std::vector<PollItem>& items, int timeoutMs, int& error);

// The limit of each blocking send or receive; 0 is none.
bool SetTimeout(int fd, bool receive, uint32_t milliseconds, int& error);
bool SetNoDelay(int fd, bool on, int& error);
// Bytes moved, 0 when the peer closed (receive), -1 with the error.
long Send(int fd, const void* data, size_t size, bool nonBlocking, int& error);
long Receive(int fd, void* buffer, size_t size, bool nonBlocking, int& error);
bool Shutdown(int fd, int how, int& error);  // how: 0 receive, 1 send, 2 both
void Close(int fd);

}  // namespace simhost::posix
