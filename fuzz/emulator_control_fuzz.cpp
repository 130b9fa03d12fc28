// The emulator's control language on any lines: every line gets one reply, starting with "ok" or "err".
#include <string>
#include <string_view>

#include "emulator/control_commands.h"
#include "fuzz/support/fuzz_window.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  emu::TessalineDevice device({}, 0);
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  uint64_t now = 0;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = std::min(text.find('\n', start), text.size());
    const std::string reply = emu::HandleControlLine(device, text.substr(start, end - start), now);
    if (reply.rfind("ok", 0) != 0 && reply.rfind("err", 0) != 0) fuzz::Fail("reply \"" + reply + "\"");
    now += 1000;
    start = end + 1;
  }
  return 0;
}
