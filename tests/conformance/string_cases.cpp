// The program's string tables by language: the thread's UI language chooses the block, with the program's own
// lookup (app::LoadStringById) and with the resource calls it makes.
#include <string>

#include "app/string_table.h"

#include "checks.h"  // last: its macros

namespace conformance {
namespace {

constexpr UINT kDeviceFound = 203;
constexpr LANGID kGerman = 0x0407;
constexpr LANGID kGermanNeutral = 0x0007;
constexpr LANGID kEnglish = 0x0409;
constexpr LANGID kDutch = 0x0413;  // no table of the program's

}  // namespace

void test_strings_by_language(Context& t) {
  const LANGID before = t.host.language.GetThreadUILanguage();

  LANGID set = t.host.language.SetThreadUILanguage(kGerman);
  ok(set == kGerman, "SetThreadUILanguage(German): got %#x\n", set);
  LANGID current = t.host.language.GetThreadUILanguage();
  ok(current == kGerman, "GetThreadUILanguage after German: got %#x\n", current);
  std::wstring text = app::LoadStringById(t.host, kDeviceFound);
  ok(text == L"Ger\u00e4t gefunden!\n", "German: got \"%s\"\n", Narrow(text).c_str());

  set = t.host.language.SetThreadUILanguage(kEnglish);
  ok(set == kEnglish, "SetThreadUILanguage(English): got %#x\n", set);
  text = app::LoadStringById(t.host, kDeviceFound);
  ok(text == L"Device found!!\n", "English: got \"%s\"\n", Narrow(text).c_str());

  // The resource calls themselves: a language the program carries, and one it does not.
  const LPCWSTR block = MAKEINTRESOURCEW(kDeviceFound / 16 + 1);
  for (const LANGID language : {kGermanNeutral, kEnglish}) {
    t.host.kernel.SetLastError(0xdeadbeef);
    const HRSRC found = t.host.resources.FindResourceExW(nullptr, RT_STRING, block, language);
    ok(found != nullptr, "FindResourceExW(%#x): got %p, error %lu\n", language, static_cast<void*>(found),
       ul(t.host.kernel.GetLastError()));
    const HGLOBAL data = found != nullptr ? t.host.resources.LoadResource(nullptr, found) : nullptr;
    const auto* words = static_cast<const WORD*>(data != nullptr ? t.host.resources.LockResource(data) : nullptr);
    const DWORD size = found != nullptr ? t.host.resources.SizeofResource(nullptr, found) : 0;
    text = words != nullptr ? app::StringFromBlock(words, size, kDeviceFound % 16) : std::wstring();
    const std::wstring wanted = language == kEnglish ? L"Device found!!\n" : L"Ger\u00e4t gefunden!\n";
    ok(text == wanted, "block of %#x: got \"%s\"\n", language, Narrow(text).c_str());
  }
  t.host.kernel.SetLastError(0xdeadbeef);
  const HRSRC missing = t.host.resources.FindResourceExW(nullptr, RT_STRING, block, kDutch);
  const DWORD error = t.host.kernel.GetLastError();
  ok(missing == nullptr, "FindResourceExW(Dutch): got %p\n", static_cast<void*>(missing));
  ok(error == ERROR_RESOURCE_LANG_NOT_FOUND, "FindResourceExW(Dutch): got error %lu\n", ul(error));

  t.host.language.SetThreadUILanguage(before);
}

}  // namespace conformance
