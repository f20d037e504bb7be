// The items.idb schemas: every cell of a hand-built record of each section,
// the packed runs, the raw rows, and the rules between rows (the record
// number of Materials, IDs from type names, Weapons' damage, the zone list).
#include <gtest/gtest.h>

#include <map>

#include "editors/engine/schema.h"
#include "editors/schemas/registry.h"
#include "editors/engine/section.h"
#include "core/database.h"
#include "support/record_fixtures.h"
#include "support/testenv.h"

using namespace kessik;
using namespace kessik::test;

namespace {

// What a field of a section holds, written down from the field tables
// independently of the schemas.
enum class F { Mask, Name, Int, Float, Bool, Shops, Raw, Floats7, Floats9, Zones, DamageMin, DamageSpread };

struct Layout {
  const char* folder;
  std::vector<F> fields;
};

std::vector<F> cat(std::initializer_list<std::vector<F>> parts) {
  std::vector<F> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// Fields 6 to 16 of Weapons, Armors and Quick Items.
const std::vector<F> kGeneral = {F::Int, F::Int, F::Float, F::Float, F::Float, F::Float,
                                 F::Int, F::Float, F::Int,   F::Shops, F::Bool};

const std::vector<Layout>& layouts() {
  static const std::vector<Layout> all = {
      {"items\\1\\", {F::Mask, F::Name, F::Name, F::Int, F::Float, F::Float, F::Float, F::Int, F::Float, F::Int,
                      F::Float, F::Floats7, F::Raw, F::Shops}},
      {"items\\2\\", cat({{F::Mask, F::Name, F::Int, F::Name, F::Raw}, kGeneral,
                          {F::Int, F::Raw, F::Float, F::DamageMin, F::DamageSpread, F::Floats7, F::Raw, F::Raw,
                           F::Float, F::Float}})},
      {"items\\3\\", cat({{F::Mask, F::Name, F::Int, F::Name, F::Raw}, kGeneral,
                          {F::Floats9, F::Floats9, F::Bool, F::Int, F::Raw, F::Raw}})},
      {"items\\4\\", cat({{F::Mask, F::Name, F::Raw, F::Name, F::Raw}, kGeneral,
                          {F::Int, F::Int, F::Float, F::Raw, F::Name, F::Raw, F::Raw}})},
      {"items\\5\\", cat({{F::Mask, F::Name, F::Raw, F::Name, F::Raw}, kGeneral, {F::Int, F::Zones}})},
      {"items\\6\\", cat({{F::Mask, F::Name, F::Raw, F::Name, F::Raw}, kGeneral, {F::Int, F::Int, F::Int}})},
  };
  return all;
}

std::string num(int n) { return std::to_string(n); }

// The payload of field n and the cells it shows. Every value differs from
// field to field, so that a row reading the wrong place shows it.
std::pair<std::string, std::vector<std::string>> fieldValue(F f, int n) {
  switch (f) {
    case F::Mask:
      return {nameBytes("Item"), {"Item"}};
    case F::Name:
      return {nameBytes("v" + num(n)), {"v" + num(n)}};
    case F::Int:
      return {int32Bytes(-100 * n - 3), {num(-100 * n - 3)}};
    case F::Float:
      return {floatBytes(n + 0.25f), {num(n) + ",25"}};
    case F::Bool:
      return {std::string(1, '\x01'), {"1"}};
    case F::Shops:
      return {int32Bytes(0x20000005), {"1,3,30"}};
    case F::Raw:
      // Odd fields hold zeros, even ones a non-zero byte; the length is n.
      if (n % 2) return {std::string(n, '\0'), {cp("Поле пустое (все байты нули). Длина поля " + num(n) + " байтов.")}};
      return {std::string(n - 1, '\0') + '\x07', {cp("Поле НЕ пустое (НЕ все байты нули). Длина поля " + num(n) + " байтов.")}};
    case F::Floats7:
    case F::Floats9: {
      std::pair<std::string, std::vector<std::string>> out;
      for (int i = 0; i < (f == F::Floats7 ? 7 : 9); ++i) {
        out.first += floatBytes(10 * n + i + 0.5f);
        out.second.push_back(num(10 * n + i) + ",5");
      }
      return out;
    }
    case F::Zones:
      return {itemsOf({{1, nameBytes("Zone1")}, {1, nameBytes("Zone 2")}}), {"Zone1,Zone 2"}};
    case F::DamageMin:  // a tenth of the minimum: 15
      return {floatBytes(1.5f), {"15,0"}};
    case F::DamageSpread:  // a tenth of the spread: 15 + 5
      return {floatBytes(0.5f), {"20,0"}};
  }
  return {};
}

struct Built {
  std::string bytes;
  std::vector<std::string> cells;
  std::map<int, std::string> fields;
};

Built build(const Layout& l) {
  Built b;
  std::vector<std::pair<int, std::string>> fields;
  for (int n = 1; n <= static_cast<int>(l.fields.size()); ++n) {
    auto [payload, cells] = fieldValue(l.fields[n - 1], n);
    fields.push_back({n, payload});
    b.fields[n] = payload;
    b.cells.insert(b.cells.end(), cells.begin(), cells.end());
  }
  b.bytes = recordOf(fields);
  return b;
}

const Layout& layoutOf(const std::string& folder) {
  for (const Layout& l : layouts())
    if (folder == l.folder) return l;
  throw std::runtime_error(folder);
}

CheckContext context(int index) {
  CheckContext c;
  c.recordIndex = index;
  c.maskAllowed = [](const std::string& m) { return m != "Taken"; };
  return c;
}
// Materials' field 4 holds -403: record -402 would be its own. The other
// sections have no record-number rule.
constexpr int kMaterialsIndex = -403;

class ItemsSchema : public TempDrive {};

}  // namespace

TEST_F(ItemsSchema, EveryCellOfAHandBuiltRecordAndTheSameBytesBack) {
  for (const Layout& l : layouts()) {
    const Schema& s = *findSchema(l.folder);
    Built b = build(l);
    TZapisBaziZm z = parsed(b.bytes);
    RecordView v = decodeRecord(s, z);
    ASSERT_EQ(v.texts.size(), b.cells.size()) << l.folder;
    for (std::size_t i = 0; i < b.cells.size(); ++i) EXPECT_EQ(v.texts[i], b.cells[i]) << l.folder << " row " << i + 1;
    auto failures = checkRows(s, v, context(kMaterialsIndex));
    EXPECT_TRUE(failures.empty()) << l.folder << " row " << (failures.empty() ? 0 : failures[0].row + 1);
    ASSERT_TRUE(encodeRecord(s, v, z).ok);
    EXPECT_EQ(hex(z.Bytes), hex(b.bytes)) << l.folder;
  }
  EXPECT_TRUE(notes_.messages.empty());
}

TEST_F(ItemsSchema, RulesBetweenRowsChecksAndWrittenBytes) {
  const std::string standard = cp("Выделенное поле имеет неправильный формат.");
  const std::string shops = checkMessage(Codec::Bitset30);
  const std::string yesNo = cp("Выделенное поле имеет неправильный формат. Либо ноль - значит \"нет\", либо единица - "
                               "значит \"да\" (тобиш 0=False, 1=True)");
  const std::string list = cp(
      "Выделенное поле имеет неправильный формат.\rЭто должен быть список текстовых значений, разделенный "
      "запятыми. Запятой в конце и начале быть не должно, 2-х запятых подряд быть не должно, лишние пробелы "
      "(после запятых) удаляются.");
  const std::string recordRule = cp("Значение этого поля должно быть равно номеру записи-1. В данном случае ");
  auto floats = [](std::initializer_list<float> fs) {
    std::string out;
    for (float f : fs) out += floatBytes(f);
    return out;
  };
  const std::string nul(1, '\0');

  struct Case {
    const char* what;
    const char* folder;
    int index;                                      // the record's list index
    std::vector<std::pair<int, std::string>> edits;  // 1-based rows
    std::vector<int> failing;                        // 1-based rows, in order
    std::string message;                             // of the last failing row
    std::vector<std::pair<int, std::string>> cells;  // cells after the checks
    std::vector<std::pair<int, std::string>> fields; // payloads written (when nothing fails)
  };
  const Case cases[] = {
      // Materials: field 4 is the record's index.
      {"own index", "items\\1\\", 4, {{4, "4"}}, {}, "", {}, {{4, int32Bytes(4)}}},
      {"another index", "items\\1\\", 4, {{4, "9"}}, {4}, recordRule + "4", {{4, "9"}}, {}},
      {"index of record 1", "items\\1\\", 0, {{4, "1"}}, {4}, recordRule + "0", {}, {}},
      {"index not a number", "items\\1\\", 4, {{4, "x"}}, {4}, standard, {}, {}},
      {"absorption run", "items\\1\\", kMaterialsIndex, {{12, "-1"}, {18, "NAN"}}, {}, "", {},
       {{12, floats({-1, 121.5f, 122.5f, 123.5f, 124.5f, 125.5f}) + std::string(4, '\xFF')}}},
      {"shops", "items\\1\\", kMaterialsIndex, {{20, "3,1"}}, {}, "", {}, {{14, int32Bytes(5)}}},
      {"shops 0", "items\\1\\", kMaterialsIndex, {{20, "0"}}, {}, "", {}, {{14, int32Bytes(0)}}},
      {"shops with a blank", "items\\1\\", kMaterialsIndex, {{20, "1, 3"}}, {20}, shops, {}, {}},
      {"shops ending in a comma", "items\\1\\", kMaterialsIndex, {{20, "1,"}}, {20}, shops, {}, {}},
      // Weapons and Armors: the ID from the type name.
      {"bow", "items\\2\\", 0, {{2, "bow"}, {3, "17"}}, {}, "", {{3, "5"}}, {{3, int32Bytes(5)}}},
      {"Bow keeps its ID", "items\\2\\", 0, {{2, "Bow"}, {3, "17"}}, {}, "", {{3, "17"}}, {{3, int32Bytes(17)}}},
      {"sword", "items\\2\\", 0, {{2, "sword"}}, {}, "", {{3, "0"}}, {{3, int32Bytes(0)}}},
      {"ID shown when another row fails", "items\\2\\", 0, {{2, "crossbow"}, {3, "1"}, {8, "abc"}}, {8}, standard,
       {{3, "6"}}, {}},
      {"ID not a number", "items\\2\\", 0, {{2, "bow"}, {3, "x"}}, {3}, standard, {{3, "x"}}, {}},
      {"gloves", "items\\3\\", 0, {{2, "gloves"}}, {}, "", {{3, "6"}}, {{3, int32Bytes(6)}}},
      {"helm", "items\\3\\", 0, {{2, "helm"}, {3, "3"}}, {}, "", {{3, "0"}}, {{3, int32Bytes(0)}}},
      // Weapons: damage kept as a tenth of the minimum and of the spread.
      {"damage", "items\\2\\", 0, {{20, "10"}, {21, "25"}}, {}, "", {},
       {{20, floatBytes(1.0f)}, {21, floatBytes(1.5f)}}},
      {"maximum only", "items\\2\\", 0, {{21, "25"}}, {}, "", {}, {{20, floatBytes(1.5f)}, {21, floatBytes(1.0f)}}},
      {"damage not a number", "items\\2\\", 0, {{21, "1.5"}}, {21}, standard, {}, {}},
      {"yes/no 2", "items\\2\\", 0, {{16, "2"}}, {16}, yesNo, {}, {}},
      {"yes/no yes", "items\\3\\", 0, {{35, "yes"}}, {35}, yesNo, {}, {}},
      {"yes/no 0", "items\\3\\", 0, {{16, "0"}, {35, "0"}}, {}, "", {}, {{16, nul}, {19, nul}}},
      {"main run, last value", "items\\3\\", 0, {{25, "2"}}, {}, "", {},
       {{17, floats({170.5f, 171.5f, 172.5f, 173.5f, 174.5f, 175.5f, 176.5f, 177.5f, 2})}}},
      {"additional run, first value", "items\\3\\", 0, {{26, "0,5"}}, {}, "", {},
       {{18, floats({0.5f, 181.5f, 182.5f, 183.5f, 184.5f, 185.5f, 186.5f, 187.5f, 188.5f})}}},
      {"damage proportions", "items\\2\\", 0, {{28, "1"}}, {}, "", {},
       {{22, floats({220.5f, 221.5f, 222.5f, 223.5f, 224.5f, 225.5f, 1})}}},
      // Quick Items and Loot Items: the ID in row 17.
      {"wand", "items\\4\\", 0, {{2, "wand"}, {17, "2"}}, {}, "", {{17, "5"}}, {{17, int32Bytes(5)}}},
      {"Wand keeps its ID", "items\\4\\", 0, {{2, "Wand"}, {17, "2"}}, {}, "", {{17, "2"}}, {{17, int32Bytes(2)}}},
      {"scroll", "items\\4\\", 0, {{2, "scroll"}}, {}, "", {{17, "8"}}, {{17, int32Bytes(8)}}},
      {"instruction", "items\\6\\", 0, {{2, "instruction"}}, {}, "", {{17, "2"}}, {{17, int32Bytes(2)}}},
      {"treasure", "items\\6\\", 0, {{2, "treasure"}, {17, "9"}}, {}, "", {{17, "0"}}, {{17, int32Bytes(0)}}},
      // Quest Items: the zone list.
      {"zones normalised", "items\\5\\", 0, {{18, "Zone1, Zone2,  Zone3"}}, {}, "", {{18, "Zone1,Zone2,Zone3"}},
       {{18, itemsOf({{1, nameBytes("Zone1")}, {1, nameBytes("Zone2")}, {1, nameBytes("Zone3")}})}}},
      {"no zones", "items\\5\\", 0, {{18, ""}}, {}, "", {}, {{18, ""}}},
      {"zones: leading comma", "items\\5\\", 0, {{18, ",Zone1"}}, {18}, list, {}, {}},
      {"zones: trailing comma", "items\\5\\", 0, {{18, "Zone1,"}}, {18}, list, {}, {}},
      {"zones: two commas", "items\\5\\", 0, {{18, "Zone1,,Zone2"}}, {18}, list, {}, {}},
      {"zones: an empty one", "items\\5\\", 0, {{18, "Zone1, ,Zone2"}}, {18}, list, {{18, "Zone1,,Zone2"}}, {}},
      // The mask, and several failures: the last one's message.
      {"mask taken", "items\\6\\", 0, {{1, "Taken"}}, {1},
       cp("Неправильная маска - такая уже есть. Маска берется из выделенного поля."), {}, {}},
      {"two failures", "items\\6\\", 0, {{6, "a"}, {15, "x"}}, {6, 15}, shops, {}, {}},
      {"names take anything", "items\\4\\", 0, {{4, ""}, {21, "Fire ball, big"}}, {}, "", {},
       {{4, nul}, {21, nameBytes("Fire ball, big")}}},
  };

  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Schema& s = *findSchema(c.folder);
    Built b = build(layoutOf(c.folder));
    TZapisBaziZm z = parsed(b.bytes);
    RecordView v = decodeRecord(s, z);
    for (const auto& [row, text] : c.edits) v.texts[row - 1] = text;
    auto failures = checkRows(s, v, context(c.index));
    std::vector<int> failing;
    for (const auto& f : failures) failing.push_back(f.row + 1);
    EXPECT_EQ(failing, c.failing);
    if (!failures.empty()) {
      EXPECT_EQ(failures.back().message, c.message);
    }
    for (const auto& [row, text] : c.cells) EXPECT_EQ(v.texts[row - 1], text) << "row " << row;
    if (!failures.empty()) continue;

    ASSERT_TRUE(encodeRecord(s, v, z).ok);
    TZapisBaziZm back = parsed(z.Bytes);
    std::map<int, std::string> expected = b.fields;
    for (const auto& [row, text] : c.edits)
      if (row == 2) expected[2] = nameBytes(text);  // the type name, field 2 in every section
    for (const auto& [field, payload] : c.fields) expected[field] = payload;
    ASSERT_EQ(back.FieldCount, static_cast<int>(expected.size()));
    for (const auto& [field, payload] : expected) EXPECT_EQ(hex(back.GetField(field)), hex(payload)) << "field " << field;
  }
}

