// The schema engine on a schema that uses every kind of place and rule, and
// on malformed records.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <stdexcept>

#include "editors/engine/schema.h"
#include "editors/schemas/registry.h"
#include "editors/schemas/window_table.h"
#include "support/lossy_record.h"
#include "support/record_fixtures.h"
#include "support/testenv.h"

using namespace kessik;
using namespace kessik::test;

namespace {

const LabelTable kKinds = {{50, "     HUMAN"}, {51, "     MONSTER"}};

// Rows (0-based):
//  0 mask, field 1          5 id, field 5 (set from row 4)      10 list, field 9
//  1 float, field 2 bytes 1-4   6 min, field 6 (x10)            11 kind, field 10 (int32label, chooser)
//  2 float, field 2 bytes 5-8   7 max, field 7 (x10)            12 raw, field 11 (slot)
//  3 number with slot, field 3  8 name part, field 8 (24)       13 index, field 12 (record number - 1)
//  4 type name, field 4         9 description, field 8
constexpr RowDef kRows[] = {
    {"Name", fieldAt(1), Codec::Name, CheckKind::Mask},
    {"A", bytesAt(2, 1, 4), Codec::Float32},
    {"B", bytesAt(2, 5, 8), Codec::Float32},
    {"Unknown", fieldAt(3), Codec::Int32, CheckKind::Codec, RowButton::Raw},
    {"Type", fieldAt(4), Codec::Name, CheckKind::None},
    {"ID", fieldAt(5), Codec::Int32},
    {"Min", fieldAt(6), Codec::Float32},
    {"Max", fieldAt(7), Codec::Float32},
    {"Name part", namePartOf(8, 24), Codec::Name, CheckKind::MaxLen, RowButton::None, 1, nullptr, 24},
    {"Desc", descPartOf(8, 24), Codec::Name, CheckKind::None},
    {"List", fieldAt(9), Codec::NameList},
    {"Kind", fieldAt(10), Codec::Int32Label, CheckKind::Codec, RowButton::Chooser, 1, &kKinds},
    {"Raw", fieldAt(11), Codec::Raw, CheckKind::None, RowButton::Raw},
    {"Index", fieldAt(12), Codec::Int32},
};
constexpr TypeId kIds[] = {{"sword", 0}, {"bow", 5}};
constexpr TypeIdDef kTypeIds[] = {{"Type", "ID", kIds}};
constexpr MinMaxDef kMinMax[] = {{"Min", "Max", 10}};
constexpr RecordNumberDef kIndex = {"Index", -1, "Index must be "};

Schema makeSchema() {
  return buildSchema({.rows = kRows, .typeIds = kTypeIds, .minMax = kMinMax, .recordNumber = &kIndex}, "test\\1\\");
}

std::vector<std::pair<int, std::string>> fullFields() {
  return {{1, nameBytes("Rec")},
          {2, floatBytes(1.5f) + floatBytes(-2.0f)},
          {3, int32Bytes(77)},
          {4, nameBytes("bow")},
          {5, int32Bytes(17)},
          {6, floatBytes(1.5f)},
          {7, floatBytes(0.5f)},
          {8, nameBytes("Lever01" + std::string(17, ' ') + "Door switch")},
          {9, itemsOf({{1, nameBytes("a")}, {1, nameBytes("b")}})},
          {10, int32Bytes(51)},
          {11, std::string("\0\0\x01", 3)},
          {12, int32Bytes(4)},
          {13, "tail"}};
}

CheckContext context(int index = 4) {
  CheckContext c;
  c.recordIndex = index;
  c.maskAllowed = [](const std::string& m) { return m != "Taken"; };
  return c;
}

class SchemaEngine : public TempDrive {
 protected:
  Schema schema_ = makeSchema();
};

}  // namespace

