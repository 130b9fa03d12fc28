#include "simhost/scheduler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Three threads that each sleep and record: the order they interleave in.
std::string Interleaving(uint64_t seed) {
  simhost::Scheduler scheduler(seed);
  scheduler.AdoptCurrentThread();
  std::string order;
  for (char name : {'a', 'b', 'c'}) {
    scheduler.Spawn([&scheduler, &order, name] {
      for (int i = 0; i < 3; ++i) {
        order += name;
        scheduler.Sleep(10);
      }
    });
  }
  scheduler.BlockUntil([&] { return order.size() == 9; }, simhost::kForever);
  return order;
}

TEST(Scheduler, TheSameSeedGivesTheSameRun) {
  EXPECT_EQ(Interleaving(7), Interleaving(7));
  std::vector<std::string> runs;
  for (uint64_t seed = 1; seed <= 20; ++seed) runs.push_back(Interleaving(seed));
  EXPECT_NE(std::count(runs.begin(), runs.end(), runs.front()), 20) << "every seed gave " << runs.front();
}

TEST(Scheduler, TimeIsVirtualAndJumpsToTheEarliestWakeUp) {
  simhost::Scheduler scheduler(1);
  scheduler.AdoptCurrentThread();
  std::vector<uint64_t> wokeAt;
  scheduler.Spawn([&] {
    scheduler.Sleep(600000);
    wokeAt.push_back(scheduler.Now());
  });
  scheduler.Spawn([&] {
    scheduler.Sleep(1000);
    wokeAt.push_back(scheduler.Now());
  });
  scheduler.BlockUntil([&] { return wokeAt.size() == 2; }, simhost::kForever);
  EXPECT_EQ(wokeAt, (std::vector<uint64_t>{1000, 600000}));
}

TEST(Scheduler, AWaitEndsWhenItsConditionHoldsOrAtItsDeadline) {
  simhost::Scheduler scheduler(3);
  scheduler.AdoptCurrentThread();
  bool flag = false;
  scheduler.Spawn([&] {
    scheduler.Sleep(2500);
    flag = true;
  });
  EXPECT_FALSE(scheduler.BlockUntil([&] { return flag; }, 1000));
  EXPECT_EQ(scheduler.Now(), 1000u);
  EXPECT_TRUE(scheduler.BlockUntil([&] { return flag; }, 100000));
  EXPECT_EQ(scheduler.Now(), 2500u);
}

TEST(Scheduler, ThreadsStillBlockedWhenTheWorldEndsAreUnwound) {
  bool unwound = false;
  {
    simhost::Scheduler scheduler(1);
    scheduler.AdoptCurrentThread();
    scheduler.Spawn([&] {
      struct Guard {
        bool& flag;
        ~Guard() { flag = true; }
      } guard{unwound};
      scheduler.BlockUntil(nullptr, simhost::kForever);
    });
    scheduler.Sleep(10);
    EXPECT_EQ(scheduler.LiveThreads(), 2u);
  }
  EXPECT_TRUE(unwound);
}

}  // namespace
