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
// The languages that have a table, each once, in the order of their files' names: a file's langid line names its
// language, so a new language is its file.
const std::vector<LANGID>& StringTableLanguages();

}  // namespace simhost
