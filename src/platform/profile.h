// Initialisation files.
#pragma once
#include "platform/win_types.h"

namespace plat {

class IProfile {
 public:
  virtual ~IProfile() = default;
  virtual UINT GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, INT defaultValue, LPCWSTR fileName) = 0;
};

}  // namespace plat
