// Time: the millisecond tick count and sleeping. Virtual in the simulated host.
#pragma once
#include "platform/win_types.h"

#ifndef _WIN32
struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};
#endif

namespace plat {

class ITime {
 public:
  virtual ~ITime() = default;
  virtual DWORD GetTickCount() = 0;
  virtual void Sleep(DWORD milliseconds) = 0;
  // The wall clock in the machine's time zone, for the log's time stamps.
  virtual void GetLocalTime(SYSTEMTIME* time) = 0;
};

}  // namespace plat
