// The device search: probes the scanner, makes sure the imaging service is stopped, takes the Quenby lock,
// reads the identification text and the versions, asks for the state, and writes the outcome into the window
// (row 0's status cell and check mark, the texts, the Update button). It refuses a second scanner on the bus:
// every request opens the first one, so an update could not be sure which one answers.
#include <array>

#include "app/console_log.h"
#include "app/debug_log.h"
#include "app/string_table.h"
#include "app/text_format.h"
#include "device/version.h"
#include "link/command_transaction.h"
#include "link/protocol.h"
#include "res/resource.h"
#include "res/string_ids.h"
#include "ui/fwupdate_dlg.h"

namespace {

constexpr int kRow = 0;
constexpr size_t kIdentificationChars = 10;
const wchar_t* const kModelName = L"Kavrel Tessaline";

struct Outcome {
  const wchar_t* consoleLine;
  UINT text;
  bool updatable;
};

// What a state answered by the device means for the window.
Outcome OutcomeOf(uint16_t state, bool latest) {
  switch (state) {
    case proto::kLlBoot:
      return {L"[GetDeviceStatus]: Check device status LLBOOT...\n", IDS_RECOVERY_MODE, true};
    case proto::kReady:
      return latest ? Outcome{L"[GetDeviceStatus]: Check device status READY but device version is latest!!\n",
                              IDS_FIRMWARE_LATEST, false}
                    : Outcome{L"[GetDeviceStatus]: Check device status READY...\n", IDS_READY, true};
    case proto::kBusy:
      return {L"[GetDeviceStatus]: Check device status BUSY...\n", IDS_BUSY, false};
    case proto::kFwUpdate:
      return {L"[GetDeviceStatus]: Check device status FW_UPDATE...\n", IDS_FW_UPGRADE_WAIT, false};
    default:
      return {L"[GetDeviceStatus]: Check device status incorrect (%d)...\n", IDS_STATUS_INCORRECT, false};
  }
}

// Counts a search while it runs: Update and Search Device do nothing meanwhile (an Update would clear the status
// cell the search is about to show). It ends once the outcome is shown, before Update is enabled, so an Update
// pressed the moment it is enabled is taken.
class RunningSearch {
 public:
  RunningSearch(std::atomic<LONG>& count, plat::IKernel& kernel) : count_(count), kernel_(kernel) {
    ++count_;
    kernel_.SwitchPoint();
  }
  ~RunningSearch() { End(); }
  void End() {
    if (ended_) return;
    ended_ = true;
    --count_;
    kernel_.SwitchPoint();
  }
  RunningSearch(const RunningSearch&) = delete;
  RunningSearch& operator=(const RunningSearch&) = delete;

 private:
  std::atomic<LONG>& count_;
  plat::IKernel& kernel_;
  bool ended_ = false;
};

}  // namespace

