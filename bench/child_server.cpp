#include "bench/child_server.h"

#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>

#include <csignal>
#include <unistd.h>

namespace bench {

ChildServer::ChildServer(const std::function<void(int, int)>& body, size_t portCount) : portCount_(portCount) {
  int report[2] = {-1, -1};
  int stop[2] = {-1, -1};
  if (::pipe(report) != 0) return;
  if (::pipe(stop) != 0) {
    ::close(report[0]);
    ::close(report[1]);
    return;
  }
  pid_ = ::fork();
  if (pid_ == 0) {
    // A peer never outlives the benchmark, however it ends.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    ::close(report[0]);
    ::close(stop[1]);
    body(report[1], stop[0]);
    ::_exit(0);
  }
  ::close(report[1]);
  ::close(stop[0]);
  stopWrite_ = stop[1];
  for (size_t i = 0; pid_ > 0 && i < portCount; ++i) {
    uint16_t port = 0;
    if (::read(report[0], &port, sizeof port) != sizeof port) break;
    ports_.push_back(port);
  }
  reportRead_ = report[0];
}

bool ChildServer::AwaitEvent(int timeoutMs) {
  pollfd event{reportRead_, POLLIN, 0};
  char byte = 0;
  return ::poll(&event, 1, timeoutMs) == 1 && ::read(reportRead_, &byte, 1) == 1;
}

ChildServer::~ChildServer() {
  if (stopWrite_ >= 0) ::close(stopWrite_);
  if (reportRead_ >= 0) ::close(reportRead_);
  // A later child holds copies of this one's pipes, so the closed stop pipe alone may not reach it.
  if (pid_ > 0) {
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
  }
}

}  // namespace bench
