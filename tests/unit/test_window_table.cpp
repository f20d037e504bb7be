// The table of section editor windows: every window once, names following the
// class pattern, folders matching database and section.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "editors/schemas/registry.h"
#include "editors/schemas/window_table.h"

using namespace kessik;

TEST(WindowTable, FortySevenUniqueWindowsSinglFirst) {
  const auto& t = windowTable();
  ASSERT_EQ(t.size(), 47u);
  std::set<std::string> classes, menus, captions;
  int singl = 0;
  bool seenLmp = false;
  for (const auto& e : t) {
    classes.insert(e.className);
    menus.insert(e.menuName);
    captions.insert(e.caption);
    if (e.game == Game::Singl) {
      ++singl;
      EXPECT_FALSE(seenLmp) << e.className << ": SINGL windows come first";
    } else {
      seenLmp = true;
    }
  }
  // 26 single-player windows (every row of the menu table) and 21 multiplayer.
  EXPECT_EQ(singl, 26);
  EXPECT_EQ(classes.size(), 47u);
  EXPECT_EQ(menus.size(), 47u);
  EXPECT_EQ(captions.size(), 47u);
}

TEST(WindowTable, NamesFoldersAndCaptionsAgree) {
  for (const auto& e : windowTable()) {
    SCOPED_TRACE(e.className);
    // Schema folder: database base name, section number, backslashes.
    const std::string base = e.database.substr(0, e.database.find('.'));
    EXPECT_EQ(e.schemaFolder, base + "\\" + std::to_string(e.section) + "\\");
    // Caption ends with the game; SINGL classes carry "Singl" after the T,
    // except the levers windows.
    const std::string suffix = e.game == Game::Singl ? "(SINGL)" : "(LMP)";
    ASSERT_GE(e.caption.size(), suffix.size());
    EXPECT_EQ(e.caption.substr(e.caption.size() - suffix.size()), suffix);
    if (base == "levers") {
      EXPECT_EQ(e.className, e.game == Game::Singl ? "TLeversF" : "TLmpLeversF");
      EXPECT_EQ(e.menuCaption, "levers.ldb");
    } else {
      EXPECT_EQ(e.className.rfind(e.game == Game::Singl ? "TSingl" : "T", 0), 0u);
      EXPECT_NE(e.className.find("R" + std::to_string(e.section) + "F"), std::string::npos);
      // The caption starts with the database name, capitalised, and " : ".
      std::string db = e.database;
      db[0] = static_cast<char>(db[0] - 'a' + 'A');
      EXPECT_EQ(e.caption.rfind(db + " : ", 0), 0u);
    }
  }
  EXPECT_EQ(findWindow("TSinglPrintsDbR1F")->caption, "Prints.db : Blood Prints (SINGL)");
  EXPECT_EQ(findWindow("TPrintsDbR3F")->menuName, "Bas_Mult_Prints_Razd3Menu");
  EXPECT_EQ(findWindow("TUnitsUdbR3F")->menuCaption, "MonstersPrototypes");
  EXPECT_EQ(findWindow("TSinglItemsIdbR4F")->menuName, "ItemsMenu4");
  EXPECT_EQ(findWindow("TNoSuchF"), nullptr);
  for (const char* unknown : {"prints\\4\\", "spells\\6\\", "units\\5\\", "prints\\1", ""})
    EXPECT_EQ(findSchema(unknown), nullptr) << unknown;
  // The multiplayer game has no acks.db and no quests.qdb windows.
  for (const auto& e : windowTable()) {
    if (e.game != Game::Lmp) continue;
    EXPECT_NE(e.database, "acks.db");
    EXPECT_NE(e.database, "quests.qdb");
  }
}
