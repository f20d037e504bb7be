// The spells.sdb schemas: what each record shows, what a save writes, what a
// save refuses, on records built byte by byte here.
#include <gtest/gtest.h>

#include <cstdint>

#include "editors/engine/schema.h"
#include "editors/schemas/registry.h"
#include "editors/engine/section.h"
#include "support/record_fixtures.h"
#include "support/testenv.h"

using namespace kessik;
using namespace kessik::test;

namespace {

CheckContext anyMask() {
  CheckContext c;
  c.maskAllowed = [](const std::string&) { return true; };
  return c;
}

std::string nan32() { return std::string(4, '\xFF'); }

// A Spell Prototypes record: fields 1 to 28 and one field past the schema.
// Field 17's items carry odd type bytes, field 21 a flag byte 02.
std::vector<std::pair<int, std::string>> prototypeFields() {
  return {{1, nameBytes("Fireball")},
          {2, nameBytes("FRB")},
          {3, nameBytes("Destr")},
          {4, floatBytes(12.5f)},
          {5, int32Bytes(2)},
          {6, floatBytes(0.1f)},
          {7, int32Bytes(3)},
          {8, floatBytes(-1.5f)},
          {9, floatBytes(20.0f)},
          {10, floatBytes(2.25f)},
          {11, nan32()},
          {12, std::string("A\0\0\0", 4)},
          {13, int32Bytes(-1)},
          {14, int32Bytes(150)},
          {15, int32Bytes(0)},
          {16, int32Bytes(1)},
          {17, itemsOf({{7, std::string("ab\0\0", 4)}, {9, "cdef"}})},
          {18, ""},
          {19, int32Bytes(7)},
          {20, int32Bytes(INT32_MIN)},
          {21, bytes("01 00 02 01 00")},
          {22, int32Bytes(4)},
          {23, int32Bytes(5)},
          {24, floatBytes(1.0f)},
          {25, floatBytes(0.5f)},
          {26, floatBytes(100.0f)},
          {27, floatBytes(3.75f)},
          {28, floatBytes(-0.25f)},
          {29, "tail"}};
}

const std::vector<std::string> kPrototypeTexts = {
    "Fireball", "FRB", "Destr", "12,5", "2     ASTRAL", "0,1", "3", "-1,5", "20,0", "2,25", "NAN",
    "A", "-1", "150", "0", "1", "ab,cdef", "", "7", "-2147483648",
    "1", "0", "1", "1", "0",  // the five flags of field 21
    "4", "1,3", "1,0", "0,5", "100,0", "3,75", "-0,25"};

std::vector<std::pair<int, std::string>> modifierFields() {
  return {{1, nameBytes("Haste")},   {2, "FIRE"},           {3, floatBytes(2.5f)},
          {4, int32Bytes(6)},        {5, floatBytes(0.75f)}, {6, floatBytes(-3.75f)},
          {7, int32Bytes(2)},        {8, nameBytes("")},     {9, int32Bytes(0)},
          {10, "x"}};
}

const std::vector<std::string> kModifierTexts = {"Haste", "FIRE", "2,5", "6     FILTER", "0,75",
                                                 "-3,75", "2",    "",    "0"};

std::vector<std::pair<int, std::string>> shopFields() {
  return {{1, nameBytes("Fireball")},
          {2, itemsOf({{1, nameBytes("a")}, {1, nameBytes("bc")}})},
          {3, ""},
          {4, nameBytes("Power 3")},
          {5, int32Bytes(1 << 29)},
          {6, "extra"}};
}

// Replaces field payloads of a field list (1-based field numbers).
std::vector<std::pair<int, std::string>> with(std::vector<std::pair<int, std::string>> fields,
                                              const std::vector<std::pair<int, std::string>>& changes) {
  for (const auto& [n, payload] : changes) fields[n - 1].second = payload;
  return fields;
}

// Edits given by row number (from 1) and the text typed.
using Edits = std::vector<std::pair<int, std::string>>;

struct SaveCase {
  const char* what;
  Edits edits;
  std::vector<std::pair<int, std::string>> fields;  // field number, payload written
  Edits cells;                                      // cells as the check leaves them
};

// Loads the record, types the edits, checks and builds; compares the
// written fields (and every other field with the unedited build).
void expectSaves(const Schema& s, const std::string& record, const SaveCase& c) {
  SCOPED_TRACE(c.what);
  TZapisBaziZm plain = parsed(record);
  RecordView pv = decodeRecord(s, plain);
  ASSERT_TRUE(checkRows(s, pv, anyMask()).empty());
  ASSERT_TRUE(encodeRecord(s, pv, plain).ok);

  TZapisBaziZm z = parsed(record);
  RecordView v = decodeRecord(s, z);
  for (const auto& [row, text] : c.edits) v.texts[row - 1] = text;
  auto failures = checkRows(s, v, anyMask());
  ASSERT_TRUE(failures.empty()) << failures[0].row;
  for (const auto& [row, text] : c.cells) EXPECT_EQ(v.texts[row - 1], text);
  ASSERT_TRUE(encodeRecord(s, v, z).ok);
  TZapisBaziZm back = parsed(z.Bytes);
  TZapisBaziZm expected = parsed(plain.Bytes);
  for (const auto& [n, payload] : c.fields) expected.SetField(n, payload);
  ASSERT_EQ(back.FieldCount, expected.FieldCount);
  for (int n = 1; n <= back.FieldCount; ++n) EXPECT_EQ(hex(back.GetField(n)), hex(expected.GetField(n))) << "field " << n;
}

struct RefuseCase {
  int row;  // from 1
  const char* text;
  std::string message;  // cp1251
  const char* cell;     // the cell afterwards; nullptr: as typed
};

void expectRefused(const Schema& s, const std::string& record, const RefuseCase& c) {
  SCOPED_TRACE(std::to_string(c.row) + " " + c.text);
  TZapisBaziZm z = parsed(record);
  RecordView v = decodeRecord(s, z);
  v.texts[c.row - 1] = c.text;
  auto failures = checkRows(s, v, anyMask());
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].row, c.row - 1);
  EXPECT_EQ(failures[0].message, c.message);
  EXPECT_EQ(v.texts[c.row - 1], c.cell ? c.cell : c.text);
}

