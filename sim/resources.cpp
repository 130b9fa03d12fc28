#include "sim/resources.h"

#include <cwctype>

#include "sim/string_tables.h"

namespace sim {
namespace {

void AppendUtf16(std::vector<uint8_t>& out, uint16_t unit) {
  out.push_back(static_cast<uint8_t>(unit & 0xFF));
  out.push_back(static_cast<uint8_t>(unit >> 8));
}

std::vector<uint16_t> ToUtf16(const wchar_t* text) {
  std::vector<uint16_t> units;
  for (; *text != L'\0'; ++text) {
    const auto code = static_cast<uint32_t>(*text);
    if (code > 0xFFFF) {
      const uint32_t v = code - 0x10000;
      units.push_back(static_cast<uint16_t>(0xD800 + (v >> 10)));
      units.push_back(static_cast<uint16_t>(0xDC00 + (v & 0x3FF)));
    } else {
      units.push_back(static_cast<uint16_t>(code));
    }
  }
  return units;
}

}  // namespace

Resources::Resources(ProcessState& state) : state_(state) { AddStringTables(); }

std::wstring Resources::KeyPart(LPCWSTR nameOrId) {
  if (IS_INTRESOURCE(nameOrId)) return L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(nameOrId));
  return FoldCase(nameOrId);
}

void Resources::AddStringTables() {
  // block number -> 16 entries, per language
  std::map<std::pair<WORD, UINT>, std::vector<std::vector<uint16_t>>> blocks;
  for (const auto& entry : StringTables()) {
    auto& block = blocks[{entry.language, entry.id / 16 + 1}];
    block.resize(16);
    block[entry.id % 16] = ToUtf16(entry.text);
  }
  for (const auto& [key, strings] : blocks) {
    std::vector<uint8_t> bytes;
    for (const auto& units : strings) {
      AppendUtf16(bytes, static_cast<uint16_t>(units.size()));
      for (const uint16_t unit : units) AppendUtf16(bytes, unit);
    }
    Add(RT_STRING, MAKEINTRESOURCEW(key.second), key.first, std::move(bytes));
  }
}

void Resources::Add(LPCWSTR type, LPCWSTR name, WORD language, std::vector<uint8_t> bytes) {
  entries_[{KeyPart(type), KeyPart(name), language}] = Entry{std::move(bytes)};
}

void Resources::Remove(LPCWSTR type, LPCWSTR name, WORD language) {
  entries_.erase({KeyPart(type), KeyPart(name), language});
}

void Resources::RemoveAllStringTables() {
  const std::wstring stringType = KeyPart(RT_STRING);
  std::erase_if(entries_, [&](const auto& item) { return std::get<0>(item.first) == stringType; });
}

HRSRC Resources::FindResourceExW(HMODULE, LPCWSTR type, LPCWSTR name, WORD language) {
  const auto it = entries_.find({KeyPart(type), KeyPart(name), language});
  if (it == entries_.end()) {
    state_.CurrentThread().lastError = ERROR_RESOURCE_LANG_NOT_FOUND;
    return nullptr;
  }
  return reinterpret_cast<HRSRC>(&it->second);
}

// Without a language the lookup takes any language entry of that type and name.
HRSRC Resources::FindResourceW(HMODULE, LPCWSTR name, LPCWSTR type) {
  const std::wstring typeKey = KeyPart(type);
  const std::wstring nameKey = KeyPart(name);
  for (auto& [key, entry] : entries_) {
    if (std::get<0>(key) == typeKey && std::get<1>(key) == nameKey) return reinterpret_cast<HRSRC>(&entry);
  }
  state_.CurrentThread().lastError = ERROR_RESOURCE_NAME_NOT_FOUND;
  return nullptr;
}

HGLOBAL Resources::LoadResource(HMODULE, HRSRC resource) { return reinterpret_cast<HGLOBAL>(resource); }

LPVOID Resources::LockResource(HGLOBAL data) {
  if (data == nullptr) return nullptr;
  return static_cast<Entry*>(data)->bytes.data();
}

DWORD Resources::SizeofResource(HMODULE, HRSRC resource) {
  if (resource == nullptr) return 0;
  return static_cast<DWORD>(reinterpret_cast<Entry*>(resource)->bytes.size());
}

DWORD Resources::GetFileVersionInfoSizeW(LPCWSTR, LPDWORD handle) {
  if (handle != nullptr) *handle = 0;
  state_.CurrentThread().lastError = ERROR_RESOURCE_TYPE_NOT_FOUND;
  return 0;
}

BOOL Resources::GetFileVersionInfoW(LPCWSTR, DWORD, DWORD, LPVOID) {
  state_.CurrentThread().lastError = ERROR_RESOURCE_TYPE_NOT_FOUND;
  return FALSE;
}

BOOL Resources::VerQueryValueW(LPCVOID, LPCWSTR, LPVOID* buffer, UINT* length) {
  if (buffer != nullptr) *buffer = nullptr;
  if (length != nullptr) *length = 0;
  return FALSE;
}

}  // namespace sim
