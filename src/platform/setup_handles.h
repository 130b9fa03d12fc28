// Owners of a device information set and of a registry key: not copyable, released in the destructor through
// the seam, so that no path out of a walk leaves one open.
#pragma once
#include <utility>

#include "platform/setup.h"

namespace plat {

class UniqueDeviceInfoSet {
 public:
  UniqueDeviceInfoSet(ISetup& setup, HDEVINFO set) : setup_(setup), set_(set) {}
  UniqueDeviceInfoSet(const UniqueDeviceInfoSet&) = delete;
  UniqueDeviceInfoSet& operator=(const UniqueDeviceInfoSet&) = delete;
  ~UniqueDeviceInfoSet() {
    if (IsValid()) setup_.SetupDiDestroyDeviceInfoList(std::exchange(set_, INVALID_HANDLE_VALUE));
  }

  HDEVINFO Get() const { return set_; }
  bool IsValid() const { return set_ != INVALID_HANDLE_VALUE && set_ != nullptr; }

 private:
  ISetup& setup_;
  HDEVINFO set_;
};

class UniqueRegKey {
 public:
  explicit UniqueRegKey(ISetup& setup) : setup_(setup) {}
  UniqueRegKey(const UniqueRegKey&) = delete;
  UniqueRegKey& operator=(const UniqueRegKey&) = delete;
  ~UniqueRegKey() {
    if (key_ != nullptr) setup_.RegCloseKey(std::exchange(key_, nullptr));
  }

  HKEY Get() const { return key_; }
  // Where RegOpenKeyExW stores the key; only while the owner holds none.
  PHKEY Receive() { return &key_; }

 private:
  ISetup& setup_;
  HKEY key_ = nullptr;
};

}  // namespace plat
