// The device search with the device's replies in the fuzzer's hands: the stop thread's search at start-up and
// a Search Device press. The window must end through Close and leave nothing behind.
#include "fuzz/support/fuzz_window.h"
#include "res/resource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput input(data, size);
  fuzz::FuzzMachine machine(input);
  simhost::Process& tool = machine.Tool();
  machine.RunWindow(
      [&](CFWUpdateDlg&) {
        simhost::Scheduler& scheduler = machine.World().scheduler();
        scheduler.BlockUntil([&] { return tool.windows().IsEnabled(IDC_SEARCH_DEVICE); }, scheduler.Now() + 100000);
        tool.windows().PostCommand(IDC_SEARCH_DEVICE);
        scheduler.Sleep(1);
      },
      200000);
  machine.CheckAfterExit();
  return 0;
}
