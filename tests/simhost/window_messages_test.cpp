// The simulated window's message order and its measure of a hung window: sent calls before posted ones, a message
// box that serves the window while it is open, the longest time the window's thread stayed out of its message
// loop, and the seeded switch points.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "simhost/process.h"

namespace {

// A dialog whose handlers are scripted per command: each records its id and runs what the test gave it.
class ScriptedDialog final : public plat::IDialogEvents {
 public:
  ScriptedDialog(simhost::Process& tool, std::vector<int>& served) : tool_(tool), served_(served) {}
  std::function<void(int)> onCommand;

  INT_PTR OnDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM) override {
    if (message == WM_INITDIALOG) hwnd = dialog;
    if (message != WM_COMMAND) return FALSE;
    const int id = static_cast<int>(wParam & 0xFFFF);
    served_.push_back(id);
    if (id == IDCANCEL) {
      tool_.windows().EndDialog(dialog, IDCANCEL);
    } else if (onCommand) {
      onCommand(id);
    }
    return TRUE;
  }
  HWND hwnd = nullptr;

 private:
  simhost::Process& tool_;
  std::vector<int>& served_;
};

class WindowMessagesTest : public testing::Test {
 protected:
  void SetUp() override { world.scheduler().AdoptCurrentThread(); }
  void RunDialog(const std::function<void()>& user) {
    world.scheduler().Spawn([&] {
      world.scheduler().BlockUntil([&] { return tool.windows().IsOpen(); }, simhost::kForever);
      user();
      tool.windows().PostCommand(IDCANCEL);
    });
    tool.windows().DialogBoxParamW(MAKEINTRESOURCEW(IDD_FWUPDATE_DIALOG), nullptr, dialog);
  }
  // A worker's synchronous call: a text set on the status control; -1 recorded once the worker runs again.
  void SendFromWorker(const wchar_t* text) {
    world.scheduler().Spawn([this, text] {
      tool.windows().SetWindowTextW(tool.windows().GetDlgItem(dialog.hwnd, IDC_STATUS), text);
      served.push_back(-1);
    });
  }

  simhost::World world;
  simhost::Process tool{world};
  std::vector<int> served;
  ScriptedDialog dialog{tool, served};
};

TEST_F(WindowMessagesTest, SentCallsAreServedBeforePostedOnesWhicheverCameFirst) {
  std::wstring statusWhenSecondRan;
  dialog.onCommand = [&](int id) {
    if (id == IDC_SEARCH_DEVICE) statusWhenSecondRan = tool.windows().ControlText(IDC_STATUS);
    world.scheduler().Sleep(100);  // each posted command holds the window a while
  };
  RunDialog([&] {
    tool.windows().PostCommand(IDC_UPDATE);
    tool.windows().PostCommand(IDC_SEARCH_DEVICE);
    world.scheduler().Sleep(1);  // the window is in the first command now
    SendFromWorker(L"sent");
    world.scheduler().Sleep(1000);
  });
  // The sent call waited only for the command being handled, not for the one posted before it.
  EXPECT_EQ(statusWhenSecondRan, L"sent");
  EXPECT_EQ(served.front(), IDC_UPDATE);
}

TEST_F(WindowMessagesTest, TheLongestTimeOutOfTheMessageLoopIsMeasuredAndIdleTimeIsNot) {
  struct Case {
    const char* what;
    uint64_t handlerMs;
    uint64_t messageBoxOpenMs;  // 0: the handler shows none
    uint64_t longest;
  };
  const Case cases[] = {
      {"idle for a minute, then a quick handler", 0, 0, 0},
      {"a handler that blocks 7 s", 7000, 0, 7000},
      {"a handler that opens a message box for 7 s", 0, 7000, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    simhost::World w;
    w.scheduler().AdoptCurrentThread();
    simhost::Process process(w);
    std::vector<int> order;
    ScriptedDialog scripted(process, order);
    process.user().SetAnswerAfterMs(c.messageBoxOpenMs);
    scripted.onCommand = [&](int) {
      w.scheduler().Sleep(c.handlerMs);
      if (c.messageBoxOpenMs != 0) process.user().MessageBoxW(scripted.hwnd, L"text", L"caption", MB_OK);
    };
    uint64_t sendTook = 0;
    w.scheduler().Spawn([&] {
      w.scheduler().BlockUntil([&] { return process.windows().IsOpen(); }, simhost::kForever);
      w.scheduler().Sleep(60000);
      process.windows().PostCommand(IDC_UPDATE);
      w.scheduler().Sleep(1000);
      const uint64_t sent = w.scheduler().Now();
      process.windows().SendToDialog(WM_TIMER, 0, 0, 0);
      sendTook = w.scheduler().Now() - sent;
      w.scheduler().Sleep(10000);
      process.windows().PostCommand(IDCANCEL);
    });
    process.windows().DialogBoxParamW(MAKEINTRESOURCEW(IDD_FWUPDATE_DIALOG), nullptr, scripted);
    EXPECT_EQ(process.windows().LongestUnservedMs(), c.longest);
    EXPECT_EQ(sendTook, c.handlerMs > 1000 ? c.handlerMs - 1000 : 0) << "a message box keeps serving the window";
  }
}

TEST_F(WindowMessagesTest, SwitchPointsPreemptOnlyOnceEnabledAndAsOftenAsAsked) {
  struct Case {
    uint32_t oneIn;  // 0: off
    uint64_t fewest;
    uint64_t most;
  };
  const Case cases[] = {{0, 0, 0}, {1, 1000, 1000}, {4, 150, 350}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.oneIn);
    simhost::World w;
    w.scheduler().AdoptCurrentThread();
    simhost::Process process(w);
    if (c.oneIn != 0) w.scheduler().EnablePreemption(11, c.oneIn);
    const uint64_t start = w.scheduler().Now();
    for (int i = 0; i < 1000; ++i) process.host().kernel.SwitchPoint();
    const uint64_t preempted = w.scheduler().Preemptions();
    EXPECT_GE(preempted, c.fewest);
    EXPECT_LE(preempted, c.most);
    EXPECT_EQ(w.scheduler().Now() - start, preempted) << "each preemption switches out for 1 ms";
  }
}

}  // namespace
