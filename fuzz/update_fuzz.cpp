// The whole update with the device's replies in the fuzzer's hands. Whatever the replies say, "Update
// Succeed." may only follow a complete image the device accepted (its boot loader and path decide the code)
// and a power cycle the tool saw through the device's absence.
#include "fuzz/support/fuzz_window.h"
#include "res/resource.h"

namespace {

bool HonestSuccess(const emu::TessalineDevice& scanner, uint64_t now) {
  const emu::ImageWrite& image = scanner.LastImage();
  const emu::LifePhase phase = scanner.Life(now).phase;
  return image.complete && image.rejectCode == 0 && scanner.MatchingPlaceholder().has_value() &&
         (phase == emu::LifePhase::Booting || phase == emu::LifePhase::Updated);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput input(data, size);
  fuzz::FuzzMachine machine(input);
  simhost::Process& tool = machine.Tool();
  simhost::Scheduler& scheduler = machine.World().scheduler();
  bool succeeded = false;
  bool honest = true;
  machine.RunWindow(
      [&](CFWUpdateDlg& dialog) {
        const HANDLE stop = dialog.m_hStopThread.Load();
        if (stop != nullptr) tool.host().kernel.WaitForSingleObject(stop, 200000);
        dialog.SetRowCheck(0, true);  // whatever the search found: the update sequence decides
        tool.windows().PostCommand(IDC_UPDATE);
        scheduler.BlockUntil([&] { return tool.windows().QueuedCalls() == 0; }, scheduler.Now() + 10000);
        const size_t seen = tool.windows().TextHistory(IDC_STATUS).size();
        scheduler.BlockUntil(
            [&] {
              const auto& shown = tool.windows().TextHistory(IDC_STATUS);
              if (!succeeded && shown.size() > seen && shown.back() == L"Update Succeed.") {
                succeeded = true;
                honest = HonestSuccess(machine.Scanner(), scheduler.Now());
              }
              return tool.windows().IsEnabled(IDCANCEL);
            },
            scheduler.Now() + 2000000);
      },
      2000000);
  if (!honest) fuzz::Fail("\"Update Succeed.\" without a complete accepted image and a power cycle");
  machine.CheckAfterExit();
  return 0;
}