std::string formatMsg() { return cp("Выделенное поле имеет неправильный формат."); }
std::string listMsg() {
  return formatMsg() + "\r" +
         cp("Это должен быть список текстовых значений, разделенный запятыми. Запятой в конце и начале быть не "
            "должно, 2-х запятых подряд быть не должно, лишние пробелы (после запятых) удаляются.");
}
std::string shortListMsg() { return listMsg() + "\r" + cp("Каждый элемент списка не должен быть длиннее 4 символов."); }
std::string shopMsg() {
  return cp("Выделенное поле имеет неправильный формат. Это должен быть список номеров магазинов, разделенный "
            "запятыми, и заканчивающийся последней цифрой магазина (никаких других символов дальше)");
}
std::string boolMsg() {
  return cp("Выделенное поле имеет неправильный формат. Либо ноль - значит \"нет\", либо единица - значит \"да\" "
            "(тобиш 0=False, 1=True)");
}

class SpellsSchema : public TempDrive {};

}  // namespace

TEST_F(SpellsSchema, PrototypesShowEveryRowAndKeepUntouchedBytes) {
  const Schema& s = *findSchema("spells\\1\\");
  TZapisBaziZm z = parsed(recordOf(prototypeFields()));
  RecordView v = decodeRecord(s, z);
  EXPECT_EQ(v.texts, kPrototypeTexts);
  EXPECT_TRUE(notes_.messages.empty());

  ASSERT_TRUE(checkRows(s, v, anyMask()).empty());
  ASSERT_TRUE(encodeRecord(s, v, z).ok);
  // Nothing was edited: every value keeps its bytes (list item types 07 and
  // 09, the flag 02), field 29 as loaded.
  EXPECT_EQ(hex(z.Bytes), hex(recordOf(prototypeFields())));
}

