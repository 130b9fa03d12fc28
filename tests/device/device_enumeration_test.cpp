#include "device/device_enumeration.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "simhost/process.h"
#include "ui/fwupdate_dlg.h"

namespace {

struct Device {
  std::vector<std::wstring> hardwareIds;
  std::optional<std::wstring> friendlyName;
  bool present = true;
  GUID classGuid = GUID_DEVCLASS_IMAGE;
};

const std::wstring kScanner = L"USB\\VID_1209&PID_0001&REV_0100";
const std::wstring kPrevious = L"previous name";

class DeviceEnumerationTest : public testing::Test {
 protected:
  void SetUp() override { world.scheduler().AdoptCurrentThread(); }

  // Devices in enumeration order; instance n gets driver key {image class}\000n.
  static void Install(simhost::Process& process, const std::vector<Device>& devices) {
    unsigned instance = 0;
    for (const auto& device : devices) {
      const std::wstring driverKey = L"{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}\\000" + std::to_wstring(instance);
      process.setup().AddDevice({device.classGuid, device.present, device.hardwareIds, driverKey});
      const std::wstring keyPath = std::wstring(L"SYSTEM\\CurrentControlSet\\Control\\Class\\") + driverKey;
      process.registry().AddKey(keyPath);
      if (device.friendlyName) process.registry().SetText(keyPath, L"FriendlyName", *device.friendlyName);
      ++instance;
    }
  }

