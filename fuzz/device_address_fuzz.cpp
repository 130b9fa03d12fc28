// The socket link's address reading on any channel name: no overflow, no read past the text.
#include "fuzz/support/fuzz_input.h"
#include "link/device_address.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput input(data, size);
  const std::wstring text = input.RestAsWide();
  ReadDeviceAddress(text);
  ReadDecimal(text);
  return 0;
}
