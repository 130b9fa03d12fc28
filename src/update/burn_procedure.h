// One run of the burn procedure, phase by phase: transfer, settle, burn watch or first status check,
// power-off, finishing progress, power-on and the ready wait. Every phase that fails posts its text and ends
// the run with false; nothing more is sent to the device after a failure. Before every request the run counts
// the scanners, and gives up when there is more than one: the answer could be the other one's.
#pragma once
#include <string>

#include "link/protocol.h"
#include "ui/fwupdate_dlg.h"
#include "update/scanner_identity.h"

class BurnProcedureRun {
 public:
  BurnProcedureRun(CFWUpdateDlg& dialog, const std::wstring& channel, BurnProcedure procedure, int powerWaitLimit,
                   int row);
  UpdateOutcome Outcome(WORD imageId, WORD imageCode);

 private:
  bool Transfer(WORD imageId, WORD imageCode);
  void Settle();
  bool WatchBurn();
  bool FirstStatusCheck();
  bool WaitPowerOff(int& probes);
  void FinishProgress(int probes);
  bool WaitPowerOn();
  bool WaitReady();
  bool Run(WORD imageId, WORD imageCode);

  bool Alone();
  // The probe of the power waits: the scanner is there when the channel opens, unless a second one answers.
  bool Probe(bool& present);
  bool SendStatusCommand(const proto::CommandBlock& command);
  bool Fail(UINT textId);
  void Post(UINT textId);
  void ShowProgress(int percent, int counter);
  int SecondsSince(DWORD startTick);
  bool Monitored() const { return procedure_ == BurnProcedure::kMonitored; }
  proto::StatusReply Reply() const { return proto::DecodeReply(status_.data()); }

  CFWUpdateDlg& dialog_;
  plat::Host& host_;
  const std::wstring& channel_;
  BurnProcedure procedure_;
  int limit_;
  int row_;
  proto::ReplyBytes status_{};
  bool moreThanOne_ = false;
};
