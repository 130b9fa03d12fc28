#include "simhost/process.h"

namespace simhost {

Process::Process(World& world, ProcessOptions options) : state_(world, std::move(options)) {}

Process::~Process() { state_.world.scheduler().UnwindOtherThreads(); }

}  // namespace simhost
