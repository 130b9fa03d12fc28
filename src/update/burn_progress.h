// The percentages the unmonitored burn shows while it cannot ask the device: computed from the probes spent.
#pragma once

// During the power-off wait: probe k of limit.
constexpr int PowerOffPercent(int probes, int limit) { return static_cast<int>(probes * 100.0 / limit); }

// After the power-off wait the progress runs on to 100 in this many steps, a finishing pause apart.
inline constexpr int kFinishingSteps = 3;

// Finishing step i (1 to kFinishingSteps) from probe k with r = limit - k probes left: (r x i) / kFinishingSteps
// and its sum with k in single precision, the scaling in double precision; the last step shows 100.
constexpr int FinishingPercent(int probes, int remaining, int step, int limit) {
  const float reached =
      static_cast<float>(probes) + static_cast<float>(remaining * step) / static_cast<float>(kFinishingSteps);
  return static_cast<int>(static_cast<double>(reached) * 100.0 / limit);
}
