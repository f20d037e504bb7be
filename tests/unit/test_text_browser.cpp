// The text editor's filters, entry kinds and listing rules.
#include <gtest/gtest.h>

#include "config/settings.h"
#include "support/testenv.h"
#include "texteditor/engine/text_browser.h"

using namespace kessik;
using namespace kessik::texted;
using kessik::test::cp;

TEST(TextFilters, DefaultListLookups) {
  const std::string& list = defaultFilterList();
  const int n = filterCount(list);
  EXPECT_EQ(n, 28);
  EXPECT_EQ(filterMask(list, 1), "*");
  EXPECT_EQ(filterLabel(list, 1), cp("все что только можно :)"));
  EXPECT_EQ(filterPair(list, 9), cp("map.txt|Параметры карт"));
  EXPECT_EQ(comboItemText(list, 9), cp("map.txt    |    Параметры карт"));
  EXPECT_EQ(filterMask(list, 28), "*.mq");
  EXPECT_EQ(filterIndex(list, n, "MAP.TXT"), 9);
  EXPECT_EQ(filterIndex(list, n, "nothing*"), 0);
  // Only the filters the caller knows count.
  EXPECT_EQ(filterIndex(list, 8, "map.txt"), 0);
}

TEST(TextFilters, CountsAndOddFields) {
  struct Case {
    const char* list;
    int count;
  } cases[] = {{"", 0}, {"a", 0}, {"a|b", 1}, {"a|b|c", 1}, {"a|b|c|d", 2}, {"a||c|", 2}};
  for (const Case& c : cases) EXPECT_EQ(filterCount(c.list), c.count) << c.list;
  // Three fields: one filter, the third field never shows.
  EXPECT_EQ(comboItemText("m*|label|orphan", 1), "m*    |    label");
  // The last equal mask wins.
  EXPECT_EQ(filterIndex("a*|x|A*|y", 2, "a*"), 2);
}

TEST(TextFilters, ComboTextMasks) {
  EXPECT_EQ(maskOfComboText(cp("map.txt    |    Параметры карт")), "map.txt");
  EXPECT_EQ(maskOfComboText("quest*"), "quest*");
  EXPECT_EQ(maskOfComboText("a b|c"), "a");
  EXPECT_EQ(maskOfComboText("|x"), "");
  // Adding and deleting take the text up to the first blank only.
  EXPECT_EQ(textBeforeBlank("a|b c"), "a|b");
  EXPECT_EQ(textBeforeBlank(cp("map.txt    |    Параметры карт")), "map.txt");
}

TEST(TextFilters, AppendRemoveAndCheck) {
  EXPECT_EQ(appendFilter("", "*.txt", "Тексты"), "*.txt|Тексты");
  EXPECT_EQ(appendFilter("a|b", "c", ""), "a|b|c|");
  // A dangling third field would pair with the new mask.
  EXPECT_EQ(appendFilter("a|b|orphan", "c", "d"), "a|b|c|d");
  EXPECT_EQ(appendFilter("orphan", "c", "d"), "c|d");
  EXPECT_EQ(removeFilter("a|1|b|2|c|3", 3, 2), "a|1|c|3");
  EXPECT_EQ(removeFilter("a|1", 1, 1), "");
  EXPECT_EQ(removeFilter("a|1|b|2|tail", 2, 1), "b|2");

  const std::string list = "map.txt|Maps|*.res|Archives";
  EXPECT_EQ(checkNewFilter(list, 2, "", "x"), NewFilterProblem::Empty);
  EXPECT_EQ(checkNewFilter(list, 2, "MAP.TXT", "x"), NewFilterProblem::Exists);
  EXPECT_EQ(checkNewFilter(list, 2, "a|b", "x"), NewFilterProblem::BadMask);
  EXPECT_EQ(checkNewFilter(list, 2, "a b", "x"), NewFilterProblem::BadMask);
  EXPECT_EQ(checkNewFilter(list, 2, "say*", "a|b"), NewFilterProblem::BadLabel);
  EXPECT_EQ(checkNewFilter(list, 2, "say*", cp("Реплики")), NewFilterProblem::None);
}

TEST(TextFilters, SizeLimit) {
  EXPECT_TRUE(textFileOpens(true, 100000, 99999));
  EXPECT_FALSE(textFileOpens(true, 100000, 100000));
  // A size beyond 32 bits is not taken for its low bits.
  EXPECT_FALSE(textFileOpens(true, 100000, (std::uint64_t{1} << 32) + 5));
  EXPECT_TRUE(textFileOpens(false, 10, 1u << 30));
  EXPECT_FALSE(textFileOpens(true, 0, 0));
}

class TextListing : public kessik::test::TempDrive {};

TEST_F(TextListing, KindsAndMask) {
  writeFile("C:\\t\\MAP.TXT", "");
  writeFile("C:\\t\\map.txt.bak", "");
  writeFile("C:\\t\\texts.RES", "");
  writeFile("C:\\t\\a.mq", "");
  writeFile("C:\\t\\Doc.Rtf", "");
  writeFile("C:\\t\\quest1.txt", "");
  writeFile("C:\\t\\sub\\x.txt", "");
  const RListOfDirResult listing = listFolder("C:\\t\\");
  auto render = [](const std::vector<Entry>& entries) {
    std::string s;
    for (const Entry& e : entries) s += e.name + ":" + std::to_string(static_cast<int>(e.kind)) + " ";
    return s;
  };
  EXPECT_EQ(render(visibleEntries(listing, "*")), "..:0 sub:1 a.mq:3 Doc.Rtf:4 MAP.TXT:2 map.txt.bak:2 quest1.txt:2 texts.RES:3 ");
  EXPECT_EQ(render(visibleEntries(listing, "map.txt")), "..:0 sub:1 MAP.TXT:2 ");
  EXPECT_EQ(render(visibleEntries(listing, "")), "..:0 sub:1 ");
  EXPECT_TRUE(isDriveRoot("C:\\"));
  EXPECT_FALSE(isDriveRoot("C:\\t\\"));
}
