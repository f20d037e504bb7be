// The ini class: how it finds sections and keys, and exactly which bytes a
// write changes. Every other byte of the file must stay as it was.
#include <gtest/gtest.h>

#include <functional>

#include "config/ini_file.h"
#include "support/testenv.h"

using namespace kessik;
using kessik::test::cp;

namespace {

TAnIniFile iniWith(const std::string& bytes) {
  TAnIniFile ini;
  ini.buffer().Assign(bytes);
  return ini;
}

struct WriteCase {
  const char* name;
  std::string before;
  std::string section, key, value;
  std::string after;
};

// Shows CR and LF so that a failing case is readable.
std::string visible(const std::string& s) {
  std::string out;
  for (char c : s) out += c == '\r' ? std::string("<CR>") : c == '\n' ? std::string("<LF>\n") : std::string(1, c);
  return out;
}

}  // namespace

TEST(IniFile, WriteStringChangesExactlyTheDescribedBytes) {
  const WriteCase cases[] = {
      {"empty buffer gets the header", "", "MainSettings", "Ver", "1.8.1", "[MainSettings]\r\nVer=1.8.1\r\n"},
      {"replace in place", "[S]\r\na=1\r\nb=2\r\n", "S", "a", "xyz", "[S]\r\na=xyz\r\nb=2\r\n"},
      {"replace a last line without CR LF", "[S]\r\na=1", "S", "a", "22", "[S]\r\na=22"},
      {"replace keeps a lone LF line's tail out", "[S]\r\na=1\nb\r\nc=3\r\n", "S", "a", "9", "[S]\r\na=9\r\nc=3\r\n"},
      {"append after a last line without CR LF", "[S]\r\na=1", "S", "b", "2", "[S]\r\na=1\r\nb=2\r\n"},
      {"append at the end", "[S]\r\na=1\r\n", "S", "b", "2", "[S]\r\na=1\r\nb=2\r\n"},
      {"append after a header without CR LF", "[S]", "S", "a", "1", "[S]\r\na=1\r\n"},
      {"append after a last lone CR", "[S]\r\nb=2\r", "S", "a", "1", "[S]\r\nb=2\r\na=1\r\n"},
      {"append after a header alone", "[S]\r\n", "S", "a", "1", "[S]\r\na=1\r\n"},
      {"append after trailing empty line", "[S]\r\na=1\r\n\r\n", "S", "b", "2", "[S]\r\na=1\r\n\r\nb=2\r\n"},
      {"before the next header: one empty line", "[S]\r\na=1\r\n[T]\r\nx=1\r\n", "S", "b", "2",
       "[S]\r\na=1\r\nb=2\r\n\r\n[T]\r\nx=1\r\n"},
      {"before the next header after an empty line", "[S]\r\na=1\r\n\r\n[T]\r\n", "S", "b", "2",
       "[S]\r\na=1\r\nb=2\r\n\r\n[T]\r\n"},
      {"empty section followed by a header", "[S]\r\n[T]\r\n", "S", "a", "1", "[S]\r\na=1\r\n\r\n[T]\r\n"},
      {"new section after a line", "x=1\r\n", "S", "a", "1", "x=1\r\n\r\n[S]\r\na=1\r\n"},
      {"new section after an empty line", "x=1\r\n\r\n", "S", "a", "1", "x=1\r\n\r\n[S]\r\na=1\r\n"},
      {"new section after text without CR LF", "x=1", "S", "a", "1", "x=1\r\n\r\n[S]\r\na=1\r\n"},
      {"new section after a 3-byte buffer", "a\r\n", "S", "a", "1", "a\r\n[S]\r\na=1\r\n"},
      {"header case is ignored for a-z", "[mainsettings]\r\nVer=1\r\n", "MainSettings", "Ver", "2",
       "[mainsettings]\r\nVer=2\r\n"},
      {"text after the bracket is ignored", "[S] old\r\na=1\r\n", "S", "a", "2", "[S] old\r\na=2\r\n"},
      {"a longer header is another section", "[MainSettingsX]\r\nVer=1\r\n", "MainSettings", "Ver", "2",
       "[MainSettingsX]\r\nVer=1\r\n\r\n[MainSettings]\r\nVer=2\r\n"},
      {"first matching header counts", "[S]\r\na=1\r\n[s]\r\nb=2\r\n", "S", "b", "3",
       "[S]\r\na=1\r\nb=3\r\n\r\n[s]\r\nb=2\r\n"},
      {"key of another section is not used", "[T]\r\na=1\r\n[S]\r\nb=2\r\n", "S", "a", "3",
       "[T]\r\na=1\r\n[S]\r\nb=2\r\na=3\r\n"},
      {"keys compare with case", "[S]\r\nver=1\r\n", "S", "Ver", "2", "[S]\r\nver=1\r\nVer=2\r\n"},
      {"leading blanks are part of the key", "[S]\r\n  Ver=1\r\n", "S", "Ver", "2", "[S]\r\n  Ver=1\r\nVer=2\r\n"},
      {"comment line is no key", "[S]\r\n//a=1\r\n", "S", "//a", "2", "[S]\r\n//a=1\r\n//a=2\r\n"},
      {"empty value", "[S]\r\na=1\r\n", "S", "a", "", "[S]\r\na=\r\n"},
      {"Cyrillic compares as bytes", cp("[Мs]\r\nк=1\r\n"), cp("МS"), cp("к"), cp("я"), cp("[Мs]\r\nк=я\r\n")},
  };
  for (const auto& c : cases) {
    TAnIniFile ini = iniWith(c.before);
    ini.WriteString(c.section, c.key, c.value);
    EXPECT_EQ(visible(ini.buffer().data()), visible(c.after)) << c.name;
  }
}

