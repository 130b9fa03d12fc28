#include "platform/win32/codepage_win32.h"

namespace plat::win32 {

int CodePage::MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteLength, LPWSTR wide,
                                  int wideLength) {
  return ::MultiByteToWideChar(codePage, flags, multiByte, multiByteLength, wide, wideLength);
}

}  // namespace plat::win32
