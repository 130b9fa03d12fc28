// ParseVersion on any text, and the round trip of every version value through its shown form.
#include "device/version.h"
#include "fuzz/support/fuzz_input.h"
#include "fuzz/support/fuzz_window.h"
#include "sim_runner/trace.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput input(data, size);
  const DWORD value = input.Dword();
  const std::wstring shown = FormatVersion(value);
  if (ParseVersion(shown) != value) fuzz::Fail("version " + std::to_string(value) + " shown as " + sim_runner::Utf8(shown));
  ParseVersion(input.RestAsWide());
  return 0;
}
