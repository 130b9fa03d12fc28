// The session may end while the start-up stop thread is still stopping and disabling the imaging service.
// Windows may end the program at any moment once WM_ENDSESSION has been answered, so from then on the service
// must be set to automatic start and stay so, whichever of the two threads writes the start type last.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "res/resource.h"
#include "simhost/process.h"
#include "ui/fwupdate_dlg.h"

namespace {

constexpr const wchar_t* kQuenbyLock = L"Global\\KAVREL_QUENBY_SUBSCRIPTION_MUTEX_Scanner A";

struct SessionEnd {
  LRESULT mayEnd = FALSE;
  DWORD startTypeWhenAnswered = 0;
  std::optional<uint64_t> leftAutomaticAtMs;  // after the answer
  bool quenbyHeldAfter = false;
  std::optional<uint64_t> disabledAtMs;  // when the stop thread disabled the service, from the window's opening
};

// Each request to the service manager takes between these (the same for every request by default).
struct RoundTrip {
  DWORD minMs = 1;
  DWORD maxMs = 1;
};

// A window whose first stop takes two seconds, and a session that ends `endAtMs` after the window opened (none:
// it does not end). Everything the tool does afterwards is watched for five minutes before Close ends the run.
SessionEnd EndTheSessionAt(std::optional<uint64_t> endAtMs, uint64_t seed, RoundTrip roundTrip = {}) {
  simhost::World world(seed);
  simhost::Scheduler& scheduler = world.scheduler();
  scheduler.AdoptCurrentThread();
  simhost::Process tool(world);
  tool.setup().AddImageDevice({L"USB\\VID_1209&PID_0001&REV_0100"}, 0, L"Scanner A");
  world.usb().AttachScanner(0, {});
  simhost::SimService& stisvc = tool.services().Service(L"stisvc");
  stisvc.stopTakesMs = 2000;
  tool.services().SetRoundTripRange(roundTrip.minMs, roundTrip.maxMs, seed);
  simhost::Windows& windows = tool.windows();
  SessionEnd out;
  CFWUpdateDlg dialog(tool.host());
  scheduler.Spawn([&] {
    scheduler.BlockUntil([&] { return windows.IsOpen(); }, simhost::kForever);
    const uint64_t opened = scheduler.Now();
    if (scheduler.BlockUntil([&] { return stisvc.startType == SERVICE_DISABLED; }, opened + 10000)) {
      out.disabledAtMs = scheduler.Now() - opened;
    }
  });
  scheduler.Spawn([&] {
    scheduler.BlockUntil([&] { return windows.IsOpen(); }, simhost::kForever);
    if (endAtMs) {
      scheduler.Sleep(*endAtMs);
      out.mayEnd = windows.SendToDialog(WM_QUERYENDSESSION, 0, 0, TRUE);
      windows.SendToDialog(WM_ENDSESSION, TRUE, 0, 0);
      out.startTypeWhenAnswered = stisvc.startType;
      const uint64_t answered = scheduler.Now();
      if (scheduler.BlockUntil([&] { return stisvc.startType != SERVICE_AUTO_START; }, answered + 300000)) {
        out.leftAutomaticAtMs = scheduler.Now() - answered;
      }
      out.quenbyHeldAfter = world.IsNameInUse(kQuenbyLock, 1);
    } else {
      scheduler.Sleep(300000);
    }
    windows.PostCommand(IDCANCEL);
  });
  dialog.DoModal();
  scheduler.Sleep(300000);  // every thread of the tool ends before the dialog goes
  return out;
}

TEST(SessionEnd, DuringTheFirstStopTheServiceIsLeftAutomaticWhoeverWritesLast) {
  const std::optional<uint64_t> disabledAt = EndTheSessionAt(std::nullopt, 1).disabledAtMs;
  ASSERT_TRUE(disabledAt.has_value()) << "the stop thread never disabled the service";
  // Early in the stop, then every millisecond around the moment the stop thread writes "disabled".
  std::vector<uint64_t> moments = {0, 500, *disabledAt - 1500};
  for (uint64_t at = *disabledAt - 8; at <= *disabledAt + 3; ++at) moments.push_back(at);
  for (const uint64_t at : moments) {
    for (uint64_t seed = 1; seed <= 3; ++seed) {
      SCOPED_TRACE("session ends " + std::to_string(at) + " ms after the window opened, seed " + std::to_string(seed));
      const SessionEnd out = EndTheSessionAt(at, seed);
      EXPECT_EQ(out.mayEnd, TRUE);
      EXPECT_EQ(out.startTypeWhenAnswered, static_cast<DWORD>(SERVICE_AUTO_START));
      EXPECT_FALSE(out.leftAutomaticAtMs.has_value()) << "disabled again " << out.leftAutomaticAtMs.value_or(0)
                                                      << " ms after the answer";
      // Before the stop thread has disabled the service it has not begun its search, and then never does: the
      // Quenby lock stays released. (A search already under way may take it again until Windows ends the
      // program, which releases it.)
      if (at < *disabledAt) {
        EXPECT_FALSE(out.quenbyHeldAfter);
      }
    }
  }
}

// A busy service manager: the stop thread's "disabled" may take longer to land than the window's whole giving
// back, so only the window's wait for a write under way keeps "automatic" the last word.
TEST(SessionEnd, ASlowDisableUnderWayIsWaitedForBeforeTheServiceIsGivenBack) {
  const RoundTrip busy{1, 40};
  int endsDuringTheWrite = 0;
  for (uint64_t seed = 1; seed <= 4; ++seed) {
    const std::optional<uint64_t> disabledAt = EndTheSessionAt(std::nullopt, seed, busy).disabledAtMs;
    ASSERT_TRUE(disabledAt.has_value()) << "the stop thread never disabled the service";
    for (uint64_t at = *disabledAt - 40; at <= *disabledAt; ++at) {
      SCOPED_TRACE("session ends " + std::to_string(at) + " ms after the window opened, seed " + std::to_string(seed));
      const SessionEnd out = EndTheSessionAt(at, seed, busy);
      EXPECT_EQ(out.startTypeWhenAnswered, static_cast<DWORD>(SERVICE_AUTO_START));
      EXPECT_FALSE(out.leftAutomaticAtMs.has_value()) << "disabled again " << out.leftAutomaticAtMs.value_or(0)
                                                      << " ms after the answer";
      endsDuringTheWrite += out.disabledAtMs.has_value() && *out.disabledAtMs >= at ? 1 : 0;
    }
  }
  // The sweep must hit writes under way, or it proves nothing about the wait.
  EXPECT_GT(endsDuringTheWrite, 0);
}

}  // namespace
