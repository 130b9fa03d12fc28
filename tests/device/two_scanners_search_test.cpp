// The search with more than one scanner on the bus: it says so, sends nothing, and leaves Update off.
#include <gtest/gtest.h>

#include "res/resource.h"
#include "res/string_ids.h"
#include "support/scanner_fixture.h"

namespace {

class TwoScannersSearchTest : public ScannerTest {};

TEST_F(TwoScannersSearchTest, MoreThanOneScannerIsRefusedAndNeitherHearsAnything) {
  struct Case {
    const char* what;
    int scanners;  // at indices 0, 2, 4, ...
  };
  const Case cases[] = {{"two", 2}, {"three", 3}};
  Run([&](CFWUpdateDlg& dialog) {
    WaitForFirstSearch(dialog);
    for (const auto& c : cases) {
      SCOPED_TRACE(c.what);
      std::vector<emu::TessalineDevice*> scanners;
      for (int i = 0; i < c.scanners; ++i) scanners.push_back(&world.usb().AttachScanner(2 * i));
      const size_t console = tool.console().Output().size();
      EXPECT_EQ(dialog.GetDeviceStatus(SearchOrigin::kOther, 2), -1);
      for (auto* scanner : scanners) EXPECT_EQ(scanner->TransactionCount(), 0u);
      EXPECT_EQ(tool.windows().ControlText(IDC_STATUS), Text(IDS_MORE_THAN_ONE_SCANNER));
      EXPECT_FALSE(tool.windows().RowChecked(0));
      EXPECT_FALSE(tool.windows().IsEnabled(IDC_UPDATE));
      EXPECT_EQ(tool.windows().ControlText(IDC_DEVICE_NAME), L"Kavrel Tessaline ()");
      EXPECT_EQ(tool.windows().ControlText(IDC_INTERFACE), L"USB");
      const std::wstring line = L"[GetDeviceStatus]: " + std::to_wstring(c.scanners) + L" scanners are connected...\n";
      EXPECT_EQ(tool.console().Output().substr(console), line);

      // Search Device again, once one is left: the window is as it always was.
      for (int i = 1; i < c.scanners; ++i) world.usb().Detach(2 * i);
      EXPECT_EQ(dialog.GetDeviceStatus(SearchOrigin::kOther, 2), 0);
      EXPECT_EQ(tool.windows().ControlText(IDC_STATUS), Text(IDS_READY));
      EXPECT_TRUE(tool.windows().RowChecked(0));
      EXPECT_TRUE(tool.windows().IsEnabled(IDC_UPDATE));
      EXPECT_EQ(Count(tool.console().Output().substr(console), L"scanners are connected"), 1u);
      world.usb().Detach(0);
    }
  });
}

}  // namespace
