// The percentages the unmonitored burn shows while it cannot ask the device: computed from the probes spent.
#pragma once

// During the power-off wait: probe k of limit.
constexpr int PowerOffPercent(int probes, int limit) { return static_cast<int>(probes * 100.0 / limit); }

// Finishing step i (1 to 3) from probe k with r = limit - k probes left: (r x i) / 3 and its sum with k in
// single precision, the scaling in double precision; the third step shows 100.
constexpr int FinishingPercent(int probes, int remaining, int step, int limit) {
  const float reached = static_cast<float>(probes) + static_cast<float>(remaining * step) / 3.0f;
  return static_cast<int>(static_cast<double>(reached) * 100.0 / limit);
}