TEST(IniFile, CommentLineSurvivesEveryWrite) {
  TAnIniFile ini = iniWith("[S]\r\n// note\r\na=1\r\n[T]\r\n");
  ini.WriteString("S", "a", "2");
  ini.WriteString("S", "b", "3");
  ini.WriteString("T", "c", "4");
  ini.WriteString("U", "d", "5");
  EXPECT_EQ(visible(ini.buffer().data()),
            visible("[S]\r\n// note\r\na=2\r\nb=3\r\n\r\n[T]\r\nc=4\r\n\r\n[U]\r\nd=5\r\n"));
}

TEST(IniFile, ReadString) {
  struct Case {
    std::string file, section, key, value;
  } cases[] = {
      {"[S]\r\na=1\r\n", "S", "a", "1"},
      {"[S]\r\na=b=c\r\n", "S", "a", "b=c"},
      {"[S]\r\na= 1 \r\n", "S", "a", " 1 "},
      {"[S]\r\n\r\n\r\na=1\r\n", "S", "a", "1"},
      {"[S]\r\nnote\r\na=1", "S", "a", "1"},
      {"[S]\r\n  Ver=1.8.1\r\n", "S", "Ver", ""},
      {"[S]\r\nVer =1\r\n", "S", "Ver", ""},
      {"[s]\r\na=1\r\n", "S", "a", "1"},
      {"[SX]\r\na=1\r\n", "S", "a", ""},
      {"[S\r\na=1\r\n", "S", "a", ""},
      {"[S]\r\n[T]\r\na=1\r\n", "S", "a", ""},
      {"[S]\r\na=1\r\n[S]\r\nb=2\r\n", "S", "b", ""},
      {"[S]\r\n//a=1\r\n", "S", "//a", ""},
      {"[S]\r\n=1\r\n", "S", "", ""},
      {"[S]\r\na=1\nb=2\r\n", "S", "a", "1\nb=2"},
      {"a=1\r\n", "S", "a", ""},
      {"", "S", "a", ""},
  };
  for (const auto& c : cases) {
    TAnIniFile ini = iniWith(c.file);
    EXPECT_EQ(ini.ReadString(c.section, c.key), c.value) << visible(c.file);
  }
}

TEST(IniFile, KeyWrittenAfterALastLoneCrReadsBack) {
  TAnIniFile ini = iniWith("[S]\r");
  ini.WriteString("S", "a", "1");
  ini.WriteString("S", "a", "2");
  EXPECT_EQ(ini.ReadString("S", "a"), "2");
  EXPECT_EQ(ini.buffer().data(), "[S]\r\na=2\r\n");
}

TEST(IniFile, LookingUpAnEmptySectionAddsOneEmptyLine) {
  TAnIniFile ini = iniWith("[S]\r\n[T]\r\n");
  EXPECT_EQ(ini.ReadString("S", "a"), "");
  EXPECT_EQ(ini.buffer().data(), "[S]\r\n\r\n[T]\r\n");
  EXPECT_EQ(ini.ReadString("S", "a"), "");  // now it has a line: nothing more
  EXPECT_EQ(ini.buffer().data(), "[S]\r\n\r\n[T]\r\n");
}

