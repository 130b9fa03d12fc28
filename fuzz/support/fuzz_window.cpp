#include "fuzz/support/fuzz_window.h"

#include <cstdio>
#include <cstdlib>

#include "res/resource.h"
#include "sim_runner/text_book.h"
#include "sim_runner/trace.h"

namespace fuzz {
namespace {

emu::Scenario DrawScenario(FuzzInput& input) {
  emu::Scenario s;
  const uint8_t shape = input.Byte();
  s.bcdDevice = (shape & 1) != 0 ? 1 : 0x0100;
  s.fwInfo = (shape & 2) != 0 ? 6 : 0;
  s.mainBoardVersion = (shape & 4) != 0 ? 68 : 60;
  s.ubootVersion = input.Byte();
  for (auto& b : s.identification) b = input.Byte();
  // Short phases keep an input fast; the timing is not what is under test here.
  s.burnMs = 1000 + input.Byte() * 20u;
  s.readyBeforeOffMs = input.Byte() * 10u;
  s.offMs = 500 + input.Byte() * 20u;
  s.bootMs = input.Byte() * 20u;
  return s;
}

}  // namespace

void Fail(const std::string& what) {
  std::fprintf(stderr, "fuzz target: %s\n", what.c_str());
  std::abort();
}

FuzzMachine::FuzzMachine(FuzzInput& input)
    : files_(tool_.host().files, tool_.host().kernel, input),
      host_{tool_.host().time,     tool_.host().kernel,   tool_.host().process,   tool_.host().profile,
            tool_.host().console,  tool_.host().language, tool_.host().resources, tool_.host().user,
            tool_.host().windows,  tool_.host().codePage, tool_.host().setup,     tool_.host().registry,
            tool_.host().services, files_,                tool_.host().sockets,   tool_.host().power} {
  world_.scheduler().AdoptCurrentThread();
  scanner_ = &world_.usb().AttachScanner(0, DrawScenario(input));
  tool_.setup().AddImageDevice({L"USB\\VID_1209&PID_0001&REV_0100"}, 0, L"Scanner A");
  simhost::SimService& stisvc = tool_.services().Service(L"stisvc");
  stisvc.state = SERVICE_STOPPED;
  stisvc.startType = SERVICE_DISABLED;
}

void FuzzMachine::RunWindow(const std::function<void(CFWUpdateDlg&)>& user, uint64_t boundMs) {
  CFWUpdateDlg dialog(host_);
  simhost::Scheduler& scheduler = world_.scheduler();
  simhost::Windows& windows = tool_.windows();
  scheduler.Spawn([&] {
    scheduler.BlockUntil([&] { return windows.IsOpen(); }, scheduler.Now() + 10000);
    user(dialog);
    scheduler.BlockUntil([&] { return !windows.IsOpen() || windows.IsEnabled(IDCANCEL); }, scheduler.Now() + boundMs);
    if (windows.IsOpen()) windows.PostCommand(IDCANCEL);
  });
  scheduler.Spawn([&] {
    scheduler.Sleep(3 * boundMs);
    if (windows.IsOpen()) Fail("the window is still open after " + std::to_string(3 * boundMs) + " virtual ms");
  });
  dialog.DoModal();
}

void FuzzMachine::CheckAfterExit() {
  world_.scheduler().Sleep(1);  // the cancel thread returns
  if (tool_.OpenHandles() != 0) Fail(std::to_string(tool_.OpenHandles()) + " handles left open");
  if (tool_.services().OpenHandles() != 0) Fail("service handles left open");
  if (tool_.setup().OpenDeviceSets() != 0 || tool_.registry().OpenKeys() != 0) Fail("setup handles left open");
  simhost::UsbBus& bus = world_.usb();
  if (bus.OpenHandles() != 0 || bus.RequestsInFlight() != 0) Fail("usbscan handle or request left open");
  if (!bus.Violations().empty()) Fail("usbscan: " + bus.Violations().front());
  if (bus.PeakOpenHandles() > 1) Fail("two device channels open at once");
  const sim_runner::TextBook book(0x0409);
  for (const int id : {IDC_STATUS, IDC_DEVICE_NAME, IDC_INTERFACE}) {
    for (const std::wstring& text : tool_.windows().TextHistory(id)) {
      if (!book.Allows(id, text)) Fail("control " + std::to_string(id) + " showed \"" + sim_runner::Utf8(text) + "\"");
    }
  }
}

}  // namespace fuzz
