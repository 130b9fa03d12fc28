#include "update/burn_progress.h"

#include <gtest/gtest.h>

namespace {

TEST(BurnProgress, FinishingStepsFromWhereThePowerOffWaitStopped) {
  struct Case {
    int probes;  // the probe at which the device was found off
    int limit;
    int expected[3];
  };
  const Case cases[] = {
      {1, 90, {34, 67, 100}},  // gone at the first probe
      {45, 90, {66, 83, 100}},
      {89, 90, {99, 100, 100}},
      {1, 60, {34, 67, 100}},
      {30, 60, {66, 83, 100}},
  };
  for (const auto& c : cases) {
    int k = c.probes;
    int r = c.limit - k;
    for (int i = 1; i <= 3; ++i, ++k, --r) {
      EXPECT_EQ(FinishingPercent(k, r, i, c.limit), c.expected[i - 1])
          << "found off at probe " << c.probes << " of " << c.limit << ", step " << i;
    }
  }
}

TEST(BurnProgress, PowerOffProgressReachesAHundredAtTheLimit) {
  EXPECT_EQ(PowerOffPercent(1, 90), 1);
  EXPECT_EQ(PowerOffPercent(45, 90), 50);
  EXPECT_EQ(PowerOffPercent(89, 90), 98);
  EXPECT_EQ(PowerOffPercent(90, 90), 100);
}

}  // namespace
