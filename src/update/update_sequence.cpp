// The update sequence: chooses the path by the device's USB release number, waits for the imaging service,
// takes the locks and checks the version on the standard path, asks the boot loader for its version, which
// picks the image and its code, and hands over to the burn procedure. On the standard path the version is read
// back after the burn: only a scanner that runs the carried firmware has been updated. With a second scanner on
// the bus the update refuses, or gives up, rather than take the other one's answers for this one's.
#include <array>

#include "app/console_log.h"
#include "app/string_table.h"
#include "app/text_format.h"
#include "app/time_limits.h"
#include "device/version.h"
#include "link/command_transaction.h"
#include "link/protocol.h"
#include "res/resource.h"
#include "res/string_ids.h"
#include "ui/fwupdate_dlg.h"
#include "update/burn_procedure.h"
#include "update/image_table.h"
#include "update/scanner_identity.h"

namespace {

constexpr int kUpdateEvent = 3;
const wchar_t* const kConsoleTag = L"[UpdateDevice]:";

}  // namespace

BOOL CFWUpdateDlg::UpdateDevice(const std::wstring& channel, int row) {
  return RunUpdate(channel, row) == UpdateOutcome::kUpdated ? TRUE : FALSE;
}

UpdateOutcome CFWUpdateDlg::RunUpdate(const std::wstring& channel, int row) {
  plat::Host& host = Host();
  auto fail = [&](UINT textId) {
    PostStatus(row, app::LoadStringById(host, textId));
    return UpdateOutcome::kFailed;
  };
  // Refused as the search refuses: the check mark goes, so Update stays off until a search finds one scanner.
  auto moreThanOne = [&] {
    PostStatus(row, app::LoadStringById(host, IDS_MORE_THAN_ONE_SCANNER));
    SetRowCheck(row, false);
    return UpdateOutcome::kMoreThanOneScanner;
  };
  auto alone = [&] { return OnlyOneScanner(host, channel, kConsoleTag); };
  proto::ReplyBytes status{};

  DWORD bcdDevice = 0;
  if (!ProbeDevice(host, channel, &bcdDevice)) return fail(IDS_DEVICE_NOT_FOUND);
  const bool direct = bcdDevice == 1;

  const DWORD serviceWaitStart = host.time.GetTickCount();
  while (!CheckWIAClosed(SearchOrigin::kOther, kUpdateEvent)) {
    if (TicksSince(serviceWaitStart, host.time.GetTickCount()) >= limits::kUpdateServiceWaitLimitMs) {
      return fail(IDS_CLOSE_WIA_FAILED);
    }
    host.time.Sleep(limits::kUpdateServicePollMs);
  }
  // The search may be old, and a scanner may have been plugged in since: counted again before the locks.
  if (!alone()) return moreThanOne();

  // The device information read: the main-board version, and the panel version's text.
  DWORD mainBoard = 0;
  std::wstring panelText;
  auto readVersions = [&] {
    std::array<uint8_t, proto::kDeviceInfoSize> info{};
    if (!RunCommand(host, channel, proto::DeviceInfoRead(), status, info.data())) return false;
    mainBoard = proto::ReadLe32(info.data() + proto::kMainBoardVersionOffset);
    panelText = FormatVersion(proto::ReadLe32(info.data() + proto::kPanelVersionOffset));
    return true;
  };

  if (!direct) {
    if (!LockScanApps()) return UpdateOutcome::kFailed;
    if (!alone()) return moreThanOne();
    if (!readVersions()) return fail(IDS_CHECK_STATUS_ERROR);
    app::ConsolePrint(host, L"[GetDeviceStatus]: MB Ver: (%s)/ Panel Ver:(%s)\n", FormatVersion(mainBoard), panelText);
    if (IsLatestVersion(channel, mainBoard, panelText)) return fail(IDS_FIRMWARE_LATEST);
  }

  const DWORD bootLoaderWaitStart = host.time.GetTickCount();
  proto::StatusReply reply;
  for (;;) {
    if (!alone()) return moreThanOne();
    if (!RunCommand(host, channel, proto::DeviceStatus(), status)) return fail(IDS_CHECK_STATUS_ERROR);
    reply = proto::DecodeReply(status.data());
    if (reply.fwInfo == proto::kReady || reply.fwInfo == proto::kLlBoot) break;
    PostStatus(row, app::LoadStringById(host, IDS_DEVICE_BUSY_WAIT));
    host.time.Sleep(limits::kBootLoaderPollMs);
    if (TicksSince(bootLoaderWaitStart, host.time.GetTickCount()) >= limits::kBootLoaderWaitLimitMs) {
      return fail(IDS_NOT_RESPONDING);
    }
  }
  app::ConsolePrint(host, L"UBoot Version: (%u)\n\n", static_cast<unsigned>(reply.ubootVersion));

  // What tells this scanner from one plugged in while it is off. A scanner on the direct path may not answer
  // the read; the burn then has only the count to go by.
  if (!alone()) return moreThanOne();
  const std::optional<ScannerIdentification> identification = ReadIdentification(host, channel, status);

  const FirmwareChoice choice = ChooseFirmware(reply.ubootVersion, direct);
  const int powerWaitProbes = direct ? limits::kDirectPowerWaitProbes : limits::kStandardPowerWaitProbes;
  const UpdateOutcome burnt =
      BurnProcedureRun(*this, channel, direct ? BurnProcedure::kUnmonitored : BurnProcedure::kMonitored,
                       powerWaitProbes, row)
          .Outcome(choice.imageId, choice.imageCode);
  if (burnt == UpdateOutcome::kMoreThanOneScanner) SetRowCheck(row, false);
  if (burnt != UpdateOutcome::kUpdated) return burnt;

  // A burn that did not take leaves a scanner that comes back ready all the same, on its old firmware.
  if (!direct) PostStatus(row, app::LoadStringById(host, IDS_CHECK_VERSION));
  // A scanner plugged in while this one was off answers like it; only the identification tells them apart.
  if (identification) {
    if (!alone()) return moreThanOne();
    const std::optional<ScannerIdentification> now = ReadIdentification(host, channel, status);
    if (!now) return fail(IDS_CHECK_STATUS_ERROR);
    if (*now != *identification) {
      app::ConsolePrint(host, L"%s the scanner that came back is another one...\n", std::wstring_view(kConsoleTag));
      return moreThanOne();
    }
  }
  // Scanners on the direct path may not report versions, so there is nothing to read back.
  if (direct) return UpdateOutcome::kUpdated;
  if (!alone()) return moreThanOne();
  if (!readVersions()) return fail(IDS_CHECK_STATUS_ERROR);
  const std::wstring mainBoardText = FormatVersion(mainBoard);
  app::ConsolePrint(host, L"[UpdateDevice]: MB Ver after the update: (%s)/ Panel Ver:(%s)\n", mainBoardText,
                    panelText);
  if (!IsLatestVersion(channel, mainBoard, panelText)) {
    PostStatus(row, text::Format(app::LoadStringById(host, IDS_STILL_OLD_VERSION), mainBoardText));
    return UpdateOutcome::kFailed;
  }
  return UpdateOutcome::kUpdated;
}
