// Texts of the string table by id, in the calling thread's user-interface language.
#pragma once
#include <string>

#include "platform/host.h"

namespace app {

// The block is looked up with the language passed explicitly: the thread's UI language, then its primary
// language, then English (United States). The platform's own string load does not follow the thread's
// UI language everywhere (not under Wine), so it is not used. An id no table holds gives the empty text.
std::wstring LoadStringById(plat::Host& host, UINT id);

// Entry (id mod 16) of a string block: 16 counted UTF-16 strings. Empty when the block is too short.
std::wstring StringFromBlock(const WORD* block, DWORD blockBytes, UINT index);

}  // namespace app
