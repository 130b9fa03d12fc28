// Owners of the handles the rig's Windows programs open: each closes its handle when it goes.
#pragma once

#include <windows.h>

#include <utility>

namespace rig {

template <typename T, auto Close, auto Empty>
class Owner {
 public:
  Owner() = default;
  explicit Owner(T value) : value_(value) {}
  Owner(const Owner&) = delete;
  Owner& operator=(const Owner&) = delete;
  Owner(Owner&& other) noexcept : value_(std::exchange(other.value_, Empty)) {}
  Owner& operator=(Owner&& other) noexcept {
    Reset(std::exchange(other.value_, Empty));
    return *this;
  }
  ~Owner() { Reset(); }

  T Get() const { return value_; }
  T* Receive() {
    Reset();
    return &value_;
  }
  explicit operator bool() const { return value_ != Empty; }
  void Reset(T value = Empty) {
    if (value_ != Empty) Close(value_);
    value_ = value;
  }

 private:
  T value_ = Empty;
};

inline void CloseService(SC_HANDLE handle) { CloseServiceHandle(handle); }
inline void CloseKey(HKEY key) { RegCloseKey(key); }
inline void CloseKernelHandle(HANDLE handle) { CloseHandle(handle); }

using ServiceHandle = Owner<SC_HANDLE, CloseService, static_cast<SC_HANDLE>(nullptr)>;
using RegKey = Owner<HKEY, CloseKey, static_cast<HKEY>(nullptr)>;
using KernelHandle = Owner<HANDLE, CloseKernelHandle, static_cast<HANDLE>(nullptr)>;

// CreateFileW fails with INVALID_HANDLE_VALUE, not null: held as empty all the same.
inline KernelHandle FileHandle(HANDLE file) { return KernelHandle(file == INVALID_HANDLE_VALUE ? nullptr : file); }

}  // namespace rig
