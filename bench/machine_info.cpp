#include "bench/machine_info.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace bench {
namespace {

// The value after the first "key ... :" line of a /proc file, or "?".
std::string ProcValue(const char* file, const std::string& key) {
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(key, 0) != 0) continue;
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    const size_t start = line.find_first_not_of(" \t", colon + 1);
    return start == std::string::npos ? "" : line.substr(start);
  }
  return "?";
}

}  // namespace

void PrintMachine() {
  utsname system{};
  ::uname(&system);
  std::ifstream loadFile("/proc/loadavg");
  std::string load;
  std::getline(loadFile, load);
  std::printf("machine: %s, %ld CPUs, memory %s, Linux %s; load average %s\n",
              ProcValue("/proc/cpuinfo", "model name").c_str(), ::sysconf(_SC_NPROCESSORS_ONLN),
              ProcValue("/proc/meminfo", "MemTotal").c_str(), system.release, load.substr(0, 14).c_str());
}

}  // namespace bench
