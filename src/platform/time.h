// Time: the millisecond tick count and sleeping. Virtual in the simulated host.
#pragma once
#include "platform/win_types.h"

namespace plat {

class ITime {
 public:
  virtual ~ITime() = default;
  virtual DWORD GetTickCount() = 0;
  virtual void Sleep(DWORD milliseconds) = 0;
};

}  // namespace plat