TEST(IniFile, IntegerAndFlagRules) {
  struct Case {
    const char* value;
    std::int32_t integer;
    bool flag;
  } cases[] = {
      {"5", 5, false},
      {"1", 1, true},
      {"01", 1, true},
      {"-5", -5, false},
      {"-1", -1, false},
      {"2", 2, false},
      {"007", 7, false},
      {"-", 0, false},
      {"", 0, false},
      {"12a", 0, false},
      {"+5", 0, false},
      {" 5", 0, false},
      {"5 ", 0, false},
      {"--5", 0, false},
      {"true", 0, false},
      {"2147483647", 2147483647, false},
      {"2147483648", INT32_MIN, false},
      {"-2147483648", INT32_MIN, false},
      {"4294967295", -1, false},
      {"4294967297", 1, true},
  };
  for (const auto& c : cases) {
    TAnIniFile ini = iniWith(std::string("[S]\r\nk=") + c.value + "\r\n");
    EXPECT_EQ(ini.ReadInteger("S", "k"), c.integer) << c.value;
    EXPECT_EQ(ini.ReadBool("S", "k"), c.flag) << c.value;
  }
  TAnIniFile missing;
  EXPECT_EQ(missing.ReadInteger("S", "k"), 0);
  EXPECT_FALSE(missing.ReadBool("S", "k"));

  TAnIniFile ini;
  ini.WriteInteger("S", "n", -2147483647 - 1);
  ini.WriteInteger("S", "m", 100000);
  ini.WriteBool("S", "t", true);
  ini.WriteBool("S", "f", false);
  EXPECT_EQ(ini.buffer().data(), "[S]\r\nn=-2147483648\r\nm=100000\r\nt=1\r\nf=0\r\n");
}

class IniFileOnDisk : public kessik::test::TempDrive {};

TEST_F(IniFileOnDisk, LoadWriteSaveKeepsOtherBytes) {
  using namespace std::string_literals;
  const std::string before =
      cp("; ручная правка\r\n") + "[MainSettings]\r\n// note\r\nVer=1.7.0\r\nX=\xFF\x00y\r\n\r\n[Other]\r\nVer=0\r\n"s;
  writeFile("C:\\p\\Kessik.ini", before);
  TAnIniFile ini;
  ASSERT_TRUE(ini.LoadFromFile("C:\\p\\Kessik.ini"));
  ini.WriteString("MainSettings", "Ver", "1.8.1");
  ASSERT_TRUE(ini.SaveToFile("C:\\p\\Kessik.ini"));
  std::string expected = before;
  expected.replace(expected.find("Ver=1.7.0"), 9, "Ver=1.8.1");
  EXPECT_EQ(readFile("C:\\p\\Kessik.ini"), expected);
  EXPECT_EQ(ini.ReadString("MainSettings", "X"), "\xFF\x00y"s);
  EXPECT_TRUE(notes_.messages.empty());
}

TEST_F(IniFileOnDisk, MissingFileAndClear) {
  TAnIniFile ini;
  EXPECT_FALSE(ini.LoadFromFile("C:\\nothing.ini"));
  ASSERT_EQ(notes_.messages.size(), 1u);
  EXPECT_EQ(notes_.texts()[0], "Ошибка! Типа не могу открыть файл, т.к. открывать то нечего. Проверьте пути.");
  EXPECT_EQ(ini.ReadString("S", "a"), "");

  ini.Clear();
  ini.WriteString("S", "a", "1");
  ASSERT_TRUE(ini.SaveToFile("C:\\new\\dir\\x.ini"));
  EXPECT_EQ(readFile("C:\\new\\dir\\x.ini"), "[S]\r\na=1\r\n");
}

// A file whose lines end in LF or CR alone (edited with another tool) reads
// as if they ended in CR LF; the next write saves it so.
TEST_F(IniFileOnDisk, LinesEndingInLfOrCrAloneAreRead) {
  const std::pair<const char*, std::string> cases[] = {
      {"LF", "[MainSettings]\nZmPath=C:\\zm\\\nVer=1.8.1\n"},
      {"CR", "[MainSettings]\rZmPath=C:\\zm\\\rVer=1.8.1\r"},
      {"mixed", "[MainSettings]\r\nZmPath=C:\\zm\\\nVer=1.8.1"},
  };
  for (const auto& [name, bytes] : cases) {
    writeFile("C:\\p\\Kessik.ini", bytes);
    TAnIniFile ini;
    ASSERT_TRUE(ini.LoadFromFile("C:\\p\\Kessik.ini"));
    EXPECT_EQ(ini.ReadString("MainSettings", "ZmPath"), "C:\\zm\\") << name;
    ini.WriteString("MainSettings", "Ver", "1.9");
    ASSERT_TRUE(ini.SaveToFile("C:\\p\\Kessik.ini"));
    const std::string tail = std::string(name) == "mixed" ? "Ver=1.9" : "Ver=1.9\r\n";
    EXPECT_EQ(readFile("C:\\p\\Kessik.ini"), "[MainSettings]\r\nZmPath=C:\\zm\\\r\n" + tail) << name;
  }
}
