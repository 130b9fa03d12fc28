// The chain of reads of a data-in phase, and what happens to a request that is still in flight when the pipe
// gives up on it.
#include <gtest/gtest.h>

#include <vector>

#include "link/device_channel.h"
#include "link_fixture.h"

namespace {

using simhost::UsbCall;
using simhost::UsbFault;

class UsbReadTest : public LinkTest {
 protected:
  void SetUp() override {
    usb().AttachOther(0, 0x04B8, 0x0001);
    device = OpenIndex(0);
    ASSERT_NE(device, INVALID_HANDLE_VALUE);
  }
  void TearDown() override {
    host().kernel.CloseHandle(device);
    ExpectNothingLeft();
  }
  std::vector<DWORD> ReadSizes() { return usb().Sizes(UsbCall::Read, 0); }

  HANDLE device = nullptr;
};

TEST_F(UsbReadTest, PiecesOfAtMost65536Bytes) {
  const struct {
    DWORD length;
    std::vector<DWORD> pieces;
  } cases[] = {
      {150000, {65536, 65536, 18928}},
      {65536, {65536}},
      {65537, {65536, 1}},
      {32, {32}},
      {1, {1}},
      {0, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.length);
    usb().ClearLog();
    std::vector<uint8_t> buffer(c.length + 1, 0xEE);
    CDeviceChannel channel(host());
    EXPECT_TRUE(channel.ReadData(device, buffer.data(), c.length));
    EXPECT_EQ(channel.m_strError, L"0");
    EXPECT_EQ(ReadSizes(), c.pieces);
    EXPECT_EQ(buffer[c.length], 0xEE) << "nothing is written past the length";
  }
  EXPECT_EQ(Console(), L"");
}

TEST_F(UsbReadTest, ShortPiecesAreFollowedByTheRest) {
  usb().AddFault(0, UsbFault{.request = 1, .count = 3, .shortBytes = 1000});
  std::vector<uint8_t> buffer(70000);
  CDeviceChannel channel(host());
  EXPECT_TRUE(channel.ReadData(device, buffer.data(), 70000));
  EXPECT_EQ(ReadSizes(), (std::vector<DWORD>{65536, 65536, 65536, 65536, 1464}));
  for (size_t i = 0; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], static_cast<uint8_t>(i)) << "byte " << i;
}

TEST_F(UsbReadTest, EveryPiecePendingStillArrivesInOrder) {
  usb().AddFault(0, UsbFault{.request = 1, .count = 0, .pendingMs = 40});
  std::vector<uint8_t> buffer(150000);
  CDeviceChannel channel(host());
  const DWORD start = Now();
  EXPECT_TRUE(channel.ReadData(device, buffer.data(), 150000));
  EXPECT_EQ(Now() - start, 120u);
  EXPECT_EQ(Console(), L"ERROR_IO_PENDING\nERROR_IO_PENDING\nERROR_IO_PENDING\n");
  for (size_t i = 0; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], static_cast<uint8_t>(i)) << "byte " << i;
}

TEST_F(UsbReadTest, AChainOfEmptyReadsIsBounded) {
  // Every read ends with no data, at once or after a while: the 16th in a row ends the chain.
  for (const bool pending : {false, true}) {
    SCOPED_TRACE(pending ? "pending" : "at once");
    usb().ClearLog();
    UsbFault empty{.request = usb().RequestCount(0) + 1, .count = 0, .shortBytes = 0};
    if (pending) empty.pendingMs = 10;
    usb().At(0)->faults = {empty};
    uint8_t buffer[32] = {};
    CDeviceChannel channel(host());
    EXPECT_FALSE(channel.ReadData(device, buffer, sizeof buffer));
    EXPECT_EQ(channel.m_strError, L"5-0-USB read returned no data!!!");
    EXPECT_EQ(ReadSizes(), std::vector<DWORD>(16, 32));
  }
  const std::wstring atOnce = L"ReadFile returned no data 16 times in a row\nRead from USB error!!\n\n";
  std::wstring pending;
  for (int i = 0; i < 16; ++i) pending += L"ERROR_IO_PENDING\n";
  EXPECT_EQ(Console(), atOnce + pending + atOnce);
}

