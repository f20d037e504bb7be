// The prints.db schemas: what a prints record shows and how it is written.
#include <gtest/gtest.h>

#include "editors/engine/schema.h"
#include "editors/schemas/registry.h"
#include "support/record_fixtures.h"
#include "support/testenv.h"

using namespace kessik;
using namespace kessik::test;

namespace {

// A weather group field: opacity, lifetime, fadeout as stored.
std::string group(float opacity, std::int32_t life, std::int32_t fade, int t1 = 1, int t2 = 2, int t3 = 3) {
  return itemsOf({{t1, floatBytes(opacity)}, {t2, int32Bytes(life)}, {t3, int32Bytes(fade)}});
}

std::string printsRecord(const std::string& mask, bool fourthGroup = false) {
  std::vector<std::pair<int, std::string>> f = {
      {1, nameBytes(mask)}, {2, group(0.5f, 20, 30)}, {3, group(1.0f, 45, -44)}};
  if (fourthGroup) f.push_back({4, group(0.25f, 15, 150)});
  return recordOf(f);
}

CheckContext anyMask() {
  CheckContext c;
  c.maskAllowed = [](const std::string&) { return true; };
  return c;
}

class PrintsSchema : public TempDrive {};

}  // namespace

TEST_F(PrintsSchema, ShowsAndWritesBackValues) {
  const Schema& s = *findSchema("prints\\1\\");
  TZapisBaziZm z = parsed(printsRecord("Swamp"));
  RecordView v = decodeRecord(s, z);
  std::vector<std::string> shown = {"Swamp", "0,5", "1", "2", "1,0", "3", "-2"};
  EXPECT_EQ(v.texts, shown);
  EXPECT_TRUE(notes_.messages.empty());

  ASSERT_TRUE(checkRows(s, v, anyMask()).empty());
  ASSERT_TRUE(encodeRecord(s, v, z).ok);
  // 20 shows 1 and -44 shows -2, but a value nobody edited keeps its bytes.
  TZapisBaziZm back = parsed(z.Bytes);
  EXPECT_EQ(hex(back.GetField(2)), hex(group(0.5f, 20, 30)));
  EXPECT_EQ(hex(back.GetField(3)), hex(group(1.0f, 45, -44)));
  EXPECT_EQ(back.GetField(1), nameBytes("Swamp"));
}

TEST_F(PrintsSchema, EditedValuesAreStored) {
  struct Case {
    int row;
    const char* text;
    int field;
    std::string expected;  // the field payload written
  };
  const Case cases[] = {
      {2, "-2", 2, group(0.5f, -30, 30)},
      {1, "NAN", 2, itemsOf({{1, std::string(4, '\xFF')}, {2, int32Bytes(20)}, {3, int32Bytes(30)}})},
      {4, "0,75", 3, group(0.75f, 45, -44)},
      {6, "10", 3, group(1.0f, 45, 150)},
  };
  const Schema& s = *findSchema("prints\\3\\");
  for (const auto& c : cases) {
    TZapisBaziZm z = parsed(printsRecord("Sand"));
    RecordView v = decodeRecord(s, z);
    v.texts[c.row] = c.text;
    ASSERT_TRUE(checkRows(s, v, anyMask()).empty()) << c.text;
    ASSERT_TRUE(encodeRecord(s, v, z).ok);
    EXPECT_EQ(hex(parsed(z.Bytes).GetField(c.field)), hex(c.expected)) << c.text;
  }
  // 0,5 shows again as 0,5 after a save and a load.
  TZapisBaziZm z = parsed(printsRecord("Sand"));
  RecordView v = decodeRecord(s, z);
  v.texts[1] = "0,5";
  ASSERT_TRUE(encodeRecord(s, v, z).ok);
  TZapisBaziZm again = parsed(z.Bytes);
  EXPECT_EQ(decodeRecord(s, again).texts[1], "0,5");
}

TEST_F(PrintsSchema, InvalidRowsFailWithTheirOwnRow) {
  const Schema& s = *findSchema("prints\\1\\");
  TZapisBaziZm z = parsed(printsRecord("Swamp"));
  RecordView v = decodeRecord(s, z);
  v.texts[2] = "1,5";   // row 3: a lifetime is a whole number
  v.texts[4] = "0.5";   // row 5: "." is no separator
  v.texts[5] = "abc";   // row 6
  auto failures = checkRows(s, v, anyMask());
  ASSERT_EQ(failures.size(), 3u);
  EXPECT_EQ(failures[0].row, 2);
  EXPECT_EQ(failures[1].row, 4);
  EXPECT_EQ(failures[2].row, 5);
  EXPECT_EQ(failures[2].message, cp("Выделенное поле имеет неправильный формат."));

  CheckContext clash;
  clash.maskAllowed = [](const std::string& m) { return m != "Taken"; };
  RecordView w = decodeRecord(s, z);
  w.texts[0] = "Taken";
  failures = checkRows(s, w, clash);
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].row, 0);
  EXPECT_EQ(failures[0].message, cp("Неправильная маска - такая уже есть. Маска берется из выделенного поля."));
}

TEST_F(PrintsSchema, FourthGroupAndItemTypes) {
  // Items are read whatever their type bytes and written with 1, 2, 3.
  std::string odd = recordOf({{1, nameBytes("Mud")}, {2, group(0.5f, 30, 30, 7, 8, 9)}, {3, group(1.0f, 15, 15)},
                              {4, group(0.25f, 15, 150, 5, 5, 5)}});
  // Blood Prints leaves a fourth field as loaded.
  TZapisBaziZm z = parsed(odd);
  RecordView v = decodeRecord(*findSchema("prints\\1\\"), z);
  ASSERT_TRUE(encodeRecord(*findSchema("prints\\1\\"), v, z).ok);
  TZapisBaziZm back = parsed(z.Bytes);
  EXPECT_EQ(hex(back.GetField(2)), hex(group(0.5f, 30, 30)));
  EXPECT_EQ(hex(back.GetField(4)), hex(group(0.25f, 15, 150, 5, 5, 5)));

  // Foot Prints rewrites field 4 from rows 8 to 10.
  const Schema& foot = *findSchema("prints\\2\\");
  TZapisBaziZm f = parsed(odd);
  RecordView fv = decodeRecord(foot, f);
  EXPECT_EQ(fv.texts[7], "0,25");
  EXPECT_EQ(fv.texts[9], "10");
  fv.texts[8] = "4";
  ASSERT_TRUE(checkRows(foot, fv, anyMask()).empty());
  ASSERT_TRUE(encodeRecord(foot, fv, f).ok);
  EXPECT_EQ(hex(parsed(f.Bytes).GetField(4)), hex(group(0.25f, 60, 150)));
}
