// The tool's core on the simulated host: one process on a thread of the benchmark, with its network routed so
// that the socket link's connect to 127.0.0.1:5566 reaches tessaline-emu's device port and one to
// 127.0.0.2:5566 the sink. The sockets are real loopback sockets; only time and the other Windows areas are
// simulated.
#pragma once
#include <cstdint>

#include "platform/host.h"
#include "simhost/process.h"
#include "simhost/world.h"

namespace bench {

inline constexpr const wchar_t* kEmulatorChannel = L"127.0.0.1";
inline constexpr const wchar_t* kSinkChannel = L"127.0.0.2";

class ToolMachine {
 public:
  ToolMachine(uint16_t emulatorPort, uint16_t sinkPort);
  plat::Host& host() { return tool.host(); }

  simhost::World world;
  simhost::Process tool{world};
};

// The image the program carries for the scanner's boot loader and path, as the update loads it: a view of the
// resource data. Null when it cannot be found.
struct CarriedImage {
  const uint8_t* data = nullptr;
  uint32_t size = 0;
  uint16_t code = 0;
};
CarriedImage LoadCarriedImage(plat::Host& host, uint8_t ubootVersion, bool directPath);

}  // namespace bench