TEST(SchemaDeclaration, RulesFindTheirRowsByName) {
  const Schema s = makeSchema();
  EXPECT_EQ(s.folder, "test\\1\\");
  ASSERT_EQ(s.rows.size(), std::size(kRows));
  EXPECT_TRUE(s.rows[3].slot && s.rows[12].slot);  // the rows with a raw button
  EXPECT_FALSE(s.rows[11].slot);
  ASSERT_EQ(s.typeIds.size(), 1u);
  EXPECT_EQ(std::pair(s.typeIds[0].typeRow, s.typeIds[0].idRow), std::pair(4, 5));
  ASSERT_EQ(s.minMax.size(), 1u);
  EXPECT_EQ(std::pair(s.minMax[0].minRow, s.minMax[0].maxRow), std::pair(6, 7));
  ASSERT_TRUE(s.recordNumber);
  EXPECT_EQ(s.recordNumber->row, 13);
  EXPECT_EQ(buildSchema({.rows = kRows, .freeMask = "dummy"}, "x\\").freeMask, "dummy");

  // A rule that names no row, and two rows of one name, are refused.
  constexpr MinMaxDef kNoSuchRow[] = {{"Min", "Maximum", 10}};
  EXPECT_THROW(buildSchema({.rows = kRows, .minMax = kNoSuchRow}, "x\\"), std::logic_error);
  constexpr RowDef kTwice[] = {{"Name", fieldAt(1), Codec::Name, CheckKind::Mask}, {"Name", fieldAt(2), Codec::Int32}};
  EXPECT_THROW(buildSchema({.rows = kTwice}, "x\\"), std::logic_error);
}

TEST_F(SchemaEngine, DecodesEveryKindOfPlace) {
  TZapisBaziZm z = parsed(recordOf(fullFields()));
  RecordView v = decodeRecord(schema_, z);
  std::vector<std::string> expected = {"Rec", "1,5", "-2,0", "77", "bow", "17", "15,0", "20,0",
                                       "Lever01", "Door switch", "a,b", "51     MONSTER",
                                       cp("Поле НЕ пустое (НЕ все байты нули). Длина поля 3 байтов."), "4"};
  EXPECT_EQ(v.texts, expected);
  EXPECT_EQ(v.slotData[3], int32Bytes(77));
  EXPECT_EQ(v.slotData[12], std::string("\0\0\x01", 3));
  EXPECT_EQ(chooserEntries(schema_.rows[11]), "50     HUMAN\r51     MONSTER\r");
  EXPECT_EQ(chooserIndex(schema_.rows[11], v.texts[11]), 1);
  EXPECT_EQ(chooserIndex(schema_.rows[11], "7"), 0);
}

TEST_F(SchemaEngine, UnchangedRecordIsWrittenBackByteForByte) {
  std::string original = recordOf(fullFields());
  TZapisBaziZm z = parsed(original);
  RecordView v = decodeRecord(schema_, z);
  auto failures = checkRows(schema_, v, context());
  ASSERT_TRUE(failures.empty()) << failures[0].row;
  // The type name "bow" sets the ID to 5; everything else comes back as it was.
  EXPECT_EQ(v.texts[5], "5");
  ASSERT_TRUE(encodeRecord(schema_, v, z).ok);
  auto fields = fullFields();
  fields[4].second = int32Bytes(5);
  EXPECT_EQ(hex(z.Bytes), hex(recordOf(fields)));
}

TEST_F(SchemaEngine, ChecksChangeTheirCellsAndReportTheirRows) {
  TZapisBaziZm z = parsed(recordOf(fullFields()));
  RecordView v = decodeRecord(schema_, z);
  v.texts[0] = "Taken";
  v.texts[4] = "Bow";                            // no ID rule for another case
  v.texts[8] = std::string(25, 'x');             // 25 characters
  v.texts[10] = "a, ,b";                          // passes the first step, then fails
  v.texts[11] = "12 abc";                         // only the code counts
  v.texts[13] = "9";                              // the record's index is 4
  auto failures = checkRows(schema_, v, context());
  ASSERT_EQ(failures.size(), 4u);
  EXPECT_EQ(failures[0].row, 0);
  EXPECT_EQ(failures[1].row, 8);
  EXPECT_EQ(failures[1].message, cp("Выделенное поле имеет неправильный формат - оно не должно быть длинее 24 символов."));
  EXPECT_EQ(failures[2].row, 10);
  EXPECT_EQ(v.texts[10], "a,,b");
  EXPECT_EQ(failures[3].row, 13);
  EXPECT_EQ(failures[3].message, "Index must be 4");
  EXPECT_EQ(v.texts[5], "17");

  v.texts[5] = "x";  // an ID that fails its check is not set from the type
  v.texts[4] = "sword";
  failures = checkRows(schema_, v, context());
  EXPECT_EQ(v.texts[5], "x");
}

