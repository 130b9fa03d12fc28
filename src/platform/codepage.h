// Code-page conversion: the scanner's UTF-8 text replies become the program's wide text.
#pragma once
#include "platform/win_types.h"

namespace plat {

class ICodePage {
 public:
  virtual ~ICodePage() = default;
  virtual int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteLength, LPWSTR wide,
                                  int wideLength) = 0;
};

}  // namespace plat
