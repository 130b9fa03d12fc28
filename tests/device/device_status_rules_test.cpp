// The device search's rules that a plain READY scanner does not show: every way it can fail, where the state
// it judges comes from, and the versions line it writes.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "res/resource.h"
#include "res/string_ids.h"
#include "support/status_answers.h"
#include "support/window_fixture.h"

namespace {

using fwtest::Answer;

const std::wstring kQuenby = L"Global\\KAVREL_QUENBY_SUBSCRIPTION_MUTEX_Scanner A";

// A machine like the scanner fixture's, except that the scanner's device record may lack its FriendlyName.
class DeviceStatusRulesBase : public WindowTest {
 protected:
  void Prepare(bool friendlyName) {
    tool.setup().AddImageDevice({L"USB\\VID_1209&PID_0001&REV_0100"}, 0,
                                friendlyName ? std::optional<std::wstring>(L"Scanner A") : std::nullopt);
    tool.services().Service(L"stisvc").stopTakesMs = 1000;
  }
  void WaitForFirstSearch(CFWUpdateDlg& dialog) {
    if (const HANDLE stop = dialog.m_hStopThread.Load()) tool.host().kernel.WaitForSingleObject(stop, 200000);
  }
  emu::TessalineDevice& Scanner() { return world.usb().Scanner(0); }
  // What the console got since `from` characters.
  std::wstring ConsoleSince(size_t from) { return tool.console().Output().substr(from); }
};

struct FailureCase {
  const char* what;
  bool friendlyName;
  // Runs on the user's thread just before the search, after the first search of the window has ended.
  std::function<void(simhost::World&, emu::TessalineDevice&, simhost::Process& quenby)> arrange;
  UINT text;
  const wchar_t* deviceName;
  const wchar_t* interfaceText;
  const wchar_t* consoleLine;
  const wchar_t* versionsLine;  // the "MB Ver" line, or none
  size_t commandsSent;
};

void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.what; }

class DeviceStatusFailureTest : public DeviceStatusRulesBase, public testing::WithParamInterface<FailureCase> {};

// Whatever failed, the row loses its check mark and Update is disabled, also when both were set before.
TEST_P(DeviceStatusFailureTest, PostsItsTextClearsTheCheckMarkAndDisablesUpdate) {
  const FailureCase& c = GetParam();
  Prepare(c.friendlyName);
  world.usb().AttachScanner(0, {});
  simhost::Process quenby(world, {.modulePath = L"C:\\Quenby\\Quenby.exe"});  // the Quenby application
  Run([&](CFWUpdateDlg& dialog) {
    WaitForFirstSearch(dialog);
    dialog.ReleaseScanAppMutexes();  // so that this search has to take the Quenby lock itself
    c.arrange(world, Scanner(), quenby);
    dialog.SetRowCheck(0, true);
    dialog.EnableControl(IDC_UPDATE, true);
    world.usb().ClearLog();
    const size_t console = tool.console().Output().size();

    EXPECT_EQ(dialog.GetDeviceStatus(SearchOrigin::kOther, 2), -1);
    EXPECT_FALSE(tool.windows().RowChecked(0));
    EXPECT_FALSE(tool.windows().IsEnabled(IDC_UPDATE));
    EXPECT_EQ(tool.windows().CellText(0, 1), Text(c.text));
    EXPECT_EQ(tool.windows().ControlText(IDC_STATUS), Text(c.text));
    EXPECT_EQ(tool.windows().ControlText(IDC_DEVICE_NAME), c.deviceName);
    EXPECT_EQ(tool.windows().ControlText(IDC_INTERFACE), c.interfaceText);
    const std::wstring lines = ConsoleSince(console);
    EXPECT_EQ(Count(lines, c.consoleLine), 1u) << testing::PrintToString(lines);
    EXPECT_EQ(Count(lines, L"MB Ver"), c.versionsLine != nullptr ? 1u : 0u) << testing::PrintToString(lines);
    if (c.versionsLine != nullptr) {
      EXPECT_EQ(Count(lines, c.versionsLine), 1u) << testing::PrintToString(lines);
    }
    EXPECT_EQ(world.usb().Count(simhost::UsbCall::Write), c.commandsSent);
  });
}

