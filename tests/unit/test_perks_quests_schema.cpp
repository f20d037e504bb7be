// The perks.pdb and quests.qdb schemas: the rules between rows, the list
// rows, the raw slots, the record number and the free mask "dummy".
#include <gtest/gtest.h>

#include "core/database.h"
#include "editors/engine/schema.h"
#include "editors/schemas/registry.h"
#include "editors/engine/section.h"
#include "support/record_fixtures.h"
#include "support/testenv.h"

using namespace kessik;
using namespace kessik::test;

namespace {

const std::string kRaw = std::string("\x01\x00\xFF\x7F\x00", 5);

std::string perkRecord(const std::string& skill, std::int32_t id, const std::string& raw = kRaw) {
  return recordOf({{1, nameBytes("Sharp Eye")}, {2, nameBytes("PE01")}, {3, int32Bytes(4)},
                   {4, nameBytes("eye")}, {5, nameBytes(skill)}, {6, int32Bytes(id)}, {7, raw},
                   {8, int32Bytes(2)}, {9, floatBytes(0.5f)}, {10, floatBytes(1.0f)}, {11, floatBytes(0.0f)},
                   {12, int32Bytes(100)}, {13, int32Bytes(-1)}, {14, int32Bytes(3)}, {15, int32Bytes(7)},
                   {16, std::string(1, '\0')}, {17, int32Bytes(0)}});
}

std::string skillRecord(const std::string& mask) {
  return recordOf({{1, nameBytes(mask)}, {2, nameBytes("SK")}, {3, int32Bytes(1)},
                   {4, itemsOf({{1, nameBytes("str")}, {1, nameBytes("int")}})}});
}

std::string questRecord(const std::string& mask, std::int32_t recordNum) {
  return recordOf({{1, nameBytes(mask)}, {2, floatBytes(150.0f)}, {3, kRaw}, {4, int32Bytes(12)},
                   {5, nameBytes("talk to the smith")}, {6, floatBytes(20.5f)}, {7, int32Bytes(recordNum)},
                   {8, std::string("\x09\x08", 2)}});
}

std::string briefingRecord() {
  std::string list = itemsOf({{1, nameBytes("sword")}});
  return recordOf({{1, nameBytes("Smith")}, {2, kRaw}, {3, floatBytes(5.0f)}, {4, list}, {5, nameBytes("")},
                   {6, list}, {7, list}, {8, ""}, {9, list}, {10, list}, {11, int32Bytes(0)}});
}

CheckContext context(int recordIndex = 0) {
  CheckContext c;
  c.recordIndex = recordIndex;
  c.maskAllowed = [](const std::string&) { return true; };
  return c;
}

const std::string kListMessage = cp(
    "Выделенное поле имеет неправильный формат.\rЭто должен быть список текстовых значений, разделенный "
    "запятыми. Запятой в конце и начале быть не должно, 2-х запятых подряд быть не должно, лишние пробелы "
    "(после запятых) удаляются.");

class PerksQuestsSchema : public TempDrive {};

}  // namespace

TEST_F(PerksQuestsSchema, SkillNumberFollowsTheSkillName) {
  struct Case {
    const char* skill;
    const char* typedId;
    bool accepted;
    const char* shown;  // row 6 after the check
  };
  const Case cases[] = {
      {"archery", "7", true, "1"},          {"melee", "7", true, "0"},
      {"elemental", "0", true, "3"},        {"sense", "0", true, "4"},
      {"astral", "0", true, "5"},           {"none", "0", true, "2147483647"},
      {"Archery", "7", true, "7"},          {"sword", "9", true, "9"},
      {"archery", "", false, ""},
  };
  const Schema& s = *findSchema("perks\\2\\");
  for (const auto& c : cases) {
    TZapisBaziZm z = parsed(perkRecord("melee", 0));
    RecordView v = decodeRecord(s, z);
    v.texts[4] = c.skill;
    v.texts[5] = c.typedId;
    auto failures = checkRows(s, v, context());
    if (!c.accepted) {
      ASSERT_EQ(failures.size(), 1u) << c.skill;
      EXPECT_EQ(failures[0].row, 5);
      EXPECT_EQ(failures[0].message, cp("Выделенное поле имеет неправильный формат."));
      continue;
    }
    ASSERT_TRUE(failures.empty()) << c.skill;
    EXPECT_EQ(v.texts[5], c.shown) << c.skill;
    ASSERT_TRUE(encodeRecord(s, v, z).ok);
    EXPECT_EQ(decode(Codec::Int32, parsed(z.Bytes).GetField(6)), c.shown) << c.skill;
  }
}

TEST_F(PerksQuestsSchema, PerkFlagAndRawSlot) {
  const Schema& s = *findSchema("perks\\2\\");
  TZapisBaziZm z = parsed(perkRecord("sense", 4));
  RecordView v = decodeRecord(s, z);
  EXPECT_EQ(v.texts[15], "0");
  EXPECT_EQ(v.slotData[6], kRaw);

  v.texts[15] = "2";
  auto failures = checkRows(s, v, context());
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].row, 15);
  EXPECT_EQ(failures[0].message, cp("Выделенное поле имеет неправильный формат. Либо ноль - значит \"нет\", либо "
                                    "единица - значит \"да\" (тобиш 0=False, 1=True)"));

  // Active = 1 is one byte 01; the raw field 7, never touched, goes back byte for byte.
  v.texts[15] = "1";
  ASSERT_TRUE(checkRows(s, v, context()).empty());
  ASSERT_TRUE(encodeRecord(s, v, z).ok);
  TZapisBaziZm back = parsed(z.Bytes);
  EXPECT_EQ(hex(back.GetField(16)), "01");
  EXPECT_EQ(hex(back.GetField(7)), hex(kRaw));
  EXPECT_EQ(back.GetField(1), nameBytes("Sharp Eye"));
}

