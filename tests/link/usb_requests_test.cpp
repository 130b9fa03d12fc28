// The pipe's write and read requests in every way the platform can answer them: completed at once, pending
// and then signalled, pending past the 1000 ms wait, an abandoned or failed wait, a failed completion, a
// short count, and a call that fails. Each runs on another vendor's device, which moves every byte it is
// asked for unless a fault says otherwise.
#include <gtest/gtest.h>

#include <vector>

#include "link/device_channel.h"
#include "link_fixture.h"

namespace {

using simhost::UsbCall;
using simhost::UsbFault;

enum class Kind { CommandBlock, DataOut, DataIn };
const char* Name(Kind kind) {
  return kind == Kind::CommandBlock ? "command block" : kind == Kind::DataOut ? "data out" : "data in";
}

struct Case {
  const char* name;
  UsbFault fault;
  bool ok;
  std::wstring error;    // m_strError afterwards
  std::wstring console;  // everything printed
  DWORD elapsedMs;       // virtual time the request took
  size_t cancels;        // requests cancelled (each one awaited)
};

UsbFault Fault(std::function<void(UsbFault&)> set) {
  UsbFault fault;
  set(fault);
  return fault;
}

const std::wstring kPending = L"ERROR_IO_PENDING\n";
const std::wstring kTimeOut = L"6-2-USB time out error!!!";

// Outcomes that are the same for writes and reads.
std::vector<Case> CommonCases() {
  return {
      {"completed at once", UsbFault{.request = 2}, true, L"0", L"", 0, 0},
      {"pending, then signalled", Fault([](UsbFault& f) { f.pendingMs = 300; }), true, L"0", kPending, 300, 0},
      {"pending, signalled at 999 ms", Fault([](UsbFault& f) { f.pendingMs = 999; }), true, L"0", kPending, 999, 0},
      {"pending past the wait", Fault([](UsbFault& f) { f.pendingMs = 1500; }), false, kTimeOut,
       kPending + L"USB timeout error!!\n\n", 1005, 1},
      {"pending for ever", Fault([](UsbFault& f) { f.pendingMs = simhost::kNeverEnds; }), false, kTimeOut,
       kPending + L"USB timeout error!!\n\n", 1005, 1},
      {"abandoned wait", Fault([](UsbFault& f) { f.waitResult = WAIT_ABANDONED; }), false,
       L"6-3-USB abandoned error!!!", kPending + L"USB Abandoned Fail!!\n", 5, 1},
      {"failed wait", Fault([](UsbFault& f) { f.waitResult = WAIT_FAILED; f.waitError = ERROR_INVALID_HANDLE; }),
       false, L"6-1-The handle is invalid.\r\n-0x6", kPending + L"WaitSingleObject failed with error (6)\n", 5, 1},
      {"failed wait, a code without a system text",
       Fault([](UsbFault& f) { f.waitResult = WAIT_FAILED; f.waitError = 0x2A3F; }), false, L"6-1--0x2a3f",
       kPending + L"WaitSingleObject failed with error (10815)\n", 5, 1},
      {"failed completion", Fault([](UsbFault& f) { f.pendingMs = 20; f.completionError = ERROR_GEN_FAILURE; }),
       false, L"7-1-A device attached to the system is not functioning.\r\n-0x1f",
       kPending + L"GetOverlapped failed with error (31)\nGet USB overlapped result error!!\n\n", 20, 0},
  };
}

std::vector<Case> WriteCases() {
  std::vector<Case> cases = CommonCases();
  cases.push_back({"short count", Fault([](UsbFault& f) { f.shortBytes = 10; }), false,
                   L"8-0-Data size not match!!!", L"Request and return USB data size not matched!!\n\n", 0, 0});
  cases.push_back({"pending, then short", Fault([](UsbFault& f) { f.pendingMs = 50; f.shortBytes = 0; }), false,
                   L"8-0-Data size not match!!!", kPending + L"Request and return USB data size not matched!!\n\n", 50,
                   0});
  cases.push_back({"WriteFile fails", Fault([](UsbFault& f) { f.callError = ERROR_GEN_FAILURE; }), false,
                   L"4-1-A device attached to the system is not functioning.\r\n-0x1f",
                   L"WriteFile failed with error (31)\nWrite to USB error!!\n\n", 0, 0});
  cases.push_back({"WriteFile fails: not connected", Fault([](UsbFault& f) { f.callError = 1167; }), false,
                   L"4-1-The device is not connected.\r\n-0x48f",
                   L"WriteFile failed with error (1167)\nWrite to USB error!!\n\n", 0, 0});
  return cases;
}

std::vector<Case> ReadCases() {
  std::vector<Case> cases = CommonCases();
  // A short read is no failure: the chain asks for the rest.
  cases.push_back({"short count", Fault([](UsbFault& f) { f.shortBytes = 10; }), true, L"0", L"", 0, 0});
  cases.push_back({"ReadFile fails", Fault([](UsbFault& f) { f.callError = ERROR_GEN_FAILURE; }), false,
                   L"5-1-A device attached to the system is not functioning.\r\n-0x1f",
                   L"ReadFile failed with error (31)\nRead from USB error!!\n\n", 0, 0});
  return cases;
}

using UsbRequestTest = LinkTest;

TEST_F(UsbRequestTest, EveryOutcomeOfEveryRequest) {
  for (const Kind kind : {Kind::CommandBlock, Kind::DataOut, Kind::DataIn}) {
    for (const Case& c : kind == Kind::DataIn ? ReadCases() : WriteCases()) {
      SCOPED_TRACE(std::string(Name(kind)) + ": " + c.name);
      simhost::World machine;
      machine.scheduler().AdoptCurrentThread();
      simhost::Process process(machine);
      CDeviceChannel channel(process.host());
      simhost::UsbBus& bus = machine.usb();
      bus.AttachOther(3, 0x04B8, 0x0001);
      bus.AddFault(3, c.fault);
      const HANDLE device = process.host().files.CreateFileW(L"\\\\.\\usbscan3", GENERIC_READ | GENERIC_WRITE,
                                                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                              OPEN_EXISTING, FILE_ATTRIBUTE_SYSTEM, nullptr);
      ASSERT_NE(device, INVALID_HANDLE_VALUE);
      std::vector<uint8_t> buffer(kind == Kind::CommandBlock ? 16 : 100, 0x5A);
      const DWORD start = process.host().time.GetTickCount();
      bool ok = false;
      switch (kind) {
        case Kind::CommandBlock: ok = channel.WriteCommandBlock(device, buffer.data()); break;
        case Kind::DataOut: ok = channel.WriteData(device, buffer.data(), 100); break;
        case Kind::DataIn: ok = channel.ReadData(device, buffer.data(), 100); break;
      }
      const DWORD elapsed = process.host().time.GetTickCount() - start;
      EXPECT_EQ(ok, c.ok);
      EXPECT_EQ(channel.m_strError, c.error);
      EXPECT_EQ(process.console().Output(), c.console);
      EXPECT_EQ(elapsed, c.elapsedMs);
      EXPECT_EQ(bus.Count(UsbCall::Cancel), c.cancels);
      // Whatever happened, the request has ended and its event is closed: only the device handle is left.
      EXPECT_EQ(bus.RequestsInFlight(), 0u);
      EXPECT_EQ(bus.Violations(), std::vector<std::string>{});
      EXPECT_EQ(process.OpenHandles(), 1u);
      if (kind == Kind::DataIn && c.ok) {
        for (size_t i = 0; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], static_cast<uint8_t>(i)) << "byte " << i;
      }
      process.host().kernel.CloseHandle(device);
      EXPECT_EQ(bus.OpenHandles(), 0u);
    }
  }
}

