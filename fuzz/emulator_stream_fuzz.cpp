// The emulated scanner fed any bytes, in any pieces, reads and writes interleaved, on a moving clock: it parses
// every command block the host could send. A transfer never moves more than asked.
#include <vector>

#include "emulator/tessaline_device.h"
#include "fuzz/support/fuzz_input.h"
#include "fuzz/support/fuzz_window.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput input(data, size);
  emu::Scenario scenario;
  scenario.burnMs = 1000;
  scenario.strictImageCheck = (input.Byte() & 1) != 0;
  emu::TessalineDevice device(scenario, 0);
  uint64_t now = 0;
  std::vector<uint8_t> buffer;
  for (int step = 0; step < 4096 && !input.Empty(); ++step) {
    const uint8_t op = input.Byte();
    const size_t length = input.Byte() | (op & 0x30u) << 4;
    switch (op & 7) {
      case 0:
        device.Open(now);
        break;
      case 1:
        device.Close();
        break;
      case 2: {  // a command block, often well formed
        std::vector<uint8_t> block(16);
        for (auto& b : block) b = input.Byte();
        if ((op & 8) != 0) block[0] = 0x20, block[1] = 0x02, block[2] = 0, block[3] = 0;
        if (device.Write(block.data(), block.size(), now).bytes > block.size()) fuzz::Fail("wrote more than given");
        break;
      }
      case 3:
        buffer.assign(length, 0);
        for (auto& b : buffer) b = input.Byte();
        if (device.Write(buffer.data(), buffer.size(), now).bytes > length) fuzz::Fail("wrote more than given");
        break;
      case 4:
        buffer.assign(length, 0);
        if (device.Read(buffer.data(), buffer.size(), now).bytes > length) fuzz::Fail("read more than asked");
        break;
      default:
        now += static_cast<uint64_t>(length) * 100;
    }
  }
  return 0;
}
