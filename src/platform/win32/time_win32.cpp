#include "platform/win32/win32_host.h"

namespace plat::win32 {

DWORD Time::GetTickCount() { return ::GetTickCount(); }
void Time::Sleep(DWORD milliseconds) { ::Sleep(milliseconds); }
void Time::GetLocalTime(SYSTEMTIME* time) { ::GetLocalTime(time); }

}  // namespace plat::win32
