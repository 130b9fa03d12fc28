// The start after an update that was cut off: the notice stays below the status line's texts, so the user sees
// it after the start-up search, until a search or an update is started; the log gets the texts alone.
#include <gtest/gtest.h>

#include <string>

#include "res/resource.h"
#include "res/string_ids.h"
#include "support/scanner_fixture.h"

namespace {

using CutOffNoticeTest = ScannerTest;

TEST_F(CutOffNoticeTest, TheNoticeStaysBelowTheStatusUntilASearchOrAnUpdateStarts) {
  struct Case {
    const char* what;
    int press;  // 0: the user only closes
    UINT lastPlain;  // the text the pressed command ends on, shown without the notice
  };
  const Case cases[] = {
      {"closed at once", 0, 0},
      {"Search Device", IDC_SEARCH_DEVICE, IDS_READY},
      {"Update", IDC_UPDATE, IDS_UPDATE_SUCCEED},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Attach();
    const std::wstring notice = Text(IDS_UPDATE_CUT_OFF);
    const std::wstring ready = Text(IDS_READY);
    beforeOpen = [](CFWUpdateDlg& dialog) { dialog.m_bUpdateCutOff = true; };
    const size_t from = Shown().size();
    size_t pressedAt = 0;
    std::wstring afterSearch;
    Run([&](CFWUpdateDlg& dialog) {
      WaitForFirstSearch(dialog);
      afterSearch = Shown().back();
      pressedAt = Shown().size();
      if (c.press == IDC_UPDATE) UpdateAndWait(dialog);
      if (c.press == IDC_SEARCH_DEVICE) {
        Press(IDC_SEARCH_DEVICE);
        WaitFor([&] { return tool.windows().IsEnabled(IDCANCEL); }, 200000);
      }
    });
    ASSERT_GT(pressedAt, from + 1);
    EXPECT_EQ(Shown()[from], notice);
    for (size_t i = from + 1; i < pressedAt; ++i) {
      const std::wstring& text = Shown()[i];
      EXPECT_EQ(text.substr(text.size() - notice.size()), notice) << "start-up text " << i - from;
    }
    EXPECT_EQ(afterSearch, ready + L"\n" + notice);
    if (c.press != 0) {
      ASSERT_GT(Shown().size(), pressedAt);
      for (size_t i = pressedAt; i < Shown().size(); ++i) {
        EXPECT_EQ(Shown()[i].find(notice), std::wstring::npos) << "text " << i - pressedAt << " after the press";
      }
      EXPECT_TRUE(WasShown(Text(c.lastPlain)));
    }
    world.usb().Detach(0);
  }
}

}  // namespace
