// A simulated machine for the device link's tests: one process of the tool on the test's thread, the world's
// usbscan devices, and helpers to read what the link printed and left behind.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "simhost/process.h"
#include "simhost/usbscan.h"

class LinkTest : public testing::Test {
 protected:
  LinkTest() { world.scheduler().AdoptCurrentThread(); }

  plat::Host& host() { return tool.host(); }
  simhost::UsbBus& usb() { return world.usb(); }
  const std::wstring& Console() { return tool.console().Output(); }
  DWORD Now() { return tool.host().time.GetTickCount(); }

  // A handle of the device at an index, opened as the pipe opens it.
  HANDLE OpenIndex(int index) {
    const std::wstring name = L"\\\\.\\usbscan" + std::to_wstring(index);
    return host().files.CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_SYSTEM, nullptr);
  }

  // Nothing left behind: no request in flight, no broken rule of the platform, no handle of any kind.
  void ExpectNothingLeft() {
    EXPECT_EQ(usb().RequestsInFlight(), 0u);
    EXPECT_EQ(usb().Violations(), std::vector<std::string>{});
    EXPECT_EQ(usb().OpenHandles(), 0u);
    EXPECT_EQ(tool.OpenHandles(), 0u);
  }

  simhost::World world;
  simhost::Process tool{world};
};
