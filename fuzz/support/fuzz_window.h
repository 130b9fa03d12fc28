// A simulated machine for one fuzz input: an emulated scanner drawn from the input's first bytes, a stopped
// imaging service, and the tool's main window running on the fuzzer's thread with the usbscan driver in the
// fuzzer's hands (mutating_files.h). A run that does not end in its virtual bound, a handle left open, two
// device channels at once or a text outside the string table stop the fuzzer as a crash.
#pragma once
#include <functional>
#include <string>

#include "fuzz/support/fuzz_input.h"
#include "fuzz/support/mutating_files.h"
#include "simhost/process.h"
#include "ui/fwupdate_dlg.h"

namespace fuzz {

class FuzzMachine {
 public:
  explicit FuzzMachine(FuzzInput& input);

  // Runs the main window modally while user() acts on a user thread; presses Close afterwards.
  void RunWindow(const std::function<void(CFWUpdateDlg&)>& user, uint64_t boundMs);
  // What must hold once the window has ended.
  void CheckAfterExit();

  simhost::World& World() { return world_; }
  simhost::Process& Tool() { return tool_; }
  emu::TessalineDevice& Scanner() { return *scanner_; }

 private:
  simhost::World world_{1};
  simhost::Process tool_{world_};
  emu::TessalineDevice* scanner_ = nullptr;
  MutatingFiles files_;
  plat::Host host_;
};

// Reports the broken rule and stops the fuzzer, which keeps the input.
[[noreturn]] void Fail(const std::string& what);

}  // namespace fuzz
