// The simulated machine of the window benchmarks: the tool with its main window, the scanner's image-class
// record named "Scanner A", a still-image service that stops in a second, and the emulated scanner on the
// usbscan bus where the benchmark puts it. The window runs modally on the calling thread (the window's
// thread) while the benchmark acts on a simulated user thread, as a user would.
#pragma once
#include <functional>
#include <optional>

#include "simhost/process.h"
#include "simhost/world.h"
#include "ui/fwupdate_dlg.h"

namespace bench {

class ScannerMachine {
 public:
  // The scanner at this usbscan index, or none.
  explicit ScannerMachine(std::optional<int> scannerIndex);

  // Opens the window, waits for its first search, runs user(), then presses Close and lets the window end.
  void Run(const std::function<void(CFWUpdateDlg&)>& user);
  // Presses a button and waits until the window's thread has handled it.
  void Press(int id);
  // Blocks the user thread in virtual time until the condition holds; false when the bound passed first.
  bool WaitFor(const std::function<bool()>& condition, uint64_t boundMs);

  simhost::World world;
  simhost::Process tool{world};
};

}  // namespace bench
