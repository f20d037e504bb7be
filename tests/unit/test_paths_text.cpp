// Path rules and cp1251 text rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "support/testenv.h"
#include "util/cp1251.h"
#include "util/paths.h"

using namespace kessik;
using kessik::test::cp;

TEST(PathRules, TrailingBackslashAndParts) {
  EXPECT_EQ(withTrailingBackslash("C:\\a"), "C:\\a\\");
  EXPECT_EQ(withTrailingBackslash("C:\\a\\"), "C:\\a\\");
  EXPECT_EQ(withoutTrailingBackslash("C:\\a\\"), "C:\\a");
  EXPECT_EQ(withoutTrailingBackslash(""), "");
  EXPECT_EQ(folderPart("texts.res"), "");
  EXPECT_EQ(fileNamePart("texts.res"), "texts.res");
  EXPECT_EQ(folderPart("C:\\x\\items.idb"), "C:\\x\\");
  EXPECT_EQ(folderPart("C:items.idb"), "C:");
  EXPECT_EQ(fileNamePart("C:\\x\\items.idb"), "items.idb");
  EXPECT_EQ(parentFolder("C:\\a\\b\\"), "C:\\a\\");
  EXPECT_EQ(parentFolder("C:\\a\\b"), "C:\\a\\");
  // A forward slash is an ordinary character.
  EXPECT_EQ(fileNamePart("C:\\a/b"), "a/b");
}

TEST(PathRules, AbsoluteWindowsPath) {
  for (const char* p : {"C:\\", "c:\\a\\b.txt", "Z:", "C:\\nil"}) EXPECT_TRUE(isAbsoluteWindowsPath(p)) << p;
  for (const char* p : {"", "nil", "nilzz.txt", "relprobe\\", "C:a.txt", "\\a\\b", "\\\\srv\\share\\x", "1:\\a", ":\\"})
    EXPECT_FALSE(isAbsoluteWindowsPath(p)) << p;
}

TEST(PathRules, WindowsDeviceNames) {
  for (const char* device : {"CON", "nul", "Aux.txt", "prn.a.b", "COM1", "lpt9", "CON .zap"})
    EXPECT_TRUE(isWindowsDeviceName(device)) << device;
  for (const char* name : {"CONSOLE", "COM0", "COM10", "LPT", "xnul", "a.CON", ""})
    EXPECT_FALSE(isWindowsDeviceName(name)) << name;
}

TEST(PathRules, IntegerFromText) {
  const std::pair<const char*, int> cases[] = {
      {"-5", -5}, {"12ab", 12}, {"ab", 0}, {" 5", 0}, {"+7", 7}, {"-", 0}, {"", 0},
      {"4294967297", 1},  // wraps at 32 bits
  };
  for (auto [text, value] : cases) EXPECT_EQ(intFromText(text), value) << text;
  EXPECT_EQ(textFromInt(-2147483647 - 1), "-2147483648");
}

TEST(PathRules, ParseToken) {
  std::string s = "a|b|c";
  EXPECT_EQ(parseToken(s, "|"), "a");
  EXPECT_EQ(s, "b|c");
  s = "abc";
  EXPECT_EQ(parseToken(s, "|"), "abc");
  EXPECT_EQ(s, "");
}

TEST(PathRules, ArchiveFolderNames) {
  const std::pair<const char*, const char*> toFolder[] = {
      {"databaselmp.res", "databaselmp_res\\"},
      {"C:\\g\\res\\texts.res", "C:\\g\\res\\texts_res\\"},
      {"C:\\g\\speech", "C:\\g\\speech_noext\\"},
      // The last dot of the whole path counts, folder names included.
      {"C:\\g.1\\speech", "C:\\g_1\\speech\\"},
  };
  for (auto [a, f] : toFolder) EXPECT_EQ(folderNameForArchive(a), f) << a;
  const std::pair<const char*, const char*> toArchive[] = {
      {"databaselmp_res\\", "databaselmp.res"}, {"C:\\x\\speech_noext\\", "C:\\x\\speech"},
      {"C:\\x\\mymod\\", "C:\\x\\mymod.res"}, {"_noext", ".noext"},
      {"", ""},
  };
  for (auto [f, a] : toArchive) EXPECT_EQ(archiveNameForFolder(f), a) << f;
}

