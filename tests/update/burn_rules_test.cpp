// The burn procedure's rules around the transfer: a failed transfer, the settle pause, the unmonitored first
// status check and how many ready answers each procedure waits for.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/status_answers.h"
#include "support/update_fixture.h"

namespace {

using fwtest::Answer;

class BurnRulesTest : public UpdateFixture {
 protected:
  struct Outcome {
    bool ok = false;
    std::vector<std::wstring> shown;  // status texts from the start of the procedure
    std::wstring console;             // console lines from the start of the procedure
    std::vector<simhost::UsbRequest> log; // device requests from the start of the procedure
  };

  // Burns image 505 with the procedure, its path's image code and its power-wait limit, on the user's thread
  // once the window's first search is done; arrange runs just before.
  Outcome Burn(BurnProcedure procedure, const std::function<void(emu::TessalineDevice&)>& arrange = {}) {
    const bool monitored = procedure == BurnProcedure::kMonitored;
    emu::Scenario scenario;
    scenario.bcdDevice = monitored ? 0x0100 : 1;
    emu::TessalineDevice& scanner = Attach(scenario);
    Outcome outcome;
    emu::CommandCounts before;
    Run([&](CFWUpdateDlg& dialog) {
      WaitForFirstSearch(dialog);
      if (arrange) arrange(scanner);
      before = scanner.Counts();
      world.usb().ClearLog();
      const size_t shown = Shown().size();
      const size_t console = tool.console().Output().size();
      outcome.ok = dialog.BurnFirmware(L"USB", 505, monitored ? 0x1005 : 0x1004, procedure, monitored ? 60 : 90, 0) != FALSE;
      outcome.shown.assign(Shown().begin() + static_cast<long>(shown), Shown().end());
      outcome.console = tool.console().Output().substr(console);
      outcome.log = world.usb().Log();
    });
    burnStatusCommands = scanner.Counts().burnStatus - before.burnStatus;
    deviceStatusCommands = scanner.Counts().deviceStatus - before.deviceStatus;
    return outcome;
  }
  static size_t Opens(const std::vector<simhost::UsbRequest>& log) {
    size_t opens = 0;
    // The scanner counts open every name for no access, to read descriptors only: they are not channels.
    for (const auto& request : log) opens += request.call == simhost::UsbCall::Open && request.access != 0 ? 1 : 0;
    return opens;
  }
  // A stage fault on the transaction after the next one begun from now (1: the next one).
  static void FailTransaction(emu::TessalineDevice& scanner, uint32_t after, emu::Stage stage, emu::FaultKind kind,
                              uint32_t bytes = 0) {
    scanner.MutableScenario().faults.stageFaults.push_back({scanner.TransactionCount() + after, 1, stage, kind, bytes});
  }

