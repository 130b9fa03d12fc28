// Owners of kernel handles: not copyable, closed in the destructor through the seam. Two kinds because
// Windows has two empty values: null (threads, events, mutexes) and INVALID_HANDLE_VALUE (files).
#pragma once
#include <utility>

#include "platform/kernel.h"

namespace plat {

template <HANDLE (*Empty)()>
class BasicUniqueHandle {
 public:
  explicit BasicUniqueHandle(IKernel& kernel, HANDLE handle = Empty()) : kernel_(&kernel), handle_(handle) {}
  BasicUniqueHandle(const BasicUniqueHandle&) = delete;
  BasicUniqueHandle& operator=(const BasicUniqueHandle&) = delete;
  BasicUniqueHandle(BasicUniqueHandle&& other) noexcept : kernel_(other.kernel_), handle_(other.Detach()) {}
  BasicUniqueHandle& operator=(BasicUniqueHandle&& other) noexcept {
    if (this != &other) {
      Reset(other.Detach());
      kernel_ = other.kernel_;
    }
    return *this;
  }
  ~BasicUniqueHandle() { Reset(); }

  HANDLE Get() const { return handle_; }
  bool IsValid() const { return handle_ != Empty() && handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  explicit operator bool() const { return IsValid(); }
  HANDLE Detach() { return std::exchange(handle_, Empty()); }
  void Reset(HANDLE handle = Empty()) {
    const HANDLE old = std::exchange(handle_, handle);
    if (old != nullptr && old != INVALID_HANDLE_VALUE) kernel_->CloseHandle(old);
  }

 private:
  IKernel* kernel_;
  HANDLE handle_;
};

inline HANDLE NullHandle() { return nullptr; }
inline HANDLE InvalidHandle() { return INVALID_HANDLE_VALUE; }

using UniqueHandle = BasicUniqueHandle<&NullHandle>;
using UniqueFile = BasicUniqueHandle<&InvalidHandle>;

}  // namespace plat
