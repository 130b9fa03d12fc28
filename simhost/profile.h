// GetPrivateProfileIntW over the simulated files: section and key names without regard to case; the value's
// leading decimal number (blanks and a sign allowed, wrapping to 32 bits), 0 when it is not a number; the
// default when the file, section or key is missing or the value is empty.
#pragma once
#include <optional>
#include <string>

#include "platform/profile.h"
#include "simhost/process_state.h"

namespace simhost {

class Profile final : public plat::IProfile {
 public:
  explicit Profile(ProcessState& state) : state_(state) {}
  UINT GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, INT defaultValue, LPCWSTR fileName) override;

 private:
  ProcessState& state_;
};

// The value text of section/key in an initialisation file's content, if present.
std::optional<std::wstring> FindProfileValue(const std::wstring& content, const std::wstring& section,
                                             const std::wstring& key);

}  // namespace simhost
