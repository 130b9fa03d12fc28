#include "app/string_table.h"

namespace app {

std::wstring StringFromBlock(const WORD* block, DWORD blockBytes, UINT index) {
  const size_t units = blockBytes / sizeof(WORD);
  size_t pos = 0;
  for (UINT i = 0; i < 16 && pos < units; ++i) {
    const size_t length = block[pos++];
    if (length > units - pos) return std::wstring();
    if (i == index) {
      std::wstring out;
      out.reserve(length);
      for (size_t k = 0; k < length; ++k) out.push_back(static_cast<wchar_t>(block[pos + k]));
      return out;
    }
    pos += length;
  }
  return std::wstring();
}

std::wstring LoadStringById(plat::Host& host, UINT id) {
  const LANGID threadLanguage = host.language.GetThreadUILanguage();
  const WORD candidates[] = {threadLanguage, static_cast<WORD>(MAKELANGID(PRIMARYLANGID(threadLanguage), SUBLANG_NEUTRAL)),
                             static_cast<WORD>(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US))};
  LPCWSTR blockName = MAKEINTRESOURCEW(id / 16 + 1);
  for (const WORD language : candidates) {
    HRSRC resource = host.resources.FindResourceExW(nullptr, RT_STRING, blockName, language);
    if (resource == nullptr) continue;
    HGLOBAL data = host.resources.LoadResource(nullptr, resource);
    const auto* block = static_cast<const WORD*>(data ? host.resources.LockResource(data) : nullptr);
    if (block == nullptr) continue;
    return StringFromBlock(block, host.resources.SizeofResource(nullptr, resource), id % 16);
  }
  return std::wstring();
}

}  // namespace app
