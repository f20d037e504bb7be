// The record object: parsing a record node, reading and replacing fields,
// building the node again; and what it does with malformed records.
#include <gtest/gtest.h>

#include "core/record.h"
#include "support/testenv.h"

using namespace kessik;
using kessik::test::bytes;
using kessik::test::cp;
using kessik::test::hex;

namespace {

class RecordTest : public ::testing::Test {
 protected:
  void SetUp() override { previous_ = setNotifier(&notes_); }
  void TearDown() override { setNotifier(previous_); }

  TZapisBaziZm parsed(const std::string& hexBytes) {
    TZapisBaziZm z;
    std::string b = bytes(hexBytes);
    z.Parse(b, static_cast<std::int64_t>(b.size()));
    return z;
  }

  test::RecordingNotifier notes_;
  Notifier* previous_ = nullptr;
};

const char* const kTwoFields = "01 0C 01 04 41 00 01 00";

}  // namespace

TEST_F(RecordTest, NewObjectIsEmpty) {
  TZapisBaziZm z;
  EXPECT_TRUE(z.Bytes.empty());
  EXPECT_TRUE(z.Payload.empty());
  EXPECT_EQ(z.Length, 0);
  EXPECT_EQ(z.FieldCount, 0);
  EXPECT_EQ(z.PayloadLength, 0u);
  EXPECT_FALSE(z.Parsed);
  EXPECT_FALSE(z.Built);
  EXPECT_EQ(z.LastFieldLength, 0);
}

TEST_F(RecordTest, ParseAndGetFields) {
  TZapisBaziZm z = parsed(kTwoFields);
  EXPECT_TRUE(z.Parsed);
  EXPECT_TRUE(z.Built);
  EXPECT_EQ(z.Length, 8);
  EXPECT_EQ(z.FieldCount, 2);
  EXPECT_EQ(z.PayloadLength, 6u);
  EXPECT_EQ(hex(z.Payload), "01 04 41 00 01 00");

  EXPECT_EQ(hex(z.GetField(1)), "41 00");
  EXPECT_EQ(z.LastFieldLength, 2);
  EXPECT_EQ(z.GetField(2), "");
  EXPECT_EQ(z.LastFieldLength, 0);
  EXPECT_TRUE(notes_.messages.empty());

  for (int n : {3, 0, -1}) {
    z.LastFieldLength = 77;
    EXPECT_EQ(z.GetField(n), "ERROR!");
    EXPECT_EQ(z.LastFieldLength, 77);  // unchanged
  }
  ASSERT_EQ(notes_.messages.size(), 3u);
  EXPECT_EQ(notes_.messages[0].icon, Icon::Error);
  EXPECT_EQ(notes_.messages[0].caption, "Error");
  EXPECT_EQ(notes_.messages[0].text, cp("Неправильный номер поля базы!"));
  EXPECT_EQ(notes_.messages[0].buttons, ButtonOk);

  EXPECT_EQ(z.FieldOrNothing(1), bytes("41 00"));
  EXPECT_EQ(z.FieldOrNothing(2), "");
  EXPECT_FALSE(z.FieldOrNothing(3));
  EXPECT_EQ(z.FieldType(2), 1);
  EXPECT_EQ(notes_.messages.size(), 3u);  // the quiet accessors show nothing
}

TEST_F(RecordTest, SetFieldWithLongValueGetsFourByteCodes) {
  TZapisBaziZm z = parsed(kTwoFields);
  std::string value(130, 'v');
  z.SetField(1, 130, value + "tail not taken");
  EXPECT_EQ(z.PayloadLength, 137u);
  EXPECT_EQ(hex(z.Bytes), hex(bytes(kTwoFields)));  // waits for Rebuild
  EXPECT_EQ(z.Length, 8);
  EXPECT_EQ(z.FieldCount, 2);
  z.Rebuild();
  EXPECT_EQ(hex(z.Bytes), hex(bytes("01 13 01 00 00 01 05 01 00 00") + value + bytes("01 00")));
  EXPECT_EQ(z.Length, 142);
  EXPECT_TRUE(z.Built);
  EXPECT_EQ(z.GetField(1), value);
  EXPECT_EQ(z.LastFieldLength, 130);
}

TEST_F(RecordTest, SetFieldKeepsTypesAndOtherFields) {
  TZapisBaziZm z = parsed("01 12 07 02 41 09 04 42 43 05 00");
  z.SetField(2, 3, "xyz");
  z.Rebuild();
  EXPECT_EQ(hex(z.Bytes), hex(bytes("01 14 07 02 41 09 06") + "xyz" + bytes("05 00")));

  // A number outside the fields changes nothing.
  for (int n : {5, 0, -1}) {
    TZapisBaziZm same = parsed(kTwoFields);
    same.SetField(n, 1, "Z");
    same.Rebuild();
    EXPECT_EQ(hex(same.Bytes), hex(bytes(kTwoFields))) << n;
  }
  EXPECT_TRUE(notes_.messages.empty());
}

