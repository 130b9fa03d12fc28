// The simulated usbscan device answers a request the device does not answer as Windows does: a synchronous
// handle blocks until the driver's time-out, an overlapped one reports ERROR_IO_PENDING and completes at that
// time-out; only an explicit fault makes a synchronous handle report pending.
#include <gtest/gtest.h>

#include <optional>

#include "link/protocol.h"
#include "simhost/process.h"
#include "simhost/usbscan.h"

namespace {

class UsbscanIoTest : public testing::Test {
 public:  // the held thread's body reaches the world through the test
  UsbscanIoTest() { world.scheduler().AdoptCurrentThread(); }

  HANDLE Open(DWORD flags) {
    return tool.host().files.CreateFileW(L"\\\\.\\usbscan0", GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, flags, nullptr);
  }
  DWORD LastError() { return tool.host().kernel.GetLastError(); }

  simhost::World world;
  simhost::Process tool{world};
};

TEST_F(UsbscanIoTest, ARequestTheDeviceDoesNotAnswer) {
  const struct {
    const char* name;
    DWORD flags;
    bool reportsPending;
  } cases[] = {
      {"synchronous handle (the tool's)", FILE_ATTRIBUTE_SYSTEM, false},
      {"overlapped handle", FILE_ATTRIBUTE_SYSTEM | FILE_FLAG_OVERLAPPED, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    emu::Scenario scenario;
    scenario.faults.stageFaults.push_back(
        {.transaction = 1, .stage = emu::Stage::Command, .kind = emu::FaultKind::NoReply});
    world.usb().AttachScanner(0, scenario);
    world.usb().SetDriverTimeoutMs(7000);
    const HANDLE device = Open(c.flags);
    ASSERT_NE(device, INVALID_HANDLE_VALUE);
    const HANDLE event = tool.host().kernel.CreateEventW(nullptr, FALSE, FALSE, nullptr);
    OVERLAPPED overlapped{};
    overlapped.hEvent = event;
    const proto::CommandBytes block = proto::Encode(proto::DeviceStatus());
    DWORD written = 0xdeadbeef;
    const uint64_t start = world.scheduler().Now();
    tool.host().kernel.SetLastError(0xdeadbeef);
    const BOOL done = tool.host().files.WriteFile(device, block.data(), 16, &written, &overlapped);
    EXPECT_FALSE(done);
    if (c.reportsPending) {
      EXPECT_EQ(LastError(), ERROR_IO_PENDING);
      EXPECT_EQ(world.scheduler().Now() - start, 0u) << "the call returns at once";
      DWORD moved = 0xdeadbeef;
      EXPECT_FALSE(tool.host().files.GetOverlappedResult(device, &overlapped, &moved, TRUE));
      EXPECT_EQ(LastError(), ERROR_SEM_TIMEOUT);
    } else {
      EXPECT_EQ(LastError(), ERROR_SEM_TIMEOUT) << "never ERROR_IO_PENDING on a synchronous handle";
    }
    EXPECT_EQ(world.scheduler().Now() - start, 7000u) << "ended by the driver's time-out";
    EXPECT_EQ(world.usb().RequestsInFlight(), 0u);
    tool.host().kernel.CloseHandle(event);
    tool.host().kernel.CloseHandle(device);
    EXPECT_EQ(world.usb().Violations(), std::vector<std::string>{});
  }
}

TEST_F(UsbscanIoTest, OnlyAFaultMakesASynchronousHandleReportPending) {
  world.usb().AttachScanner(0);
  world.usb().AddFault(0, simhost::UsbFault{.request = 1, .pendingMs = 300});
  const HANDLE device = Open(FILE_ATTRIBUTE_SYSTEM);
  const HANDLE event = tool.host().kernel.CreateEventW(nullptr, FALSE, FALSE, nullptr);
  OVERLAPPED overlapped{};
  overlapped.hEvent = event;
  const proto::CommandBytes block = proto::Encode(proto::DeviceStatus());
  DWORD written = 0;
  tool.host().kernel.SetLastError(0xdeadbeef);
  EXPECT_FALSE(tool.host().files.WriteFile(device, block.data(), 16, &written, &overlapped));
  EXPECT_EQ(LastError(), ERROR_IO_PENDING);
  EXPECT_EQ(tool.host().kernel.WaitForSingleObject(event, 1000), WAIT_OBJECT_0);
  DWORD moved = 0;
  EXPECT_TRUE(tool.host().files.GetOverlappedResult(device, &overlapped, &moved, TRUE));
  EXPECT_EQ(moved, 16u);
  tool.host().kernel.CloseHandle(event);
  tool.host().kernel.CloseHandle(device);
}

TEST_F(UsbscanIoTest, CancelSynchronousIoEndsTheRequestAThreadIsHeldIn) {
  emu::Scenario scenario;
  scenario.faults.stageFaults.push_back(
      {.transaction = 1, .stage = emu::Stage::Command, .kind = emu::FaultKind::NoReply});
  world.usb().AttachScanner(0, scenario);
  struct Held {
    UsbscanIoTest* test;
    BOOL done = TRUE;
    DWORD error = 0;
    uint64_t endedAt = 0;
  } held{this};
  const HANDLE thread = tool.host().kernel.CreateThread(
      nullptr, 0,
      [](LPVOID parameter) -> DWORD {
        auto& h = *static_cast<Held*>(parameter);
        plat::Host& host = h.test->tool.host();
        const HANDLE device = h.test->Open(FILE_ATTRIBUTE_SYSTEM);
        const HANDLE event = host.kernel.CreateEventW(nullptr, FALSE, FALSE, nullptr);
        OVERLAPPED overlapped{};
        overlapped.hEvent = event;
        const proto::CommandBytes block = proto::Encode(proto::DeviceStatus());
        DWORD written = 0;
        h.done = host.files.WriteFile(device, block.data(), 16, &written, &overlapped);
        h.error = host.kernel.GetLastError();
        h.endedAt = h.test->world.scheduler().Now();
        host.kernel.CloseHandle(event);
        host.kernel.CloseHandle(device);
        return 0;
      },
      &held, 0, nullptr);
  tool.host().kernel.SetLastError(0xdeadbeef);
  EXPECT_FALSE(tool.host().files.CancelSynchronousIo(thread)) << "nothing held yet";
  EXPECT_EQ(LastError(), ERROR_NOT_FOUND);
  world.scheduler().Sleep(10000);
  EXPECT_TRUE(tool.host().files.CancelSynchronousIo(thread));
  EXPECT_EQ(tool.host().kernel.WaitForSingleObject(thread, 1000), WAIT_OBJECT_0);
  EXPECT_FALSE(held.done);
  EXPECT_EQ(held.error, ERROR_OPERATION_ABORTED);
  EXPECT_LT(held.endedAt, 11000u) << "ended by the cancel, not by the driver's time-out";
  tool.host().kernel.CloseHandle(thread);
  EXPECT_EQ(world.usb().RequestsInFlight(), 0u);
  EXPECT_EQ(world.usb().Violations(), std::vector<std::string>{});
}

}  // namespace
