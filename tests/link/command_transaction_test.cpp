// The command transaction and the probe over the usbscan pipe, against the emulated scanner.
#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <vector>

#include "emulator/placeholder_image.h"
#include "link/command_transaction.h"
#include "link/protocol.h"
#include "link_fixture.h"

namespace {

using simhost::UsbCall;
using simhost::UsbFault;

struct Request {
  UsbCall call;
  DWORD bytes;
  bool operator==(const Request&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Request& r) {
  return out << (r.call == UsbCall::Write ? "write " : r.call == UsbCall::Read ? "read " : "other ") << r.bytes;
}

class TransactionTest : public LinkTest {
 protected:
  // Runs a transaction on "USB"; the reply buffer starts filled with 0xCC.
  bool Run(const proto::CommandBlock& command, const uint8_t* dataOut = nullptr, uint8_t* dataIn = nullptr) {
    return RunBytes(proto::Encode(command), dataOut, dataIn);
  }
  bool RunBytes(const proto::CommandBytes& block, const uint8_t* dataOut = nullptr, uint8_t* dataIn = nullptr) {
    reply.fill(0xCC);
    return RunCommandTransaction(host(), L"USB", block.data(), dataOut, dataIn, reply.data(), 32);
  }
  // The reads and writes of the scanner at an index, in order.
  std::vector<Request> Requests(int index = 0) {
    std::vector<Request> requests;
    for (const auto& r : usb().Log()) {
      if (r.index == index && (r.call == UsbCall::Write || r.call == UsbCall::Read)) requests.push_back({r.call, r.bytes});
    }
    return requests;
  }
  proto::StatusReply Reply() const { return proto::DecodeReply(reply.data()); }
  static std::array<uint8_t, 32> Untouched() {
    std::array<uint8_t, 32> bytes;
    bytes.fill(0xCC);
    return bytes;
  }

  std::array<uint8_t, 32> reply{};
};

TEST_F(TransactionTest, EachCommandOfTheToolOverUsb) {
  usb().AttachScanner(0);
  uint8_t data[72] = {};

  ASSERT_TRUE(Run(proto::IdentificationRead(), nullptr, data));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), 14), "KT-A4-00012345");
  EXPECT_EQ(Reply().errorCode, 0u);
  EXPECT_EQ(Reply().ubootVersion, 8);

  ASSERT_TRUE(Run(proto::DeviceInfoRead(), nullptr, data));
  EXPECT_EQ(proto::ReadLe32(data + 24), 60u) << "main-board version 0.60";
  EXPECT_EQ(proto::ReadLe32(data + 28), 0x00010005u) << "panel version 1.05";

  ASSERT_TRUE(Run(proto::DeviceStatus()));
  EXPECT_EQ(Reply().fwInfo, proto::kReady);
  ASSERT_TRUE(Run(proto::BurnStatus()));
  EXPECT_EQ(Reply().errorCode, 0u);

  EXPECT_EQ(Requests(), (std::vector<Request>{{UsbCall::Write, 16}, {UsbCall::Read, 32}, {UsbCall::Read, 14},
                                              {UsbCall::Write, 16}, {UsbCall::Read, 32}, {UsbCall::Read, 72},
                                              {UsbCall::Write, 16}, {UsbCall::Read, 32},
                                              {UsbCall::Write, 16}, {UsbCall::Read, 32}}));
  EXPECT_EQ(usb().Count(UsbCall::Open), 4u) << "each transaction opens the device afresh";
  EXPECT_EQ(Console(), L"");
  ExpectNothingLeft();
}

TEST_F(TransactionTest, TheFirmwareImageGoesInOneWriteAndArrivesByteForByte) {
  emu::TessalineDevice& scanner = usb().AttachScanner(0);
  const std::vector<uint8_t> image = emu::PlaceholderImage(505, 13633428);
  ASSERT_EQ(image.size(), 13633428u);
  ASSERT_TRUE(Run(proto::FirmwareWrite(0x1005, static_cast<uint32_t>(image.size())), image.data()));
  EXPECT_EQ(Reply().errorCode, 0u);
  EXPECT_EQ(Requests(), (std::vector<Request>{{UsbCall::Write, 16}, {UsbCall::Read, 32}, {UsbCall::Write, 13633428}}));
  EXPECT_TRUE(scanner.LastImage().complete);
  EXPECT_EQ(scanner.LastImage().received, image.size());
  EXPECT_EQ(scanner.MatchingPlaceholder(), std::optional<int>(505));
  ExpectNothingLeft();
}

