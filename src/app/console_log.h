// Diagnostic lines: fixed English texts on standard output, seen only when "-d" gave the program a console.
#pragma once
#include "app/text_format.h"
#include "platform/host.h"

namespace app {

template <class... Args>
void ConsolePrint(plat::Host& host, std::wstring_view format, const Args&... args) {
  host.console.WriteOut(text::Format(format, args...));
}

}  // namespace app
