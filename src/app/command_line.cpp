#include "app/command_line.h"

#include <cwctype>

namespace app {

namespace {

bool IsSpace(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring Lower(std::wstring_view word) {
  std::wstring out;
  for (const wchar_t c : word) out.push_back(static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c))));
  return out;
}

// The name of a switch without its prefix; empty for a word that is no switch.
std::wstring SwitchName(const std::wstring& word) {
  if (word.size() < 2 || (word[0] != L'/' && word[0] != L'-')) return std::wstring();
  return Lower(std::wstring_view(word).substr(1));
}

}  // namespace

std::vector<std::wstring> SplitArguments(std::wstring_view line) {
  std::vector<std::wstring> words;
  size_t at = 0;
  // The program path: up to the first white space, or a quoted stretch; backslashes are plain there.
  while (at < line.size() && IsSpace(line[at])) ++at;
  if (at >= line.size()) return words;
  std::wstring program;
  bool quoted = false;
  for (; at < line.size() && (quoted || !IsSpace(line[at])); ++at) {
    if (line[at] == L'"') {
      quoted = !quoted;
    } else {
      program.push_back(line[at]);
    }
  }
  words.push_back(program);
  while (true) {
    while (at < line.size() && IsSpace(line[at])) ++at;
    if (at >= line.size()) break;
    std::wstring word;
    quoted = false;
    while (at < line.size() && (quoted || !IsSpace(line[at]))) {
      size_t slashes = 0;
      while (at < line.size() && line[at] == L'\\') {
        ++slashes;
        ++at;
      }
      if (at < line.size() && line[at] == L'"') {
        word.append(slashes / 2, L'\\');
        if (slashes % 2 == 1) {
          word.push_back(L'"');
        } else {
          quoted = !quoted;
        }
        ++at;
      } else {
        word.append(slashes, L'\\');
        if (at < line.size() && (quoted || !IsSpace(line[at]))) word.push_back(line[at++]);
      }
    }
    words.push_back(word);
  }
  return words;
}

CommandLine ParseCommandLine(std::wstring_view line) {
  CommandLine out;
  const std::vector<std::wstring> words = SplitArguments(line);
  auto refuse = [&out](const std::wstring& word) {
    if (out.refused.empty()) out.refused = word;
  };
  // On past a refusal: the first refused word is reported, and a /quiet or /check after it still keeps the
  // refusal from showing a message box.
  for (size_t i = 1; i < words.size(); ++i) {
    const std::wstring& word = words[i];
    const std::wstring name = SwitchName(word);
    // Any word that opens the console ("-d", "-debug", "x-dy") ran the tool before these switches existed, and
    // still does.
    if (word.find(L"-d") != std::wstring::npos) continue;
    if (name == L"guard") {
      out.guard = true;
      break;
    }
    if (name == L"quiet" || name == L"check") {
      const RunMode mode = name == L"quiet" ? RunMode::kQuiet : RunMode::kCheck;
      // One mode only: "/quiet /check" would leave an agent guessing which one ran.
      if (out.mode == RunMode::kInteractive) {
        out.mode = mode;
      } else if (out.mode != mode) {
        refuse(word);
      }
    } else if (name == L"log") {
      if (!out.logPath.empty() || i + 1 >= words.size() || words[i + 1].empty()) {
        refuse(word);
      } else {
        out.logPath = words[++i];
      }
    } else {
      refuse(word);
    }
  }
  return out;
}

}  // namespace app