TEST_F(TransactionTest, PhasesByOpcode) {
  const auto block = [](uint8_t opcode, uint8_t subCode, uint32_t length) {
    proto::CommandBlock command;
    command.opcode = opcode;
    command.subCode = subCode;
    command.dataLength = length;
    return command;
  };
  const struct {
    const char* name;
    proto::CommandBlock command;
    std::vector<Request> requests;
  } cases[] = {
      {"0x12 with a length: no data phase", block(0x12, 0x02, 500), {{UsbCall::Write, 16}, {UsbCall::Read, 32}}},
      {"0x28 with length 0: no read for data", block(0x28, 0x10, 0), {{UsbCall::Write, 16}, {UsbCall::Read, 32}}},
      {"0x2B: data out before the reply", block(0x2B, 0x08, 300),
       {{UsbCall::Write, 16}, {UsbCall::Write, 300}, {UsbCall::Read, 32}}},
      {"0x2A: reply, then data out", block(0x2A, 0x77, 300),
       {{UsbCall::Write, 16}, {UsbCall::Read, 32}, {UsbCall::Write, 300}}},
      {"0x28: reply, then data in", block(0x28, 0x77, 300),
       {{UsbCall::Write, 16}, {UsbCall::Read, 32}, {UsbCall::Read, 300}}},
      {"any other opcode: the reply alone", block(0x55, 0x01, 300), {{UsbCall::Write, 16}, {UsbCall::Read, 32}}},
  };
  std::vector<uint8_t> data(300, 0x11);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    usb().AttachScanner(0);
    usb().ClearLog();
    EXPECT_TRUE(Run(c.command, data.data(), data.data()));
    EXPECT_EQ(Requests(), c.requests);
    EXPECT_EQ(Console(), L"");
    ExpectNothingLeft();
  }
}

TEST_F(TransactionTest, OneUsbErrorLinePerFailingPhase) {
  const UsbFault fails{.callError = ERROR_GEN_FAILURE};
  const std::wstring writeFails = L"WriteFile failed with error (31)\nWrite to USB error!!\n\n";
  const std::wstring readFails = L"ReadFile failed with error (31)\nRead from USB error!!\n\n";
  const std::wstring gen = L"A device attached to the system is not functioning.\r\n-0x1f";
  proto::CommandBlock dataOutFirst;
  dataOutFirst.opcode = 0x2B;
  dataOutFirst.dataLength = 64;
  const struct {
    const char* name;
    proto::CommandBlock command;
    uint32_t failingRequest;  // 0: the open fails
    std::wstring console;
    size_t requests;          // reads and writes issued
  } cases[] = {
      {"open", proto::DeviceStatus(), 0, L"\t[USB Error] 1-1-0-Device No Found!!\n", 0},
      {"block", proto::DeviceStatus(), 1, writeFails + L"\t[USB Error] 2-4-1-" + gen + L"\n", 1},
      {"0x2B data out", dataOutFirst, 2, writeFails + L"\t[USB Error] 3-4-1-" + gen + L"\n", 2},
      {"reply", proto::DeviceStatus(), 2, readFails + L"\t[USB Error] 4-5-1-" + gen + L"\n", 2},
      {"data in", proto::IdentificationRead(), 3, readFails + L"\t[USB Error] 5-5-1-" + gen + L"\n", 3},
      {"0x2A data out", proto::FirmwareWrite(0x1005, 13633428), 3,
       writeFails + L"\t[USB Error] 6-4-1-" + gen + L"\n", 3},
  };
  std::vector<uint8_t> data(13633428);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    simhost::World machine;
    machine.scheduler().AdoptCurrentThread();
    simhost::Process process(machine);
    if (c.failingRequest != 0) {
      machine.usb().AttachScanner(0);
      UsbFault fault = fails;
      fault.request = c.failingRequest;
      machine.usb().AddFault(0, fault);
    }
    const proto::CommandBytes block = proto::Encode(c.command);
    reply.fill(0xCC);
    EXPECT_FALSE(RunCommandTransaction(process.host(), L"USB", block.data(), data.data(), data.data(), reply.data(), 32));
    EXPECT_EQ(process.console().Output(), c.console);
    EXPECT_EQ(machine.usb().Count(UsbCall::Write) + machine.usb().Count(UsbCall::Read), c.requests);
    EXPECT_EQ(machine.usb().OpenHandles(), 0u);
    EXPECT_EQ(process.OpenHandles(), 0u);
    if (c.failingRequest <= 2) {
      EXPECT_EQ(reply, Untouched()) << "the reply did not arrive";
    }
  }
}

TEST_F(TransactionTest, AFailedBlockLeavesTheReplyBufferUntouched) {
  usb().AttachScanner(0);
  usb().AddFault(0, UsbFault{.request = 1, .shortBytes = 8});
  EXPECT_FALSE(Run(proto::DeviceStatus()));
  EXPECT_EQ(reply, Untouched());
  EXPECT_EQ(Console(), L"Request and return USB data size not matched!!\n\n\t[USB Error] 2-8-0-Data size not match!!!\n");
  ExpectNothingLeft();
}

