#include "update/burn_procedure.h"

#include "app/console_log.h"
#include "app/string_table.h"
#include "app/text_format.h"
#include "app/time_limits.h"
#include "link/command_transaction.h"
#include "res/string_ids.h"
#include "update/burn_progress.h"

namespace {

constexpr int kReadyAnswersMonitored = 5;
const wchar_t* const kConsoleTag = L"[BurnFirmware]:";

}  // namespace

BOOL CFWUpdateDlg::BurnFirmware(const std::wstring& channel, WORD imageId, WORD imageCode, BurnProcedure procedure,
                                int powerWaitLimit, int row) {
  const UpdateOutcome outcome = BurnProcedureRun(*this, channel, procedure, powerWaitLimit, row).Outcome(imageId, imageCode);
  return outcome == UpdateOutcome::kUpdated ? TRUE : FALSE;
}

BurnProcedureRun::BurnProcedureRun(CFWUpdateDlg& dialog, const std::wstring& channel, BurnProcedure procedure,
                                   int powerWaitLimit, int row)
    : dialog_(dialog), host_(dialog.Host()), channel_(channel), procedure_(procedure), limit_(powerWaitLimit), row_(row) {}

UpdateOutcome BurnProcedureRun::Outcome(WORD imageId, WORD imageCode) {
  if (Run(imageId, imageCode)) return UpdateOutcome::kUpdated;
  return moreThanOne_ ? UpdateOutcome::kMoreThanOneScanner : UpdateOutcome::kFailed;
}

bool BurnProcedureRun::Run(WORD imageId, WORD imageCode) {
  if (!Transfer(imageId, imageCode)) return false;
  Settle();
  if (Monitored() ? !WatchBurn() : !FirstStatusCheck()) return false;
  int probes = 0;
  if (!WaitPowerOff(probes)) return false;
  if (!Monitored()) FinishProgress(probes);
  return WaitPowerOn() && WaitReady();
}

// The image goes as one data phase straight from the program's resource data: never copied.
bool BurnProcedureRun::Transfer(WORD imageId, WORD imageCode) {
  const BYTE* image = nullptr;
  DWORD size = 0;
  if (!dialog_.LoadFirmwareImage(imageId, &image, &size, row_)) return false;
  Post(IDS_SENDING_FIRMWARE);
  const auto block = proto::Encode(proto::FirmwareWrite(imageCode, size));
  const DWORD start = host_.time.GetTickCount();
  if (!Alone()) return false;
  if (!RunCommandTransaction(host_, channel_, block.data(), image, nullptr, status_.data(), proto::kStatusReplySize)) {
    return Fail(IDS_SEND_DATA_ERROR);
  }
  app::ConsolePrint(host_, L"The FW data transfer took %d seconds.\n", SecondsSince(start));
  Post(IDS_FW_UPGRADE_WAIT);
  return true;
}

void BurnProcedureRun::Settle() {
  const int seconds = static_cast<int>(limits::kTransferSettleMs / 1000);
  app::ConsolePrint(host_, L"Software sleep %d seconds start...\n", seconds);
  host_.time.Sleep(limits::kTransferSettleMs);
  app::ConsolePrint(host_, L"Software sleep %d seconds finish...\n", seconds);
}

// The device reports its progress, and a device that stops answering ends the watch through the failing
// transaction. One that answers "burning" for ever would hold the tool, and with it the end of the session, for
// good: past the burn watch's limit that is a burn error too.
bool BurnProcedureRun::WatchBurn() {
  const DWORD start = host_.time.GetTickCount();
  for (int polls = 1;; ++polls) {
    if (!Alone()) return false;
    if (!SendStatusCommand(proto::BurnStatus())) {
      app::ConsolePrint(host_, L"Burning firmware error!! (At %d second)\n", SecondsSince(start));
      return Fail(IDS_BURN_ERROR);
    }
    const proto::StatusReply reply = Reply();
    if (reply.errorCode != 0) {
      app::ConsolePrint(host_, L"Device has ErrorCode (0x%x) (At %d second)\n", reply.errorCode, SecondsSince(start));
    }
    if (reply.errorCode == proto::kBurnFailedError) {
      app::ConsolePrint(host_, L"Burning firmware error!! (At %d second)\n", SecondsSince(start));
      return Fail(IDS_BURN_ERROR);
    }
    if (reply.fwInfo == proto::kFwUpdate) {
      ShowProgress(reply.burnPercent, polls);
      host_.time.Sleep(limits::kBurnWatchPollMs);
      if (TicksSince(start, host_.time.GetTickCount()) >= limits::kBurnWatchLimitMs) {
        app::ConsolePrint(host_, L"Burning firmware error!! (At %d second)\n", SecondsSince(start));
        return Fail(IDS_BURN_ERROR);
      }
      continue;
    }
    if (reply.fwInfo == proto::kReady) {
      Post(IDS_BURN_DONE);
      app::ConsolePrint(host_, L"\n");
      app::ConsolePrint(host_, L"The device update took %d seconds.\n", SecondsSince(start));
      return true;
    }
    app::ConsolePrint(host_, L"Device FWInfo not correct (0x%x) (At %d second)\n", reply.fwInfo, SecondsSince(start));
    app::ConsolePrint(host_, L"Burning firmware error!! (At %d second)\n", SecondsSince(start));
    return Fail(IDS_BURN_ERROR);
  }
}