TEST_F(ItemsSchema, RawRowsWriteTheirSlots) {
  // A raw row writes whatever its slot holds, of any length; the other
  // fields keep theirs.
  struct Case {
    const char* folder;
    int row;
    int field;
    std::string slot;
  };
  const Case cases[] = {
      {"items\\2\\", 5, 5, "\x01\x02\x03"},  // a 3-byte file into a 4-byte field
      {"items\\1\\", 19, 13, std::string(40, '\x09')},
      {"items\\3\\", 38, 22, ""},
      {"items\\4\\", 23, 23, std::string("\x00\x00\x01", 3)},
      {"items\\5\\", 3, 3, "abcd"},
      {"items\\6\\", 5, 5, "x"},
  };
  for (const Case& c : cases) {
    const Schema& s = *findSchema(c.folder);
    Built b = build(layoutOf(c.folder));
    TZapisBaziZm z = parsed(b.bytes);
    RecordView v = decodeRecord(s, z);
    EXPECT_EQ(v.slotData[c.row - 1], b.fields[c.field]) << c.folder;
    v.slotData[c.row - 1] = c.slot;
    v.texts[c.row - 1] = rawDescription(c.slot);
    ASSERT_TRUE(checkRows(s, v, context(kMaterialsIndex)).empty()) << c.folder;
    ASSERT_TRUE(encodeRecord(s, v, z).ok);
    std::map<int, std::string> expected = b.fields;
    expected[c.field] = c.slot;
    TZapisBaziZm back = parsed(z.Bytes);
    for (const auto& [field, payload] : expected) EXPECT_EQ(hex(back.GetField(field)), hex(payload)) << c.folder << field;
  }
  EXPECT_EQ(rawDescription(std::string(3, '\0')), cp("Поле пустое (все байты нули). Длина поля 3 байтов."));
}

