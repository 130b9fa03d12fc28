// The program's string tables as the simulated host carries them, generated from the same text files as the
// program's resource script.
#pragma once
#include <vector>

#include "platform/win_types.h"

namespace simhost {

struct StringTableEntry {
  LANGID language;
  UINT id;
  const wchar_t* text;
};

const std::vector<StringTableEntry>& StringTables();

}  // namespace simhost