TEST_F(UsbRequestTest, AnEmptyHandleFailsBeforeAnyRequest) {
  uint8_t block[16] = {};
  for (const HANDLE empty : {static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE}) {
    CDeviceChannel channel(host());
    EXPECT_FALSE(channel.WriteCommandBlock(empty, block));
    EXPECT_EQ(channel.m_strError, L"2-0-Handle is empty Fail!!");
    EXPECT_FALSE(channel.WriteData(empty, block, 16));
    EXPECT_FALSE(channel.ReadData(empty, block, 16));
    EXPECT_FALSE(channel.ReadData(empty, block, 0)) << "the handle is checked before a read of nothing";
    EXPECT_EQ(channel.m_strError, L"2-0-Handle is empty Fail!!");
  }
  EXPECT_EQ(Console(), std::wstring(L"Handle is empty Fail!!").append(L"Handle is empty Fail!!").append(
                           L"Handle is empty Fail!!Handle is empty Fail!!Handle is empty Fail!!Handle is empty Fail!!"
                           L"Handle is empty Fail!!Handle is empty Fail!!"));
  EXPECT_EQ(usb().Log().size(), 0u);
}

TEST_F(UsbRequestTest, AnEventThatCannotBeMadeFailsTheRequest) {
  usb().AttachOther(0, 0x04B8, 0x0001);
  const HANDLE device = OpenIndex(0);
  uint8_t block[16] = {};
  const struct {
    std::function<bool(CDeviceChannel&)> request;
  } requests[] = {
      {[&](CDeviceChannel& c) { return c.WriteCommandBlock(device, block); }},
      {[&](CDeviceChannel& c) { return c.WriteData(device, block, 16); }},
      {[&](CDeviceChannel& c) { return c.ReadData(device, block, 16); }},
  };
  for (const auto& r : requests) {
    CDeviceChannel channel(host());
    tool.FailEventCreations(1);
    EXPECT_FALSE(r.request(channel));
    EXPECT_EQ(channel.m_strError, L"3-1-Not enough memory resources are available to process this command.\r\n-0x8");
  }
  EXPECT_EQ(Console(), L"CreateEvent failed with error (8)\nCreateEvent failed with error (8)\n"
                       L"CreateEvent failed with error (8)\n");
  EXPECT_EQ(usb().Count(UsbCall::Write) + usb().Count(UsbCall::Read), 0u);
  host().kernel.CloseHandle(device);
  ExpectNothingLeft();
}

}  // namespace
