// Finding the scanner among the usbscan devices.
#include <gtest/gtest.h>

#include <functional>

#include "link/device_channel.h"
#include "link_fixture.h"

namespace {

using simhost::UsbCall;

class UsbOpenTest : public LinkTest {
 protected:
  std::vector<std::wstring> OpenedNames() {
    std::vector<std::wstring> names;
    for (const auto& request : usb().Log()) {
      if (request.call == UsbCall::Open) names.push_back(request.name);
    }
    return names;
  }
};

TEST_F(UsbOpenTest, NoScannerTriesAll256NamesInOrder) {
  {
    CDeviceChannel channel(host());
    channel.m_strError = L"before";
    EXPECT_FALSE(channel.OpenUsb());
    EXPECT_FALSE(channel.m_hDevice.IsValid()) << channel.m_hDevice.Get();
    EXPECT_EQ(channel.m_strError, L"1-0-Device No Found!!");
    EXPECT_EQ(channel.m_wBcdDevice, 0);
  }
  const std::vector<std::wstring> names = OpenedNames();
  ASSERT_EQ(names.size(), 256u);
  EXPECT_EQ(names.front(), L"\\\\.\\usbscan0");
  EXPECT_EQ(names[10], L"\\\\.\\usbscan10");
  EXPECT_EQ(names.back(), L"\\\\.\\usbscan255");
  EXPECT_EQ(Console(), L"");
  ExpectNothingLeft();
}

TEST_F(UsbOpenTest, OpensForSharedReadingAndWritingWithoutTheOverlappedFlag) {
  usb().AttachScanner(0);
  CDeviceChannel channel(host());
  ASSERT_TRUE(channel.OpenUsb());
  const simhost::UsbRequest& open = usb().Log().front();
  EXPECT_EQ(open.access, GENERIC_READ | GENERIC_WRITE);
  EXPECT_EQ(open.share, FILE_SHARE_READ | FILE_SHARE_WRITE);
  EXPECT_EQ(open.disposition, static_cast<DWORD>(OPEN_EXISTING));
  EXPECT_EQ(open.flags, 4u);
  EXPECT_EQ(usb().Log()[1].call, UsbCall::Descriptor);
  EXPECT_EQ(usb().Log()[1].bytes, 8u);
  channel.Close();
}

TEST_F(UsbOpenTest, WhichIndexIsUsed) {
  struct Case {
    const char* name;
    std::function<void(simhost::UsbBus&)> attach;
    bool found;
    size_t opens;         // names tried
    int usedIndex;        // -1: none
    std::wstring console;
  };
  const auto scannerAt = [](int index, WORD bcd) {
    return [index, bcd](simhost::UsbBus& bus) {
      emu::Scenario scenario;
      scenario.bcdDevice = bcd;
      bus.AttachScanner(index, scenario);
    };
  };
  const Case cases[] = {
      {"scanner at 0", scannerAt(0, 0x0100), true, 1, 0, L""},
      {"scanner at 255", scannerAt(255, 0x0100), true, 256, 255, L""},
      {"other vendors first",
       [&](simhost::UsbBus& bus) {
         bus.AttachOther(0, 0x04B8, 0x0001);  // another vendor
         bus.AttachOther(1, 0x1209, 0x0002);  // same vendor, another product
         bus.AttachOther(2, 0x1208, 0x0001);  // another vendor, same product id
         scannerAt(3, 0x0100)(bus);
       },
       true, 4, 3, L""},
      {"a descriptor that fails, then the scanner",
       [&](simhost::UsbBus& bus) {
         bus.AttachOther(0, 0x1209, 0x0001).SetDescriptorFails(true);
         emu::Scenario broken;
         broken.faults.descriptorFails = true;
         bus.AttachScanner(1, broken);
         scannerAt(2, 0x0100)(bus);
       },
       true, 3, 2, L"Get device descriptor error!!\n\nGet device descriptor error!!\n\n"},
      {"two scanners: the lower index", [&](simhost::UsbBus& bus) {
         scannerAt(9, 0x0200)(bus);
         scannerAt(4, 0x0100)(bus);
       },
       true, 5, 4, L""},
      {"only others", [&](simhost::UsbBus& bus) { bus.AttachOther(7, 0x04B8, 0x0001); }, false, 256, -1, L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    simhost::World machine;
    machine.scheduler().AdoptCurrentThread();
    simhost::Process process(machine);
    c.attach(machine.usb());
    CDeviceChannel channel(process.host());
    channel.m_strError = L"unchanged";
    EXPECT_EQ(channel.OpenUsb(), c.found);
    std::vector<int> opened;
    for (const auto& request : machine.usb().Log()) {
      if (request.call == UsbCall::Open) opened.push_back(request.index);
    }
    EXPECT_EQ(opened.size(), c.opens);
    EXPECT_EQ(process.console().Output(), c.console);
    if (c.found) {
      EXPECT_EQ(channel.m_strError, L"unchanged");  // a successful open leaves it as it was
      EXPECT_EQ(machine.usb().OpenHandles(), 1u) << "only the scanner's handle stays open";
      const std::shared_ptr<simhost::UsbDevice> used = machine.usb().Shared(c.usedIndex);
      ASSERT_NE(used, nullptr);
      EXPECT_EQ(channel.m_wBcdDevice, used->Identity().bcdDevice);
      EXPECT_TRUE(channel.m_hDevice.IsValid()) << channel.m_hDevice.Get();
    } else {
      EXPECT_FALSE(channel.m_hDevice.IsValid()) << channel.m_hDevice.Get();
      EXPECT_EQ(channel.m_strError, L"1-0-Device No Found!!");
    }
    channel.Close();
    EXPECT_FALSE(channel.m_hDevice.IsValid()) << channel.m_hDevice.Get();
    EXPECT_EQ(machine.usb().OpenHandles(), 0u);
    EXPECT_EQ(process.OpenHandles(), 0u);
  }
}

TEST_F(UsbOpenTest, APoweredOffScannerIsNotFound) {
  emu::Scenario scenario;
  scenario.faults.unplugInPhase = emu::LifePhase::Idle;
  scenario.faults.unplugAfterMs = 0;
  usb().AttachScanner(0, scenario);
  world.scheduler().Sleep(1);
  CDeviceChannel channel(host());
  EXPECT_FALSE(channel.OpenUsb());
  EXPECT_EQ(channel.m_strError, L"1-0-Device No Found!!");
  EXPECT_EQ(usb().Count(UsbCall::Descriptor), 0u);
}

}  // namespace