TEST_F(SchemaEngine, EditedRowsAreEncodedInTheirPlaces) {
  TZapisBaziZm z = parsed(recordOf(fullFields()));
  RecordView v = decodeRecord(schema_, z);
  v.texts[2] = "3";
  v.texts[3] = "7";          // differs from the slot: the slot takes the int32 7
  v.texts[6] = "20";         // min 20, max 25: fields 2 and 0,5
  v.texts[7] = "25";
  v.texts[8] = std::string(24, 'N');
  v.texts[9] = "";
  v.texts[10] = "x, y,z";
  v.texts[11] = "52";
  v.slotData[12] = "NEW";       // as the raw value dialog leaves it
  ASSERT_TRUE(checkRows(schema_, v, context()).empty());
  ASSERT_TRUE(encodeRecord(schema_, v, z).ok);
  TZapisBaziZm back = parsed(z.Bytes);
  EXPECT_EQ(hex(back.GetField(2)), hex(floatBytes(1.5f) + floatBytes(3.0f)));
  EXPECT_EQ(back.GetField(3), int32Bytes(7));
  EXPECT_EQ(v.slotData[3], int32Bytes(7));
  EXPECT_EQ(hex(back.GetField(6)), hex(floatBytes(2.0f)));
  EXPECT_EQ(hex(back.GetField(7)), hex(floatBytes(0.5f)));
  EXPECT_EQ(back.GetField(8), std::string(24, 'N') + std::string(1, '\0'));
  EXPECT_EQ(hex(back.GetField(9)), hex(itemsOf({{1, nameBytes("x")}, {1, nameBytes("y")}, {1, nameBytes("z")}})));
  EXPECT_EQ(back.GetField(10), int32Bytes(52));
  EXPECT_EQ(back.GetField(11), "NEW");
  EXPECT_EQ(back.GetField(13), "tail");
}

TEST_F(SchemaEngine, SlotNumberTakesItsWidthFromANewSlotOnly) {
  auto fields = fullFields();
  fields[2].second = "ABCDEF";  // a record whose 4-byte field holds 6 bytes
  TZapisBaziZm z = parsed(recordOf(fields));
  RecordView v = decodeRecord(schema_, z);
  ASSERT_TRUE(checkRows(schema_, v, context()).empty());
  ASSERT_TRUE(encodeRecord(schema_, v, z).ok);
  EXPECT_EQ(parsed(z.Bytes).GetField(3), "ABCDEF");  // untouched: as it was
  v.slotData[3] = "GHIJKL";  // a 6-byte file loaded by the raw value dialog
  v.texts[3] = decode(Codec::Int32, "GHIJ");
  ASSERT_TRUE(encodeRecord(schema_, v, z).ok);
  EXPECT_EQ(parsed(z.Bytes).GetField(3), "GHIJ");
}

TEST_F(SchemaEngine, ConversionFailureLeavesTheRecordAlone) {
  std::string original = recordOf(fullFields());
  TZapisBaziZm z = parsed(original);
  RecordView v = decodeRecord(schema_, z);
  v.texts[5] = "2147483648";  // passes the check, cannot be converted
  v.texts[4] = "dagger";
  ASSERT_TRUE(checkRows(schema_, v, context()).empty());
  BuildResult r = encodeRecord(schema_, v, z);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, "'2147483648' is not a valid integer value");
  EXPECT_EQ(z.Bytes, original);
}

TEST_F(SchemaEngine, MalformedRecordsKeepWhatCannotBeShown) {
  struct Case {
    const char* what;
    int field;                 // the damaged field (1-based)
    std::string payload;       // its damaged payload; empty text: the field is left out
    std::vector<int> unreadable;
  };
  const Case cases[] = {
      {"packed run too short", 2, floatBytes(1.0f) + "\x01\x02", {1, 2}},
      {"number field too short", 5, "\x05\x00", {5}},
      {"list with a broken item", 9, itemsOf({{1, nameBytes("a")}}) + "\x01\x20x", {10}},
      {"spread field too short", 7, "\x01\x02", {7}},
      {"minimum field too short", 6, "\x01\x02", {6, 7}},
  };
  for (const auto& c : cases) {
    auto fields = fullFields();
    fields[c.field - 1].second = c.payload;
    std::string original = recordOf(fields);
    TZapisBaziZm z = parsed(original);
    RecordView v = decodeRecord(schema_, z);
    for (int r : c.unreadable) {
      EXPECT_FALSE(v.readable[r]) << c.what;
      EXPECT_EQ(v.texts[r], unreadableText(c.field, false)) << c.what;
    }
    v.texts[0] = "Renamed";
    ASSERT_TRUE(checkRows(schema_, v, context()).empty()) << c.what;
    ASSERT_TRUE(encodeRecord(schema_, v, z).ok);
    // Only the mask and the ID set from the type change; the damaged field
    // and every other field keep their bytes.
    fields[0].second = nameBytes("Renamed");
    if (c.field != 5) fields[4].second = int32Bytes(5);
    EXPECT_EQ(hex(z.Bytes), hex(recordOf(fields))) << c.what;
  }
  EXPECT_TRUE(notes_.messages.empty());
}

