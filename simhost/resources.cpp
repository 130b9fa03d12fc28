#include "simhost/resources.h"

#include <cstring>
#include <cwchar>
#include <cwctype>

#include "gen/firmware_images.h"
#include "simhost/firmware_images.h"
#include "simhost/string_tables.h"

namespace simhost {
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

Resources::Resources(ProcessState& state) : state_(state) {
  AddStringTables();
  AddFirmwareImages();
}

// The placeholder images, as the build puts them into the program: type "BINARY", English (United States).
void Resources::AddFirmwareImages() {
  for (const firmware_images::Image& image : firmware_images::kImages) {
    const std::vector<uint8_t>& bytes = PlaceholderFirmware(image.id);
    AddView(L"BINARY", MAKEINTRESOURCEW(image.id), 0x0409, bytes.data(), bytes.size());
  }
}

void Resources::AddView(LPCWSTR type, LPCWSTR name, WORD language, const uint8_t* data, size_t size) {
  Entry entry;
  entry.view = data;
  entry.viewSize = size;
  entries_[{KeyPart(type), KeyPart(name), language}] = std::move(entry);
}

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

HGLOBAL Resources::LoadResource(HMODULE, HRSRC resource) {
  if (failLoads_) {
    state_.CurrentThread().lastError = ERROR_RESOURCE_DATA_NOT_FOUND;
    return nullptr;
  }
  return reinterpret_cast<HGLOBAL>(resource);
}

LPVOID Resources::LockResource(HGLOBAL data) {
  if (data == nullptr || failLocks_) return nullptr;
  return const_cast<uint8_t*>(static_cast<Entry*>(data)->Data());
}

DWORD Resources::SizeofResource(HMODULE, HRSRC resource) {
  if (resource == nullptr) return 0;
  return static_cast<DWORD>(reinterpret_cast<Entry*>(resource)->Size());
}

// The block handed to the core: the translation as two 16-bit words in one wide character's room, then
// "key NUL value NUL" pairs. Only VerQueryValueW reads it.
std::vector<wchar_t> Resources::SerializeVersionInfo() const {
  std::vector<wchar_t> block(2, L'\0');
  std::memcpy(block.data(), &versionLanguage_, sizeof(WORD));
  std::memcpy(reinterpret_cast<char*>(block.data()) + sizeof(WORD), &versionCodePage_, sizeof(WORD));
  block[1] = static_cast<wchar_t>(versionStrings_.size());
  for (const auto& [key, value] : versionStrings_) {
    block.insert(block.end(), key.begin(), key.end());
    block.push_back(L'\0');
    block.insert(block.end(), value.begin(), value.end());
    block.push_back(L'\0');
  }
  return block;
}

DWORD Resources::GetFileVersionInfoSizeW(LPCWSTR fileName, LPDWORD handle) {
  if (handle != nullptr) *handle = 0;
  if (!hasVersionInfo_ || fileName == nullptr || FoldCase(fileName) != FoldCase(state_.options.modulePath)) {
    state_.CurrentThread().lastError = ERROR_RESOURCE_TYPE_NOT_FOUND;
    return 0;
  }
  return static_cast<DWORD>(SerializeVersionInfo().size() * sizeof(wchar_t));
}

BOOL Resources::GetFileVersionInfoW(LPCWSTR fileName, DWORD, DWORD size, LPVOID data) {
  if (GetFileVersionInfoSizeW(fileName, nullptr) == 0 || data == nullptr) return FALSE;
  const std::vector<wchar_t> block = SerializeVersionInfo();
  if (size < block.size() * sizeof(wchar_t)) {
    state_.CurrentThread().lastError = ERROR_INSUFFICIENT_BUFFER;
    return FALSE;
  }
  std::memcpy(data, block.data(), block.size() * sizeof(wchar_t));
  return TRUE;
}

BOOL Resources::VerQueryValueW(LPCVOID blockData, LPCWSTR subBlock, LPVOID* buffer, UINT* length) {
  if (buffer != nullptr) *buffer = nullptr;
  if (length != nullptr) *length = 0;
  if (blockData == nullptr || subBlock == nullptr || buffer == nullptr || length == nullptr) return FALSE;
  const auto* block = static_cast<const wchar_t*>(blockData);
  const std::wstring wanted = FoldCase(subBlock);
  if (wanted == L"\\VARFILEINFO\\TRANSLATION") {
    *buffer = const_cast<wchar_t*>(block);
    *length = 2 * sizeof(WORD);
    return TRUE;
  }
  const auto count = static_cast<size_t>(block[1]);
  WORD language = 0;
  WORD codePage = 0;
  std::memcpy(&language, block, sizeof(WORD));
  std::memcpy(&codePage, reinterpret_cast<const char*>(block) + sizeof(WORD), sizeof(WORD));
  wchar_t prefix[32];
  std::swprintf(prefix, 32, L"\\STRINGFILEINFO\\%04X%04X\\", language, codePage);
  const wchar_t* cursor = block + 2;
  for (size_t i = 0; i < count; ++i) {
    const std::wstring key(cursor);
    cursor += key.size() + 1;
    const wchar_t* value = cursor;
    cursor += std::wcslen(value) + 1;
    if (wanted == FoldCase(prefix + key)) {
      *buffer = const_cast<wchar_t*>(value);
      *length = static_cast<UINT>(std::wcslen(value) + 1);
      return TRUE;
    }
  }
  return FALSE;
}

}  // namespace simhost
