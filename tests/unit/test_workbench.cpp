// The workbench without windows: a section read whole as the editor shows
// it, the table's filter and order, edits checked as the editor checks them,
// the all-or-nothing save, undo, and the search across the databases.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "core/database.h"
#include "editors/engine/sheet.h"
#include "editors/schemas/registry.h"
#include "support/record_fixtures.h"
#include "support/testenv.h"
#include "util/cp1251.h"
#include "core/section_save.h"
#include "workbench/engine/snapshot.h"
#include "workbench/engine/table_query.h"
#include "workbench/engine/table_session.h"
#include "workbench/engine/tree_search.h"

using namespace kessik;
using namespace kessik::test;

namespace {

const std::string kRoot = "C:\\src\\";
const std::string kPrints = kRoot + "prints\\1\\";
const std::string kBriefings = kRoot + "quests\\2\\";

const Schema& prints() { return *findSchema("prints\\1\\"); }

// A blood print: the mask, then the clear-weather and precipitation groups
// (opacity, lifetime, fadeout; lifetimes stored as 15 times what is shown).
std::string printRecord(const std::string& mask, std::int32_t life = 45, float opacity = 0.5f) {
  auto group = [](float o, std::int32_t l, std::int32_t f) {
    return itemsOf({{1, floatBytes(o)}, {2, int32Bytes(l)}, {3, int32Bytes(f)}});
  };
  return recordOf({{1, nameBytes(mask)}, {2, group(opacity, life, 45)}, {3, group(1.0f, 15, 15)}});
}

// A briefing whose "Give Items" list holds the given names.
std::string briefingRecord(const std::string& mask, const std::vector<std::string>& give) {
  std::vector<std::pair<int, std::string>> items;
  for (const auto& g : give) items.emplace_back(1, nameBytes(g));
  const std::string none;
  return recordOf({{1, nameBytes(mask)}, {2, std::string(4, '\0')}, {3, floatBytes(0)}, {4, itemsOf(items)},
                   {5, nameBytes("")}, {6, none}, {7, none}, {8, none}, {9, none}, {10, none},
                   {11, int32Bytes(0)}});
}

class Workbench : public TempDrive {
 protected:
  void writePrints(const std::vector<std::string>& records) {
    for (std::size_t i = 0; i < records.size(); ++i) writeFile(kPrints + recordFileName(i + 1), records[i]);
  }
  TableSession session() {
    auto snap = readSnapshot(prints(), kPrints);
    EXPECT_TRUE(snap);
    return TableSession(std::move(*snap));
  }
};

// ---------------------------------------------------------------------------
// Reading a section

TEST_F(Workbench, SnapshotShowsWhatTheEditorShowsAndSaysNothing) {
  // Record 2 lacks its weather fields; record 4 is missing, so 5 is not
  // listed.
  const std::string broken = recordOf({{1, nameBytes("Broken")}});
  writePrints({printRecord("Mud", 44), broken, printRecord(cp("Кровь"), 30, 0.25f)});
  writeFile(kPrints + recordFileName(5), printRecord("Late"));

  auto snap = readSnapshot(prints(), kPrints);
  ASSERT_TRUE(snap);
  auto sheet = readSection(prints(), kPrints);  // the sheets' own reading
  notes_.messages.clear();
  ASSERT_EQ(snap->records.size(), 3u);
  ASSERT_EQ(sheet->size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(snap->records[i].file, (*sheet)[i].file);
    EXPECT_EQ(snap->records[i].texts, (*sheet)[i].view.texts) << i;
    EXPECT_EQ(snap->records[i].bytes, (*sheet)[i].bytes);
    for (std::size_t r = 0; r < prints().rows.size(); ++r)
      EXPECT_EQ(snap->records[i].readable(static_cast<int>(r)), bool((*sheet)[i].view.readable[r]));
  }
  EXPECT_EQ(snap->records[0].texts[2], "2");  // 44 ticks
  EXPECT_FALSE(snap->records[1].readable(1));
  EXPECT_TRUE(snap->records[1].readable(0));
  EXPECT_EQ(snap->records[1].mask, "Broken");
  // What reading found is collected, named by the file, not shown.
  ASSERT_FALSE(snap->messages.empty());
  EXPECT_EQ(snap->messages[0].rfind(kPrints + "0000002.zap: ", 0), 0u) << snap->messages[0];
  EXPECT_TRUE(notes_.messages.empty());
  EXPECT_FALSE(readSnapshot(prints(), kRoot + "prints\\9\\"));
}

TEST_F(Workbench, SnapshotOnTwoThreadsEqualsOneThread) {
  std::vector<std::string> records;
  for (int i = 0; i < 700; ++i) records.push_back(printRecord("m" + std::to_string(i), i * 15));
  writePrints(records);
  auto one = readSnapshot(prints(), kPrints, 1);
  auto two = readSnapshot(prints(), kPrints, 2);
  ASSERT_EQ(one->records.size(), 700u);
  ASSERT_EQ(two->records.size(), 700u);
  for (std::size_t i = 0; i < 700; ++i) {
    EXPECT_EQ(one->records[i].file, two->records[i].file);
    EXPECT_EQ(one->records[i].texts, two->records[i].texts);
  }
  EXPECT_EQ(two->records[699].texts[0], "m699");
}

// ---------------------------------------------------------------------------
// Filter and order

TEST(TableQuery, FilterLine) {
  const std::vector<std::string> names{cp("Файл"), "Name", "Weight", "Damage Min", "Damage Max", "School"};
  const std::vector<std::vector<std::string>> lines{
      {"0000001.zap", cp("Меч Огня"), "2,5", "5E-6,0", "10,0", "0     ELEMENTAL"},
      {"0000002.zap", "Axe", "10", "3", "12,5", "2     NECRO"},
      {"0000003.zap", cp("меч"), "NAN", "-1", "", "1     HOLY"},
  };
  struct Case {
    const char* filter;  // UTF-8
    std::vector<int> matching;
  } cases[] = {
      {"", {0, 1, 2}},
      {"МЕЧ", {0, 2}},                 // letter case aside, Cyrillic too
      {"огня", {0}},
      {"zap", {0, 1, 2}},              // the file column counts
      {"name=меч", {2}},               // the whole cell
      {"Name=меч*", {0, 2}},           // wildcards
      {" weight = 10,0 ", {1}},        // numbers as numbers, blanks aside
      {"Weight>2", {0, 1}},            // NAN is no number
      {"weight<3", {0}},
      {"Damage>4", {0, 1}},            // both Damage columns
      {"Damage Min<0,001", {0, 2}},    // E notation
      {"School<1", {0}},               // a number with its label
      {"School=*necro", {1}},
      {"Speed>3", {}},                 // no such column: plain text "Speed>3"
      {"Weight>abc", {}},              // no number: plain text
      {"=5", {}},                      // no column name: plain text
  };
  for (const Case& c : cases) {
    TableFilter f = parseFilter(cp(c.filter), names);
    std::vector<int> got;
    for (int l = 0; l < static_cast<int>(lines.size()); ++l) {
      auto cell = [&](int column) -> const std::string& { return lines[l][column]; };
      if (f.matches(cell, static_cast<int>(names.size()))) got.push_back(l);
    }
    EXPECT_EQ(got, c.matching) << c.filter;
  }
}

TEST(TableQuery, SortsNumbersAsNumbersThenTexts) {
  const std::vector<std::string> cells{"10", "b", "2", "NAN", "-1,5", "A", "2,0", "5E-1,0"};
  std::vector<int> lines{0, 1, 2, 3, 4, 5, 6, 7};
  auto cell = [&](int l) -> const std::string& { return cells[l]; };
  sortLines(lines, cell, false);
  EXPECT_EQ(lines, (std::vector<int>{4, 7, 2, 6, 0, 5, 1, 3}));  // equal 2 and 2,0 keep their order
  sortLines(lines, cell, true);
  EXPECT_EQ(lines, (std::vector<int>{3, 1, 5, 0, 2, 6, 7, 4}));
}

// ---------------------------------------------------------------------------
// Edits and "Сохранить всё"

TEST_F(Workbench, EditsAreCheckedAsTheEditorChecksThem) {
  writePrints({printRecord("Mud"), printRecord("Sand"), printRecord("Snow")});
  TableSession s = session();
  struct Case {
    int record, row;
    const char* text;
    const char* messageStart;  // empty: accepted
  } cases[] = {
      {0, 1, "abc", "Выделенное поле имеет неправильный формат."},
      {0, 1, "1.5", "Выделенное поле имеет неправильный формат."},
      {0, 0, "Sand", "Неправильная маска - такая уже есть."},
      {0, 2, "2147483648", "'2147483648' is not a valid integer value"},
      {0, 0, "Mud", ""},
      {0, 1, "1,5", ""},
      {1, 2, "-3", ""},
  };
  for (const Case& c : cases) {
    TableSession::Proposal p = s.propose(c.record, c.row, cp(c.text));
    EXPECT_EQ(p.accepted, !*c.messageStart) << c.text;
    if (*c.messageStart) {
      EXPECT_EQ(cp1251ToUtf8(p.message).rfind(c.messageStart, 0), 0u) << cp1251ToUtf8(p.message);
      // The row and the refused text are named.
      EXPECT_NE(p.message.find(prints().rows[c.row].name + ": " + cp("«") + cp(c.text)), std::string::npos);
      EXPECT_FALSE(s.edited(c.record, c.row));
    }
  }
  EXPECT_FALSE(s.editable(0, -1));  // the file column

  // A list is normalised as the editor normalises it; raw rows and rows
  // that could not be read are not typed into.
  writeFile(kBriefings + "0000001.zap", briefingRecord("Start", {}));
  writeFile(kBriefings + "0000002.zap", recordOf({{1, nameBytes("Cut")}}));
  TableSession b(std::move(*readSnapshot(*findSchema("quests\\2\\"), kBriefings)));
  auto list = b.propose(0, 3, "a, b");
  ASSERT_TRUE(list.accepted);
  ASSERT_EQ(list.changes.size(), 1u);
  EXPECT_EQ(list.changes[0].after, "a,b");
  EXPECT_FALSE(b.propose(0, 3, "a,,b").accepted);
  EXPECT_FALSE(b.editable(0, 1));
  EXPECT_TRUE(b.editable(1, 0));
  EXPECT_FALSE(b.editable(1, 3));
  EXPECT_FALSE(b.propose(1, 3, "x").accepted);
}

TEST_F(Workbench, SaveAllWritesOnlyChangedRecordsAndKeepsUntouchedBytes) {
  // Lifetime 44 shows as 2 and would be written as 30 once retyped.
  writePrints({printRecord("Mud", 44), printRecord("Sand", 44), printRecord("Snow", 44)});
  TableSession s = session();
  auto accept = [&](int record, int row, const std::string& text) {
    auto p = s.propose(record, row, text);
    ASSERT_TRUE(p.accepted) << p.message;
    s.apply(p.changes);
  };
  accept(0, 1, "0,75");
  accept(2, 0, "Ice");
  accept(1, 4, "0,5");  // back and forth: no edit left
  accept(1, 4, "1,0");
  EXPECT_EQ(s.editedRecords(), 2);
  EXPECT_EQ(s.editedRecordList(), (std::vector<int>{0, 2}));

  SaveBuild b = s.buildChanges();
  ASSERT_TRUE(b.failures.empty());
  ASSERT_EQ(b.files.size(), 2u);
  EXPECT_EQ(b.files.at("0000001.zap"), printRecord("Mud", 44, 0.75f));
  EXPECT_EQ(b.files.at("0000003.zap"), printRecord("Ice", 44));
  EXPECT_TRUE(s.changedSinceRead(b).empty());
  std::vector<RecordBytes> records;
  for (const auto& [file, bytes] : b.files) records.push_back({file, bytes});
  EXPECT_TRUE(saveSectionRecords(kPrints, records).ok);
  s.commitSaved(b);
  EXPECT_EQ(readFile(kPrints + "0000001.zap"), printRecord("Mud", 44, 0.75f));
  EXPECT_EQ(readFile(kPrints + "0000002.zap"), printRecord("Sand", 44));
  EXPECT_EQ(readFile(kPrints + "0000003.zap"), printRecord("Ice", 44));
  EXPECT_FALSE(s.hasEdits());
  EXPECT_EQ(s.text(2, 0), "Ice");
  EXPECT_EQ(s.maskOf(2), "Ice");
  EXPECT_FALSE(hostExists(kPrints + "0000001.zap.~kessik"));

  // A record written elsewhere after it was read is not written over; read
  // again, it keeps its edit.
  accept(1, 1, "0,125");
  writeFile(kPrints + "0000002.zap", printRecord("Dune", 44));
  b = s.buildChanges();
  EXPECT_EQ(s.changedSinceRead(b), std::vector<int>{1});
  EXPECT_TRUE(s.reloadRecord(1));
  EXPECT_EQ(s.text(1, 0), "Dune");
  EXPECT_EQ(s.text(1, 1), "0,125");
  b = s.buildChanges();
  EXPECT_TRUE(s.changedSinceRead(b).empty());
  EXPECT_EQ(b.files.at("0000002.zap"), printRecord("Dune", 44, 0.125f));
}

TEST_F(Workbench, SaveAllRefusesEveryFailingCellAndWritesNothing) {
  // Two records share a mask: neither can be saved with it, as in the editor.
  writePrints({printRecord("Dup"), printRecord("Sand"), printRecord("Dup")});
  TableSession s = session();
  for (int record : {1, 2}) {
    auto p = s.propose(record, 1, "0,25");
    ASSERT_TRUE(p.accepted);
    s.apply(p.changes);
  }
  SaveBuild b = s.buildChanges();
  ASSERT_EQ(b.failures.size(), 1u);
  EXPECT_EQ(b.failures[0].record, 2);
  EXPECT_EQ(b.failures[0].row, 0);
  s.markFailures(b.failures);
  EXPECT_TRUE(s.failure(2, 0));
  // Renaming the other one clears the way.
  auto p = s.propose(0, 0, "Mud");
  ASSERT_TRUE(p.accepted);
  s.apply(p.changes);
  b = s.buildChanges();
  EXPECT_TRUE(b.failures.empty());
  EXPECT_EQ(b.files.size(), 3u);
}

TEST_F(Workbench, UndoRedoAndEditsFollowRenumberedRecords) {
  writePrints({printRecord("Mud"), printRecord("Sand"), printRecord("Snow")});
  TableSession s = session();
  EditHistory h;
  for (const char* text : {"0,1", "0,2"}) {
    auto p = s.propose(1, 1, text);
    s.apply(p.changes);
    h.push(p.changes);
  }
  EXPECT_EQ(s.text(1, 1), "0,2");
  s.apply(*h.undo(), true);
  EXPECT_EQ(s.text(1, 1), "0,1");
  s.apply(*h.undo(), true);
  EXPECT_FALSE(s.hasEdits());
  EXPECT_FALSE(h.undo());
  s.apply(*h.redo());
  EXPECT_EQ(s.text(1, 1), "0,1");
  auto p = s.propose(0, 1, "0,9");
  s.apply(p.changes);
  h.push(p.changes);
  EXPECT_FALSE(h.canRedo());  // a new edit ends the redo

  // Masks follow the edits: a mask given up can be taken, and is taken
  // again once that is undone.
  EXPECT_FALSE(s.propose(2, 0, "Mud").accepted);
  auto rename = s.propose(0, 0, "Clay");
  s.apply(rename.changes);
  EXPECT_TRUE(s.propose(2, 0, "Mud").accepted);
  EXPECT_FALSE(s.propose(2, 0, "Clay").accepted);
  s.apply(rename.changes, true);
  EXPECT_FALSE(s.propose(2, 0, "Mud").accepted);
  EXPECT_TRUE(s.propose(2, 0, "Clay").accepted);

  // Elsewhere the records are renumbered (Sand first) and Mud deleted: the
  // edit of Sand goes with its record, Mud's has no record left.
  writeFile(kPrints + "0000001.zap", printRecord("Sand"));
  writeFile(kPrints + "0000002.zap", printRecord("Snow"));
  std::filesystem::remove(host(kPrints + "0000003.zap"));
  TableSession fresh = session();
  EXPECT_EQ(fresh.adoptEdits(s), std::vector<std::string>{"0000001.zap"});
  EXPECT_EQ(fresh.text(0, 1), "0,1");
  EXPECT_EQ(fresh.editedRecords(), 1);
}

// ---------------------------------------------------------------------------
// Search across the databases

TEST_F(Workbench, SearchFindsCellsAsShownInTreeOrder) {
  writePrints({printRecord("Sword"), printRecord(cp("Кровь")), printRecord("swordfish")});
  writeFile(kBriefings + "0000001.zap", briefingRecord("Start", {"sword", "shield"}));
  writeFile(kBriefings + "0000002.zap", briefingRecord("Sword", {"Swordfish"}));
  const auto sections = searchSectionsOfRoot(kRoot);
  ASSERT_EQ(sections.size(), 2u);
  auto lines = [&](const char* text, bool masksOnly, bool exact) {
    TreeSearch search(sections, {cp(text), masksOnly, exact});
    search.start();
    std::vector<SearchHit> hits;
    while (search.take(hits)) search.wait(std::chrono::milliseconds(20));
    std::vector<std::string> out;
    for (const SearchHit& h : hits) out.push_back(cp1251ToUtf8(hitLine(sections[h.section], h)));
    return out;
  };
  EXPECT_EQ(lines("SWORD", false, false),
            (std::vector<std::string>{"prints/1/0000001.zap «Sword»: TerrainType: Sword",
                                      "prints/1/0000003.zap «swordfish»: TerrainType: swordfish",
                                      "quests/2/0000001.zap «Start»: Give Items    (LIST): sword,shield",
                                      "quests/2/0000002.zap «Sword»: Name: Sword",
                                      "quests/2/0000002.zap «Sword»: Give Items    (LIST): Swordfish"}));
  // Exact: whole cells and whole list elements, with letter case.
  EXPECT_EQ(lines("sword", false, true),
            (std::vector<std::string>{"quests/2/0000001.zap «Start»: Give Items    (LIST): sword,shield"}));
  EXPECT_EQ(lines("Sword", true, false),
            (std::vector<std::string>{"prints/1/0000001.zap «Sword»: TerrainType: Sword",
                                      "prints/1/0000003.zap «swordfish»: TerrainType: swordfish",
                                      "quests/2/0000002.zap «Sword»: Name: Sword"}));
  EXPECT_EQ(lines("кРОВЬ", false, false), (std::vector<std::string>{"prints/1/0000002.zap «Кровь»: TerrainType: Кровь"}));
  // Numbers as shown: 45 ticks are "3".
  EXPECT_EQ(lines("3", false, true).size(), 6u);
  EXPECT_TRUE(lines("nothing", false, false).empty());

  TreeSearch stopped(sections, {"s", false, false});
  stopped.start();
  stopped.cancel();
  std::vector<SearchHit> hits;
  EXPECT_FALSE(stopped.take(hits));
}

}  // namespace
