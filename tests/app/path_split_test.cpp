#include "app/path_split.h"

#include <gtest/gtest.h>

namespace {

TEST(SplitPath, PartsAsTheRuntimeLibrarySplitsThem) {
  struct Case {
    std::wstring path, drive, folder, name, extension;
  };
  const Case cases[] = {
      {L"C:\\Tools\\FWUpdate.exe", L"C:", L"\\Tools\\", L"FWUpdate", L".exe"},
      {L"C:\\a.b\\FWUpdate", L"C:", L"\\a.b\\", L"FWUpdate", L""},
      {L"\\\\server\\share\\FWUpdate.exe", L"", L"\\\\server\\share\\", L"FWUpdate", L".exe"},
      {L"FWUpdate.exe", L"", L"", L"FWUpdate", L".exe"},
      {L"D:FWUpdate.tar.exe", L"D:", L"", L"FWUpdate.tar", L".exe"},
  };
  for (const auto& c : cases) {
    const auto parts = app::SplitPath(c.path);
    ASSERT_TRUE(parts) << "path " << testing::PrintToString(c.path);
    EXPECT_EQ(parts->drive, c.drive);
    EXPECT_EQ(parts->folder, c.folder);
    EXPECT_EQ(parts->name, c.name);
    EXPECT_EQ(parts->extension, c.extension);
  }
}

TEST(SplitPath, APartLongerThanItsBufferFails) {
  EXPECT_TRUE(app::SplitPath(L"C:\\" + std::wstring(253, L'f') + L"\\x.exe"));  // folder of 255 characters
  EXPECT_FALSE(app::SplitPath(L"C:\\" + std::wstring(254, L'f') + L"\\x.exe"));
  EXPECT_FALSE(app::SplitPath(L"C:\\" + std::wstring(256, L'n') + L".exe"));
}

}  // namespace
