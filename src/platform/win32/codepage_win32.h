// The Win32 code-page conversion, forwarded one to one.
#pragma once
#include "platform/codepage.h"

namespace plat::win32 {

class CodePage final : public ICodePage {
 public:
  int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteLength, LPWSTR wide,
                          int wideLength) override;
};

}  // namespace plat::win32
