#include "app/string_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/text_format.h"
#include "res/string_ids.h"
#include "simhost/process.h"
#include "simhost/string_tables.h"

namespace {

class StringTableTest : public testing::Test {
 protected:
  std::wstring Load(LANGID language, UINT id) {
    process.host().language.SetThreadUILanguage(language);
    return app::LoadStringById(process.host(), id);
  }

  simhost::World world;
  int windowThread = world.scheduler().AdoptCurrentThread();
  simhost::Process process{world};
};

// The placeholders of a text in order: %s %d %u %%.
std::wstring Placeholders(const std::wstring& text) {
  std::wstring out;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] == L'%' && std::wstring_view(L"sdu%").find(text[i + 1]) != std::wstring_view::npos) {
      out += text.substr(i, 2);
      ++i;
    }
  }
  return out;
}

TEST_F(StringTableTest, EveryLanguageHasEveryIdWithTheEnglishPlaceholders) {
  // The languages come from the tables; how many there are is pinned here on purpose, so that a table lost or
  // added shows: a new language is its file in src/res/strings and this count.
  constexpr size_t kLanguages = 17;
  const std::vector<LANGID>& tables = simhost::StringTableLanguages();
  EXPECT_EQ(tables.size(), kLanguages);
  std::set<LANGID> seen;
  for (const auto& entry : simhost::StringTables()) seen.insert(entry.language);
  EXPECT_EQ(seen, std::set<LANGID>(std::begin(tables), std::end(tables)));
  for (const LANGID language : tables) {
    int translated = 0;
    for (UINT id = 201; id <= 267; ++id) {
      const std::wstring english = Load(0x0409, id);
      const std::wstring text = Load(language, id);
      EXPECT_FALSE(text.empty()) << "language " << language << " id " << id;
      EXPECT_EQ(Placeholders(text), Placeholders(english)) << "language " << language << " id " << id;
      translated += text != english ? 1 : 0;
    }
    // Some labels read the same in a few languages ("Status:"), but a table is a translation.
    if (language != 0x0409) {
      EXPECT_GE(translated, 55) << "language " << language;
    }
    EXPECT_EQ(Load(language, IDS_USB), L"USB") << "language " << language;
    // The refusal of an unknown switch names it.
    EXPECT_EQ(Placeholders(Load(language, IDS_UNKNOWN_SWITCH)), Placeholders(L"%s")) << "language " << language;
    if (language != 0x0409) {
      EXPECT_NE(Load(language, IDS_UNKNOWN_SWITCH), Load(0x0409, IDS_UNKNOWN_SWITCH)) << "language " << language;
    }
  }
}

TEST_F(StringTableTest, EnglishTextsToTheCharacter) {
  EXPECT_EQ(Load(0x0409, IDS_DEVICE_NOT_FOUND), L"Device Not Found!!  Please Check.");
  EXPECT_EQ(Load(0x0409, IDS_REBOOT_SCANNER), L"Please reboot Scanner... \n");
  EXPECT_EQ(Load(0x0409, IDS_CHECK_VERSION), L"Check Device firmware version\u2026");
  EXPECT_EQ(Load(0x0409, IDS_MORE_THAN_ONE_SCANNER),
            L"More than one scanner is connected. Connect only the scanner to update.");
  EXPECT_EQ(Load(0x0409, IDS_FW_UPGRADE_WAIT),
            L"FW Upgrade! Please wait...\nDuring firmware update, please make sure device power is stable.\n");
  EXPECT_EQ(Load(0x0409, IDS_SCAN_APP_IN_USE),
            L"The Kavrel Scan application is currently in use with another task or another user on this "
            L"computer.  Please wait until the other task is complete and then try again.\n");
  EXPECT_EQ(Load(0x0409, IDS_ALREADY_OPEN), L"The firmware update tool is already open.");
}

TEST_F(StringTableTest, TheThreadLanguageChoosesTheTable) {
  struct Case {
    LANGID threadLanguage;
    LANGID table;
  };
  const Case cases[] = {
      {0x0407, 0x0007},  // German (Germany): the German table
      {0x0C07, 0x0007},  // German (Austria): falls back to the German table
      {0x0804, 0x0004},  // Chinese (PRC): the simplified table
      {0x0404, 0x0404},  // Chinese (Taiwan): the traditional table
      {0x0411, 0x0409},  // Japanese: no table of its own, English (United States)
      {0x0C0A, 0x000A},  // Spanish (Spain)
      {0x340A, 0x000A},  // Spanish (Chile)
      {0x0816, 0x0016},  // Portuguese (Portugal)
      {0x0409, 0x0409},
  };
  for (const auto& c : cases) {
    for (UINT id : {IDS_APP_TITLE, IDS_DEVICE_NOT_FOUND, IDS_UPDATE_FAILED}) {
      EXPECT_EQ(Load(c.threadLanguage, id), Load(c.table, id)) << "thread language " << c.threadLanguage;
    }
  }
  EXPECT_NE(Load(0x0804, IDS_APP_TITLE), Load(0x0404, IDS_APP_TITLE));
}

TEST_F(StringTableTest, UnknownIdsGiveTheEmptyText) {
  for (UINT id : {0u, 101u, 200u, 270u, 4000u}) EXPECT_EQ(Load(0x0409, id), L"") << id;
}

TEST_F(StringTableTest, FormattedEntries) {
  EXPECT_EQ(text::Format(Load(0x0409, IDS_BURN_PROGRESS), 37), L"Burning firmware... (37%)");
  EXPECT_EQ(text::Format(Load(0x0409, IDS_UPDATE_FAILED), Load(0x0409, IDS_DEVICE_NOT_FOUND)),
            L"Update Failed: Device Not Found!!  Please Check.");
  EXPECT_EQ(text::Format(Load(0x0409, IDS_UPDATE_FAILED), text::Format(Load(0x0409, IDS_STILL_OLD_VERSION), L"0.60")),
            L"Update Failed: The scanner still reports firmware version 0.60 after the update.");
  const std::wstring german = text::Format(Load(0x0407, IDS_BURN_PROGRESS), 37);
  EXPECT_NE(german.find(L"37%"), std::wstring::npos) << testing::PrintToString(german);
}

TEST(StringBlock, ATruncatedBlockGivesTheEmptyText) {
  const WORD block[] = {2, L'a', L'b', 5, L'c'};  // entry 1 claims 5 units, only 1 is there
  EXPECT_EQ(app::StringFromBlock(block, sizeof(block), 0), L"ab");
  EXPECT_EQ(app::StringFromBlock(block, sizeof(block), 1), L"");
  EXPECT_EQ(app::StringFromBlock(block, sizeof(block), 15), L"");
}

}  // namespace