bool BurnProcedureRun::FirstStatusCheck() {
  if (!Alone()) return false;
  if (!SendStatusCommand(proto::BurnStatus())) {
    app::ConsolePrint(host_, L"Burning firmware error!! (After send data first time check status...)\n");
    return Fail(IDS_BURN_ERROR);
  }
  const proto::StatusReply reply = Reply();
  app::ConsolePrint(host_, L"Device ErrorCode (0x%x) (After send data first time check status...)\n", reply.errorCode);
  app::ConsolePrint(host_, L"Device FWInfo (0x%x) (After send data first time check status...)\n", reply.fwInfo);
  return true;
}

// The power cycle is seen through the probe: the device channel cannot be opened while the scanner is off.
bool BurnProcedureRun::WaitPowerOff(int& probes) {
  const DWORD start = host_.time.GetTickCount();
  if (Monitored()) Post(IDS_CHECK_POWER_OFF);
  for (probes = 1;; ++probes) {
    bool present = false;
    if (!Probe(present)) return false;
    if (!present) break;
    if (!Monitored()) ShowProgress(PowerOffPercent(probes, limit_), probes);
    if (probes >= limit_) return Fail(IDS_POWER_OFF_TIMEOUT);
    host_.time.Sleep(limits::kPowerProbePollMs);
  }
  app::ConsolePrint(host_, L"The device power-off took %d seconds.\n", SecondsSince(start));
  return true;
}

// From where the power-off wait stopped to 100 in its steps, a finishing pause apart.
void BurnProcedureRun::FinishProgress(int probes) {
  const DWORD start = host_.time.GetTickCount();
  int k = probes;
  int r = limit_ - k;
  for (int i = 1; i <= kFinishingSteps; ++i) {
    ShowProgress(FinishingPercent(k, r, i, limit_), k);
    ++k;
    --r;
    host_.time.Sleep(limits::kFinishingStepMs);
  }
  app::ConsolePrint(host_, L"The software faker speedup percentage took %d seconds.\n", SecondsSince(start));
}

bool BurnProcedureRun::WaitPowerOn() {
  Post(IDS_CHECK_POWER_ON);
  const DWORD start = host_.time.GetTickCount();
  for (int probes = 1;; ++probes) {
    bool present = false;
    if (!Probe(present)) return false;
    if (present) break;
    if (probes >= limit_) return Fail(IDS_POWER_ON_TIMEOUT);
    host_.time.Sleep(limits::kPowerProbePollMs);
  }
  app::ConsolePrint(host_, L"The device power-on took %d seconds.\n", SecondsSince(start));
  return true;
}

// Measured as elapsed time, so the limit holds across the tick count's wrap.
bool BurnProcedureRun::WaitReady() {
  const DWORD start = host_.time.GetTickCount();
  int readyAnswers = 0;
  for (;;) {
    if (!Alone()) return false;
    if (!SendStatusCommand(proto::DeviceStatus())) return Fail(IDS_CHECK_STATUS_ERROR);
    const uint16_t state = Reply().fwInfo;
    if (state != proto::kReady && state != proto::kLlBoot) {
      readyAnswers = 0;
      Post(IDS_DEVICE_BUSY_WAIT);
    } else if (!Monitored()) {
      Post(IDS_BURN_DONE);
      app::ConsolePrint(host_, L"The device ready took %d seconds.\n", SecondsSince(start));
      return true;
    } else {
      dialog_.SetStatusText(app::LoadStringById(host_, IDS_DEVICE_READY_WAIT));
      if (++readyAnswers >= kReadyAnswersMonitored) {
        app::ConsolePrint(host_, L"The device ready took %d seconds.\n", SecondsSince(start));
        return true;
      }
    }
    host_.time.Sleep(limits::kReadyPollMs);
    if (TicksSince(start, host_.time.GetTickCount()) >= limits::kReadyWaitLimitMs) return Fail(IDS_NOT_RESPONDING);
  }
}

bool BurnProcedureRun::Alone() {
  if (OnlyOneScanner(host_, channel_, kConsoleTag)) return true;
  moreThanOne_ = true;
  return Fail(IDS_MORE_THAN_ONE_SCANNER);
}

bool BurnProcedureRun::Probe(bool& present) {
  present = ProbeDevice(host_, channel_, nullptr);
  return !present || Alone();
}

bool BurnProcedureRun::SendStatusCommand(const proto::CommandBlock& command) {
  return RunCommand(host_, channel_, command, status_);
}

bool BurnProcedureRun::Fail(UINT textId) {
  Post(textId);
  return false;
}

void BurnProcedureRun::Post(UINT textId) { dialog_.PostStatus(row_, app::LoadStringById(host_, textId)); }

// String 242 with the percentage, then (counter mod 4) full stops; "\r" keeps the console on one line.
void BurnProcedureRun::ShowProgress(int percent, int counter) {
  std::wstring progress = text::Format(app::LoadStringById(host_, IDS_BURN_PROGRESS), percent);
  progress.append(static_cast<size_t>(counter % 4), L'.');
  app::ConsolePrint(host_, L"\r%s", progress);
  dialog_.PostStatus(row_, progress);
}

int BurnProcedureRun::SecondsSince(DWORD startTick) {
  return static_cast<int>(TicksSince(startTick, host_.time.GetTickCount()) / 1000);
}
