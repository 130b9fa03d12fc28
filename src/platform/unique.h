// The one owner of a system handle: not copyable, movable, closed in its destructor through the seam that
// owns the close. A traits struct names the kind: the handle type, its empty value, which values are worth
// closing, the seam, and the close call. The kinds are in unique_handle.h (kernel), service_handles.h,
// socket_handles.h, setup_handles.h, registry_handles.h and local_memory.h.
#pragma once
#include <utility>

namespace plat {

template <typename Traits>
class Unique {
 public:
  using Type = typename Traits::Type;
  using Seam = typename Traits::Seam;

  explicit Unique(Seam& seam, Type value = Traits::Empty()) : seam_(&seam), value_(value) {}
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;
  Unique(Unique&& other) noexcept : seam_(other.seam_), value_(other.Detach()) {}
  Unique& operator=(Unique&& other) noexcept {
    if (this != &other) {
      Reset(other.Detach());  // what this one held is closed through its own seam
      seam_ = other.seam_;
    }
    return *this;
  }
  ~Unique() { Reset(); }

  Type Get() const { return value_; }
  bool IsValid() const { return Traits::IsValid(value_); }
  explicit operator bool() const { return IsValid(); }
  // Hands the value over without closing it; the owner is empty afterwards.
  Type Detach() { return std::exchange(value_, Traits::Empty()); }
  void Reset(Type value = Traits::Empty()) {
    const Type old = std::exchange(value_, value);
    if (Traits::IsValid(old)) Traits::Close(*seam_, old);
  }
  // Where a call with an out-parameter (RegOpenKeyExW) stores the value; what was held is closed first.
  Type* Receive() {
    Reset();
    return &value_;
  }

 private:
  Seam* seam_;
  Type value_;
};

}  // namespace plat
