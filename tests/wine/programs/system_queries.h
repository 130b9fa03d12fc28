// What the scenarios check or arrange outside the window: named locks held by "another application", whether
// a lock name still exists, how many copies of a program run, a service's state and start type, whether a usbscan device opens.
#pragma once

#include <map>
#include <string>

#include "owners.h"

namespace rig {

class Locks {
 public:
  // Takes the named mutex with the null DACL the scan applications use: "ok created" or "ok existed".
  std::string Hold(const std::wstring& name);
  std::string Release(const std::wstring& name);

 private:
  std::map<std::wstring, KernelHandle> held_;
};

// "ok 1" while some process holds a handle to the name, "ok 0" when it no longer exists.
std::string MutexExists(const std::wstring& name);
// "ok state=N start=N" with the SERVICE_* numbers.
std::string ServiceState(const std::wstring& name);
// "ok N": how many processes run the program file of that name (e.g. FWUpdate.exe), any path.
std::string ProcessCount(const std::wstring& image);
// "ok 1" when \\.\usbscanN opens, "ok 0 error=N" when it does not.
std::string DeviceOpens(int index);

}  // namespace rig