int CFWUpdateDlg::GetDeviceStatus(SearchOrigin fromStopThread, int event) {
  plat::Host& host = Host();
  RunningSearch running(m_nSearchesRunning, host.kernel);
  const std::wstring channel = L"USB";
  proto::ReplyBytes status{};
  std::wstring identification;
  bool latest = false;
  // What this search found; the window takes the texts over when they are shown.
  std::wstring deviceName;
  std::wstring interfaceText;
  // Kept for the run's observer however the search ends.
  SearchReport report;
  report.searched = true;
  struct KeepAtEnd {
    CFWUpdateDlg& dialog;
    SearchReport& report;
    ~KeepAtEnd() { dialog.KeepSearchReport(report); }
  } keep{*this, report};
  auto display = [&](int result) {
    SetStatusText(GetCellText(kRow, 1));
    ShowDeviceTexts(deviceName, interfaceText);
    return result;
  };
  auto failWith = [&](std::wstring_view consoleLine, UINT text) {
    app::ConsolePrint(host, L"%s", consoleLine);
    SetCellText(kRow, 1, app::LoadStringById(host, text));
    SetRowCheck(kRow, false);
    deviceName = text::Format(L"%s (%s)", std::wstring_view(kModelName), identification);
    report.text = text;
    report.deviceName = deviceName;
    interfaceText = L"USB";
    EnableControl(IDC_UPDATE, false);
    return display(-1);
  };

  g_debugLog.Log(L"[Event %d][GetDeviceStatus] Check Device Exist Start...", event);
  DWORD bcdDevice = 0;
  if (!ProbeDevice(host, channel, &bcdDevice)) {
    app::ConsolePrint(host, L"[GetDeviceStatus]: Device not found...\n");
    report.text = IDS_DEVICE_NOT_FOUND;
    SetCellText(kRow, 1, app::LoadStringById(host, IDS_DEVICE_NOT_FOUND));
    SetRowCheck(kRow, false);
    deviceName = app::LoadStringById(host, IDS_NO_DEVICE);
    EnableControl(IDC_UPDATE, false);
    g_debugLog.Log(L"[Event %d][GetDeviceStatus] Check Device Exist Fail...", event);
    return display(-1);
  }
  g_debugLog.Log(L"[Event %d][GetDeviceStatus] Device bcdDevice (%d)", event, bcdDevice);
  g_debugLog.Log(L"[Event %d][GetDeviceStatus] Check Device Exist Finish...", event);
  report.found = true;
  // Counted before anything is sent, so neither scanner hears from the search.
  if (const int scanners = CountScanners(host, channel); scanners > 1) {
    return failWith(text::Format(L"[GetDeviceStatus]: %d scanners are connected...\n", scanners),
                    IDS_MORE_THAN_ONE_SCANNER);
  }

  if (!CheckWIAClosed(fromStopThread, event)) return -1;

  bool transacted = false;
  if (bcdDevice == 1) {
    transacted = RunCommand(host, channel, proto::DeviceStatus(), status);
  } else {
    if (m_hQuenbyMutex.IsEmpty() && (!FindDeviceFriendlyName() || !LockScanAppMutex(ScanAppLock::kQuenby))) {
      return failWith(L"[GetDeviceStatus]: Quenby Mutex lock fail...\n", IDS_QUENBY_IN_USE);
    }
    // One byte more than the reply, zeroed, so the text always ends.
    std::array<uint8_t, proto::kIdentificationSize + 1> idBuffer{};
    const bool idRead = RunCommand(host, channel, proto::IdentificationRead(), status, idBuffer.data());
    if (idRead) identification = Utf8ToText(host, reinterpret_cast<const char*>(idBuffer.data())).substr(0, kIdentificationChars);
    std::array<uint8_t, proto::kDeviceInfoSize> info{};
    transacted = RunCommand(host, channel, proto::DeviceInfoRead(), status, info.data()) && idRead;
    const DWORD mainBoard = proto::ReadLe32(info.data() + proto::kMainBoardVersionOffset);
    const std::wstring panelText = FormatVersion(proto::ReadLe32(info.data() + proto::kPanelVersionOffset));
    app::ConsolePrint(host, L"[GetDeviceStatus]: MB Ver: (%s)/ Panel Ver:(%s)\n", FormatVersion(mainBoard), panelText);
    latest = IsLatestVersion(channel, mainBoard, panelText);
    if (transacted) {
      report.mainBoard = FormatVersion(mainBoard);
      report.panel = panelText;
    }
  }
  if (!transacted) return failWith(L"[GetDeviceStatus]: Check device status error...\n", IDS_CHECK_STATUS_ERROR);

  const uint16_t state = proto::DecodeReply(status.data()).fwInfo;
  const Outcome outcome = OutcomeOf(state, latest);
  app::ConsolePrint(host, outcome.consoleLine, static_cast<unsigned>(state));
  report.text = outcome.text;
  report.state = state;
  report.updatable = outcome.updatable;
  SetCellText(kRow, 1, app::LoadStringById(host, outcome.text));
  SetRowCheck(kRow, outcome.updatable);
  deviceName = text::Format(L"%s (%s)", std::wstring_view(kModelName), identification);
  interfaceText = L"USB";
  report.deviceName = deviceName;
  // The outcome is shown before Update is enabled: an Update pressed at once clears the status cell, and a
  // display after it would show that empty cell.
  display(state);
  running.End();
  if (m_slots[0].bBusy.load() == 0) EnableControl(IDC_UPDATE, outcome.updatable);
  return state;
}
