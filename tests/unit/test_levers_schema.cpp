// The levers.ldb schema: the packed places, the number with its slot, the
// switch time, and the name and description sharing field 8.
#include <gtest/gtest.h>

#include "editors/engine/schema.h"
#include "editors/schemas/registry.h"
#include "support/record_fixtures.h"
#include "support/testenv.h"

using namespace kessik;
using namespace kessik::test;

namespace {

const Schema& levers() { return *findSchema("levers\\1\\"); }

const std::string kPlaces = floatBytes(1.5f) + floatBytes(-2.25f) + floatBytes(0.5f) + floatBytes(100.0f);
const std::string kLeverText = "Lever01" + std::string(17, ' ') + "Door switch";

// A levers record; field 8 and field 3 may be given.
std::string leverRecord(const std::string& field8 = kLeverText + std::string(1, '\0'),
                        const std::string& field3 = int32Bytes(-7)) {
  return recordOf({{1, nameBytes("Lever01")},
                   {2, kPlaces},
                   {3, field3},
                   {4, floatBytes(0.75f)},
                   {5, int32Bytes(16)},  // (16 - 1) / 15 + 0.1 = 1.1
                   {6, nameBytes("Iron")},
                   {7, nameBytes("click.wav")},
                   {8, field8}});
}

CheckContext anyMask(int index = 0) {
  CheckContext c;
  c.recordIndex = index;
  c.maskAllowed = [](const std::string&) { return true; };
  return c;
}

class LeversSchema : public TempDrive {};

}  // namespace

TEST_F(LeversSchema, ShowsEveryCellAndWritesTheRecordBackByteForByte) {
  const Schema& s = levers();
  TZapisBaziZm z = parsed(leverRecord());
  RecordView v = decodeRecord(s, z);
  const std::vector<std::string> shown = {"Lever01", "1,5",  "-2,25",     "0,5",     "100,0",       "-7",
                                          "0,75",    "1,1",  "Iron",      "click.wav", "Lever01", "Door switch"};
  EXPECT_EQ(v.texts, shown);
  EXPECT_EQ(v.slotData[5], int32Bytes(-7));
  EXPECT_TRUE(notes_.messages.empty());

  ASSERT_TRUE(checkRows(s, v, anyMask()).empty());
  ASSERT_TRUE(encodeRecord(s, v, z).ok);
  EXPECT_EQ(hex(z.Bytes), hex(leverRecord()));

  // Blanks inside the name part are dropped when shown.
  TZapisBaziZm big = parsed(leverRecord("Big Lever" + std::string(15, ' ') + "Gate" + std::string(1, '\0')));
  RecordView b = decodeRecord(s, big);
  EXPECT_EQ(b.texts[10], "BigLever");
  EXPECT_EQ(b.texts[11], "Gate");
}

TEST_F(LeversSchema, EditedRowsWriteTheirBytes) {
  struct Case {
    int row;  // 1-based, as the window numbers them
    std::string text;
    int field;
    std::string expected;  // the field's payload afterwards
  };
  const std::string nul(1, '\0');
  const Case cases[] = {
      {2, "3", 2, floatBytes(3.0f) + kPlaces.substr(4)},
      {5, "NAN", 2, kPlaces.substr(0, 12) + std::string(4, '\xFF')},
      {4, "-0,125", 2, kPlaces.substr(0, 8) + floatBytes(-0.125f) + kPlaces.substr(12)},
      {6, "7", 3, int32Bytes(7)},
      {6, "-2147483648", 3, int32Bytes(INT32_MIN)},
      {7, "2", 4, floatBytes(2.0f)},
      {8, "2,5", 5, int32Bytes(37)},  // round((2.5 - 0.1) * 15 + 1)
      {8, "0,1", 5, int32Bytes(1)},
      {9, "", 6, nul},
      {10, "lever.wav", 7, nameBytes("lever.wav")},
      {11, "Big Lever", 8, "Big Lever" + std::string(15, ' ') + "Door switch" + nul},
      {11, "ABCDEFGHIJKLMNOPQRSTUVWX", 8, "ABCDEFGHIJKLMNOPQRSTUVWXDoor switch" + nul},
      {11, "", 8, std::string(24, ' ') + "Door switch" + nul},
      {12, "", 8, "Lever01" + std::string(17, ' ') + nul},
      {12, "A longer text, with commas", 8, "Lever01" + std::string(17, ' ') + "A longer text, with commas" + nul},
  };
  const Schema& s = levers();
  for (const Case& c : cases) {
    TZapisBaziZm z = parsed(leverRecord());
    RecordView v = decodeRecord(s, z);
    v.texts[c.row - 1] = c.text;
    ASSERT_TRUE(checkRows(s, v, anyMask()).empty()) << c.row << " " << c.text;
    ASSERT_TRUE(encodeRecord(s, v, z).ok) << c.row << " " << c.text;
    TZapisBaziZm back = parsed(z.Bytes);
    EXPECT_EQ(hex(back.GetField(c.field)), hex(c.expected)) << c.row << " " << c.text;
    // Every other field as it was.
    TZapisBaziZm original = parsed(leverRecord());
    for (int f = 1; f <= 8; ++f) {
      if (f == c.field) continue;
      EXPECT_EQ(back.GetField(f), original.GetField(f)) << c.row << " field " << f;
    }
  }
}

