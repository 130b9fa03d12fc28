// A loopback server in a child process of its own, so its memory and CPU are not the measured process's.
// The child reports its ports through a pipe, may then write single bytes to it as events (the sink: "an
// image has been taken"), and serves until the parent closes the stop pipe. Start these before the process
// makes any thread: fork copies only the calling thread.
#pragma once
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace bench {

class ChildServer {
 public:
  // body(reportFd, stopFd): writes its ports (uint16_t each) to reportFd, then serves until stopFd is readable.
  ChildServer(const std::function<void(int reportFd, int stopFd)>& body, size_t portCount);
  ~ChildServer();  // closes the stop pipe and reaps the child
  ChildServer(const ChildServer&) = delete;
  ChildServer& operator=(const ChildServer&) = delete;

  bool Started() const { return ports_.size() == portCount_; }
  uint16_t Port(size_t at) const { return ports_.at(at); }
  // Waits for the child's next event byte; false when none came within the time.
  bool AwaitEvent(int timeoutMs);

 private:
  size_t portCount_;
  std::vector<uint16_t> ports_;
  pid_t pid_ = -1;
  int reportRead_ = -1;
  int stopWrite_ = -1;
};

}  // namespace bench