TEST_F(PerksQuestsSchema, ListRowsAreNormalisedOrRefused) {
  struct Case {
    const char* folder;
    int row;  // 0-based
    int field;
    const char* text;
    bool accepted;
    const char* shown;
    std::string written;
  };
  const Case cases[] = {
      {"perks\\1\\", 3, 4, "str, dex", true, "str,dex", itemsOf({{1, nameBytes("str")}, {1, nameBytes("dex")}})},
      {"perks\\1\\", 3, 4, ",str", false, ",str", ""},
      {"perks\\1\\", 3, 4, "str,,dex", false, "str,,dex", ""},
      {"quests\\2\\", 5, 6, "sword, shield", true, "sword,shield",
       itemsOf({{1, nameBytes("sword")}, {1, nameBytes("shield")}})},
      {"quests\\2\\", 8, 9, "", true, "", ""},
      {"quests\\2\\", 9, 10, "a,", false, "a,", ""},
  };
  for (const auto& c : cases) {
    const Schema& s = *findSchema(c.folder);
    TZapisBaziZm z = parsed(std::string(c.folder).rfind("perks", 0) == 0 ? skillRecord("Might") : briefingRecord());
    RecordView v = decodeRecord(s, z);
    v.texts[c.row] = c.text;
    auto failures = checkRows(s, v, context());
    EXPECT_EQ(v.texts[c.row], c.shown) << c.text;
    if (!c.accepted) {
      ASSERT_EQ(failures.size(), 1u) << c.text;
      EXPECT_EQ(failures[0].row, c.row);
      EXPECT_EQ(failures[0].message, kListMessage);
      continue;
    }
    ASSERT_TRUE(failures.empty()) << c.text;
    ASSERT_TRUE(encodeRecord(s, v, z).ok);
    EXPECT_EQ(hex(parsed(z.Bytes).GetField(c.field)), hex(c.written)) << c.text;
  }
}

TEST_F(PerksQuestsSchema, BriefingShowsItsRows) {
  const Schema& s = *findSchema("quests\\2\\");
  TZapisBaziZm z = parsed(briefingRecord());
  RecordView v = decodeRecord(s, z);
  std::vector<std::string> shown = {"Smith", v.texts[1], decode(Codec::Float32, floatBytes(5.0f)), "sword", "", "sword", "sword", "", "sword",
                                    "sword", "0"};
  EXPECT_EQ(v.texts, shown);
  EXPECT_EQ(v.texts[1], rawDescription(kRaw));
  EXPECT_EQ(v.slotData[1], kRaw);
}

TEST_F(PerksQuestsSchema, QuestRecordNumber) {
  const Schema& s = *findSchema("quests\\1\\");
  const std::string message = cp("Значение этого поля должно быть равно номеру записи. В данном случае 3");
  struct Case {
    const char* text;
    const char* message;  // nullptr: accepted
  };
  const Case cases[] = {{"3", nullptr}, {"4", "record"}, {"", "standard"}};
  for (const auto& c : cases) {
    TZapisBaziZm z = parsed(questRecord("Smith", 3));
    RecordView v = decodeRecord(s, z);
    v.texts[6] = c.text;
    auto failures = checkRows(s, v, context(2));
    if (!c.message) {
      EXPECT_TRUE(failures.empty()) << c.text;
      continue;
    }
    ASSERT_EQ(failures.size(), 1u) << c.text;
    EXPECT_EQ(failures[0].row, 6);
    EXPECT_EQ(failures[0].message,
              std::string(c.message) == "record" ? message : cp("Выделенное поле имеет неправильный формат."));
  }
}

TEST_F(PerksQuestsSchema, QuestScanFixesNumbersAndAllowsDummy) {
  const Schema& s = *findSchema("quests\\1\\");
  const std::string ish = "C:\\src\\quests\\1\\";
  const char* masks[] = {"dummy", "Smith", "dummy", "dummy"};
  for (int i = 0; i < 4; ++i) writeFile(ish + recordFileName(i + 1), questRecord(masks[i], i == 2 ? 5 : i + 1));
  auto list = scanSection(s, ish);
  ASSERT_TRUE(list);
  ASSERT_EQ(list->size(), 4u);
  EXPECT_TRUE(notes_.messages.empty());  // repeated "dummy" is no repetition
  EXPECT_EQ(readFile(ish + "0000003.zap"), questRecord("dummy", 3));
  EXPECT_EQ(readFile(ish + "0000001.zap"), questRecord("dummy", 1));

  EXPECT_TRUE(maskAllowed(s, *list, "dummy"));
  EXPECT_TRUE(maskAllowed(s, *list, "Baker"));
  EXPECT_FALSE(maskAllowed(s, *list, "Smith"));
  EXPECT_TRUE(maskAllowed(s, *list, "Smith", 1));

  // Deleting quest 2 of 4: the later files move down and the next scan
  // renumbers them.
  ASSERT_TRUE(deleteRecord(ish, "0000002.zap"));
  ASSERT_TRUE(scanSection(s, ish));
  EXPECT_EQ(readFile(ish + "0000002.zap"), questRecord("dummy", 2));
  EXPECT_EQ(readFile(ish + "0000003.zap"), questRecord("dummy", 3));
}
