// The program's resources in the simulated host: found by type, name and exact language, as
// FindResourceExW does; string tables are stored as the same 16-entry blocks the resource compiler makes.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "platform/resources.h"
#include "simhost/process_state.h"

namespace simhost {

class Resources final : public plat::IResources {
 public:
  explicit Resources(ProcessState& state);

  HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) override;
  HRSRC FindResourceExW(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language) override;
  HGLOBAL LoadResource(HMODULE module, HRSRC resource) override;
  LPVOID LockResource(HGLOBAL data) override;
  DWORD SizeofResource(HMODULE module, HRSRC resource) override;
  DWORD GetFileVersionInfoSizeW(LPCWSTR fileName, LPDWORD handle) override;
  BOOL GetFileVersionInfoW(LPCWSTR fileName, DWORD handle, DWORD size, LPVOID data) override;
  BOOL VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, UINT* length) override;

  // Resource names and types: integer ids or texts (compared without regard to case).
  void Add(LPCWSTR type, LPCWSTR name, WORD language, std::vector<uint8_t> bytes);
  // A resource whose bytes live elsewhere for the life of the process (the firmware images), not copied.
  void AddView(LPCWSTR type, LPCWSTR name, WORD language, const uint8_t* data, size_t size);
  // LoadResource fails from now on, as for a damaged program file.
  void FailLoads(bool fail) { failLoads_ = fail; }
  // LockResource yields no pointer from now on (Windows never does this for a loaded resource).
  void FailLocks(bool fail) { failLocks_ = fail; }
  void Remove(LPCWSTR type, LPCWSTR name, WORD language);
  // The program file loses its version information: the version lookups fail as for a file that has none.
  void RemoveVersionInfo() { hasVersionInfo_ = false; }

 private:
  using Key = std::tuple<std::wstring, std::wstring, WORD>;
  struct Entry {
    std::vector<uint8_t> bytes;
    const uint8_t* view = nullptr;
    size_t viewSize = 0;
    uint8_t none = 0;  // an empty resource still has an address, as in a real program file
    const uint8_t* Data() const { return view != nullptr ? view : (bytes.empty() ? &none : bytes.data()); }
    size_t Size() const { return view != nullptr ? viewSize : bytes.size(); }
  };
  static std::wstring KeyPart(LPCWSTR nameOrId);
  void AddStringTables();
  void AddFirmwareImages();

  std::vector<wchar_t> SerializeVersionInfo() const;

  ProcessState& state_;
  std::map<Key, Entry> entries_;
  bool hasVersionInfo_ = true;
  bool failLoads_ = false;
  bool failLocks_ = false;
  WORD versionLanguage_ = 0x0409;
  WORD versionCodePage_ = 0x04B0;
  std::map<std::wstring, std::wstring> versionStrings_{{L"FileVersion", L"0.0.68.0"},
                                                      {L"ProductVersion", L"0.0.68.0"}};
};

}  // namespace simhost