TEST_F(TransactionTest, AReplyThatNeverComesHoldsTheCallUntilTheDriversTimeOut) {
  // The device is opened without FILE_FLAG_OVERLAPPED, so the read never reports ERROR_IO_PENDING: it returns
  // when usbscan's own time-out fails it, 120 s unless a program sets another.
  const struct {
    const char* name;
    std::optional<uint64_t> driverTimeoutMs;
    uint64_t heldMs;
  } cases[] = {{"the driver's default", std::nullopt, 120000}, {"a driver set to 5 s", 5000, 5000}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    emu::Scenario scenario;
    scenario.faults.stageFaults.push_back({.transaction = 1, .stage = emu::Stage::Reply, .kind = emu::FaultKind::NoReply});
    usb().AttachScanner(0, scenario);
    usb().SetDriverTimeoutMs(c.driverTimeoutMs.value_or(simhost::kUsbscanDefaultTimeoutMs));
    const size_t printed = Console().size();
    const DWORD start = Now();
    EXPECT_FALSE(Run(proto::DeviceStatus()));
    EXPECT_GE(Now() - start, c.heldMs);
    EXPECT_LT(Now() - start, c.heldMs + 100);
    EXPECT_EQ(Console().substr(printed), L"ReadFile failed with error (121)\nRead from USB error!!\n\n"
                         L"\t[USB Error] 4-5-1-The semaphore timeout period has expired.\r\n-0x79\n");
    EXPECT_EQ(usb().Count(UsbCall::Cancel), 0u) << "nothing is left in flight to cancel";
    ExpectNothingLeft();
    // The next transaction opens afresh and is answered.
    EXPECT_TRUE(Run(proto::DeviceStatus()));
  }
}

TEST_F(TransactionTest, TheProbeOpensAndClosesAndHandsBackTheReleaseNumber) {
  const struct {
    WORD bcd;
    DWORD expected;
  } cases[] = {{0x0100, 0x100}, {0x0001, 1}, {0xFFFF, 65535}};
  for (const auto& c : cases) {
    emu::Scenario scenario;
    scenario.bcdDevice = c.bcd;
    usb().AttachScanner(0, scenario);
    DWORD release = 0xDEADBEEF;
    EXPECT_TRUE(ProbeDevice(host(), L"USB", &release));
    EXPECT_EQ(release, c.expected);
  }
  usb().ClearLog();
  EXPECT_TRUE(ProbeDevice(host(), L"USB", nullptr)) << "a null pointer still opens and closes";
  EXPECT_EQ(usb().Count(UsbCall::Open), 1u);
  EXPECT_EQ(usb().Count(UsbCall::Descriptor), 1u);
  EXPECT_EQ(usb().Count(UsbCall::Write) + usb().Count(UsbCall::Read), 0u);
  EXPECT_EQ(Console(), L"");
  ExpectNothingLeft();
}

TEST_F(TransactionTest, TheProbeWithoutAScanner) {
  DWORD release = 77;
  EXPECT_FALSE(ProbeDevice(host(), L"USB", &release));
  EXPECT_EQ(release, 77u) << "untouched when the open fails";
  EXPECT_FALSE(ProbeDevice(host(), L"USB", nullptr));
  EXPECT_EQ(usb().Count(UsbCall::Open), 512u);
  EXPECT_EQ(Console(), L"\t[USB Error] 1-1-0-Device No Found!!\n\t[USB Error] 1-1-0-Device No Found!!\n");
  ExpectNothingLeft();
}

TEST_F(TransactionTest, ChannelNames) {
  usb().AttachScanner(0);
  const struct {
    std::wstring name;
    bool usb;        // the pipe was tried
    bool startsWsa;  // the socket link was tried
  } cases[] = {
      {L"USB", true, false},
      {L"usb", false, true},
      {L"Usb", false, true},
      {L"USB ", false, true},
      {L"", false, true},
      {L"1234567890123456789", false, true},   // 19 characters: fits
      {L"12345678901234567890", false, false},  // 20: refused
      {L"192.0.2.20.........................", false, false},
  };
  const proto::CommandBytes block = proto::Encode(proto::DeviceStatus());
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.name));
    usb().ClearLog();
    const int startups = tool.sockets().Startups();
    const bool ok = RunCommandTransaction(host(), c.name, block.data(), nullptr, nullptr, reply.data(), 32);
    EXPECT_EQ(ok, c.usb);
    EXPECT_EQ(usb().Count(UsbCall::Open) > 0, c.usb);
    EXPECT_EQ(tool.sockets().Startups() - startups, c.startsWsa ? 1 : 0);
    EXPECT_EQ(tool.sockets().Startups(), tool.sockets().Cleanups());
    EXPECT_EQ(tool.sockets().OpenSockets(), 0u);
  }
  EXPECT_EQ(tool.sockets().Connects().size(), 0u) << "no name above is an address with three dots";
  ExpectNothingLeft();
}

TEST_F(TransactionTest, ASocketFailurePrintsTheEmptyErrorText) {
  const proto::CommandBytes block = proto::Encode(proto::DeviceStatus());
  EXPECT_FALSE(RunCommandTransaction(host(), L"usb", block.data(), nullptr, nullptr, reply.data(), 32));
  EXPECT_FALSE(RunCommandTransaction(host(), L"12345678901234567890", block.data(), nullptr, nullptr, reply.data(), 32));
  EXPECT_FALSE(ProbeDevice(host(), L"12345678901234567890", nullptr));
  EXPECT_EQ(Console(), L"\t[USB Error] 1-\n\t[USB Error] 1-\n\t[USB Error] 1-\n");
}

}  // namespace
