#include "app/settings.h"

#include <gtest/gtest.h>

#include "simhost/process.h"

namespace {

class SettingsTest : public testing::Test {
 protected:
  void WriteSettings(const std::wstring& content) { world.WriteTextFile(L"C:\\Tools\\FWUpdate\\Settings.ini", content); }

  simhost::World world;
  int windowThread = world.scheduler().AdoptCurrentThread();
  simhost::Process process{world, {.modulePath = L"C:\\Tools\\FWUpdate\\FWUpdate.exe"}};
};

TEST_F(SettingsTest, ReadsTheFileBesideTheProgram) {
  struct Case {
    const wchar_t* content;
    UINT langId;
    bool showAll;
  };
  const Case cases[] = {
      {L"[Development]\nLANG_ID=1031\n", 1031, false},
      {L"[Development]\r\nLANG_ID=0\r\nSHOW_ALL_STRING=9999\r\n", 0, true},
      {L"[development]\nlang_id = 2052\nShow_All_String=9998\n", 2052, false},
      {L"[Development]\nSHOW_ALL_STRING=75535\n", 0, true},  // 9999 + 65536: only the low 16 bits count
      {L"[Development]\nLANG_ID=German\nSHOW_ALL_STRING=x9999\n", 0, false},
      {L"[Development]\nLANG_ID=1031abc\n", 1031, false},  // the leading digits
      {L"[Development]\nLANG_ID=-1\n", 0xFFFFFFFFu, false},
      {L"[Development]\nLANG_ID=99999999999\n", 1215752191u, false},  // wraps to 32 bits
      {L"[Other]\nLANG_ID=1031\n", 0, false},
      {L"LANG_ID=1031\n", 0, false},  // a key outside any section
      {L"[Development]\nLANG_ID=\n", 0, false},
      {L"", 0, false},
  };
  for (const auto& c : cases) {
    WriteSettings(c.content);
    EXPECT_EQ(app::ReadLangId(process.host()), c.langId) << testing::PrintToString(std::wstring(c.content));
    EXPECT_EQ(app::IsShowAllStrings(process.host()), c.showAll) << testing::PrintToString(std::wstring(c.content));
  }
}

TEST_F(SettingsTest, NoFileBesideTheProgramMeansDefaults) {
  world.WriteTextFile(L"C:\\Work\\Settings.ini", L"[Development]\nLANG_ID=1031\nSHOW_ALL_STRING=9999\n");
  EXPECT_EQ(app::ReadLangId(process.host()), 0u);
  EXPECT_FALSE(app::IsShowAllStrings(process.host()));
}

TEST_F(SettingsTest, IsReadAfreshAtEveryCall) {
  WriteSettings(L"[Development]\nLANG_ID=1031\n");
  EXPECT_EQ(app::ReadLangId(process.host()), 1031u);
  WriteSettings(L"[Development]\nLANG_ID=1036\n");
  EXPECT_EQ(app::ReadLangId(process.host()), 1036u);
  world.DeleteFile(L"C:\\Tools\\FWUpdate\\Settings.ini");
  EXPECT_EQ(app::ReadLangId(process.host()), 0u);
}

TEST(SettingsPaths, AProgramPathBeyondTheBuffersBehavesAsWithoutSettings) {
  simhost::World world;
  world.scheduler().AdoptCurrentThread();
  struct Case {
    std::wstring folder;
  };
  // "C:" + folder + "Settings.ini": the language reader holds 256 characters, the rows switch 260.
  const Case cases[] = {
      {L"\\" + std::wstring(240, L'a') + L"\\"},  // 2 + 242 + 12 = 256: one too many for 256
      {L"\\" + std::wstring(239, L'a') + L"\\"},  // 255 characters with the NUL in 256
      {L"\\" + std::wstring(300, L'a') + L"\\"},  // the folder alone exceeds 255 characters
  };
  for (const auto& c : cases) {
    simhost::Process process(world, {.modulePath = L"C:" + c.folder + L"FWUpdate.exe"});
    world.WriteTextFile(L"C:" + c.folder + L"Settings.ini", L"[Development]\nLANG_ID=1031\nSHOW_ALL_STRING=9999\n");
    const size_t pathLength = 2 + c.folder.size() + 12;
    EXPECT_EQ(app::ReadLangId(process.host()), pathLength < app::kLangIdPathChars ? 1031u : 0u) << pathLength;
    EXPECT_EQ(app::IsShowAllStrings(process.host()), pathLength < app::kShowAllPathChars) << pathLength;
  }
}

TEST_F(SettingsTest, TheLanguageChoiceSetsTheThreadLanguageOnlyForNonZero) {
  world.systemUiLanguage = 0x0411;
  WriteSettings(L"[Development]\nLANG_ID=0\n");
  app::ApplyConfiguredLanguage(process.host());
  EXPECT_EQ(process.host().language.GetThreadUILanguage(), 0x0411);
  WriteSettings(L"[Development]\nLANG_ID=1031\n");
  app::ApplyConfiguredLanguage(process.host());
  EXPECT_EQ(process.host().language.GetThreadUILanguage(), 1031);
}

}  // namespace
