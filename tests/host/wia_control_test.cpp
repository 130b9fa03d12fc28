#include "host/wia_control.h"

#include <gtest/gtest.h>

#include <optional>

#include "simhost/process.h"

namespace {

class WiaControlTest : public testing::Test {
 protected:
  void SetUp() override { world.scheduler().AdoptCurrentThread(); }

  simhost::SimService& Stisvc() { return tool.services().Service(L"stisvc"); }
  uint64_t Now() { return world.scheduler().Now(); }
  // Nothing of the service manager or its configuration buffers is left behind.
  void ExpectNothingLeft(const char* what) {
    EXPECT_EQ(tool.services().OpenHandles(), 0u) << what;
    EXPECT_EQ(tool.services().LiveAllocations(), 0u) << what;
  }

  simhost::World world;
  simhost::Process tool{world};
};

TEST_F(WiaControlTest, AServiceAlreadyStoppedAndDisabledGetsNoStopControl) {
  Stisvc().state = SERVICE_STOPPED;
  Stisvc().startType = SERVICE_DISABLED;
  {
    CWIAControl wia(tool.host());
    EXPECT_TRUE(wia.Stop());
  }
  EXPECT_EQ(Stisvc().stopControls, 0);
  EXPECT_EQ(Stisvc().configChanges, 0) << "the start type was already disabled";
  EXPECT_EQ(Stisvc().startType, static_cast<DWORD>(SERVICE_DISABLED));
  ExpectNothingLeft("stop");
}

TEST_F(WiaControlTest, StopWaitsForTheServiceWithinSixtySeconds) {
  constexpr DWORD kInfinite = 0xFFFFFFFF;
  struct Case {
    const char* what;
    DWORD state;
    std::optional<DWORD> stopTakesMs;
    DWORD waitHintMs;
    DWORD controlError;
    bool stopped;
    uint64_t minMs, maxMs;  // virtual time the call took
    int minControls;
  };
  const Case cases[] = {
      {"stops in 2 s", SERVICE_RUNNING, 2000, 1000, 0, true, 2000, 2100, 2},
      {"never stops", SERVICE_RUNNING, std::nullopt, 1000, 0, false, 60000, 61100, 50},
      {"wait hint 0: polls without sleeping", SERVICE_RUNNING, 2000, 0, 0, true, 2000, 2020, 500},
      {"wait hint 0, never stops", SERVICE_RUNNING, std::nullopt, 0, 0, false, 60000, 60020, 10000},
      {"an endless wait hint is cut at the limit", SERVICE_RUNNING, std::nullopt, kInfinite, 0, false, 60000, 60020, 2},
      {"refuses the stop control", SERVICE_RUNNING, 2000, 1000, ERROR_SERVICE_REQUEST_TIMEOUT, false, 60000, 60020, 100},
      {"start pending: no stop control", SERVICE_START_PENDING, 2000, 1000, 0, true, 0, 20, 0},
  };
  for (const auto& c : cases) {
    simhost::Process process(world);
    simhost::SimService& service = process.services().Service(L"stisvc");
    service.state = c.state;
    service.transitionAt = simhost::kForever;
    service.targetState = SERVICE_RUNNING;
    service.startType = SERVICE_DEMAND_START;
    service.stopTakesMs = c.stopTakesMs;
    service.stopWaitHintMs = c.waitHintMs;
    service.stopControlError = c.controlError;
    const uint64_t start = Now();
    BOOL result = FALSE;
    {
      CWIAControl wia(process.host());
      result = wia.Stop();
    }
    const uint64_t took = Now() - start;
    EXPECT_EQ(result != FALSE, c.stopped) << c.what;
    EXPECT_GE(took, c.minMs) << c.what;
    EXPECT_LE(took, c.maxMs) << c.what;
    EXPECT_GE(service.stopControls, c.minControls) << c.what;
    if (c.minControls == 0) {
      EXPECT_EQ(service.stopControls, 0) << c.what;
    }
    EXPECT_EQ(service.startType, static_cast<DWORD>(SERVICE_DISABLED)) << c.what << ": disabled even when not stopped";
    EXPECT_EQ(process.services().OpenHandles(), 0u) << c.what;
    EXPECT_EQ(process.services().LiveAllocations(), 0u) << c.what;
  }
}

TEST_F(WiaControlTest, ADemandStartServiceStartsAutomaticallyAfterStopAndStart) {
  Stisvc().startType = SERVICE_DEMAND_START;
  {
    CWIAControl stopper(tool.host());
    ASSERT_TRUE(stopper.Stop());
  }
  EXPECT_EQ(Stisvc().state, static_cast<DWORD>(SERVICE_STOPPED));
  EXPECT_EQ(Stisvc().startType, static_cast<DWORD>(SERVICE_DISABLED));
  {
    CWIAControl starter(tool.host());
    EXPECT_TRUE(starter.Start());
  }
  EXPECT_EQ(Stisvc().startType, static_cast<DWORD>(SERVICE_AUTO_START));
  EXPECT_EQ(Stisvc().state, static_cast<DWORD>(SERVICE_RUNNING));
  EXPECT_EQ(Stisvc().startRequests, 1);
  ExpectNothingLeft("stop and start");
}

TEST_F(WiaControlTest, StartOnARunningServiceOnlySetsTheStartType) {
  Stisvc().startType = SERVICE_DISABLED;
  {
    CWIAControl wia(tool.host());
    EXPECT_TRUE(wia.Start());
  }
  EXPECT_EQ(Stisvc().startType, static_cast<DWORD>(SERVICE_AUTO_START));
  EXPECT_EQ(Stisvc().startRequests, 0);
  EXPECT_EQ(Stisvc().stopControls, 0);
  ExpectNothingLeft("start");
}

TEST_F(WiaControlTest, StartWaitsAtMostSixtySecondsForTheServiceToRun) {
  struct Case {
    const char* what;
    std::optional<DWORD> startTakesMs;
    DWORD waitHintMs;
    bool stopsAgain;
    DWORD startError;
    bool started;
    DWORD finalState;
    uint64_t minMs, maxMs;
  };
  const Case cases[] = {
      {"runs after 3 s", 3000, 2000, false, 0, true, SERVICE_RUNNING, 3000, 4100},
      {"runs after 3 s, wait hint 0", 3000, 0, false, 0, true, SERVICE_RUNNING, 3000, 3020},
      {"stays start pending", std::nullopt, 2000, false, 0, false, SERVICE_START_PENDING, 60000, 60020},
      {"stops again after starting", 1000, 2000, true, 0, false, SERVICE_STOPPED, 60000, 60020},
      {"refuses to start", 1000, 2000, false, ERROR_ACCESS_DENIED, false, SERVICE_STOPPED, 0, 20},
  };
  for (const auto& c : cases) {
    simhost::Process process(world);
    simhost::SimService& service = process.services().Service(L"stisvc");
    service.state = SERVICE_STOPPED;
    service.startType = SERVICE_DISABLED;
    service.startTakesMs = c.startTakesMs;
    service.startWaitHintMs = c.waitHintMs;
    service.stopsAgainAfterStart = c.stopsAgain;
    service.startError = c.startError;
    const uint64_t start = Now();
    BOOL result = FALSE;
    {
      CWIAControl wia(process.host());
      result = wia.Start();
    }
    const uint64_t took = Now() - start;
    EXPECT_EQ(result != FALSE, c.started) << c.what;
    EXPECT_EQ(service.state, c.finalState) << c.what;
    EXPECT_GE(took, c.minMs) << c.what;
    EXPECT_LE(took, c.maxMs) << c.what;
    EXPECT_EQ(service.startType, static_cast<DWORD>(SERVICE_AUTO_START)) << c.what;
    EXPECT_EQ(service.startRequests, 1) << c.what;
    EXPECT_EQ(process.services().OpenHandles(), 0u) << c.what;
  }
}

TEST_F(WiaControlTest, IsRunningUsesTheHandlesIsDisabledOpenedAndClosesThem) {
  Stisvc().startType = SERVICE_DISABLED;
  CWIAControl wia(tool.host());
  EXPECT_TRUE(wia.IsDisabled());
  EXPECT_EQ(tool.services().ManagerOpens(), 1);
  EXPECT_EQ(tool.services().ServiceOpens(), 1);
  EXPECT_EQ(tool.services().LastManagerAccess(), 0xF003Fu);
  EXPECT_EQ(tool.services().LastServiceAccess(), 0xF003Fu);
  EXPECT_EQ(tool.services().LastServiceName(), L"stisvc");
  EXPECT_EQ(tool.services().OpenHandles(), 2u) << "IsDisabled keeps its handles";

  EXPECT_TRUE(wia.IsRunning());
  EXPECT_EQ(tool.services().ManagerOpens(), 1) << "no second open";
  EXPECT_EQ(tool.services().ServiceOpens(), 1) << "no second open";
  EXPECT_EQ(tool.services().OpenHandles(), 0u) << "IsRunning closes both";

  EXPECT_TRUE(wia.IsDisabled());
  EXPECT_EQ(tool.services().ManagerOpens(), 2) << "opened again";
  EXPECT_EQ(tool.services().ServiceOpens(), 2);
  EXPECT_EQ(tool.services().LiveAllocations(), 0u);
}

TEST_F(WiaControlTest, IsRunningAloneOpensWithTheRightsOfARunningTest) {
  struct Case {
    DWORD state;
    bool running;
  };
  const Case cases[] = {{SERVICE_RUNNING, true}, {SERVICE_STOPPED, false}, {SERVICE_STOP_PENDING, false}};
  for (const auto& c : cases) {
    Stisvc().state = c.state;
    Stisvc().transitionAt = simhost::kForever;
    CWIAControl wia(tool.host());
    EXPECT_EQ(wia.IsRunning() != FALSE, c.running) << "state " << c.state;
    EXPECT_EQ(tool.services().LastManagerAccess(), static_cast<DWORD>(GENERIC_EXECUTE));
    EXPECT_EQ(tool.services().LastServiceAccess(), 0x36u);
    EXPECT_EQ(tool.services().LastServiceName(), L"STISVC");
    EXPECT_EQ(tool.services().OpenHandles(), 0u) << "state " << c.state;
  }
}

TEST_F(WiaControlTest, DeadlinesHoldAcrossTheTickCountWrap) {
  struct Case {
    const char* what;
    std::optional<DWORD> stopTakesMs;
    bool stopped;
    uint64_t minMs, maxMs;
  };
  const Case cases[] = {
      {"stops in 2 s", 2000, true, 2000, 2100},
      {"never stops", std::nullopt, false, 60000, 61100},
  };
  for (const auto& c : cases) {
    // The tick count wraps half a second into the stop.
    world.SetTickBase(static_cast<DWORD>(0u - 500u - static_cast<DWORD>(Now())));
    simhost::Process process(world);
    simhost::SimService& service = process.services().Service(L"stisvc");
    service.stopTakesMs = c.stopTakesMs;
    const uint64_t start = Now();
    CWIAControl wia(process.host());
    EXPECT_EQ(wia.Stop() != FALSE, c.stopped) << c.what;
    const uint64_t took = Now() - start;
    EXPECT_GE(took, c.minMs) << c.what;
    EXPECT_LE(took, c.maxMs) << c.what;
    EXPECT_LT(world.TickCount(), 0x80000000u) << c.what << ": the tick count did wrap";
  }
  simhost::SimService& service = Stisvc();
  service.state = SERVICE_STOPPED;
  service.startTakesMs = std::nullopt;
  world.SetTickBase(static_cast<DWORD>(0u - 500u - static_cast<DWORD>(Now())));
  const uint64_t start = Now();
  CWIAControl wia(tool.host());
  EXPECT_FALSE(wia.Start());
  EXPECT_GE(Now() - start, 60000u);
  EXPECT_LE(Now() - start, 60020u);
}

TEST_F(WiaControlTest, ConfigurationFailuresWriteTheirConsoleLines) {
  {
    Stisvc().queryConfigError = ERROR_ACCESS_DENIED;
    CWIAControl wia(tool.host());
    EXPECT_FALSE(wia.IsDisabled());
    EXPECT_FALSE(wia.SetStartType(SERVICE_AUTO_START));
    EXPECT_EQ(tool.console().Output(), L"QueryServiceConfig failed (5)QueryServiceConfig failed (5)");
  }
  Stisvc().queryConfigError = 0;
  tool.services().FailAllocations(true);
  {
    CWIAControl wia(tool.host());
    EXPECT_FALSE(wia.IsDisabled());
    EXPECT_FALSE(wia.Stop()) << "the start type cannot be read, so it cannot be disabled";
  }
  EXPECT_EQ(tool.console().Output(),
            L"QueryServiceConfig failed (5)QueryServiceConfig failed (5)"
            L"Memory allocation failed\nMemory allocation failed\n");
  ExpectNothingLeft("failures");
}

TEST_F(WiaControlTest, AServiceManagerThatCannotBeOpenedIsTriedAgainNextTime) {
  tool.services().FailOpenManager(ERROR_ACCESS_DENIED);
  CWIAControl wia(tool.host());
  SERVICE_STATUS status{};
  EXPECT_FALSE(wia.QueryStatus(&status));
  EXPECT_FALSE(wia.QueryStatus(nullptr));
  EXPECT_FALSE(wia.IsRunning());
  EXPECT_EQ(tool.services().ManagerOpens(), 2);
  tool.services().FailOpenManager(0);
  EXPECT_TRUE(wia.QueryStatus(&status));
  EXPECT_EQ(status.dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
  tool.services().RemoveService(L"stisvc");
  CWIAControl missing(tool.host());
  EXPECT_FALSE(missing.QueryStatus(&status));
  EXPECT_EQ(tool.services().OpenHandles(), 2u) << "only the first object's handles stay open";
}

}  // namespace