TEST(TextRules, Cp1251RoundTripAndRefusal) {
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  auto back = utf8ToCp1251(cp1251ToUtf8(all));
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, all);
  EXPECT_EQ(cp1251ToUtf8(cp("Ёжик №1")), "Ёжик №1");
  EXPECT_FALSE(utf8ToCp1251("日本"));
  EXPECT_FALSE(utf8ToCp1251("\xC3"));  // cut UTF-8
  EXPECT_EQ(*firstUnmappable("abc日d"), "日");
  EXPECT_FALSE(firstUnmappable("абв"));
}

TEST(TextRules, UpperCaseCyrillic) {
  EXPECT_EQ(upperCase(cp("привет, ёж! abc ґєїіўђ")), cp("ПРИВЕТ, ЁЖ! ABC ҐЄЇІЎЂ"));
  EXPECT_EQ(lowerCase(cp("ЯЁZ")), cp("яёz"));
}

TEST(TextRules, CompareIgnoringCase) {
  EXPECT_EQ(compareIgnoringCase("Alpha", "alpha"), 0);
  EXPECT_LT(compareIgnoringCase("alpha", "beta"), 0);
  EXPECT_LT(compareIgnoringCase("9", "a"), 0);
  EXPECT_LT(compareIgnoringCase("zeta", cp("альфа")), 0);  // Latin before Cyrillic
  EXPECT_LT(compareIgnoringCase(cp("ёж"), cp("ель")), 0);  // ё sorts with е
  EXPECT_LT(compareIgnoringCase(cp("еж"), cp("ёж")), 0);
  EXPECT_LT(compareIgnoringCase(cp("ёж"), cp("жук")), 0);
  EXPECT_LT(compareIgnoringCase(cp("Яблоко"), cp("яблоня")), 0);
  EXPECT_LT(compareIgnoringCase("ab", "abc"), 0);

  // Sorting keeps equal names in their order: beta, Alpha, alpha, Gamma.
  std::vector<std::string> v = {"beta", "Alpha", "alpha", "Gamma"};
  std::stable_sort(v.begin(), v.end(), [](auto& a, auto& b) { return compareIgnoringCase(a, b) < 0; });
  EXPECT_EQ(v, (std::vector<std::string>{"Alpha", "alpha", "beta", "Gamma"}));
  std::vector<std::string> ru = {cp("Яков"), cp("борис"), cp("Ёлка"), cp("Ежи"), cp("анна")};
  std::stable_sort(ru.begin(), ru.end(), [](auto& a, auto& b) { return compareIgnoringCase(a, b) < 0; });
  EXPECT_EQ(ru, (std::vector<std::string>{cp("анна"), cp("борис"), cp("Ежи"), cp("Ёлка"), cp("Яков")}));
}

TEST(TextRules, WildcardMatch) {
  struct Case { const char* text; std::string mask; bool match; };
  const Case cases[] = {
      {"TEXTS.RES", "*.res", true},  {"tr10.res", "tr?.res", false}, {"", "*", true},
      {"tr1.res", "tr?.res", true},  {"abc", "a*c", true},           {"abc", "a*b", false},
      {"korvel_1.txt", "korvel*", true}, {"", "?", false},           {"aaa", "*a*a*a*", true},
  };
  for (const auto& c : cases) EXPECT_EQ(wildcardMatch(c.text, c.mask), c.match) << c.text << " ~ " << c.mask;
  EXPECT_TRUE(wildcardMatch(cp("БРОНЯ.txt"), cp("бро*")));
  // A long mask of stars does not take exponential time.
  EXPECT_FALSE(wildcardMatch(std::string(200, 'a'), std::string(50, '*') + "b"));
}
