// The English form of a status text the program posted in the user's language, for the log an administrator
// reads: the table text it was made from is found, the values put into it are taken over.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/host.h"

namespace app {

// The values a text took from a table text with printf conversions, and anything appended after it (the
// progress dots); none when the text was not made from it.
struct Filled {
  std::vector<std::wstring> values;
  std::wstring tail;
};
std::optional<Filled> MatchFormat(std::wstring_view format, std::wstring_view text);
// The format with its conversions replaced, in order, by the values, and the tail appended.
std::wstring Refill(std::wstring_view format, const Filled& filled);

// The text in English when the calling thread's language is another and a table text of `ids` made it; the
// text itself otherwise. The calling thread's UI language is the same afterwards.
std::wstring EnglishOf(plat::Host& host, const std::wstring& text, UINT firstId, UINT lastId);

}  // namespace app