TEST_F(ItemsSchema, MaterialsScanWritesEachRecordsIndex) {
  const Schema& s = *findSchema("items\\1\\");
  const Layout& l = layoutOf("items\\1\\");
  const std::string dir = "C:\\src\\items\\1\\";
  // Records 1 to 7: field 4 holds k - 1 except in records 3 and 7.
  auto record = [&](int k, int index) {
    Built b = build(l);
    TZapisBaziZm z = parsed(b.bytes);
    z.SetField(1, nameBytes("Mat" + num(k)));
    z.SetField(4, int32Bytes(index));
    z.Rebuild();
    return z.Bytes;
  };
  for (int k = 1; k <= 7; ++k) writeFile(dir + recordFileName(k), record(k, k == 3 ? 0 : k == 7 ? 3 : k - 1));
  ASSERT_TRUE(scanSection(s, dir));
  for (int k = 1; k <= 7; ++k) EXPECT_EQ(hex(readFile(dir + recordFileName(k))), hex(record(k, k - 1))) << k;
  EXPECT_TRUE(notes_.messages.empty());

  // After deleting record 2 the rescan moves every later index down by one.
  ASSERT_TRUE(deleteRecord(dir, recordFileName(2)));
  ASSERT_TRUE(scanSection(s, dir));
  for (int k = 1; k <= 6; ++k) {
    TZapisBaziZm z = parsed(readFile(dir + recordFileName(k)));
    EXPECT_EQ(z.GetField(4), int32Bytes(k - 1)) << k;
    EXPECT_EQ(maskOf(z), "Mat" + num(k < 2 ? k : k + 1));
  }
}
