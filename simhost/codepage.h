// MultiByteToWideChar for code page 65001 as the platform does it (compared byte for byte with Wine): an
// ill-formed sequence becomes U+FFFD, code points above U+FFFF become surrogate pairs (UTF-16 units, whatever
// the width of wchar_t here), and a length of -1 reads up to and including the terminating NUL and never past
// it. A sequence cut short by the end of the input takes the rest with it, the terminating NUL included, so
// such a conversion comes back without its NUL.
#pragma once
#include <cstddef>
#include <string>

#include "platform/codepage.h"
#include "simhost/process_state.h"

namespace simhost {

class CodePage final : public plat::ICodePage {
 public:
  explicit CodePage(ProcessState& state) : state_(state) {}
  int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteLength, LPWSTR wide,
                          int wideLength) override;

  // The number of conversions asked for, size queries included.
  int Calls() const { return calls_; }

 private:
  int Fail(DWORD error);

  ProcessState& state_;
  int calls_ = 0;
};

// The UTF-16 units of UTF-8 bytes, decoded as above.
std::wstring DecodeUtf8(const unsigned char* bytes, size_t length);

}  // namespace simhost