  // Sent by the procedure.
  uint32_t burnStatusCommands = 0;
  uint32_t deviceStatusCommands = 0;
};

// However the firmware write fails, the procedure posts 216 and stops: no status command, no probe.
TEST_F(BurnRulesTest, AFailedTransferPostsItsTextAndStops) {
  struct Case {
    const char* what;
    BurnProcedure procedure;
    emu::Stage stage;
    emu::FaultKind kind;
    uint32_t bytes;
  };
  const Case cases[] = {
      {"no status reply", BurnProcedure::kMonitored, emu::Stage::Reply, emu::FaultKind::NoReply, 0},
      {"the image is not taken", BurnProcedure::kMonitored, emu::Stage::DataOut, emu::FaultKind::NoReply, 0},
      {"the image is cut short", BurnProcedure::kUnmonitored, emu::Stage::DataOut, emu::FaultKind::Short, 4096},
      {"unplugged during the image", BurnProcedure::kMonitored, emu::Stage::DataOut, emu::FaultKind::Unplug, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Outcome outcome = Burn(c.procedure, [&](emu::TessalineDevice& s) { FailTransaction(s, 1, c.stage, c.kind, c.bytes); });
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.shown, (std::vector<std::wstring>{Text(IDS_SENDING_FIRMWARE), Text(IDS_SEND_DATA_ERROR)}));
    EXPECT_EQ(Opens(outcome.log), 1u) << "the transfer's own channel only";
    EXPECT_EQ(burnStatusCommands, 0u);
    EXPECT_EQ(Count(outcome.console, L"The FW data transfer took"), 0u);
  }
}

// Six seconds pass between the transfer and the first thing the procedure shows after it.
TEST_F(BurnRulesTest, TheTransferIsFollowedBySixSecondsOfQuiet) {
  struct Case {
    const char* what;
    BurnProcedure procedure;
    std::vector<proto::StatusReply> answers;
    std::wstring next;  // the first text after 217
  };
  const Case cases[] = {
      {"monitored: the burn watch's first answer is done", BurnProcedure::kMonitored, {Answer(proto::kReady)},
       Text(IDS_BURN_DONE)},
      {"unmonitored: the first probe's percentage", BurnProcedure::kUnmonitored, {}, Progress(1, 1)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    cellAt.clear();
    const Outcome outcome = Burn(c.procedure, [&](emu::TessalineDevice& s) {
      s.ScriptStatusReplies(c.answers);
      WatchCell({Text(IDS_FW_UPGRADE_WAIT), c.next});
    });
    EXPECT_TRUE(outcome.ok);
    ASSERT_TRUE(CellSeen(Text(IDS_FW_UPGRADE_WAIT)) && CellSeen(c.next));
    const uint64_t quiet = cellAt[c.next] - cellAt[Text(IDS_FW_UPGRADE_WAIT)];
    EXPECT_GE(quiet, 6000u);
    EXPECT_LT(quiet, 6100u);
  }
}

// The unmonitored procedure asks once for the burn status and judges nothing in the answer, but a failed
// transaction ends it as in the monitored burn watch.
TEST_F(BurnRulesTest, TheFirstStatusCheckFailsOnlyOnAFailedTransaction) {
  struct Case {
    const char* what;
    BurnProcedure procedure;
    bool transactionFails;
    std::vector<proto::StatusReply> answers;
    bool ok;
    std::vector<std::wstring> lines;
  };
  const Case cases[] = {
      {"unmonitored, no answer", BurnProcedure::kUnmonitored, true, {}, false,
       {L"Burning firmware error!! (After send data first time check status...)\n"}},
      {"monitored, no answer", BurnProcedure::kMonitored, true, {}, false, {L"Burning firmware error!! (At "}},
      {"unmonitored, a burn error and LLBOOT go unjudged", BurnProcedure::kUnmonitored, false,
       {Answer(proto::kLlBoot, {.errorCode = 0x7001})}, true,
       {L"Device ErrorCode (0x7001) (After send data first time check status...)\n",
        L"Device FWInfo (0x6) (After send data first time check status...)\n"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Outcome outcome = Burn(c.procedure, [&](emu::TessalineDevice& s) {
      if (c.transactionFails) FailTransaction(s, 2, emu::Stage::Reply, emu::FaultKind::NoReply);
      s.ScriptStatusReplies(c.answers);
    });
    EXPECT_EQ(outcome.ok, c.ok);
    for (const auto& line : c.lines) {
      EXPECT_EQ(Count(outcome.console, line), 1u) << testing::PrintToString(outcome.console);
    }
    if (!c.ok) {
      EXPECT_EQ(outcome.shown.back(), Text(IDS_BURN_ERROR));
      EXPECT_EQ(Opens(outcome.log), 2u) << "the transfer and the status command, no probe";
      EXPECT_EQ(burnStatusCommands, 1u);
    }
  }
}

// The unmonitored ready wait ends at the first READY or LLBOOT answer; the monitored one needs five in a row.
TEST_F(BurnRulesTest, TheReadyWaitTakesOneAnswerUnmonitoredAndFiveMonitored) {
  struct Case {
    const char* what;
    BurnProcedure procedure;
    std::vector<proto::StatusReply> answers;  // the first for the burn status, the rest for the ready wait
    uint32_t readyWaitAnswers;
    std::vector<std::wstring> last;           // the last texts shown
  };
  const std::wstring ready = Text(IDS_DEVICE_READY_WAIT);
  const Case cases[] = {
      {"unmonitored, READY", BurnProcedure::kUnmonitored, {Answer(proto::kFwUpdate), Answer(proto::kReady)}, 1,
       {Text(IDS_CHECK_POWER_ON), Text(IDS_BURN_DONE)}},
      {"unmonitored, BUSY then LLBOOT", BurnProcedure::kUnmonitored,
       {Answer(proto::kFwUpdate), Answer(proto::kBusy), Answer(proto::kLlBoot)}, 2,
       {Text(IDS_DEVICE_BUSY_WAIT), Text(IDS_BURN_DONE)}},
      {"monitored, READY and LLBOOT", BurnProcedure::kMonitored,
       {Answer(proto::kReady), Answer(proto::kReady), Answer(proto::kLlBoot), Answer(proto::kReady), Answer(proto::kLlBoot),
        Answer(proto::kReady)},
       5, {Text(IDS_CHECK_POWER_ON), ready, ready, ready, ready, ready}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Outcome outcome = Burn(c.procedure, [&](emu::TessalineDevice& s) { s.ScriptStatusReplies(c.answers); });
    EXPECT_TRUE(outcome.ok);
    EXPECT_EQ(deviceStatusCommands, c.readyWaitAnswers);
    ASSERT_GE(outcome.shown.size(), c.last.size());
    EXPECT_EQ(std::vector<std::wstring>(outcome.shown.end() - static_cast<long>(c.last.size()), outcome.shown.end()), c.last);
  }
}

}  // namespace