TEST_F(SpellsSchema, PrototypesStoreEditedRows) {
  const Schema& s = *findSchema("spells\\1\\");
  const std::string record = recordOf(prototypeFields());
  const SaveCase cases[] = {
      {"target one character", {{12, "A"}}, {{12, bytes("41 00 00 00")}}, {}},
      {"target empty", {{12, ""}}, {{12, bytes("00 00 00 00")}}, {}},
      {"code list normalised",
       {{17, "ab, cdef"}},
       {{17, itemsOf({{7, std::string("ab\0\0", 4)}, {9, "cdef"}})}},  // the list as loaded: the same value
       {{17, "ab,cdef"}}},
      {"code list of one short code", {{18, "x"}}, {{18, bytes("01 08 78 00 00 00")}}, {}},
      {"code list emptied", {{17, ""}}, {{17, ""}}, {}},
      {"flags",
       {{21, "1"}, {22, "0"}, {23, "0"}, {24, "1"}, {25, "0"}},
       {{21, bytes("01 00 00 01 00")}},
       {}},
      {"shop numbers", {{27, "1,3"}}, {{23, bytes("05 00 00 00")}}, {}},
      {"type from the chooser", {{5, "1     SENSES"}}, {{5, int32Bytes(1)}}, {}},
      {"type typed as a bare number", {{5, "7"}}, {{5, int32Bytes(7)}}, {}},
      {"code and subtype any text",
       {{2, ""}, {3, cp("Огонь, лёд")}},
       {{2, bytes("00")}, {3, nameBytes(cp("Огонь, лёд"))}},
       {}},
      {"price", {{4, "1,5"}}, {{4, bytes("00 00 C0 3F")}}, {}},
      {"unknown6", {{32, "NAN"}}, {{28, nan32()}}, {}},
  };
  for (const auto& c : cases) expectSaves(s, record, c);
}

TEST_F(SpellsSchema, PrototypesRefuseBadRows) {
  const Schema& s = *findSchema("spells\\1\\");
  const std::string record = recordOf(prototypeFields());
  const RefuseCase cases[] = {
      {12, "AB", cp("Выделенное поле имеет неправильный формат. Не больше 1 символа (любого), либо без символов."),
       nullptr},
      {17, "ab, cdefg", shortListMsg(), "ab,cdefg"},  // the first step passes and normalises the cell
      {17, "abcde", shortListMsg(), nullptr},
      {18, ",ab", shortListMsg(), nullptr},
      {18, "ab, ,cd", shortListMsg(), "ab,,cd"},
      {21, "2", boolMsg(), nullptr},
      {25, "", boolMsg(), nullptr},
      {27, "1,3,", shopMsg(), nullptr},
      {5, "x     ASTRAL", formatMsg(), nullptr},
      {7, "1,5", formatMsg(), nullptr},
      {4, "1.5", formatMsg(), nullptr},
  };
  for (const auto& c : cases) expectRefused(s, record, c);

  // The last failing row's message is the one shown: rows in row order.
  TZapisBaziZm z = parsed(record);
  RecordView v = decodeRecord(s, z);
  v.texts[11] = "AB";
  v.texts[26] = "x";
  auto failures = checkRows(s, v, anyMask());
  ASSERT_EQ(failures.size(), 2u);
  EXPECT_EQ(failures.back().row, 26);
  EXPECT_EQ(failures.back().message, shopMsg());
}

TEST_F(SpellsSchema, PrototypeFlagsFieldOfOtherLengths) {
  const Schema& s = *findSchema("spells\\1\\");
  // Bytes past the fifth are dropped when the record is saved.
  TZapisBaziZm longer = parsed(recordOf(with(prototypeFields(), {{21, bytes("00 01 00 00 01 07 07")}})));
  RecordView v = decodeRecord(s, longer);
  EXPECT_EQ(std::vector<std::string>(v.texts.begin() + 20, v.texts.begin() + 25),
            (std::vector<std::string>{"0", "1", "0", "0", "1"}));
  ASSERT_TRUE(checkRows(s, v, anyMask()).empty());
  ASSERT_TRUE(encodeRecord(s, v, longer).ok);
  EXPECT_EQ(hex(parsed(longer.Bytes).GetField(21)), "00 01 00 00 01");

  // Fewer than five bytes: the flags cannot be shown, and the field keeps
  // its bytes while the other rows are saved.
  TZapisBaziZm shorter = parsed(recordOf(with(prototypeFields(), {{21, bytes("01 01 01")}})));
  RecordView w = decodeRecord(s, shorter);
  for (int r = 20; r < 25; ++r) {
    EXPECT_FALSE(w.readable[r]);
    EXPECT_EQ(w.texts[r], unreadableText(21, false));
  }
  w.texts[0] = "Firestorm";
  ASSERT_TRUE(checkRows(s, w, anyMask()).empty());
  ASSERT_TRUE(encodeRecord(s, w, shorter).ok);
  TZapisBaziZm back = parsed(shorter.Bytes);
  EXPECT_EQ(hex(back.GetField(21)), "01 01 01");
  EXPECT_EQ(back.GetField(1), nameBytes("Firestorm"));
}

