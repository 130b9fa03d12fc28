// The development settings in Settings.ini beside the program, section "Development". Read afresh at every
// call; never written.
#pragma once
#include "platform/host.h"

namespace app {

// Characters of the finished path where each reader holds it, terminating NUL included.
inline constexpr size_t kLangIdPathChars = 256;
inline constexpr size_t kShowAllPathChars = 260;

// LANG_ID: a decimal LANGID, 0 (the default) leaves the system's language in force.
UINT ReadLangId(plat::Host& host);

// SHOW_ALL_STRING: development rows when its low 16 bits equal 9999.
bool IsShowAllStrings(plat::Host& host);

// The language choice every thread that shows texts makes when it starts.
void ApplyConfiguredLanguage(plat::Host& host);

}  // namespace app
