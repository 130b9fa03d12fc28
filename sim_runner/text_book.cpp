#include "sim_runner/text_book.h"

#include <optional>

#include "res/resource.h"
#include "simhost/string_tables.h"

namespace sim_runner {
namespace {

constexpr const wchar_t* kProgramVersion = L"0.0.68.0";
constexpr const wchar_t* kCarriedVersionText = L"0.68";
// Stands for the version in text 266 while the verdict around it is worked out.
constexpr const wchar_t* kVersionMark = L"\x1";
constexpr const wchar_t* kDeviceNamePrefix = L"Kavrel Tessaline (";
constexpr size_t kIdentificationChars = 10;

bool HasTable(LANGID language) {
  for (const auto& entry : simhost::StringTables()) {
    if (entry.language == language) return true;
  }
  return false;
}

// Replaces the first occurrence of a conversion with its value, and "%%" with "%".
std::wstring Fill(std::wstring format, const std::wstring& conversion, const std::wstring& value) {
  const size_t at = format.find(conversion);
  std::wstring out;
  for (size_t i = 0; i < format.size(); ++i) {
    if (i == at) {
      out += value;
      i += conversion.size() - 1;
    } else if (format[i] == L'%' && i + 1 < format.size() && format[i + 1] == L'%') {
      out += L'%';
      ++i;
    } else {
      out += format[i];
    }
  }
  return out;
}

// "major.minor" as the tool shows a version: digits, a point, at least two digits.
bool IsVersionText(const std::wstring& text) {
  const size_t point = text.find(L'.');
  if (point == 0 || point == std::wstring::npos || text.size() - point - 1 < 2) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (i != point && (text[i] < L'0' || text[i] > L'9')) return false;
  }
  return true;
}

bool IsDeviceName(const std::wstring& text) {
  const std::wstring prefix = kDeviceNamePrefix;
  if (text.size() < prefix.size() + 1 || text.compare(0, prefix.size(), prefix) != 0 || text.back() != L')') {
    return false;
  }
  return text.size() - prefix.size() - 1 <= kIdentificationChars;
}

}  // namespace

LANGID ConfiguredLanguage(const std::optional<DWORD>& langId, LANGID systemLanguage) {
  // A value cut to 0 chooses no language, as no value does.
  const auto chosen = static_cast<LANGID>(langId.value_or(0) & 0xFFFF);
  return chosen != 0 ? chosen : systemLanguage;
}

TextBook::TextBook(LANGID language) {
  const auto primary = static_cast<LANGID>(language & 0x3FF);
  table_ = HasTable(language) ? language : HasTable(primary) ? primary : static_cast<LANGID>(0x0409);
  for (const auto& entry : simhost::StringTables()) {
    if (entry.language == table_) entries_[entry.id] = entry.text;
  }
  for (const auto& [id, text] : entries_) texts_.insert(text);
  for (int percent = 0; percent <= 100; ++percent) {
    std::wstring progress = Fill(Entry(242), L"%d", std::to_wstring(percent));
    for (int dots = 0; dots <= 3; ++dots) {
      texts_.insert(progress);
      progress += L'.';
    }
  }
  for (const auto& [id, reason] : entries_) {
    if (id != 266) texts_.insert(Fill(Entry(254), L"%s", reason));  // 266 only with a version, below
  }
  texts_.insert(Fill(Entry(258), L"%s", kProgramVersion));
  const std::wstring reported = Fill(Entry(266), L"%s", kVersionMark);
  for (const std::wstring& marked : {reported, Fill(Entry(254), L"%s", reported)}) {
    const size_t mark = marked.find(kVersionMark);
    if (mark != std::wstring::npos) versionTexts_.emplace_back(marked.substr(0, mark), marked.substr(mark + 1));
  }
}

// The scanner still reports a version after the update: any version the tool can show, but never the carried
// one, which would make the update a success.
bool TextBook::NamesOldVersion(const std::wstring& text) const {
  for (const auto& [head, tail] : versionTexts_) {
    if (text.size() <= head.size() + tail.size() || text.compare(0, head.size(), head) != 0 ||
        text.compare(text.size() - tail.size(), tail.size(), tail) != 0) {
      continue;
    }
    const std::wstring version = text.substr(head.size(), text.size() - head.size() - tail.size());
    if (IsVersionText(version) && version != kCarriedVersionText) return true;
  }
  return false;
}

std::wstring TextBook::Entry(unsigned id) const {
  const auto it = entries_.find(id);
  return it == entries_.end() ? std::wstring() : it->second;
}

bool TextBook::Allows(int controlId, const std::wstring& text) const {
  if (texts_.count(text) != 0) return true;
  if (controlId == IDC_STATUS && NamesOldVersion(text)) return true;
  if (controlId == IDC_DEVICE_NAME) return IsDeviceName(text);
  if (controlId == IDC_INTERFACE) return text.empty();  // no device found yet
  return false;
}

}  // namespace sim_runner