TEST_F(LeversSchema, RefusedRowsAndTheirMessages) {
  const std::string standard = cp("Выделенное поле имеет неправильный формат.");
  const std::string longName = cp("Выделенное поле имеет неправильный формат - оно не должно быть длинее 24 символов.");
  struct Case {
    int row;
    std::string text;
    std::string message;
  };
  const Case cases[] = {
      {11, "ABCDEFGHIJKLMNOPQRSTUVWXY", longName},  // 25 characters
      {6, "7a", standard},
      {6, "", standard},
      {8, "1.5", standard},  // "." is no separator
      {8, "", standard},
      {2, "x", standard},
      {7, "-", standard},
  };
  const Schema& s = levers();
  for (const Case& c : cases) {
    TZapisBaziZm z = parsed(leverRecord());
    RecordView v = decodeRecord(s, z);
    v.texts[c.row - 1] = c.text;
    auto failures = checkRows(s, v, anyMask());
    ASSERT_EQ(failures.size(), 1u) << c.row << " " << c.text;
    EXPECT_EQ(failures[0].row, c.row - 1);
    EXPECT_EQ(failures[0].message, c.message) << c.row;
  }
  // Rows 9, 10 and 12 take any text.
  TZapisBaziZm z = parsed(leverRecord());
  RecordView v = decodeRecord(s, z);
  v.texts[8] = v.texts[9] = v.texts[11] = std::string(300, 'x');
  EXPECT_TRUE(checkRows(s, v, anyMask()).empty());
}

TEST_F(LeversSchema, NumberAndItsSlot) {
  const Schema& s = levers();
  struct Case {
    std::string slot;      // the bytes the row button loaded from a file
    std::string shown;     // row 6 afterwards
    std::string typed;     // row 6 before saving ("" = as shown)
    std::string field3;    // written
  };
  const Case cases[] = {
      {"\x01\x02\x03\x04", "67305985", "", "\x01\x02\x03\x04"},
      {std::string("\x05\x00\x00\x00\xAA\xBB", 6), "5", "", std::string("\x05\x00\x00\x00", 4)},  // first 4 bytes
      {std::string("\x05\x00\x00\x00\xAA\xBB", 6), "5", "6", int32Bytes(6)},                      // retyped
      {"\x01\x02", "513", "", std::string("\x01\x02\x00\x00", 4)},  // a short file: the number it shows
      {"", "0", "", int32Bytes(0)},
  };
  for (const Case& c : cases) {
    TZapisBaziZm z = parsed(leverRecord());
    RecordView v = decodeRecord(s, z);
    v.slotData[5] = c.slot;  // as the window does after the raw value dialog
    v.texts[5] = decode(Codec::Int32, c.slot);
    EXPECT_EQ(v.texts[5], c.shown);
    if (!c.typed.empty()) v.texts[5] = c.typed;
    ASSERT_TRUE(checkRows(s, v, anyMask()).empty());
    ASSERT_TRUE(encodeRecord(s, v, z).ok);
    EXPECT_EQ(hex(parsed(z.Bytes).GetField(3)), hex(c.field3)) << hex(c.slot);
  }
  // Out of range: the conversion message, and the record stays as it was.
  TZapisBaziZm z = parsed(leverRecord());
  RecordView v = decodeRecord(s, z);
  v.texts[5] = "2147483648";
  ASSERT_TRUE(checkRows(s, v, anyMask()).empty());
  BuildResult b = encodeRecord(s, v, z);
  EXPECT_FALSE(b.ok);
  EXPECT_EQ(b.error, "'2147483648' is not a valid integer value");
  EXPECT_EQ(z.Bytes, leverRecord());
}

TEST_F(LeversSchema, ShortNameFieldsAndDamagedFields) {
  const Schema& s = levers();
  // A field 8 shorter than the name part: the whole name, no description;
  // written back padded to the name part's width.
  TZapisBaziZm z = parsed(leverRecord(nameBytes("Short one")));
  RecordView v = decodeRecord(s, z);
  EXPECT_EQ(v.texts[10], "Shortone");
  EXPECT_EQ(v.texts[11], "");
  v.texts[10] = "Short";
  ASSERT_TRUE(encodeRecord(s, v, z).ok);
  EXPECT_EQ(parsed(z.Bytes).GetField(8), "Short" + std::string(19, ' ') + std::string(1, '\0'));

  // A field 2 too short for its four values, or a field 3 too short for a
  // number, cannot be shown: its rows say so and it keeps its bytes.
  const std::string shortPlaces = recordOf({{1, nameBytes("L")}, {2, kPlaces.substr(0, 10)}, {3, "\x01\x02"},
                                            {4, floatBytes(1)}, {5, int32Bytes(1)}, {6, nameBytes("")},
                                            {7, nameBytes("")}, {8, nameBytes("")}});
  TZapisBaziZm d = parsed(shortPlaces);
  RecordView dv = decodeRecord(s, d);
  for (int r : {1, 2, 3, 4, 5}) EXPECT_FALSE(dv.readable[r]) << r;
  EXPECT_TRUE(dv.readable[6]);
  dv.texts[6] = "4";
  ASSERT_TRUE(checkRows(s, dv, anyMask()).empty());
  ASSERT_TRUE(encodeRecord(s, dv, d).ok);
  TZapisBaziZm back = parsed(d.Bytes);
  EXPECT_EQ(back.GetField(2), kPlaces.substr(0, 10));
  EXPECT_EQ(back.GetField(3), "\x01\x02");
  EXPECT_EQ(back.GetField(4), floatBytes(4));
}