TEST_F(SchemaEngine, MissingFieldsAreReportedAndNotWritten) {
  auto fields = fullFields();
  fields.resize(9);  // fields 10 to 13 are missing
  TZapisBaziZm z = parsed(recordOf(fields));
  RecordView v = decodeRecord(schema_, z);
  // The record object tells once per missing field.
  ASSERT_EQ(notes_.messages.size(), 3u);
  EXPECT_EQ(notes_.messages[0].text, cp("Неправильный номер поля базы!"));
  EXPECT_FALSE(v.readable[11]);
  EXPECT_EQ(v.texts[11], unreadableText(10, true));
  EXPECT_TRUE(v.readable[10]);
  v.texts[1] = "2";
  ASSERT_TRUE(checkRows(schema_, v, context()).empty());
  ASSERT_TRUE(encodeRecord(schema_, v, z).ok);
  TZapisBaziZm back = parsed(z.Bytes);
  EXPECT_EQ(back.FieldCount, 9);
  EXPECT_EQ(hex(back.GetField(2)), hex(floatBytes(2.0f) + floatBytes(-2.0f)));

  // A record file cut off in the middle of a field.
  std::string cut = recordOf(fullFields());
  cut.resize(cut.size() - 30);
  TZapisBaziZm t;
  t.Parse(cut);
  RecordView tv = decodeRecord(schema_, t);
  EXPECT_TRUE(tv.readable[0]);
  EXPECT_FALSE(tv.readable[13]);
}

namespace {

// Every schema of the program, and the engine's own fixture.
std::vector<const Schema*> everySchema(const Schema& fixture) {
  std::vector<const Schema*> out{&fixture};
  for (const auto& w : windowTable()) {
    const Schema* s = findSchema(w.schemaFolder);
    if (s && std::find(out.begin(), out.end(), s) == out.end()) out.push_back(s);
  }
  return out;
}

// A schema with a row of every codec, as a whole field, as an item and (for
// the fixed-width ones) as a run.
Schema everyCodecSchema() {
  Schema s;
  s.folder = "codecs\\1\\";
  s.rows.push_back(makeRow("Name", fieldAt(1), Codec::Name, CheckKind::Mask));
  const Codec codecs[] = {Codec::Name,    Codec::Int32,     Codec::Int32Label, Codec::Float32, Codec::Ticks15,
                          Codec::Ticks15f, Codec::Byte,     Codec::Bool,       Codec::Bitset30, Codec::NameList,
                          Codec::Code4,   Codec::Char1,     Codec::Code4List,  Codec::Raw,     Codec::SoundList};
  int field = 2, item = 1, from = 1;
  for (Codec c : codecs) {
    Row whole = makeRow(std::string(codecName(c)), fieldAt(field++), c);
    whole.slot = showsDescription(c);
    s.rows.push_back(whole);
  }
  const int itemField = field++;
  for (Codec c : codecs) {
    if (showsDescription(c)) continue;
    Row r = makeRow(std::string(codecName(c)) + " item", itemAt(itemField, item), c);
    r.itemType = static_cast<std::uint8_t>(item++ + 4);
    s.rows.push_back(r);
  }
  const int runField = field++;
  for (Codec c : codecs) {
    const int w = static_cast<int>(fixedWidth(c));
    if (!w) continue;
    s.rows.push_back(makeRow(std::string(codecName(c)) + " run", bytesAt(runField, from, from + w - 1), c));
    from += w;
  }
  return s;
}

}  // namespace

