#include <gtest/gtest.h>

#include "emulator/fnv1a64.h"
#include "emulator/placeholder_image.h"
#include "res/resource.h"
#include "res/string_ids.h"
#include "support/window_fixture.h"

namespace {

uint64_t Checksum(const BYTE* data, DWORD size) {
  emu::Fnv1a64 hash;
  hash.Update(data, size);
  return hash.Value();
}

using FirmwareImageTest = WindowTest;

TEST_F(FirmwareImageTest, EachImageIsAViewOfTheProgramsOwnDataInAnyLanguage) {
  tool.host().language.SetThreadUILanguage(0x0407);  // the lookup finds the English entry whatever the language
  Run([&](CFWUpdateDlg& dialog) {
    tool.host().language.SetThreadUILanguage(0x0407);
    for (const auto& image : emu::kPlaceholderImages) {
      const BYTE* data = nullptr;
      DWORD size = 0;
      ASSERT_TRUE(dialog.LoadFirmwareImage(static_cast<WORD>(image.id), &data, &size, 0)) << image.id;
      EXPECT_EQ(size, image.size) << image.id;
      EXPECT_EQ(Checksum(data, size), image.checksum) << image.id;
      const BYTE* again = nullptr;
      DWORD againSize = 0;
      dialog.LoadFirmwareImage(static_cast<WORD>(image.id), &again, &againSize, 0);
      EXPECT_EQ(again, data) << "loading twice yields the same bytes, not a copy";
    }
    EXPECT_EQ(tool.windows().CellText(0, 1), L"");  // nothing posted on success
  });
}

TEST_F(FirmwareImageTest, FailuresPostTheirTexts) {
  struct Case {
    const char* what;
    std::function<void()> arrange;
    WORD id;
    UINT text;
  };
  const Case cases[] = {
      {"no such image", [] {}, 502, IDS_LOAD_FIND_ERROR},
      {"an empty image", [&] { tool.resources().Add(L"BINARY", MAKEINTRESOURCEW(503), 0x0409, {}); }, 503,
       IDS_LOAD_EMPTY_ERROR},
      {"the lock yields no pointer", [&] { tool.resources().FailLocks(true); }, 504, IDS_LOAD_LOCK_ERROR},
      {"the load fails", [&] { tool.resources().FailLoads(true); }, 501, IDS_LOAD_LOAD_ERROR},
  };
  Run([&](CFWUpdateDlg& dialog) {
    for (const auto& c : cases) {
      c.arrange();
      const BYTE* data = nullptr;
      DWORD size = 0;
      EXPECT_FALSE(dialog.LoadFirmwareImage(c.id, &data, &size, 0)) << c.what;
      EXPECT_EQ(tool.windows().CellText(0, 1), Text(c.text)) << c.what;
      EXPECT_EQ(tool.windows().ControlText(IDC_STATUS), Text(c.text)) << c.what;
    }
  });
}

}  // namespace
