// The rules behind the resources window: the standard archives, a row's
// buttons from the file system, and packing an archive afresh without losing
// the old one.
#include <gtest/gtest.h>

#include "archives/driver/resbuild.h"
#include "archives/driver/resources.h"
#include "support/testenv.h"
#include "platform/files.h"

using namespace kessik;
using namespace kessik::archives;

class ResourcesRules : public kessik::test::TempDrive {};

TEST(ResourcesTable, RowsAndPathsDialogOrder) {
  std::vector<std::string> rows, paths;
  for (const auto& a : standardArchives()) rows.emplace_back(a.fileName);
  for (const auto& a : archivePathsOrder()) paths.emplace_back(a.fileName);
  EXPECT_EQ(rows, (std::vector<std::string>{"aiinfo.res", "texts.res", "speech.res", "figures.res", "gfx.res",
                                            "materials.res", "menus.res", "outro.res", "redress.res", "sfx.res",
                                            "databaselmp.res", "textslmp.res", "textures.res", "database.res"}));
  EXPECT_EQ(paths, (std::vector<std::string>{"aiinfo.res", "database.res", "databaselmp.res", "figures.res",
                                             "gfx.res", "materials.res", "menus.res", "outro.res", "redress.res",
                                             "sfx.res", "speech.res", "texts.res", "textslmp.res", "textures.res"}));
  // Every row's key names the setting it reads.
  Settings s;
  for (const auto& a : standardArchives()) {
    s.*a.path = "X:\\" + std::string(a.fileName);
    EXPECT_EQ(settingText(s, a.key), "X:\\" + std::string(a.fileName)) << a.key;
    EXPECT_EQ(std::string(a.buttonBase) + ".res", a.fileName);
  }
}

TEST_F(ResourcesRules, RowStateFollowsArchiveAndFolder) {
  EXPECT_FALSE(rowState("C:\\res\\texts.res").unpack);
  EXPECT_FALSE(rowState("C:\\res\\texts.res").pack);
  writeFile("C:\\res\\texts.res", "x");
  EXPECT_TRUE(rowState("C:\\res\\texts.res").unpack);
  EXPECT_FALSE(rowState("C:\\res\\texts.res").pack);
  writeFile("C:\\res\\texts_res\\a.txt", "a");
  EXPECT_TRUE(rowState("C:\\res\\texts.res").pack);
  // A folder under the archive's name counts as the archive being there.
  writeFile("C:\\res\\speech\\x", "");
  EXPECT_TRUE(rowState("C:\\res\\speech").unpack);
  EXPECT_FALSE(rowState("").unpack || rowState("").pack);
}

TEST(ResourcesFolders, LiesInFolder) {
  const struct {
    const char *file, *folder;
    bool inside;
  } cases[] = {
      {"C:\\mods\\a.res", "C:\\mods\\", true},   {"C:\\mods\\a.res", "C:\\MODS", true},
      {"C:\\mods\\x\\a.res", "C:\\mods", true},  {"C:\\mods2\\a.res", "C:\\mods", false},
      {"C:\\mods\\a.res", "C:\\mods\\a.res", false}, {"C:\\a.res", "", false},
  };
  for (const auto& c : cases) EXPECT_EQ(liesInFolder(c.file, c.folder), c.inside) << c.file << " in " << c.folder;
}

TEST_F(ResourcesRules, PackReplacingDropsTheOldArchiveOnlyOnceANewOneIsThere) {
  writeFile("C:\\res\\a.res", "old");
  std::vector<std::string> seen;
  // A pack that writes the archive: the old one is gone, nothing is left aside.
  auto writes = [&](const std::string& archive, const std::string&) {
    seen.push_back(fileExists(archive) ? "present" : "absent");
    writeFile(archive, "new");
    return std::string();
  };
  EXPECT_EQ(packReplacing("C:\\res\\a.res", "C:\\src\\", writes), "");
  EXPECT_EQ(seen, std::vector<std::string>{"absent"});
  EXPECT_EQ(readFile("C:\\res\\a.res"), "new");
  EXPECT_FALSE(hostExists("C:\\res\\a.res.old"));

  // A pack that fails: the old archive comes back, and the message is passed on.
  writeFile("C:\\res\\a.res.old", "someone else's");
  auto fails = [](const std::string&, const std::string&) { return std::string("no folder"); };
  EXPECT_EQ(packReplacing("C:\\res\\a.res", "C:\\src\\", fails), "no folder");
  EXPECT_EQ(readFile("C:\\res\\a.res"), "new");
  EXPECT_EQ(readFile("C:\\res\\a.res.old"), "someone else's");
  EXPECT_FALSE(hostExists("C:\\res\\a.res.old2"));

  // No old archive: the pack runs as it is.
  EXPECT_EQ(packReplacing("C:\\res\\b.res", "C:\\src\\", writes), "");
  EXPECT_EQ(readFile("C:\\res\\b.res"), "new");
}
