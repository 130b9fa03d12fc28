// The window test with a machine around it: an emulated Kavrel Tessaline at usbscan index 0 (unless a test
// removes it), its image-class device record named "Scanner A", and a still-image service that stops in a
// second.
#pragma once
#include <functional>

#include "emulator/scenario.h"
#include "emulator/tessaline_device.h"
#include "simhost/usbscan.h"
#include "support/window_fixture.h"

class ScannerTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    tool.setup().AddImageDevice({L"USB\\VID_1209&PID_0001&REV_0100"}, 0, L"Scanner A");
    Stisvc().stopTakesMs = 1000;
  }

  emu::TessalineDevice& Attach(emu::Scenario scenario = {}) { return world.usb().AttachScanner(0, scenario); }
  simhost::SimService& Stisvc() { return tool.services().Service(L"stisvc"); }
  // The still-image service as the tool must leave it: automatic start, running.
  void ExpectServiceGivenBack() {
    EXPECT_EQ(Stisvc().startType, static_cast<DWORD>(SERVICE_AUTO_START));
    EXPECT_EQ(Stisvc().state, static_cast<DWORD>(SERVICE_RUNNING));
  }

  // Waits for the stop thread the window starts, and with it the first search.
  void WaitForFirstSearch(CFWUpdateDlg& dialog) {
    const HANDLE stop = dialog.m_hStopThread.Load();
    if (stop != nullptr) tool.host().kernel.WaitForSingleObject(stop, 200000);
  }
  // Presses Update and waits until the update thread has ended (verdict posted, buttons given back);
  // duringUpdate, when given, runs on the user's thread once the update thread has started.
  void UpdateAndWait(CFWUpdateDlg& dialog, DWORD boundMs = 2000000, const std::function<void()>& duringUpdate = {}) {
    Press(IDC_UPDATE);
    WaitFor([&] { return dialog.m_slots[0].hUpdateThread.Load() != nullptr; });
    if (duringUpdate) duringUpdate();
    tool.host().kernel.WaitForSingleObject(dialog.m_slots[0].hUpdateThread.Load(), boundMs);
  }
  const std::vector<std::wstring>& Shown() { return tool.windows().TextHistory(IDC_STATUS); }
  bool WasShown(const std::wstring& text) {
    for (const auto& shown : Shown()) {
      if (shown == text) return true;
    }
    return false;
  }
};
