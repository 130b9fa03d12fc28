// The user-interface language of the calling thread.
#pragma once
#include "platform/win_types.h"

namespace plat {

class ILanguage {
 public:
  virtual ~ILanguage() = default;
  virtual LANGID SetThreadUILanguage(LANGID language) = 0;
  virtual LANGID GetThreadUILanguage() = 0;
};

}  // namespace plat
