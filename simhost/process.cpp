#include "simhost/process.h"

namespace simhost {

Process::Process(World& world, ProcessOptions options) : state_(world, std::move(options)) {}

Process::~Process() { state_.world.scheduler().UnwindOtherThreads(); }

std::wstring Process::ProgramFolder() const {
  const std::wstring& path = state_.options.modulePath;
  const size_t slash = path.find_last_of(L'\\');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

}  // namespace simhost
