// Sections as CSV sheets: the CSV rules, export as the table shows a record,
// import as "Сохранить" checks and writes it, and the sample workspace.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>
#include <string>
#include <vector>

#include "core/database.h"
#include "editors/schemas/sample.h"
#include "editors/schemas/registry.h"
#include "editors/engine/sheet.h"
#include "editors/schemas/window_table.h"
#include "support/record_fixtures.h"
#include "support/testenv.h"
#include "util/cp1251.h"

using namespace kessik;
using namespace kessik::test;

namespace {

// ---------------------------------------------------------------------------
// CSV

TEST(Csv, WritesQuotedFieldsAndCrLf) {
  EXPECT_EQ(csvLine({"a", "b c", ""}), "a,b c,\r\n");
  EXPECT_EQ(csvLine({"0,5", "say \"hi\"", "two\nlines", "cr\r"}),
            "\"0,5\",\"say \"\"hi\"\"\",\"two\nlines\",\"cr\r\"\r\n");
}

TEST(Csv, ReadsWhatItWritesAndCommonVariants) {
  const CsvLine hard{"0,5", "say \"hi\"", "two\r\nlines", "", " blank "};
  CsvParse back = parseCsv(csvLine(hard) + csvLine({"x"}));
  ASSERT_TRUE(back.ok) << back.error;
  ASSERT_EQ(back.lines.size(), 2u);
  EXPECT_EQ(back.lines[0], hard);
  EXPECT_EQ(back.lines[1], CsvLine{"x"});

  struct Case {
    std::string text;
    std::vector<CsvLine> lines;
  } cases[] = {
      {"a,b\nc,d", {{"a", "b"}, {"c", "d"}}},            // LF line ends, no final break
      {"\xEF\xBB\xBF" "a,b\r\n", {{"a", "b"}}},          // byte order mark
      {"a,\r\n,\r\n", {{"a", ""}, {"", ""}}},            // empty fields
      {"\"\"\r\n", {{""}}},                              // one quoted empty field
      {"", {}},
  };
  for (const auto& c : cases) {
    CsvParse p = parseCsv(c.text);
    ASSERT_TRUE(p.ok) << c.text;
    EXPECT_EQ(p.lines, c.lines) << c.text;
  }
  for (const char* bad : {"\"open", "a,\"b\"c\r\n", "a\"b\r\n"}) {
    CsvParse p = parseCsv(bad);
    EXPECT_FALSE(p.ok) << bad;
    EXPECT_FALSE(p.error.empty());
  }
  EXPECT_EQ(parseCsv("a\r\n\"x\ny\"z\r\n").errorLine, 3u);  // counted in text lines
}

// ---------------------------------------------------------------------------
// A prints section on the test drive

const Schema& foot() { return *findSchema("prints\\2\\"); }
const Schema& blood() { return *findSchema("prints\\1\\"); }

std::string group(float opacity, std::int32_t life, std::int32_t fade, int t1 = 1, int t2 = 2, int t3 = 3) {
  return itemsOf({{t1, floatBytes(opacity)}, {t2, int32Bytes(life)}, {t3, int32Bytes(fade)}});
}

std::string printsRecord(const std::string& mask, std::int32_t life = 30) {
  return recordOf({{1, nameBytes(mask)}, {2, group(0.5f, life, 15)}, {2, group(0.25f, 45, 60)}, {2, group(1, 15, 15)}});
}

class Sheet : public TempDrive {
 protected:
  const std::string ish = "C:\\src\\prints\\2\\";
  void put(int n, const std::string& bytes) { writeFile(ish + recordFileName(n), bytes); }
  std::string get(int n) const { return readFile(ish + recordFileName(n)); }
  std::vector<std::string> all(int n) const {
    std::vector<std::string> out;
    for (int k = 1; k <= n; ++k) out.push_back(get(k));
    return out;
  }
  // The export, with one line's value replaced (line 1 is the first record).
  std::string exportWith(int line, const std::string& column, const std::string& value) {
    auto csv = exportSectionCsv(foot(), ish);
    EXPECT_TRUE(csv);
    CsvParse p = parseCsv(*csv);
    const auto& header = p.lines[0];
    std::size_t c = std::find(header.begin(), header.end(), column) - header.begin();
    EXPECT_LT(c, header.size()) << column;
    p.lines[line][c] = value;
    std::string out;
    for (const auto& l : p.lines) out += csvLine(l);
    return out;
  }
  std::vector<std::string> lines(const ImportOutcome& r) const {
    std::vector<std::string> out;
    for (const auto& p : r.problems) out.push_back(cp1251ToUtf8(problemLine(p)));
    return out;
  }
};

TEST_F(Sheet, ExportShowsTheTableTexts) {
  put(1, printsRecord("Swamp", 20));  // 20 shows as 1
  put(2, printsRecord(cp("Болото, \"топь\"")));
  put(3, recordOf({{1, nameBytes("Short")}, {2, group(0.5f, 30, 15)}}));  // fields 3 and 4 missing
  put(5, printsRecord("AfterTheGap"));
  auto csv = exportSectionCsv(foot(), ish);
  ASSERT_TRUE(csv);
  CsvParse p = parseCsv(*csv);
  ASSERT_TRUE(p.ok);
  ASSERT_EQ(p.lines.size(), 4u);  // the header and records 1 to 3
  EXPECT_EQ(p.lines[0][0], "File");
  EXPECT_EQ(p.lines[0][1], "TerrainType");
  EXPECT_EQ(p.lines[0][10], "Unknown1 Fadeout");
  EXPECT_EQ(p.lines[1], (CsvLine{"0000001.zap", "Swamp", "0,5", "1", "1", "0,25", "3", "4", "1,0", "1", "1"}));
  EXPECT_EQ(p.lines[2][1], "Болото, \"топь\"");  // UTF-8, quoted
  EXPECT_EQ(p.lines[3][5], cp1251ToUtf8(unreadableText(3, true)));
  // The record object's message names the record file (one per missing field).
  EXPECT_EQ(notes_.texts(), std::vector<std::string>(2, "C:\\src\\prints\\2\\0000003.zap: Неправильный номер поля базы!"));
  EXPECT_NE(csv->find("\r\n"), std::string::npos);
  EXPECT_FALSE(exportSectionCsv(foot(), "C:\\src\\prints\\9\\"));
}

TEST_F(Sheet, UntouchedExportChangesNoByte) {
  // Records that the editor would not write back as they are: a lifetime of
  // 20 (shown as 1), odd item type bytes, an opacity with more digits than
  // the display, a fourth field the schema does not name, a missing field.
  put(1, printsRecord("A", 20));
  put(2, recordOf({{7, nameBytes("B")}, {9, group(0.1234567891f, 31, 1, 9, 9, 9)}, {2, group(0, 0, 0)},
                   {2, group(1, 1, 1)}, {5, "tail"}}));
  put(3, recordOf({{1, nameBytes("C")}, {2, group(0.5f, 30, 15)}}));
  put(4, printsRecord("A"));  // a repeated mask stays as it is
  const auto before = all(4);
  auto csv = exportSectionCsv(foot(), ish);
  ASSERT_TRUE(csv);
  ImportOutcome r = importSectionCsv(foot(), ish, *csv, "C:\\a.csv");
  EXPECT_TRUE(r.problems.empty()) << ::testing::PrintToString(lines(r));
  EXPECT_EQ(r.lines, 4);
  EXPECT_EQ(r.changed, 0);
  EXPECT_EQ(all(4), before);
}

TEST_F(Sheet, ImportAppliesChangedRecordsAsSaveDoes) {
  put(1, printsRecord("Swamp", 20));
  put(2, printsRecord("Sand"));
  put(3, printsRecord("Snow"));
  const auto before = all(3);

  // Record 1: a new lifetime; record 2: an opacity written differently but
  // equal (re-encoded to the same bytes, so not written); record 3 untouched.
  std::string csv = exportWith(1, "Clear Weather Lifetime", "-2");
  CsvParse p = parseCsv(csv);
  p.lines[2][2] = "0,50";
  csv.clear();
  for (const auto& l : p.lines) csv += csvLine(l);
  ImportOutcome r = importSectionCsv(foot(), ish, csv, "C:\\a.csv");
  ASSERT_TRUE(r.problems.empty()) << ::testing::PrintToString(lines(r));
  EXPECT_EQ(r.changed, 1);
  TZapisBaziZm z = parsed(get(1));
  EXPECT_EQ(z.GetField(2), group(0.5f, -30, 15));
  EXPECT_EQ(z.GetField(3), group(0.25f, 45, 60));
  EXPECT_EQ(get(2), before[1]);
  EXPECT_EQ(get(3), before[2]);

  // Masks swapped by one import: unique as the section will stand.
  csv = exportSectionCsv(foot(), ish).value();
  p = parseCsv(csv);
  std::swap(p.lines[2][1], p.lines[3][1]);
  csv.clear();
  for (const auto& l : p.lines) csv += csvLine(l);
  r = importSectionCsv(foot(), ish, csv, "C:\\a.csv");
  ASSERT_TRUE(r.problems.empty()) << ::testing::PrintToString(lines(r));
  EXPECT_EQ(r.changed, 2);
  TZapisBaziZm two = parsed(get(2));
  EXPECT_EQ(maskOf(two), "Snow");
}

TEST_F(Sheet, BloodPrintsKeepsAFourthFieldAndColumnsOfUnreadableRows) {
  const std::string ishBlood = "C:\\src\\prints\\1\\";
  writeFile(ishBlood + "0000001.zap",
            recordOf({{1, nameBytes("Mud")}, {2, group(0.5f, 30, 15)}, {2, group(0.5f, 30, 15)}, {4, "keep"}}));
  writeFile(ishBlood + "0000002.zap", recordOf({{1, nameBytes("Cut")}, {2, group(0.5f, 30, 15)}}));
  CsvParse p = parseCsv(exportSectionCsv(blood(), ishBlood).value());
  p.lines[1][3] = "7";
  p.lines[2][3] = "8";
  p.lines[2][5] = "whatever";  // field 3 of record 2 is missing: ignored
  std::string csv;
  for (const auto& l : p.lines) csv += csvLine(l);
  ImportOutcome r = importSectionCsv(blood(), ishBlood, csv, "C:\\a.csv");
  ASSERT_TRUE(r.problems.empty()) << ::testing::PrintToString(lines(r));
  EXPECT_EQ(r.changed, 2);
  TZapisBaziZm one = parsed(readFile(ishBlood + "0000001.zap"));
  EXPECT_EQ(one.GetField(4), "keep");
  EXPECT_EQ(one.GetField(2), group(0.5f, 105, 15));
  TZapisBaziZm two = parsed(readFile(ishBlood + "0000002.zap"));
  EXPECT_EQ(two.FieldCount, 2);
  EXPECT_EQ(two.GetField(2), group(0.5f, 120, 15));
}

// Every refusal: the problem lines it gives, and nothing written.
// The text with the marker byte checked, and the line that refuses it.
std::string notUtf8(const std::string& csv, const char* firstBadHex) {
  EXPECT_NE(hex(csv).find(firstBadHex), std::string::npos);
  return csv;
}
std::string notUtf8Line(const std::string& csv) {
  const std::size_t at = *firstInvalidUtf8(csv);
  const auto line = 1 + std::count(csv.begin(), csv.begin() + static_cast<std::ptrdiff_t>(at), '\n');
  return "C:\\a.csv: строка " + std::to_string(line) + ": файл не в кодировке UTF-8 (байт " +
         hex(csv.substr(at, 1)) + " по смещению " + std::to_string(at) +
         " не UTF-8; не сохранён ли он в Windows-1251?). Сохраните его в UTF-8";
}

TEST_F(Sheet, RefusalsListEveryProblemAndWriteNothing) {
  put(1, printsRecord("Swamp"));
  put(2, printsRecord("Sand"));
  put(3, printsRecord("Snow"));
  const auto before = all(3);
  const std::string mask = "Неправильная маска - такая уже есть. Маска берется из выделенного поля.";
  const std::string format = "Выделенное поле имеет неправильный формат.";

  auto edit = [&](std::vector<std::tuple<int, int, std::string>> changes) {
    CsvParse p = parseCsv(exportSectionCsv(foot(), ish).value());
    for (auto& [l, c, v] : changes) p.lines[l][c] = v;
    std::string out;
    for (const auto& l : p.lines) out += csvLine(l);
    return out;
  };
  const std::string header = csvLine({"File", "TerrainType", "Clear Weather Opacity", "Clear Weather Lifetime",
                                      "Clear Weather Fadeout", "Weather Precipitation Opacity",
                                      "Weather Precipitation Lifetime", "Weather Precipitation Fadeout",
                                      "Unknown1 Opacity", "Unknown1 Lifetime", "Unknown1 Fadeout"});
  struct Case {
    const char* what;
    std::string csv;
    std::vector<std::string> expected;
  } cases[] = {
      {"float32 and integer checks, two rows of one record",
       edit({{1, 2, "0.5.1"}, {1, 6, "1,5"}}),
       {"0000001.zap: Clear Weather Opacity: " + format, "0000001.zap: Weather Precipitation Lifetime: " + format}},
      {"a mask of a record the import leaves alone", edit({{3, 1, "Sand"}}), {"0000003.zap: TerrainType: " + mask}},
      {"a mask clash created by the import itself", edit({{1, 1, "Mud"}, {3, 1, "Mud"}}),
       {"0000001.zap: TerrainType: " + mask, "0000003.zap: TerrainType: " + mask}},
      {"a mask freed and taken in one import, but twice", edit({{1, 1, "X"}, {2, 1, "Swamp"}, {3, 1, "Swamp"}}),
       {"0000002.zap: TerrainType: " + mask, "0000003.zap: TerrainType: " + mask}},
      {"an unknown column and a missing one",
       [&] {
         std::string s = edit({});
         auto at = s.find("Unknown1 Fadeout");
         return s.replace(at, 16, "Unknown1 Fade");
       }(),
       {"C:\\a.csv: Unknown1 Fade: в разделе prints\\2\\ нет поля с таким именем",
        "C:\\a.csv: Unknown1 Fadeout: в заголовке нет столбца этого поля"}},
      {"a repeated column", [&] {
         auto h = sheetHeader(foot());
         h.push_back("TerrainType");
         return csvLine(h);
       }(),
       {"C:\\a.csv: TerrainType: столбец повторяется в заголовке"}},
      {"a header name holding a line break, named on one line", edit({{0, 1, "Terrain\nType"}}),
       {"C:\\a.csv: Terrain Type: в разделе prints\\2\\ нет поля с таким именем",
        "C:\\a.csv: TerrainType: в заголовке нет столбца этого поля"}},
      {"no File column", edit({{0, 0, "Name"}}),
       {"C:\\a.csv: Name: в разделе prints\\2\\ нет поля с таким именем",
        "C:\\a.csv: File: в заголовке нет столбца с именами файлов записей"}},
      {"a line naming no record file, and one named twice",
       header + csvLine({"0000004.zap", "Mud", "0", "0", "0", "0", "0", "0", "0", "0", "0"}) +
           csvLine({"0000001.zap", "Swamp", "0", "0", "0", "0", "0", "0", "0", "0", "0"}) +
           csvLine({"0000001.zap", "Swamp", "0", "0", "0", "0", "0", "0", "0", "0", "0"}),
       {"0000004.zap: File: в папке C:\\src\\prints\\2\\ нет такого файла записи",
        "0000001.zap: File: запись названа в файле второй раз (строка 4)"}},
      {"a line of the wrong width", header + csvLine({"0000002.zap", "Sand"}),
       {"0000002.zap: File: строка 2: значений 2, а столбцов 11"}},
      {"a character cp1251 cannot hold", edit({{2, 1, "Sand\xE2\x9C\x93"}}),
       {"0000002.zap: TerrainType: символ U+2713 нельзя записать в кодировке Windows-1251; значение не принято"}},
      // The cell holds no control character: "Sand<NUL>x" would be stored
      // as "Sand", shown as "Sand", and slip past the unique-mask check.
      {"a NUL", edit({{2, 1, std::string("Sand\0x", 6)}}),
       {"0000002.zap: TerrainType: значение содержит управляющий символ U+0000 (NUL), которого в ячейке таблицы "
        "быть не может; не принято"}},
      {"a line break inside a quoted value, and a control character in a number",
       edit({{1, 1, "Swa\r\nmp"}, {3, 3, "15\x01"}}),
       {"0000001.zap: TerrainType: значение содержит управляющий символ U+000D (CR), которого в ячейке таблицы "
        "быть не может; не принято",
        "0000003.zap: Clear Weather Lifetime: значение содержит управляющий символ U+0001, которого в ячейке "
        "таблицы быть не может; не принято"}},
      // Not UTF-8 throughout: refused at the first such byte, never read as
      // some other character (C0 AF is no "/").
      {"a sheet saved in cp1251", notUtf8(edit({{2, 1, "\xCF\xE5\xF1\xEE\xEA"}}), "CF"), {}},
      {"an overlong form", notUtf8(edit({{2, 1, "Sand\xC0\xAF"}}), "C0"), {}},
      {"a surrogate half", notUtf8(edit({{2, 1, "Sand\xED\xA0\x80"}}), "ED"), {}},
      {"a stray continuation byte", notUtf8(edit({{3, 1, "Snow\x80"}}), "80"), {}},
      {"a quote left open", header + "0000001.zap,\"Swamp\r\n",
       {"C:\\a.csv: строка 2: неверный CSV: кавычка поля не закрыта"}},
      {"an empty file", "", {"C:\\a.csv: File: файл пуст: нет строки заголовка"}},
  };
  for (Case& c : cases) {
    if (c.expected.empty()) c.expected = {notUtf8Line(c.csv)};
    ImportOutcome r = importSectionCsv(foot(), ish, c.csv, "C:\\a.csv");
    EXPECT_EQ(lines(r), c.expected) << c.what;
    EXPECT_EQ(r.changed, 0) << c.what;
    EXPECT_EQ(all(3), before) << c.what;
  }
}

// A record the export could not read whole is listed, and its cells carry
// the mark "<не прочитано: ...>"; an import never writes such a mark back as
// a value (here into a record that has all its fields by then): it leaves
// that record alone, says so, and writes the others.
TEST_F(Sheet, TheMarkOfAnUnreadableValueIsNeverWrittenBack) {
  put(1, printsRecord("Swamp"));
  put(2, recordOf({{1, nameBytes("Short")}, {2, group(0.5f, 30, 15)}}));  // fields 3 and 4 missing
  put(3, printsRecord("Snow"));
  std::string csv;
  const SheetExport e = exportSectionCsv(foot(), ish, [&](std::string_view piece) {
    csv += piece;
    return true;
  });
  ASSERT_TRUE(e.ok);
  EXPECT_EQ(e.records, 3);
  ASSERT_EQ(e.unreadable.size(), 1u);
  EXPECT_EQ(cp1251ToUtf8(e.unreadable[0]),
            "C:\\src\\prints\\2\\0000002.zap: не прочитано: Weather Precipitation Opacity, Weather Precipitation "
            "Lifetime, Weather Precipitation Fadeout, Unknown1 Opacity, Unknown1 Lifetime, Unknown1 Fadeout");
  EXPECT_EQ(exportSectionCsv(foot(), ish).value(), csv);

  // Record 2 mended meanwhile; record 3 edited in the sheet.
  put(2, printsRecord("Short"));
  const std::string mended = get(2);
  CsvParse p = parseCsv(csv);
  p.lines[3][1] = "Ice";
  std::string sheet;
  for (const auto& l : p.lines) sheet += csvLine(l);
  notes_.messages.clear();
  ImportOutcome r = importSectionCsv(foot(), ish, sheet, "C:\\a.csv");
  EXPECT_TRUE(r.problems.empty()) << ::testing::PrintToString(lines(r));
  EXPECT_EQ(r.changed, 1);
  ASSERT_EQ(r.skipped.size(), 1u);
  EXPECT_EQ(cp1251ToUtf8(problemLine(r.skipped[0])),
            "0000002.zap: Weather Precipitation Opacity: в ячейке пометка выгрузки о непрочитанном значении, а не "
            "значение; запись пропущена");
  EXPECT_EQ(get(2), mended);
  TZapisBaziZm three = parsed(get(3));
  EXPECT_EQ(maskOf(three), "Ice");
}

TEST_F(Sheet, MissingSectionFolder) {
  ImportOutcome r = importSectionCsv(foot(), "C:\\nowhere\\prints\\2\\", csvLine(sheetHeader(foot())), "C:\\a.csv");
  ASSERT_EQ(r.problems.size(), 1u);
  EXPECT_EQ(cp1251ToUtf8(r.problems[0].message), "папки раздела нет");
}

// A schema with every codec and every rule between rows, as the schemas to
// come will have them: the sheet and the samples know nothing of a section.
const LabelTable kKinds{{0, "     FIRE"}, {5, "     WATER"}};

Schema everyRule() {
  Schema s;
  s.folder = "test\\1\\";
  auto row = [&](const char* name, Place p, Codec c, CheckKind k = CheckKind::Codec) {
    s.rows.push_back(makeRow(name, p, c, k));
    return &s.rows.back();
  };
  row("Name", fieldAt(1), Codec::Name, CheckKind::Mask);
  row("Type", fieldAt(2), Codec::Name, CheckKind::None);
  row("ID", fieldAt(3), Codec::Int32);
  row("Number", fieldAt(4), Codec::Int32);
  row("MinDamage", fieldAt(5), Codec::Float32);
  row("MaxDamage", fieldAt(6), Codec::Float32);
  row("Tags", fieldAt(7), Codec::NameList);
  Row* blob = row("Blob", fieldAt(8), Codec::Raw);
  blob->slot = true;
  blob->button = RowButton::Raw;
  row("Kind", fieldAt(9), Codec::Int32Label)->labels = &kKinds;
  row("Flags", fieldAt(10), Codec::Bitset30);
  row("Codes", fieldAt(11), Codec::Code4List);
  row("Small", bytesAt(12, 1, 1), Codec::Byte);
  row("On", bytesAt(12, 2, 2), Codec::Bool);
  row("Letter", bytesAt(12, 3, 6), Codec::Char1);
  row("Delay", itemAt(13, 1), Codec::Ticks15f);
  row("Life", itemAt(13, 2), Codec::Ticks15)->itemType = 2;
  Row* sounds = row("Sounds", fieldAt(14), Codec::SoundList);
  sounds->slot = true;
  sounds->button = RowButton::SoundList;
  row("Short", fieldAt(15), Codec::Name, CheckKind::MaxLen)->maxLen = 5;
  row("Title", namePartOf(16, 8), Codec::Name, CheckKind::None);
  row("Description", descPartOf(16, 8), Codec::Name, CheckKind::None);
  row("Note", fieldAt(17), Codec::Name, CheckKind::None);  // two rows of one name
  row("Note", fieldAt(18), Codec::Name, CheckKind::None);
  s.typeIds.push_back({1, 2, {{"Sword", 7}}});
  s.minMax.push_back({4, 5, 15});
  s.recordNumber = RecordNumberRule{3, -1, cp("Номер записи должен быть ")};
  return s;
}

TEST_F(Sheet, EveryCodecAndRuleOfASchemaToCome) {
  const Schema s = everyRule();
  const std::string dir = "C:\\src\\test\\1\\";
  for (int k = 1; k <= kSampleRecords; ++k) {
    SampleRecord r = sampleRecord(s, k);
    ASSERT_FALSE(r.bytes.empty()) << r.problem;
    writeFile(dir + recordFileName(k), r.bytes);
  }
  std::vector<std::string> before;
  for (int k = 1; k <= kSampleRecords; ++k) before.push_back(readFile(dir + recordFileName(k)));
  const std::string csv = exportSectionCsv(s, dir).value();
  ImportOutcome same = importSectionCsv(s, dir, csv, "C:\\a.csv");
  EXPECT_TRUE(same.problems.empty()) << ::testing::PrintToString(lines(same));
  EXPECT_EQ(same.changed, 0);

  CsvParse p = parseCsv(csv);
  const auto& h = p.lines[0];
  auto col = [&](const char* name) { return std::find(h.begin(), h.end(), name) - h.begin(); };
  auto apply = [&](const std::vector<std::tuple<int, const char*, std::string>>& changes) {
    CsvParse q = p;
    for (const auto& [l, c, v] : changes) q.lines[l][col(c)] = v;
    std::string out;
    for (const auto& l : q.lines) out += csvLine(l);
    return importSectionCsv(s, dir, out, "C:\\a.csv");
  };

  ImportOutcome bad = apply({{2, "Number", "5"}, {3, "Short", "toolong"}, {3, "Kind", "x"}});
  EXPECT_EQ(lines(bad), (std::vector<std::string>{
                            "0000002.zap: Number: Номер записи должен быть 1",
                            "0000003.zap: Kind: Выделенное поле имеет неправильный формат.",
                            "0000003.zap: Short: Выделенное поле имеет неправильный формат - оно не должно быть длинее 5 символов.",
                        }));
  for (int k = 1; k <= kSampleRecords; ++k) EXPECT_EQ(readFile(dir + recordFileName(k)), before[k - 1]);

  p.lines[1].back() = "second note";  // the second column named "Note"
  ImportOutcome good = apply({{1, "Type", "Sword"}, {1, "ID", "0"}, {1, "Tags", "a,   b"}, {1, "Blob", "ignored"},
                              {1, "MinDamage", "3"}, {1, "MaxDamage", "5"}, {1, "Title", "Axe"}});
  ASSERT_TRUE(good.problems.empty()) << ::testing::PrintToString(lines(good));
  EXPECT_EQ(good.changed, 1);
  TZapisBaziZm z = parsed(readFile(dir + recordFileName(1)));
  RecordView v = decodeRecord(s, z);
  EXPECT_EQ(v.texts[2], "7");      // the ID of the type
  EXPECT_EQ(v.texts[6], "a,b");    // the list as the editor normalises it
  EXPECT_EQ(v.texts[4], "3,0");
  EXPECT_EQ(v.texts[18], "Axe");
  EXPECT_EQ(v.texts[20], "Note1");
  EXPECT_EQ(v.texts[21], "second note");
  EXPECT_EQ(z.GetField(8), parsed(before[0]).GetField(8));  // the raw bytes kept
  EXPECT_EQ(z.GetField(5), floatBytes(0.2f));               // the minimum over 15
  EXPECT_EQ(z.GetField(6), floatBytes(2.0f / 15));          // and the spread
}

// ---------------------------------------------------------------------------
// Samples

std::vector<const Schema*> knownSchemas() {
  std::vector<const Schema*> out;
  std::set<std::string> seen;
  for (const auto& w : windowTable())
    if (const Schema* s = findSchema(w.schemaFolder); s && seen.insert(w.schemaFolder).second) out.push_back(s);
  return out;
}

TEST(SampleRecords, AreValidRecordsOfTheirSchema) {
  for (const Schema* s : knownSchemas()) {
    std::set<std::string> masks;
    for (int k = 1; k <= kSampleRecords; ++k) {
      SampleRecord r = sampleRecord(*s, k);
      ASSERT_FALSE(r.bytes.empty()) << s->folder << " " << r.problem;
      TZapisBaziZm z = parsed(r.bytes);
      EXPECT_TRUE(z.FieldsIntact()) << s->folder;
      RecordView v = decodeRecord(*s, z);
      for (std::size_t i = 0; i < v.readable.size(); ++i) EXPECT_TRUE(v.readable[i]) << s->folder << " row " << i;
      CheckContext context;
      context.recordIndex = k - 1;
      EXPECT_TRUE(checkRows(*s, v, context).empty()) << s->folder;
      masks.insert(v.texts[0]);
    }
    EXPECT_EQ(masks.size(), static_cast<std::size_t>(kSampleRecords)) << s->folder;
  }
  // A template is the first sample under the template's name.
  TZapisBaziZm t = parsed(sampleRecord(blood(), 1, "sample").bytes);
  TZapisBaziZm first = parsed(sampleRecord(blood(), 1).bytes);
  EXPECT_EQ(maskOf(t), "sample");
  auto expected = decodeRecord(blood(), first).texts;
  expected[0] = "sample";
  EXPECT_EQ(decodeRecord(blood(), t).texts, expected);
}

class SampleWorkspace : public TempDrive {};

TEST_F(SampleWorkspace, EverySchemaRoundTripsAndNothingIsOverwritten) {
  writeFile("C:\\kessik\\bases\\databaselmp\\prints\\3\\0000001.zap", "mine");
  writeFile("C:\\kessik\\shablons\\prints\\1\\sample.zap", "my template");
  SampleReport r = writeSampleWorkspace("C:\\kessik\\");
  EXPECT_TRUE(r.problems.empty());
  EXPECT_EQ(r.kept, 2);
  EXPECT_EQ(readFile("C:\\kessik\\bases\\databaselmp\\prints\\3\\0000001.zap"), "mine");
  EXPECT_FALSE(hostExists("C:\\kessik\\bases\\databaselmp\\prints\\3\\0000002.zap"));
  EXPECT_EQ(readFile("C:\\kessik\\shablons\\prints\\1\\sample.zap"), "my template");

  int sections = 0;
  for (const auto& w : windowTable()) {
    const Schema* s = findSchema(w.schemaFolder);
    if (!s) continue;
    const std::string root = w.game == Game::Singl ? "C:\\kessik\\bases\\database\\" : "C:\\kessik\\bases\\databaselmp\\";
    const std::string ish = root + s->folder;
    if (ish == "C:\\kessik\\bases\\databaselmp\\prints\\3\\") continue;
    ++sections;
    std::vector<std::string> before;
    for (int k = 1; k <= kSampleRecords; ++k) before.push_back(readFile(ish + recordFileName(k)));
    EXPECT_FALSE(hostExists(ish + recordFileName(kSampleRecords + 1)));
    auto csv = exportSectionCsv(*s, ish);
    ASSERT_TRUE(csv) << ish;
    ImportOutcome back = importSectionCsv(*s, ish, *csv, "C:\\a.csv");
    EXPECT_TRUE(back.problems.empty()) << ish;
    EXPECT_EQ(back.lines, kSampleRecords);
    EXPECT_EQ(back.changed, 0);
    for (int k = 1; k <= kSampleRecords; ++k) EXPECT_EQ(readFile(ish + recordFileName(k)), before[k - 1]) << ish;
    EXPECT_TRUE(hostExists("C:\\kessik\\shablons\\" + s->folder + "sample.zap"));
  }
  EXPECT_EQ(r.records, sections * kSampleRecords);
  EXPECT_GT(sections, 0);

  SampleReport again = writeSampleWorkspace("C:\\kessik\\");
  EXPECT_EQ(again.records, 0);
  EXPECT_EQ(again.templates, 0);
}

}  // namespace