TEST_F(UsbReadTest, EmptyReadsBetweenDataDoNotCount) {
  // Fifteen empty reads, one byte, fifteen empty reads, the rest: never sixteen in a row.
  usb().AddFault(0, UsbFault{.request = 1, .count = 15, .shortBytes = 0});
  usb().AddFault(0, UsbFault{.request = 16, .count = 1, .shortBytes = 1});
  usb().AddFault(0, UsbFault{.request = 17, .count = 15, .shortBytes = 0});
  uint8_t buffer[8] = {};
  CDeviceChannel channel(host());
  EXPECT_TRUE(channel.ReadData(device, buffer, sizeof buffer));
  EXPECT_EQ(ReadSizes().size(), 32u);
  EXPECT_EQ(channel.m_strError, L"0");
}

TEST_F(UsbReadTest, AGivenUpRequestIsCancelledAndAwaitedBeforeItsRecordGoesAway) {
  // The cancelled request takes 200 ms to end; the pipe returns only after that, with nothing in flight.
  usb().SetCancelMs(200);
  usb().AddFault(0, UsbFault{.request = 1, .pendingMs = simhost::kNeverEnds});
  uint8_t buffer[32] = {};
  CDeviceChannel channel(host());
  const DWORD start = Now();
  EXPECT_FALSE(channel.ReadData(device, buffer, sizeof buffer));
  EXPECT_EQ(Now() - start, 1200u);
  EXPECT_EQ(usb().Count(UsbCall::Cancel), 1u);
  const simhost::UsbRequest& read = usb().Log()[1];
  EXPECT_TRUE(read.ended);
  EXPECT_EQ(read.error, ERROR_OPERATION_ABORTED);
}

// The checks the tests above rely on can fail: what the pipe must never do, done by hand, is caught.
using PlatformRulesTest = LinkTest;

TEST_F(PlatformRulesTest, AnEventClosedBeforeItsRequestEndedIsCaught) {
  usb().AttachOther(0, 0x04B8, 0x0001);
  usb().SetCancelMs(50);
  usb().AddFault(0, UsbFault{.request = 1, .pendingMs = simhost::kNeverEnds});
  const HANDLE device = OpenIndex(0);
  uint8_t buffer[32] = {};
  OVERLAPPED record{};
  record.hEvent = host().kernel.CreateEventW(nullptr, FALSE, FALSE, nullptr);
  EXPECT_FALSE(host().files.ReadFile(device, buffer, sizeof buffer, nullptr, &record));
  EXPECT_EQ(host().kernel.GetLastError(), ERROR_IO_PENDING);
  EXPECT_TRUE(host().files.CancelIoEx(device, &record));
  host().kernel.CloseHandle(record.hEvent);
  world.scheduler().Sleep(100);
  EXPECT_EQ(usb().Violations(), std::vector<std::string>{"request 1 ended after its event was closed"});
  host().kernel.CloseHandle(device);
}

TEST_F(PlatformRulesTest, ADeviceClosedWithARequestInFlightIsCaught) {
  usb().AttachOther(0, 0x04B8, 0x0001);
  usb().AddFault(0, UsbFault{.request = 1, .pendingMs = simhost::kNeverEnds});
  const HANDLE device = OpenIndex(0);
  uint8_t buffer[32] = {};
  OVERLAPPED record{};
  record.hEvent = host().kernel.CreateEventW(nullptr, FALSE, FALSE, nullptr);
  EXPECT_FALSE(host().files.WriteFile(device, buffer, sizeof buffer, nullptr, &record));
  EXPECT_EQ(usb().RequestsInFlight(), 1u);
  host().kernel.CloseHandle(device);
  EXPECT_EQ(usb().Violations(), std::vector<std::string>{"device handle closed while request 1 was in flight"});
  EXPECT_EQ(usb().RequestsInFlight(), 0u);
  host().kernel.CloseHandle(record.hEvent);
}

}  // namespace
