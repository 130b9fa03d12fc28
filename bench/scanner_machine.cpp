#include "bench/scanner_machine.h"

#include "emulator/scenario.h"
#include "res/resource.h"
#include "simhost/usbscan.h"

namespace bench {
namespace {
constexpr uint64_t kWindowBoundMs = 10000;
constexpr DWORD kFirstSearchBoundMs = 200000;
}  // namespace

ScannerMachine::ScannerMachine(std::optional<int> scannerIndex) {
  world.scheduler().AdoptCurrentThread();
  tool.setup().AddImageDevice({L"USB\\VID_1209&PID_0001&REV_0100"}, 0, L"Scanner A");
  tool.services().Service(L"stisvc").stopTakesMs = 1000;
  if (scannerIndex) world.usb().AttachScanner(*scannerIndex, emu::Scenario{});
}

bool ScannerMachine::WaitFor(const std::function<bool()>& condition, uint64_t boundMs) {
  return world.scheduler().BlockUntil(condition, world.scheduler().Now() + boundMs);
}

void ScannerMachine::Press(int id) {
  tool.windows().PostCommand(id);
  WaitFor([&] { return tool.windows().QueuedCalls() == 0; }, kWindowBoundMs);
}

void ScannerMachine::Run(const std::function<void(CFWUpdateDlg&)>& user) {
  CFWUpdateDlg dialog(tool.host());
  world.scheduler().Spawn([&] {
    WaitFor([&] { return tool.windows().IsOpen(); }, kWindowBoundMs);
    const HANDLE stop = dialog.m_hStopThread.Load();
    if (stop != nullptr) tool.host().kernel.WaitForSingleObject(stop, kFirstSearchBoundMs);
    user(dialog);
    if (tool.windows().IsOpen() && dialog.m_hCancelThread.Load() == nullptr) tool.windows().PostCommand(IDCANCEL);
  });
  dialog.DoModal();
}

}  // namespace bench
