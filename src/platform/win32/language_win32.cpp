#include "platform/win32/win32_host.h"

namespace plat::win32 {

namespace {
// Windows reads back the language a thread has set; Wine 8 answers the user's language whatever was set. The
// thread keeps what it set, so the string load by explicit language follows LANG_ID on both.
thread_local LANGID t_languageSet = 0;
}  // namespace

LANGID Language::SetThreadUILanguage(LANGID language) {
  const LANGID result = ::SetThreadUILanguage(language);
  if (language == 0 || result == language) t_languageSet = language;
  return result;
}

LANGID Language::GetThreadUILanguage() { return t_languageSet != 0 ? t_languageSet : ::GetThreadUILanguage(); }

}  // namespace plat::win32
