// Utf8ToText on any bytes, as the scanner's identification arrives: the text ends at its first NUL, and never
// holds more characters than bytes came.
#include <vector>

#include "device/version.h"
#include "fuzz/support/fuzz_window.h"
#include "simhost/process.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  simhost::World world;
  simhost::Process process(world);
  std::vector<char> bytes(data, data + size);
  bytes.push_back('\0');
  const std::wstring text = Utf8ToText(process.host(), bytes.data());
  if (text.find(L'\0') != std::wstring::npos) fuzz::Fail("a NUL inside the text");
  if (text.size() > size) fuzz::Fail("more characters than bytes");
  return 0;
}
