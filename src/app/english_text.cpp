#include "app/english_text.h"

#include <cwchar>

#include "app/string_table.h"

namespace app {

namespace {

// The end of the conversion that starts at `at` (a '%'); npos for "%%" or an incomplete one.
size_t ConversionEnd(std::wstring_view format, size_t at) {
  for (size_t pos = at + 1; pos < format.size(); ++pos) {
    const wchar_t c = format[pos];
    if (c == L'%') return std::wstring_view::npos;
    if (std::wcschr(L"sdiuxXc", c) != nullptr) return pos + 1;
    if (std::wcschr(L"-+ #0123456789.lhwI", c) == nullptr) return std::wstring_view::npos;
  }
  return std::wstring_view::npos;
}

// The format as literal pieces around its conversions: pieces.size() == conversions + 1.
std::vector<std::wstring> Literals(std::wstring_view format) {
  std::vector<std::wstring> pieces(1);
  for (size_t at = 0; at < format.size(); ++at) {
    if (format[at] != L'%') {
      pieces.back().push_back(format[at]);
      continue;
    }
    const size_t end = ConversionEnd(format, at);
    if (end == std::wstring_view::npos) {
      pieces.back().push_back(L'%');
      if (at + 1 < format.size() && format[at + 1] == L'%') ++at;
      continue;
    }
    pieces.emplace_back();
    at = end - 1;
  }
  return pieces;
}

}  // namespace

std::optional<Filled> MatchFormat(std::wstring_view format, std::wstring_view text) {
  const std::vector<std::wstring> pieces = Literals(format);
  if (text.substr(0, pieces[0].size()) != pieces[0]) return std::nullopt;
  Filled filled;
  size_t at = pieces[0].size();
  for (size_t i = 1; i < pieces.size(); ++i) {
    const std::wstring& next = pieces[i];
    // The last value runs to the end of the text unless the format ends in a literal.
    const size_t end = next.empty() ? (i + 1 == pieces.size() ? text.size() : at) : text.find(next, at);
    if (end == std::wstring_view::npos) return std::nullopt;
    filled.values.emplace_back(text.substr(at, end - at));
    at = end + next.size();
  }
  filled.tail = std::wstring(text.substr(at));
  // A text without conversions must be the whole format; a tail is only what follows a value.
  if (pieces.size() == 1 && !filled.tail.empty()) return std::nullopt;
  return filled;
}

std::wstring Refill(std::wstring_view format, const Filled& filled) {
  const std::vector<std::wstring> pieces = Literals(format);
  std::wstring out = pieces[0];
  for (size_t i = 1; i < pieces.size(); ++i) {
    if (i - 1 < filled.values.size()) out += filled.values[i - 1];
    out += pieces[i];
  }
  return out + filled.tail;
}

std::wstring EnglishOf(plat::Host& host, const std::wstring& text, UINT firstId, UINT lastId) {
  constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
  const LANGID language = host.language.GetThreadUILanguage();
  if (language == kEnglish || text.empty()) return text;
  // The closest table text: an exact one, else the one with the most literal text around its values.
  std::optional<UINT> best;
  std::optional<Filled> bestFilled;
  size_t bestLiteral = 0;
  for (UINT id = firstId; id <= lastId; ++id) {
    const std::wstring format = LoadStringById(host, id);
    if (format.empty()) continue;
    const std::optional<Filled> filled = MatchFormat(format, text);
    if (!filled) continue;
    size_t literal = 0;
    for (const auto& piece : Literals(format)) literal += piece.size();
    if (!best || literal > bestLiteral) {
      best = id;
      bestFilled = filled;
      bestLiteral = literal;
    }
  }
  if (!best) return text;
  host.language.SetThreadUILanguage(kEnglish);
  const std::wstring english = LoadStringById(host, *best);
  host.language.SetThreadUILanguage(language);
  return Refill(english, *bestFilled);
}

}  // namespace app