TEST_F(SchemaEngine, SavingWithoutAnEditKeepsEveryValueOfEverySchema) {
  const Schema codecs = everyCodecSchema();
  std::vector<const Schema*> schemas = everySchema(schema_);
  schemas.push_back(&codecs);
  for (const Schema* s : schemas) {
    const std::string original = lossyRecord(*s);
    TZapisBaziZm z = parsed(original);
    RecordView v = decodeRecord(*s, z);
    const RecordView before = v;
    CheckContext c;
    c.recordIndex = 0;
    c.maskAllowed = [](const std::string&) { return true; };
    auto failures = checkRows(*s, v, c);
    ASSERT_TRUE(failures.empty()) << s->folder << " row " << failures[0].row << ": " << failures[0].message;
    ASSERT_TRUE(encodeRecord(*s, v, z).ok) << s->folder;
    TZapisBaziZm back = parsed(z.Bytes);
    RecordView after = decodeRecord(*s, back);
    for (std::size_t r = 0; r < s->rows.size(); ++r) {
      ASSERT_TRUE(after.readable[r]) << s->folder << " " << s->rows[r].name;
      EXPECT_EQ(hex(after.loadedBytes[r]), hex(before.loadedBytes[r])) << s->folder << " " << s->rows[r].name;
      EXPECT_EQ(after.texts[r], before.texts[r]) << s->folder << " " << s->rows[r].name;
    }
    // The records above are laid out as their schemas write them, item
    // types included: nothing of them changes.
    EXPECT_EQ(hex(z.Bytes), hex(original)) << s->folder;
  }
}

TEST_F(SchemaEngine, TheTextsAloneAreThoseOfTheWholeViewOfAnyRecord) {
  // A table reads its sections for their texts alone, through the fields
  // found in one pass: whole, cut short at every byte, or with a field
  // running past the end, the texts and what is readable are the editor's.
  const Schema codecs = everyCodecSchema();
  std::vector<const Schema*> schemas = everySchema(schema_);
  schemas.push_back(&codecs);
  for (const Schema* s : schemas) {
    const std::string original = lossyRecord(*s);
    for (std::size_t cut = 0; cut <= original.size(); ++cut) {
      SCOPED_TRACE(s->folder + " cut at " + std::to_string(cut));
      TZapisBaziZm z;
      z.Parse(std::string_view(original).substr(0, cut));
      const auto views = z.FieldViews();
      ASSERT_EQ(static_cast<int>(views.size()), z.FieldCount);
      for (int n = 1; n <= z.FieldCount; ++n) {
        const auto quiet = z.FieldOrNothing(n);
        ASSERT_EQ(views[n - 1].has_value(), quiet.has_value()) << "field " << n;
        if (quiet) {
          EXPECT_EQ(*views[n - 1], *quiet) << "field " << n;
        }
      }
      const RecordView whole = decodeRecord(*s, z);
      const RecordView texts = decodeRecord(*s, z, DecodeParts::TextsOnly);
      ASSERT_EQ(texts.texts, whole.texts);
      ASSERT_EQ(texts.readable, whole.readable);
    }
  }
}

TEST_F(SchemaEngine, AnEditedRowIsEncodedAndItsNeighboursKeepTheirBytes) {
  const Schema s = everyCodecSchema();
  TZapisBaziZm z = parsed(lossyRecord(s));
  RecordView v = decodeRecord(s, z);
  // Row 5 is the whole-field ticks15 (44, shown "2"), row 4 the float32.
  ASSERT_EQ(s.rows[5].codec, Codec::Ticks15);
  v.texts[5] = "3";
  CheckContext c;
  c.maskAllowed = [](const std::string&) { return true; };
  ASSERT_TRUE(checkRows(s, v, c).empty());
  ASSERT_TRUE(encodeRecord(s, v, z).ok);
  TZapisBaziZm back = parsed(z.Bytes);
  EXPECT_EQ(back.GetField(6), int32Bytes(45));
  EXPECT_EQ(hex(back.GetField(5)), hex(floatBytes(1.2345678f)));
  // Min/max: a changed minimum moves the stored spread, since the maximum is
  // shown on top of it; an untouched minimum keeps its bytes.
  TZapisBaziZm m = parsed(recordOf(fullFields()));
  RecordView mv = decodeRecord(schema_, m);
  mv.texts[6] = "10";  // the maximum still shows 20
  ASSERT_TRUE(checkRows(schema_, mv, context()).empty());
  ASSERT_TRUE(encodeRecord(schema_, mv, m).ok);
  EXPECT_EQ(hex(parsed(m.Bytes).GetField(7)), hex(floatBytes(1.0f)));
}