  simhost::World world;
};

TEST_F(DeviceEnumerationTest, FindsTheFirstScannerWithAReadableName) {
  const GUID otherClass = {0x4d36e96f, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
  struct Case {
    const char* what;
    std::vector<Device> devices;
    bool found;
    std::wstring name;  // m_szFriendlyName afterwards
  };
  const std::wstring tooLong(256, L'n');  // 257 characters with its NUL
  const std::wstring longest(255, L'n');
  const Case cases[] = {
      {"the scanner", {{{kScanner, L"USB\\VID_1209&PID_0001"}, L"Kavrel Tessaline"}}, true, L"Kavrel Tessaline"},
      {"lower case with a revision", {{{L"usb\\vid_1209&pid_0001&rev_0200"}, L"Scanner A"}}, true, L"Scanner A"},
      {"an interface suffix", {{{L"USB\\VID_1209&PID_0001&MI_00"}, L"Scanner B"}}, true, L"Scanner B"},
      {"exactly the prefix", {{{L"USB\\VID_1209&PID_0001"}, L"Scanner C"}}, true, L"Scanner C"},
      {"one character short", {{{L"USB\\VID_1209&PID_000"}, L"Short"}}, false, kPrevious},
      {"another product", {{{L"USB\\VID_1209&PID_0002"}, L"Other"}}, false, kPrevious},
      {"another vendor first", {{{L"USB\\VID_04A9&PID_0001"}, L"Other"}, {{kScanner}, L"Mine"}}, true, L"Mine"},
      {"only the second entry matches", {{{L"USB\\VID_04A9&PID_0001", kScanner}, L"Other"}}, false, kPrevious},
      {"two scanners: the first wins", {{{kScanner}, L"First"}, {{kScanner}, L"Second"}}, true, L"First"},
      {"a scanner without a name is skipped", {{{kScanner}, std::nullopt}, {{kScanner}, L"Named"}}, true, L"Named"},
      {"a name that does not fit is skipped", {{{kScanner}, tooLong}, {{kScanner}, L"Fits"}}, true, L"Fits"},
      {"the longest name that fits", {{{kScanner}, longest}}, true, longest},
      {"a name too long, nothing else", {{{kScanner}, tooLong}}, false, kPrevious},
      {"a device not present", {{{kScanner}, L"Gone", false}}, false, kPrevious},
      {"another device class", {{{kScanner}, L"Wrong class", true, otherClass}}, false, kPrevious},
      {"no hardware ID", {{{}, L"Nameless"}}, false, kPrevious},
      {"no device", {}, false, kPrevious},
  };
  for (const auto& c : cases) {
    simhost::Process tool(world);
    Install(tool, c.devices);
    CFWUpdateDlg dialog(tool.host());
    kPrevious.copy(dialog.m_szFriendlyName, kPrevious.size());
    EXPECT_EQ(dialog.FindDeviceFriendlyName() != FALSE, c.found) << c.what;
    EXPECT_EQ(std::wstring(dialog.m_szFriendlyName), c.name) << c.what;
    EXPECT_EQ(tool.registry().OpenKeys(), 0u) << c.what;
    EXPECT_EQ(tool.setup().OpenDeviceSets(), 0u) << c.what << ": the device information set is released";
  }
}

TEST_F(DeviceEnumerationTest, ReadsTheDriverKeyOfTheMatchingDevice) {
  simhost::Process tool(world);
  Install(tool, {{{L"USB\\VID_04A9&PID_0001"}, L"Other"}, {{kScanner}, L"Kavrel Tessaline"}});
  CFWUpdateDlg dialog(tool.host());
  ASSERT_TRUE(dialog.FindDeviceFriendlyName());
  const std::vector<std::wstring> expected = {
      L"SYSTEM\\CurrentControlSet\\Control\\Class\\{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}\\0001"};
  EXPECT_EQ(tool.registry().OpenedKeyPaths(), expected) << testing::PrintToString(tool.registry().OpenedKeyPaths());
}

TEST_F(DeviceEnumerationTest, NoDeviceSetMeansNoName) {
  simhost::Process tool(world);
  Install(tool, {{{kScanner}, L"Kavrel Tessaline"}});
  tool.setup().FailClassDevs(ERROR_INVALID_PARAMETER);
  CFWUpdateDlg dialog(tool.host());
  EXPECT_FALSE(dialog.FindDeviceFriendlyName());
  EXPECT_EQ(dialog.m_szFriendlyName[0], L'\0');
  EXPECT_TRUE(dialog.FindDeviceFriendlyName()) << "the next walk gets the set";
  EXPECT_EQ(tool.setup().OpenDeviceSets(), 0u);
}

// A hardware-ID list longer than the part of the buffer offered to the query fails the query, and the zeroed
// buffer matches nothing.
TEST_F(DeviceEnumerationTest, AHardwareIdListLongerThanOfferedMatchesNothing) {
  simhost::Process tool(world);
  const std::wstring longId = kScanner + L"&" + std::wstring(120, L'X');
  Install(tool, {{{longId}, L"Long list"}});
  CFWUpdateDlg dialog(tool.host());
  EXPECT_FALSE(dialog.FindDeviceFriendlyName());
  EXPECT_TRUE(tool.registry().OpenedKeyPaths().empty()) << testing::PrintToString(tool.registry().OpenedKeyPaths());
}

class ReadFriendlyNameTest : public DeviceEnumerationTest {
 protected:
  static constexpr const wchar_t* kKey =
      L"SYSTEM\\CurrentControlSet\\Control\\Class\\{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}\\0000";

  static simhost::RegistryValue Units(const std::wstring& units) { return {REG_SZ, simhost::WideBytes(units)}; }
};

TEST_F(ReadFriendlyNameTest, TextsEndInsideTheBuffer) {
  struct Case {
    const char* what;
    simhost::RegistryValue value;
    bool read;
    std::wstring text;
  };
  const Case cases[] = {
      {"a text with its NUL", Units(std::wstring(L"Scanner") + L'\0'), true, L"Scanner"},
      {"a text stored without its NUL", Units(L"Scanner"), true, L"Scanner"},
      {"255 characters and the NUL", Units(std::wstring(255, L'a') + L'\0'), true, std::wstring(255, L'a')},
      {"256 characters without a NUL", Units(std::wstring(256, L'a')), false, L""},
      {"256 characters and the NUL", Units(std::wstring(256, L'a') + L'\0'), false, L""},
  };
  for (const auto& c : cases) {
    simhost::Process tool(world);
    tool.registry().SetValue(kKey, L"FriendlyName", c.value);
    WCHAR buffer[kFriendlyNameChars + 8];
    std::wmemset(buffer, L'#', kFriendlyNameChars + 8);
    EXPECT_EQ(ReadFriendlyName(tool.host(), kKey, kFriendlyNameText, buffer), c.read) << c.what;
    if (c.read) {
      EXPECT_EQ(std::wstring(buffer), c.text) << c.what;
    }
    EXPECT_EQ(buffer[kFriendlyNameChars], L'#') << c.what << ": nothing written past 256 characters";
    EXPECT_EQ(tool.registry().OpenKeys(), 0u) << c.what;
  }
}

TEST_F(ReadFriendlyNameTest, OtherKindsReadFourBytes) {
  simhost::Process tool(world);
  tool.registry().SetValue(kKey, L"FriendlyName", {REG_DWORD, {0x78, 0x56, 0x34, 0x12}});
  WCHAR buffer[kFriendlyNameChars] = {};
  ASSERT_TRUE(ReadFriendlyName(tool.host(), kKey, 0, buffer));
  DWORD value = 0;
  std::memcpy(&value, buffer, sizeof(value));
  EXPECT_EQ(value, 0x12345678u);
  tool.registry().SetText(kKey, L"FriendlyName", L"Scanner");
  EXPECT_FALSE(ReadFriendlyName(tool.host(), kKey, 4, buffer)) << "a text does not fit in four bytes";
  EXPECT_EQ(tool.registry().OpenKeys(), 0u);
}

TEST_F(ReadFriendlyNameTest, AMissingKeyOrValueIsNoName) {
  simhost::Process tool(world);
  tool.registry().AddKey(kKey);
  WCHAR buffer[kFriendlyNameChars] = {};
  EXPECT_FALSE(ReadFriendlyName(tool.host(), kKey, kFriendlyNameText, buffer)) << "no value";
  EXPECT_FALSE(ReadFriendlyName(tool.host(), std::wstring(kKey) + L"9", kFriendlyNameText, buffer)) << "no key";
  tool.registry().SetText(kKey, L"friendlyname", L"Any case");
  EXPECT_TRUE(ReadFriendlyName(tool.host(), kKey, kFriendlyNameText, buffer)) << "value names ignore case";
  EXPECT_EQ(tool.registry().OpenKeys(), 0u);
}

}  // namespace