TEST_F(SpellsSchema, ModifiersShowStoreAndRefuse) {
  const Schema& s = *findSchema("spells\\2\\");
  const std::string record = recordOf(modifierFields());
  TZapisBaziZm z = parsed(record);
  RecordView v = decodeRecord(s, z);
  EXPECT_EQ(v.texts, kModifierTexts);
  ASSERT_TRUE(checkRows(s, v, anyMask()).empty());
  ASSERT_TRUE(encodeRecord(s, v, z).ok);
  EXPECT_EQ(hex(z.Bytes), hex(record));  // a canonical record comes back whole

  const SaveCase saves[] = {
      {"code of four characters, no zero byte", {{2, "FIRE"}}, {{2, "FIRE"}}, {}},
      {"short code padded", {{2, "AB"}}, {{2, bytes("41 42 00 00")}}, {}},
      {"empty code", {{2, ""}}, {{2, bytes("00 00 00 00")}}, {}},
      {"type from the chooser", {{4, "3     EFFECT"}}, {{4, int32Bytes(3)}}, {}},
      {"shop text", {{8, "Town shop"}}, {{8, nameBytes("Town shop")}}, {}},
      {"shop numbers", {{9, "1,3"}}, {{9, bytes("05 00 00 00")}}, {}},
      {"value", {{6, "-0,5"}}, {{6, floatBytes(-0.5f)}}, {}},
  };
  for (const auto& c : saves) expectSaves(s, record, c);

  const RefuseCase refusals[] = {
      {2, "FIRES",
       cp("Выделенное поле имеет неправильный формат. Не больше 4 символов (любых), либо вообще без символов."),
       nullptr},
      {9, "1,3,", shopMsg(), nullptr},
      {4, "", formatMsg(), nullptr},
      {7, "-", formatMsg(), nullptr},
  };
  for (const auto& c : refusals) expectRefused(s, record, c);
}

TEST_F(SpellsSchema, TypeIdLabelsAndChooser) {
  const Schema& proto = *findSchema("spells\\1\\");
  const Schema& mods = *findSchema("spells\\2\\");
  const Row& protoType = proto.rows[4];
  const Row& modType = mods.rows[3];
  EXPECT_EQ(chooserEntries(protoType), "0     ELEMENTAL\r1     SENSES\r2     ASTRAL\r");
  EXPECT_EQ(chooserEntries(modType),
            "0     RANGE\r1     TARGETS\r2     AREA\r3     EFFECT\r4     DURATION\r5     MANA\r6     FILTER\r"
            "7     ITEM\r");

  struct Case {
    const Schema* schema;
    int field;
    std::int32_t stored;
    const char* shown;
    int chooserStart;
  };
  const Case cases[] = {
      {&proto, 5, 0, "0     ELEMENTAL", 0}, {&proto, 5, 2, "2     ASTRAL", 2}, {&proto, 5, 3, "3", 0},
      {&proto, 5, -1, "-1", 0},               {&mods, 4, 6, "6     FILTER", 6}, {&mods, 4, 7, "7     ITEM", 7},
      {&mods, 4, 9, "9", 0},
  };
  for (const auto& c : cases) {
    const bool isProto = c.schema == &proto;
    auto fields = with(isProto ? prototypeFields() : modifierFields(), {{c.field, int32Bytes(c.stored)}});
    TZapisBaziZm z = parsed(recordOf(fields));
    RecordView v = decodeRecord(*c.schema, z);
    const int row = isProto ? 4 : 3;
    EXPECT_EQ(v.texts[row], c.shown) << c.stored;
    EXPECT_EQ(chooserIndex(c.schema->rows[row], v.texts[row]), c.chooserStart) << c.stored;
  }
}

