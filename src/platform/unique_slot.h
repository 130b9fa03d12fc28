// A handle that several threads read and replace: the atomic sibling of Unique (unique.h), over the same
// traits. Its one empty value is the kind's (null for a thread, INVALID_HANDLE_VALUE for a lock), and
// IsEmpty is the only test for it. Whoever takes a handle out of the slot closes it, so a handle is closed once
// however the threads interleave; what the slot still holds when it goes is closed then.
#pragma once
#include <atomic>

namespace plat {

template <typename Traits>
class UniqueSlot {
 public:
  using Type = typename Traits::Type;
  using Seam = typename Traits::Seam;

  explicit UniqueSlot(Seam& seam) : seam_(seam) {}
  UniqueSlot(const UniqueSlot&) = delete;
  UniqueSlot& operator=(const UniqueSlot&) = delete;
  ~UniqueSlot() { Reset(); }

  // The held handle, still owned by the slot: to wait on or to ask about, not to close.
  Type Load() const { return value_.load(); }
  bool IsEmpty() const { return value_.load() == Traits::Empty(); }
  // Takes over value; the handle it replaces is closed.
  void Reset(Type value = Traits::Empty()) { Close(value_.exchange(value)); }
  // A handle read earlier with Load is cleared and closed only if the slot still holds it: another thread may
  // have cleared it (and closed it) or put another one in meanwhile. True when this call closed it.
  bool CloseIfStillHeld(Type held) {
    Type expected = held;
    if (!value_.compare_exchange_strong(expected, Traits::Empty())) return false;
    return Close(held);
  }

 private:
  bool Close(Type value) {
    if (!Traits::IsValid(value)) return false;
    Traits::Close(seam_, value);
    return true;
  }

  Seam& seam_;
  std::atomic<Type> value_{Traits::Empty()};
};

}  // namespace plat
