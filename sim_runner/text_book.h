// Every text the main window may show in one language, worked out from the string tables themselves rather
// than through the tool's own loader: the table the language falls to (exact, then its primary language, then
// English (United States)), the progress text 242 for 0 to 100 with up to three full stops, text 254 with the
// reason of any other entry, text 266 naming a version other than the carried one, alone and as the reason of
// 254, the title 258 with the program's version, and the device name made of the model name and the
// identification.
#pragma once
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/win_types.h"

namespace sim_runner {

class TextBook {
 public:
  explicit TextBook(LANGID language);

  LANGID TableLanguage() const { return table_; }
  // The entry of the table by id.
  std::wstring Entry(unsigned id) const;
  // Whether a control of the main window may show the text.
  bool Allows(int controlId, const std::wstring& text) const;

 private:
  bool NamesOldVersion(const std::wstring& text) const;

  LANGID table_ = 0x0409;
  std::map<unsigned, std::wstring> entries_;
  std::set<std::wstring> texts_;
  // Text 266, alone and as the reason of 254, split where the version goes.
  std::vector<std::pair<std::wstring, std::wstring>> versionTexts_;
};

// The language a thread of the tool shows texts in: LANG_ID when it is set and not 0, else the system's.
LANGID ConfiguredLanguage(const std::optional<DWORD>& langId, LANGID systemLanguage);

}  // namespace sim_runner
