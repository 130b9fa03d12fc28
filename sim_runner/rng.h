// The one seeded generator a run draws its whole world from, with the few shapes of choice the world needs.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <random>
#include <vector>

namespace sim_runner {

class Rng {
 public:
  explicit Rng(uint64_t seed) : engine_(seed) {}

  uint64_t Next() { return engine_(); }
  // A number in [low, high].
  uint64_t Between(uint64_t low, uint64_t high) { return low + engine_() % (high - low + 1); }
  // True with the given chance in percent.
  bool Percent(unsigned chance) { return engine_() % 100 < chance; }
  template <class T>
  T Pick(std::initializer_list<T> choices) {
    return *(choices.begin() + static_cast<long>(engine_() % choices.size()));
  }
  // The same draw from choices worked out at run time.
  template <class T>
  T PickFrom(const std::vector<T>& choices) {
    return choices[engine_() % choices.size()];
  }
  // A delay that is mostly short, sometimes long: races sit in the first milliseconds, phases in minutes.
  uint64_t Delay() {
    switch (engine_() % 5) {
      case 0:
        return Between(0, 20);
      case 1:
        return Between(0, 2000);
      case 2:
        return Between(0, 30000);
      case 3:
        return Between(0, 200000);
      default:
        return Between(0, 1500000);
    }
  }

 private:
  std::mt19937_64 engine_;
};

}  // namespace sim_runner
