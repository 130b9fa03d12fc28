// The update sequence: chooses the path by the device's USB release number, waits for the imaging service,
// takes the locks and checks the version on the standard path, asks the boot loader for its version, which
// picks the image and its code, and hands over to the burn procedure. On the standard path the version is read
// back after the burn: only a scanner that runs the carried firmware has been updated.
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
#include "update/image_table.h"

namespace {

constexpr int kUpdateEvent = 3;

}  // namespace

BOOL CFWUpdateDlg::UpdateDevice(const std::wstring& channel, int row) {
  plat::Host& host = Host();
  auto fail = [&](UINT textId) {
    PostStatus(row, app::LoadStringById(host, textId));
    return FALSE;
  };
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
    if (!LockScanApps()) return FALSE;
    if (!readVersions()) return fail(IDS_CHECK_STATUS_ERROR);
    app::ConsolePrint(host, L"[GetDeviceStatus]: MB Ver: (%s)/ Panel Ver:(%s)\n", FormatVersion(mainBoard), panelText);
    if (IsLatestVersion(channel, mainBoard, panelText)) return fail(IDS_FIRMWARE_LATEST);
  }

  const DWORD bootLoaderWaitStart = host.time.GetTickCount();
  proto::StatusReply reply;
  for (;;) {
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

  const FirmwareChoice choice = ChooseFirmware(reply.ubootVersion, direct);
  const int powerWaitProbes = direct ? limits::kDirectPowerWaitProbes : limits::kStandardPowerWaitProbes;
  if (!BurnFirmware(channel, choice.imageId, choice.imageCode,
                    direct ? BurnProcedure::kUnmonitored : BurnProcedure::kMonitored, powerWaitProbes, row)) {
    return FALSE;
  }
  // Scanners on the direct path may not report versions, so there is nothing to read back.
  if (direct) return TRUE;

  // A burn that did not take leaves a scanner that comes back ready all the same, on its old firmware.
  PostStatus(row, app::LoadStringById(host, IDS_CHECK_VERSION));
  if (!readVersions()) return fail(IDS_CHECK_STATUS_ERROR);
  const std::wstring mainBoardText = FormatVersion(mainBoard);
  app::ConsolePrint(host, L"[UpdateDevice]: MB Ver after the update: (%s)/ Panel Ver:(%s)\n", mainBoardText,
                    panelText);
  if (!IsLatestVersion(channel, mainBoard, panelText)) {
    PostStatus(row, text::Format(app::LoadStringById(host, IDS_STILL_OLD_VERSION), mainBoardText));
    return FALSE;
  }
  return TRUE;
}
