// The gate between the stop threads' "disabled" and the window's "automatic start" at the end of the session.
#include <gtest/gtest.h>

#include "host/disable_gate.h"
#include "simhost/process.h"

namespace {

class DisableGateTest : public testing::Test {
 protected:
  void SetUp() override { world.scheduler().AdoptCurrentThread(); }

  simhost::World world;
  simhost::Process tool{world};
  DisableGate gate;
};

TEST_F(DisableGateTest, AnOpenGateLetsEveryDisableThroughAndShutsAtOnce) {
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(gate.BeginDisable());
    gate.EndDisable();
  }
  EXPECT_FALSE(gate.IsShut());
  gate.Shut(tool.host(), 2000);
  EXPECT_EQ(world.scheduler().Now(), 0u);
  EXPECT_TRUE(gate.IsShut());
  EXPECT_FALSE(gate.BeginDisable());
  gate.Shut(tool.host(), 2000);  // twice: still shut, at once
  EXPECT_TRUE(gate.IsShut());
}

// The stop thread read the configuration and is about to write "disabled": the window's automatic start must
// come after that write, whatever the two requests take.
// The stop thread, its write done, must also see the gate shut: it may not go on to a search that takes a lock
// after the window has released them all.
TEST_F(DisableGateTest, ADisableUnderWayIsWaitedForBeforeTheGateShuts) {
  bool written = false;
  bool shutSeenAfterWrite = false;
  world.scheduler().Spawn([&] {
    ASSERT_TRUE(gate.BeginDisable());
    world.scheduler().Sleep(300);
    written = true;
    gate.EndDisable();
    shutSeenAfterWrite = gate.IsShut();
  });
  world.scheduler().Sleep(10);
  gate.Shut(tool.host(), 2000);
  EXPECT_TRUE(written);
  EXPECT_TRUE(shutSeenAfterWrite);
  EXPECT_GE(world.scheduler().Now(), 300u);
  EXPECT_LT(world.scheduler().Now(), 400u);
  EXPECT_TRUE(gate.IsShut());
  EXPECT_FALSE(gate.BeginDisable());
}

// A service manager that never answers must not hold the end of the session: the gate shuts after its limit,
// and the late disable's end leaves it shut.
TEST_F(DisableGateTest, AWriteThatNeverEndsIsWaitedForOnlyUpToTheLimit) {
  world.scheduler().Spawn([&] { ASSERT_TRUE(gate.BeginDisable()); });
  world.scheduler().Sleep(10);
  gate.Shut(tool.host(), 2000);
  EXPECT_GE(world.scheduler().Now(), 2010u);
  EXPECT_LT(world.scheduler().Now(), 2100u);
  EXPECT_TRUE(gate.IsShut());
  gate.EndDisable();
  EXPECT_TRUE(gate.IsShut());
  EXPECT_FALSE(gate.BeginDisable());
}

}  // namespace