TEST_F(RecordTest, RebuildWritesTypeOneAndTheWriterSizeCode) {
  // A record of another type byte, or with a four-byte code for a short
  // payload, comes out in the standard form.
  TZapisBaziZm z = parsed("05 09 00 00 00 01 02 41 02 00");
  EXPECT_EQ(z.FieldCount, 2);
  z.Rebuild();
  EXPECT_EQ(hex(z.Bytes), "01 0A 01 02 41 02 00");
  EXPECT_EQ(z.Length, 7);

  // A 200-byte field: 4-byte codes survive an untouched round.
  std::string big = bytes("01 91 01 00 00") + std::string(200, 'q');
  std::string record = bytes("01 9F 01 00 00") + big + bytes("02 00");
  TZapisBaziZm r;
  r.Parse(record, static_cast<std::int64_t>(record.size()));
  EXPECT_EQ(r.FieldCount, 2);
  r.Rebuild();
  EXPECT_EQ(r.Bytes, record);
}

TEST_F(RecordTest, EmptyAndShortRecords) {
  struct Case {
    const char* hexBytes;
    std::int64_t length;
    int fields;
    const char* payload;
  };
  const Case cases[] = {
      {"01 00", 2, 0, ""},
      {"01", 1, 0, ""},
      {"", 0, 0, ""},
      {"01 05 00 00", 4, 0, ""},              // four-byte code, no room for a payload
      {kTwoFields, 0, 0, ""},
      {kTwoFields, -5, 0, ""},                // below 0: nothing used
      {kTwoFields, 4, 1, "01 04"},            // Length cuts the first field's payload
      {kTwoFields, 100, 2, "01 04 41 00 01 00"},  // clamped to the bytes given
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.hexBytes) + " / " + std::to_string(c.length));
    TZapisBaziZm z;
    std::string b = bytes(c.hexBytes);
    z.Parse(b, c.length);
    EXPECT_EQ(z.FieldCount, c.fields);
    EXPECT_EQ(hex(z.Payload), hex(bytes(c.payload)));
    EXPECT_EQ(z.PayloadLength, z.Payload.size());
    EXPECT_LE(z.Length, static_cast<std::int32_t>(b.size()));
    EXPECT_EQ(z.Bytes, b);
  }
  TZapisBaziZm empty = parsed("01 00");
  EXPECT_EQ(empty.GetField(1), "ERROR!");
  EXPECT_EQ(notes_.messages.size(), 1u);
  empty.SetField(1, 1, "x");
  EXPECT_TRUE(empty.Payload.empty());
}

TEST_F(RecordTest, LengthBeyondTheNodeTakesExtraFields) {
  TZapisBaziZm z;
  std::string b = bytes("01 04 01 00 02 00 03 02 07");
  z.Parse(b, static_cast<std::int64_t>(b.size()));
  EXPECT_EQ(z.FieldCount, 3);
  EXPECT_EQ(hex(z.GetField(3)), "07");
  EXPECT_EQ(z.FieldType(3), 3);
}

TEST_F(RecordTest, FieldsRunningPastTheEnd) {
  struct Case {
    const char* record;
    int fields;
    int n;               // the field looked at
    const char* value;   // GetField(n): the bytes that exist
    bool intact;
  };
  const Case cases[] = {
      {"01 0A 01 04 41 00 02 0A 42", 2, 2, "42", false},    // size code says 5, 1 exists
      {"01 0A 01 04 41 00 02 0A 42", 2, 1, "41 00", true},
      {"01 0A 01 04 41 00 05", 2, 2, "", false},            // a type byte alone
      {"01 0C 01 00 03 05 01 00", 2, 2, "", false},         // four-byte code cut short
      {"01 0E 03 FF FF FF FF 41 42", 1, 1, "41 42", false}, // a huge size code
      {"01 0C 04 7E 61 62", 1, 1, "61 62", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.record) + " field " + std::to_string(c.n));
    TZapisBaziZm z = parsed(c.record);
    EXPECT_EQ(z.FieldCount, c.fields);
    EXPECT_EQ(hex(z.GetField(c.n)), hex(bytes(c.value)));
    EXPECT_EQ(z.LastFieldLength, static_cast<std::int32_t>(bytes(c.value).size()));
    EXPECT_EQ(z.FieldIntact(c.n), c.intact);
    EXPECT_EQ(z.FieldOrNothing(c.n).has_value(), c.intact);
    EXPECT_EQ(z.FieldsIntact(), false);
  }
  EXPECT_TRUE(notes_.messages.empty());

  // Replacing another field copies the broken one's bytes as they are;
  // replacing the broken one makes it whole.
  TZapisBaziZm z = parsed("01 0A 01 04 41 00 02 0A 42");
  z.SetField(1, 1, "Z");
  EXPECT_EQ(hex(z.Payload), "01 02 5A 02 0A 42");
  z.SetField(2, 2, "xy");
  EXPECT_EQ(hex(z.Payload), "01 02 5A 02 04 78 79");
  EXPECT_TRUE(z.FieldsIntact());
}

TEST_F(RecordTest, SetFieldLengthBeyondTheBytesGiven) {
  TZapisBaziZm z = parsed(kTwoFields);
  z.SetField(2, 1000, "abc");
  EXPECT_EQ(hex(z.Payload), "01 04 41 00 01 06 61 62 63");
  z.SetField(1, -3, "abc");
  EXPECT_EQ(hex(z.Payload), "01 00 01 06 61 62 63");
}