TEST_F(SpellsSchema, ShopListsShowStoreAndRefuse) {
  const std::string record = recordOf(shopFields());
  for (const char* folder : {"spells\\3\\", "spells\\4\\", "spells\\5\\"}) {
    SCOPED_TRACE(folder);
    const Schema& s = *findSchema(folder);
    TZapisBaziZm z = parsed(record);
    RecordView v = decodeRecord(s, z);
    // A mask of 2 to the power 29 is shop 30.
    EXPECT_EQ(v.texts, (std::vector<std::string>{"Fireball", "a,bc", "", "Power 3", "30"}));
    ASSERT_TRUE(checkRows(s, v, anyMask()).empty());
    ASSERT_TRUE(encodeRecord(s, v, z).ok);
    EXPECT_EQ(hex(z.Bytes), hex(record));

    const SaveCase saves[] = {
        {"list normalised", {{2, "a, b"}}, {{2, bytes("01 04 61 00 01 04 62 00")}}, {{2, "a,b"}}},
        {"empty list", {{2, ""}}, {{2, ""}}, {}},
        {"long names", {{3, "Shield of  light,x"}}, {{3, itemsOf({{1, nameBytes("Shield of  light")}, {1, nameBytes("x")}})}}, {}},
        {"shops", {{5, "1,3"}}, {{5, bytes("05 00 00 00")}}, {}},
        {"no shop", {{5, "0"}}, {{5, bytes("00 00 00 00")}}, {}},
        {"empty prototype and power", {{1, ""}, {4, ""}}, {{1, bytes("00")}, {4, bytes("00")}}, {}},
    };
    for (const auto& c : saves) expectSaves(s, record, c);

    const RefuseCase refusals[] = {
        {3, "a, ,b", listMsg(), "a,,b"},
        {3, ",a", listMsg(), nullptr},
        {2, "a,", listMsg(), nullptr},
        {5, "1,3,", shopMsg(), nullptr},
        {5, "", shopMsg(), nullptr},
    };
    for (const auto& c : refusals) expectRefused(s, record, c);

    TZapisBaziZm zero = parsed(recordOf(with(shopFields(), {{5, int32Bytes(0)}})));
    EXPECT_EQ(decodeRecord(s, zero).texts[4], "0");
  }
}

TEST_F(SpellsSchema, ShopListMasksRepeatFreely) {
  const std::string ish = "C:\\src\\spells\\4\\";
  for (int k = 1; k <= 3; ++k)
    writeFile(ish + "000000" + std::to_string(k) + ".zap", recordOf(with(shopFields(), {{1, nameBytes("Same")}})));
  const Schema& s = *findSchema("spells\\4\\");
  auto list = scanSection(s, ish);
  ASSERT_TRUE(list);
  EXPECT_EQ(list->size(), 3u);
  EXPECT_TRUE(notes_.messages.empty());  // no warning for the repetitions
  EXPECT_TRUE(maskAllowed(s, *list, "Same", 0));
  EXPECT_TRUE(maskAllowed(s, *list, "Same"));
  // The unique-mask sections of the same database do warn.
  const std::string protoIsh = "C:\\src\\spells\\1\\";
  for (int k = 1; k <= 2; ++k)
    writeFile(protoIsh + "000000" + std::to_string(k) + ".zap",
              recordOf(with(prototypeFields(), {{1, nameBytes("Same")}})));
  auto protos = scanSection(*findSchema("spells\\1\\"), protoIsh);
  ASSERT_TRUE(protos);
  EXPECT_EQ(notes_.messages.size(), 1u);
  EXPECT_FALSE(maskAllowed(*findSchema("spells\\1\\"), *protos, "Same", 0));
}
