// Counting the scanners among the usbscan devices, and the numbers Windows gives them as they come and go.
#include <gtest/gtest.h>

#include <functional>

#include "link/command_transaction.h"
#include "link_fixture.h"

namespace {

using simhost::UsbCall;

class ScannerCountTest : public LinkTest {};

TEST_F(ScannerCountTest, CountsEveryScannerAndSendsNothing) {
  struct Case {
    const char* what;
    std::function<void(simhost::UsbBus&)> attach;
    std::wstring channel;
    int scanners;
  };
  emu::Scenario absent;
  absent.faults.unplugInPhase = emu::LifePhase::Idle;
  emu::Scenario noDescriptor;
  noDescriptor.faults.descriptorFails = true;
  const Case cases[] = {
      {"none", [](simhost::UsbBus&) {}, L"USB", 0},
      {"one", [](simhost::UsbBus& bus) { bus.AttachScanner(0); }, L"USB", 1},
      {"two, apart", [](simhost::UsbBus& bus) { bus.AttachScanner(0), bus.AttachScanner(7); }, L"USB", 2},
      {"three", [](simhost::UsbBus& bus) { bus.AttachScanner(1), bus.AttachScanner(2), bus.AttachScanner(255); },
       L"USB", 3},
      {"one beside another vendor's",
       [](simhost::UsbBus& bus) { bus.AttachOther(0, 0x1234, 0x5678), bus.AttachScanner(1); }, L"USB", 1},
      {"another vendor's alone", [](simhost::UsbBus& bus) { bus.AttachOther(0, 0x1209, 0x0002); }, L"USB", 0},
      {"one beside one whose descriptor fails",
       [&](simhost::UsbBus& bus) { bus.AttachScanner(0, noDescriptor), bus.AttachScanner(1); }, L"USB", 1},
      {"one beside one that is gone",
       [&](simhost::UsbBus& bus) { bus.AttachScanner(0, absent), bus.AttachScanner(1); }, L"USB", 1},
      {"an address reaches one", [](simhost::UsbBus& bus) { bus.AttachScanner(0), bus.AttachScanner(1); },
       L"192.168.0.5", 1},
  };
  for (const auto& c : cases) {
    for (int index = 0; index < simhost::UsbBus::kDevices; ++index) usb().Detach(index);
    c.attach(usb());
    usb().ClearLog();
    EXPECT_EQ(CountScanners(host(), c.channel), c.scanners) << c.what;
    EXPECT_EQ(usb().Count(UsbCall::Write), 0u) << c.what;
    EXPECT_EQ(usb().Count(UsbCall::Read), 0u) << c.what;
    EXPECT_EQ(usb().Count(UsbCall::Open), c.channel == L"USB" ? 256u : 0u) << c.what << ": the count goes past the first";
    for (const auto& request : usb().Log()) {
      if (request.call == UsbCall::Open) {
        EXPECT_EQ(request.access, 0u) << c.what << ": it claims nothing";
      }
    }
    EXPECT_EQ(Console(), L"") << c.what;
    ExpectNothingLeft();
  }
}

// A scanner that leaves gives its number up; the next one to arrive takes the lowest free number.
TEST_F(ScannerCountTest, AScannerComesBackAtTheLowestFreeIndex) {
  emu::TessalineDevice& first = usb().AttachScanner(0);
  emu::TessalineDevice& second = usb().PlugInScanner();
  EXPECT_EQ(usb().IndexOf(first), 0);
  EXPECT_EQ(usb().IndexOf(second), 1);

  first.Unplug(usb().Now());
  EXPECT_EQ(usb().IndexOf(first), -1);
  EXPECT_EQ(usb().IndexOf(second), 1) << "a present device keeps its number";
  emu::TessalineDevice& third = usb().PlugInScanner();
  EXPECT_EQ(usb().IndexOf(third), 0) << "the number the first gave up";
  first.Plug(usb().Now());
  EXPECT_EQ(usb().IndexOf(first), 2);
  EXPECT_EQ(CountScanners(host(), L"USB"), 3);

  second.Unplug(usb().Now());
  first.Unplug(usb().Now());
  first.Plug(usb().Now());
  EXPECT_EQ(usb().IndexOf(first), 1);
  const HANDLE at1 = OpenIndex(1);
  EXPECT_NE(at1, INVALID_HANDLE_VALUE) << "the name opens the device that holds the number now";
  host().kernel.CloseHandle(at1);
  EXPECT_EQ(OpenIndex(2), INVALID_HANDLE_VALUE);
  ExpectNothingLeft();
}

}  // namespace
