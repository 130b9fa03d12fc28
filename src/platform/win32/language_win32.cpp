#include "platform/win32/win32_host.h"

namespace plat::win32 {

LANGID Language::SetThreadUILanguage(LANGID language) { return ::SetThreadUILanguage(language); }
LANGID Language::GetThreadUILanguage() { return ::GetThreadUILanguage(); }

}  // namespace plat::win32
