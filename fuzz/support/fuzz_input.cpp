#include "fuzz/support/fuzz_input.h"

namespace fuzz {

std::wstring FuzzInput::RestAsWide() {
  std::wstring text;
  while (!Empty()) text.push_back(static_cast<wchar_t>(Word()));
  return text;
}

}  // namespace fuzz