INSTANTIATE_TEST_SUITE_P(
    EveryWay, DeviceStatusFailureTest,
    testing::Values(
        FailureCase{"no_scanner", true, [](simhost::World& w, emu::TessalineDevice&, simhost::Process&) { w.usb().Detach(0); },
                    IDS_DEVICE_NOT_FOUND, L"No Device", L"", L"[GetDeviceStatus]: Device not found...\n", nullptr, 0},
        // Without the name there is no lock to take, so nothing is asked of the scanner.
        FailureCase{"no_friendly_name", false, [](simhost::World&, emu::TessalineDevice&, simhost::Process&) {}, IDS_QUENBY_IN_USE,
                    L"Kavrel Tessaline ()", L"USB", L"[GetDeviceStatus]: Quenby Mutex lock fail...\n", nullptr, 0},
        FailureCase{"quenby_in_use", true,
                    [](simhost::World&, emu::TessalineDevice&, simhost::Process& quenby) {
                      quenby.host().kernel.CreateMutexW(nullptr, TRUE, kQuenby.c_str());
                    },
                    IDS_QUENBY_IN_USE, L"Kavrel Tessaline ()", L"USB", L"[GetDeviceStatus]: Quenby Mutex lock fail...\n",
                    nullptr, 0},
        // The information read is sent all the same, and its versions are written.
        FailureCase{"identification_read_fails", true,
                    [](simhost::World&, emu::TessalineDevice& s, simhost::Process&) {
                      s.MutableScenario().faults.stageFaults.push_back(
                          {s.TransactionCount() + 1, 1, emu::Stage::Reply, emu::FaultKind::NoReply, 0});
                    },
                    IDS_CHECK_STATUS_ERROR, L"Kavrel Tessaline ()", L"USB",
                    L"[GetDeviceStatus]: Check device status error...\n",
                    L"[GetDeviceStatus]: MB Ver: (0.60)/ Panel Ver:(1.05)\n", 2},
        // A good identification read does not make up for it; the versions are those of the zeroed reply.
        FailureCase{"information_read_fails", true,
                    [](simhost::World&, emu::TessalineDevice& s, simhost::Process&) {
                      s.MutableScenario().faults.stageFaults.push_back(
                          {s.TransactionCount() + 2, 1, emu::Stage::Reply, emu::FaultKind::NoReply, 0});
                    },
                    IDS_CHECK_STATUS_ERROR, L"Kavrel Tessaline (KT-A4-0001)", L"USB",
                    L"[GetDeviceStatus]: Check device status error...\n",
                    L"[GetDeviceStatus]: MB Ver: (0.00)/ Panel Ver:(0.00)\n", 2}),
    [](const testing::TestParamInfo<FailureCase>& param) { return std::string(param.param.what); });

class DeviceStatusRulesTest : public DeviceStatusRulesBase {
 protected:
  void SetUp() override {
    DeviceStatusRulesBase::SetUp();
    Prepare(true);
  }
};

// The identification read's status reply is overwritten by the information read's: only the latter is judged.
TEST_F(DeviceStatusRulesTest, TheStateIsTheInformationReadsReply) {
  struct Case {
    uint16_t identificationState;
    uint16_t informationState;
    UINT text;
    bool updatable;
    int result;
  };
  const Case cases[] = {
      {proto::kBusy, proto::kReady, IDS_READY, true, 0},
      {proto::kReady, proto::kBusy, IDS_BUSY, false, 4},
      {proto::kFwUpdate, proto::kLlBoot, IDS_RECOVERY_MODE, true, 6},
      {proto::kLlBoot, proto::kFwUpdate, IDS_FW_UPGRADE_WAIT, false, 7},
      {proto::kReady, 0x8001, IDS_STATUS_INCORRECT, false, 0x8001},
  };
  world.usb().AttachScanner(0, {});
  Run([&](CFWUpdateDlg& dialog) {
    WaitForFirstSearch(dialog);
    for (const auto& c : cases) {
      SCOPED_TRACE(testing::Message() << c.identificationState << " then " << c.informationState);
      Scanner().ScriptReadReplies({Answer(c.identificationState), Answer(c.informationState)});
      EXPECT_EQ(dialog.GetDeviceStatus(SearchOrigin::kOther, 2), c.result);
      EXPECT_EQ(tool.windows().ControlText(IDC_STATUS), Text(c.text));
      EXPECT_EQ(tool.windows().RowChecked(0), c.updatable);
      EXPECT_EQ(tool.windows().IsEnabled(IDC_UPDATE), c.updatable);
    }
  });
}

TEST_F(DeviceStatusRulesTest, EachSearchWritesTheVersionsItRead) {
  struct Case {
    uint32_t mainBoard;
    uint32_t panel;
    const wchar_t* line;
  };
  const Case cases[] = {
      {60, 0x0001'0005, L"[GetDeviceStatus]: MB Ver: (0.60)/ Panel Ver:(1.05)\n"},
      {0x0002'012C, 7, L"[GetDeviceStatus]: MB Ver: (2.300)/ Panel Ver:(0.07)\n"},
      {68, 0xFFFF'FFFF, L"[GetDeviceStatus]: MB Ver: (0.68)/ Panel Ver:(65535.65535)\n"},
  };
  world.usb().AttachScanner(0, {});
  Run([&](CFWUpdateDlg& dialog) {
    WaitForFirstSearch(dialog);
    for (const auto& c : cases) {
      Scanner().MutableScenario().mainBoardVersion = c.mainBoard;
      Scanner().MutableScenario().panelVersion = c.panel;
      const size_t console = tool.console().Output().size();
      dialog.GetDeviceStatus(SearchOrigin::kOther, 2);
      const std::wstring lines = ConsoleSince(console);
      EXPECT_EQ(Count(lines, L"MB Ver"), 1u) << testing::PrintToString(lines);
      EXPECT_EQ(Count(lines, c.line), 1u) << testing::PrintToString(lines);
    }
  });
}

}  // namespace
