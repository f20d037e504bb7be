// The units.udb schemas: every cell of a hand-built record, every byte that
// is written back, and the rules of each section. The expected bytes and
// texts are built here on their own, without the codecs under test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "core/record.h"
#include "editors/engine/schema.h"
#include "editors/schemas/registry.h"
#include "editors/engine/sheet.h"
#include "support/testenv.h"

using namespace kessik;
using namespace kessik::test;

namespace {

// ---------------------------------------------------------------------------
// Bytes, written by hand

std::string le32(std::uint32_t v) {
  std::string out;
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
  return out;
}
std::string i32(std::int32_t v) { return le32(static_cast<std::uint32_t>(v)); }
std::string f32(float f) {
  std::uint32_t u;
  std::memcpy(&u, &f, 4);
  return le32(u);
}
// A node: type byte, size code (one byte 2L, or four bytes 2L + 1), payload.
std::string node(int type, const std::string& payload) {
  std::string out(1, static_cast<char>(type));
  const std::uint32_t n = static_cast<std::uint32_t>(payload.size());
  out += n < 128 ? std::string(1, static_cast<char>(2 * n)) : le32(2 * n + 1);
  return out + payload;
}
std::string z(const std::string& text) { return text + std::string(1, '\0'); }

// ---------------------------------------------------------------------------
// A record described field by field, with the cells its rows show

struct Val {
  std::string bytes;
  std::string text;
};

struct Layout {
  std::vector<std::string> payloads;  // field 1 first
  std::vector<std::string> texts;     // one per row, in row order

  void whole(const Val& v) {
    payloads.push_back(v.bytes);
    texts.push_back(v.text);
  }
  // Values back to back; `extra` bytes after them belong to no row.
  void packed(const std::vector<Val>& vals, const std::string& extra = "") {
    std::string p;
    for (const Val& v : vals) {
      p += v.bytes;
      texts.push_back(v.text);
    }
    payloads.push_back(p + extra);
  }
  void items(const std::vector<std::pair<int, Val>>& vals) {
    std::string p;
    for (const auto& [type, v] : vals) {
      p += node(type, v.bytes);
      texts.push_back(v.text);
    }
    payloads.push_back(p);
  }
  // The record file: field n with the type byte n.
  std::string bytes() const {
    std::string p;
    for (std::size_t n = 0; n < payloads.size(); ++n) p += node(static_cast<int>(n + 1), payloads[n]);
    return node(1, p);
  }
};

// Distinct values from a seed, each with the text the table shows for it.
struct Gen {
  int n;
  Val f() {
    ++n;
    const bool negative = n % 3 == 0;
    return {f32((negative ? -1.0f : 1.0f) * (static_cast<float>(n) + 0.25f)),
            (negative ? "-" : "") + std::to_string(n) + ",25"};
  }
  Val i() {
    ++n;
    const std::int32_t v = 1000 * n - 70000;
    return {i32(v), std::to_string(v)};
  }
  Val name() {
    ++n;
    return {z("v" + std::to_string(n)), "v" + std::to_string(n)};
  }
  Val byte() {
    ++n;
    const int v = (n * 53) % 256;
    return {std::string(1, static_cast<char>(v)), std::to_string(v)};
  }
  Val flag() {
    ++n;
    return {std::string(1, static_cast<char>(n % 2)), n % 2 ? "1" : "0"};
  }
  Val list() {
    ++n;
    const std::string a = "a" + std::to_string(n), b = "b" + std::to_string(n);
    return {node(1, z(a)) + node(1, z(b)), a + "," + b};
  }
  std::vector<Val> fs(int k) {
    std::vector<Val> out;
    for (int j = 0; j < k; ++j) out.push_back(f());
    return out;
  }
};

Val label(std::int32_t v, const std::string& shown) { return {i32(v), shown}; }
Val mask(const std::string& m) { return {z(m), m}; }

// `odd`: the record as another tool may have written it: items with other
// type bytes, packed fields longer than their rows. It shows the same cells
// and is written back exactly as the plain one.
Layout hitLocation(int seed, const std::string& m, bool odd = false) {
  Gen g{seed};
  Layout l;
  l.whole(mask(m));
  l.packed(g.fs(7), odd ? f32(99.0f) : "");
  l.packed(g.fs(7), odd ? std::string(5, '\x7F') : "");
  l.whole(g.i());
  l.whole(g.i());
  return l;
}

Layout raceModel(int seed, const std::string& m, const Val& typeId, bool odd = false) {
  Gen g{seed};
  const std::string extra = odd ? f32(42.0f) : "";
  const int shift = odd ? 1 : 0;
  Layout l;
  l.whole(mask(m));
  l.whole(typeId);
  l.whole(g.f());
  l.whole(g.f());
  l.whole(g.i());
  l.whole(g.i());
  l.whole(g.f());
  l.packed(g.fs(4), extra);  // 8: speeds
  l.whole(g.f());
  l.whole(g.i());
  l.whole(g.i());
  l.packed(g.fs(7), extra);  // 12: attack
  for (int field = 13; field <= 18; ++field)
    l.items({{0 + shift, g.name()}, {1 + shift, g.i()}, {2 + shift, g.f()}, {3 + shift, g.f()}});
  l.whole(g.name());  // 19
  l.whole(g.list());
  l.whole(g.list());
  l.whole(g.f());
  l.whole(g.name());  // 23
  std::vector<std::pair<int, Val>> steps;
  for (int k = 0; k < 16; ++k) steps.push_back({odd ? 2 + k : 1, g.name()});
  l.items(steps);            // 24
  l.packed(g.fs(6), extra);  // 25: animation speeds
  l.whole(g.i());
  l.whole(g.i());
  l.packed(g.fs(7), extra);  // 28: defence
  for (int field = 29; field <= 32; ++field) l.whole(g.i());
  l.whole(g.name());  // 33
  l.whole(g.flag());  // 34
  l.whole(g.f());
  for (int field = 36; field <= 39; ++field) l.whole(g.i());
  return l;
}

// The damage range: the minimum, and the spread whose cell shows the maximum.
void damage(Layout& l, int seed) {
  const int lo = seed % 50 + 1, spread = seed % 7 + 2;
  l.payloads.push_back(f32(static_cast<float>(lo) + 0.25f));
  l.texts.push_back(std::to_string(lo) + ",25");
  l.payloads.push_back(f32(static_cast<float>(spread) + 0.5f));
  l.texts.push_back(std::to_string(lo + spread) + ",75");
}

Layout monster(int seed, const std::string& m, const Val& weapon, const Val& realWeapon, bool odd = false) {
  Gen g{seed};
  const std::string extra = odd ? f32(42.0f) : "";
  const int shift = odd ? 1 : 0;
  Layout l;
  l.whole(mask(m));
  l.whole(g.name());
  for (int field = 3; field <= 5; ++field) l.whole(g.i());
  for (int field = 6; field <= 8; ++field) l.whole(g.f());
  l.whole(g.name());  // 9
  for (int field = 10; field <= 18; ++field) l.whole(g.f());
  l.whole(weapon);  // 19
  damage(l, seed);  // 20, 21
  for (int field = 22; field <= 25; ++field) l.whole(g.f());
  l.packed(g.fs(6), extra);  // 26: senses
  l.packed(g.fs(6), extra);  // 27: detections
  for (int field = 28; field <= 29; ++field)
    l.items({{0 + shift, g.f()}, {1 + shift, g.i()}, {2 + shift, g.f()}, {3 + shift, g.f()}});
  l.whole(g.list());         // 30
  l.packed(g.fs(3), extra);  // 31
  l.whole(g.list());
  l.whole(g.list());
  l.whole(g.name());  // 34
  for (int field = 35; field <= 39; ++field) l.whole(g.f());
  l.whole(realWeapon);  // 40
  l.whole(g.f());
  l.whole(g.i());
  l.whole(g.name());  // 43
  l.whole(g.f());
  return l;
}

const std::string kRaw = std::string("\x00\x07\x00\xFF\x00", 5);

Layout npc(int seed, const std::string& m, bool odd = false) {
  Gen g{seed};
  Layout l;
  l.whole(mask(m));
  l.whole({kRaw, cp("Поле НЕ пустое (НЕ все байты нули). Длина поля 5 байтов.")});
  for (int field = 3; field <= 6; ++field) l.whole(g.f());
  l.packed({g.byte(), g.byte(), g.byte()}, odd ? "\x09" : "");
  std::vector<Val> skills;
  for (int k = 0; k < 8; ++k) skills.push_back(g.byte());
  l.packed(skills, odd ? "\x09\x09" : "");
  for (int field = 9; field <= 12; ++field) l.whole(g.list());
  l.whole(g.f());
  l.whole(g.i());
  l.whole(g.byte());
  return l;
}

const Schema& schemaOf(int section) { return *findSchema("units\\" + std::to_string(section) + "\\"); }

CheckContext anyMask() {
  CheckContext c;
  c.maskAllowed = [](const std::string&) { return true; };
  return c;
}

TZapisBaziZm parsed(const std::string& bytes) {
  TZapisBaziZm r;
  r.Parse(bytes);
  return r;
}

std::string fieldOf(const std::string& recordBytes, int n) { return parsed(recordBytes).GetField(n); }

// Loads the record, applies the edits to the cells, checks and writes it.
struct Saved {
  std::vector<RowFailure> failures;
  std::vector<std::string> cells;  // after the checks
  BuildResult built;
  std::string bytes;  // the record's bytes afterwards
};
Saved save(const Schema& s, const std::string& record, const std::vector<std::pair<int, std::string>>& edits) {
  TZapisBaziZm r = parsed(record);
  RecordView v = decodeRecord(s, r);
  for (const auto& [row, text] : edits) v.texts[row - 1] = text;
  Saved out;
  out.failures = checkRows(s, v, anyMask());
  out.cells = v.texts;
  if (out.failures.empty()) out.built = encodeRecord(s, v, r);
  out.bytes = r.Bytes;
  return out;
}

const std::string kListMessage =
    "Выделенное поле имеет неправильный формат.\rЭто должен быть список текстовых значений, разделенный "
    "запятыми. Запятой в конце и начале быть не должно, 2-х запятых подряд быть не должно, лишние пробелы "
    "(после запятых) удаляются.";
const std::string kByteMessage = "Выделенное поле имеет неправильный формат. Не больше 255 и не меньше -128 (1 байт)";
const std::string kBoolMessage =
    "Выделенное поле имеет неправильный формат. Либо ноль - значит \"нет\", либо единица - значит \"да\" (тобиш "
    "0=False, 1=True)";
const std::string kFormatMessage = "Выделенное поле имеет неправильный формат.";

class UnitsSchema : public TempDrive {};

}  // namespace

// ---------------------------------------------------------------------------

TEST_F(UnitsSchema, EveryCellShownAndEveryByteWrittenBack) {
  struct Case {
    const char* what;
    int section;
    Layout plain, odd, other;  // `other`: every cell typed anew
  };
  Case cases[] = {
      {"hit locations", 1, hitLocation(0, "Head"), hitLocation(0, "Head", true), hitLocation(300, "Tail")},
      {"race models", 2, raceModel(0, "Human", label(51, "51     MONSTER")),
       raceModel(0, "Human", label(51, "51     MONSTER"), true), raceModel(300, "Orc", label(7, "7"))},
      {"monsters", 3, monster(0, "Wolf", label(9, "9     HANDS1"), label(16, "16     MAGIC")),
       monster(0, "Wolf", label(9, "9     HANDS1"), label(16, "16     MAGIC"), true),
       monster(300, "Bear", label(0, "0     SWORD"), label(6, "6"))},
      {"npcs", 4, npc(0, "Dobrynya"), npc(0, "Dobrynya", true), npc(300, "Ilya")},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Schema& s = schemaOf(c.section);
    ASSERT_EQ(c.plain.texts.size(), s.rows.size());
    // A field past the schema's keeps its bytes.
    for (Layout* l : {&c.plain, &c.odd, &c.other}) l->payloads.push_back(std::string("\x01\x00\x02", 3));

    for (const Layout* l : {&c.plain, &c.odd}) {
      TZapisBaziZm r = parsed(l->bytes());
      RecordView v = decodeRecord(s, r);
      for (std::size_t row = 0; row < s.rows.size(); ++row) {
        EXPECT_EQ(v.texts[row], c.plain.texts[row]) << "row " << row + 1;
        EXPECT_TRUE(v.readable[row]) << "row " << row + 1;
      }
      // Saved without an edit: the plain record, byte for byte.
      Saved back = save(s, l->bytes(), {});
      ASSERT_TRUE(back.failures.empty());
      ASSERT_TRUE(back.built.ok) << back.built.error;
      EXPECT_EQ(hex(back.bytes), hex(c.plain.bytes()));
    }
    EXPECT_TRUE(notes_.messages.empty());

    // Every cell typed anew: each value lands in its place, in its encoding.
    std::vector<std::pair<int, std::string>> edits;
    for (std::size_t row = 0; row < s.rows.size(); ++row)
      if (s.rows[row].codec != Codec::Raw) edits.push_back({static_cast<int>(row) + 1, c.other.texts[row]});
    Saved typed = save(s, c.plain.bytes(), edits);
    ASSERT_TRUE(typed.failures.empty());
    ASSERT_TRUE(typed.built.ok) << typed.built.error;
    EXPECT_EQ(hex(typed.bytes), hex(c.other.bytes()));
  }
}

TEST_F(UnitsSchema, EditedCellsAreStored) {
  const std::string hit = hitLocation(0, "Head").bytes();
  const Layout raceL = raceModel(0, "Human", label(51, "51     MONSTER"));
  const std::string race = raceL.bytes();
  const std::string wolf = monster(0, "Wolf", label(9, "9     HANDS1"), label(16, "16     MAGIC")).bytes();
  const std::string man = npc(0, "Dobrynya").bytes();
  // A field payload with `with` put over its bytes from `at` on.
  auto over = [](const std::string& payload, std::size_t at, const std::string& with) {
    return payload.substr(0, at) + with + payload.substr(at + with.size());
  };
  // The race model's hit-location field 13 with another type name, and its
  // step sounds with another last one.
  const std::string head = raceL.payloads[12].substr(node(0, z(raceL.texts[21])).size());
  const std::string steps = raceL.payloads[23];
  const std::string lastStep = node(1, z(raceL.texts[65]));

  struct Case {
    const char* what;
    int section;
    const std::string& record;
    std::vector<std::pair<int, std::string>> edits;  // row (from 1), text
    std::vector<std::pair<int, std::string>> fields;  // field, payload written
    std::vector<std::pair<int, std::string>> shown;   // row, cell after the save and a new load
  };
  const Case cases[] = {
      {"a resistance", 1, hit, {{2, "-0,5"}}, {{2, over(fieldOf(hit, 2), 0, f32(-0.5f))}}, {{2, "-0,5"}}},
      {"the last resistance", 1, hit, {{15, "NAN"}}, {{3, over(fieldOf(hit, 3), 24, le32(0xFFFFFFFF))}}, {{15, "NAN"}}},
      {"an unsigned long of -1", 1, hit, {{17, "-1"}}, {{5, le32(0xFFFFFFFF)}}, {{17, "-1"}}},

      {"a chosen type", 2, race, {{2, "52     ANIMAL"}}, {{2, i32(52)}}, {{2, "52     ANIMAL"}}},
      {"a type with text after the code", 2, race, {{2, "12 abc"}}, {{2, i32(12)}}, {{2, "12"}}},
      {"an unlisted type", 2, race, {{2, "7"}}, {{2, i32(7)}}, {{2, "7"}}},
      {"a speed", 2, race, {{8, "NAN"}}, {{8, over(fieldOf(race, 8), 0, le32(0xFFFFFFFF))}}, {{8, "NAN"}}},
      {"an attack", 2, race, {{21, "0,5"}}, {{12, over(fieldOf(race, 12), 24, f32(0.5f))}}, {{21, "0,5"}}},
      {"a defence", 2, race, {{75, "3"}}, {{28, over(fieldOf(race, 28), 0, f32(3.0f))}}, {{75, "3,0"}}},
      {"an empty type name", 2, race, {{22, ""}}, {{13, node(0, z("")) + head}}, {{22, ""}}},
      {"an empty step sound", 2, race, {{66, ""}},
       {{24, steps.substr(0, steps.size() - lastStep.size()) + node(1, z(""))}}, {{66, ""}}},
      {"a list with blanks", 2, race, {{47, "a, b,  c"}}, {{20, node(1, z("a")) + node(1, z("b")) + node(1, z("c"))}},
       {{47, "a,b,c"}}},
      {"an empty list", 2, race, {{48, ""}}, {{21, ""}}, {{48, ""}}},
      {"empty free names", 2, race, {{46, ""}, {50, ""}, {86, ""}}, {{19, z("")}, {23, z("")}, {33, z("")}},
       {{46, ""}, {50, ""}, {86, ""}}},
      {"a flag", 2, race, {{87, "0"}}, {{34, std::string(1, '\0')}}, {{87, "0"}}},

      {"a damage range", 3, wolf, {{20, "2"}, {21, "5"}}, {{20, f32(2.0f)}, {21, f32(3.0f)}}, {{20, "2,0"}, {21, "5,0"}}},
      {"a maximum below the minimum", 3, wolf, {{20, "5"}, {21, "2"}}, {{20, f32(5.0f)}, {21, f32(-3.0f)}},
       {{20, "5,0"}, {21, "2,0"}}},
      {"a chosen real weapon", 3, wolf, {{58, "16     MAGIC"}}, {{40, i32(16)}}, {{58, "16     MAGIC"}}},
      {"a weapon code off the list", 3, wolf, {{19, "6"}}, {{19, i32(6)}}, {{19, "6"}}},
      {"an empty Unknown2 (BOOL)", 3, wolf, {{9, ""}}, {{9, z("")}}, {{9, ""}}},
      {"equipment with blanks", 3, wolf, {{51, "sword, shield"}}, {{33, node(1, z("sword")) + node(1, z("shield"))}},
       {{51, "sword,shield"}}},
      {"a loot mask", 3, wolf, {{43, "-5"}},
       {{29, over(fieldOf(wolf, 29), node(0, f32(0)).size(), node(1, i32(-5)))}}, {{43, "-5"}}},
      {"a skill", 3, wolf, {{49, "0,75"}}, {{31, over(fieldOf(wolf, 31), 8, f32(0.75f))}}, {{49, "0,75"}}},

      {"a melee of -1", 4, man, {{10, "-1"}}, {{8, over(fieldOf(man, 8), 0, "\xFF")}}, {{10, "255"}}},
      {"the last skill byte", 4, man, {{17, "-128"}}, {{8, over(fieldOf(man, 8), 7, "\x80")}}, {{17, "128"}}},
      {"a stealing of 255", 4, man, {{8, "255"}}, {{7, over(fieldOf(man, 7), 1, "\xFF")}}, {{8, "255"}}},
      {"perks with a blank", 4, man, {{18, "a, b"}}, {{9, node(1, z("a")) + node(1, z("b"))}}, {{18, "a,b"}}},
      {"no spells", 4, man, {{21, ""}}, {{12, ""}}, {{21, ""}}},
      {"money", 4, man, {{23, "-2147483648"}}, {{14, le32(0x80000000)}}, {{23, "-2147483648"}}},
      {"the last byte", 4, man, {{24, "0"}}, {{15, std::string(1, '\0')}}, {{24, "0"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Schema& s = schemaOf(c.section);
    Saved out = save(s, c.record, c.edits);
    ASSERT_TRUE(out.failures.empty()) << out.failures.front().message;
    ASSERT_TRUE(out.built.ok) << out.built.error;
    // The fields named change as expected; every other byte stays.
    Layout expected;
    TZapisBaziZm before = parsed(c.record);
    for (int n = 1; n <= before.FieldCount; ++n) expected.payloads.push_back(before.GetField(n));
    for (const auto& [field, payload] : c.fields) expected.payloads[field - 1] = payload;
    EXPECT_EQ(hex(out.bytes), hex(expected.bytes()));
    TZapisBaziZm again = parsed(out.bytes);
    RecordView v = decodeRecord(s, again);
    for (const auto& [row, text] : c.shown) EXPECT_EQ(v.texts[row - 1], text) << "row " << row;
  }
  EXPECT_TRUE(notes_.messages.empty());
}

TEST_F(UnitsSchema, RefusedCellsNameTheirRowAndMessage) {
  const std::string hit = hitLocation(0, "Head").bytes();
  const std::string race = raceModel(0, "Human", label(51, "51     MONSTER")).bytes();
  const std::string wolf = monster(0, "Wolf", label(9, "9     HANDS1"), label(16, "16     MAGIC")).bytes();
  const std::string man = npc(0, "Dobrynya").bytes();
  struct Case {
    int section;
    const std::string& record;
    int row;
    std::string text;
    std::string message;  // UTF-8
    std::string cell;     // the cell after the check (the typed text unless normalised)
  };
  const Case cases[] = {
      {1, hit, 9, "1.0", kFormatMessage, "1.0"},
      {1, hit, 16, "1,5", kFormatMessage, "1,5"},
      {2, race, 2, "12abc", kFormatMessage, "12abc"},
      {2, race, 2, "", kFormatMessage, ""},
      {2, race, 2, " 51", kFormatMessage, " 51"},
      {2, race, 23, "x", kFormatMessage, "x"},
      {2, race, 47, "a, ,b", kListMessage, "a,,b"},
      {2, race, 48, "a,", kListMessage, "a,"},
      {2, race, 87, "2", kBoolMessage, "2"},
      {2, race, 11, "-", kFormatMessage, "-"},
      {3, wolf, 19, "SWORD", kFormatMessage, "SWORD"},
      {3, wolf, 21, "5.5", kFormatMessage, "5.5"},
      {3, wolf, 46, ",a", kListMessage, ",a"},
      {3, wolf, 50, "a,,b", kListMessage, "a,,b"},
      {3, wolf, 60, "1,5", kFormatMessage, "1,5"},
      {4, man, 8, "256", kByteMessage, "256"},
      {4, man, 7, "-129", kByteMessage, "-129"},
      {4, man, 24, "x", kByteMessage, "x"},
      {4, man, 19, "a, ,b", kListMessage, "a,,b"},
      {4, man, 20, "a ,,b", kListMessage, "a ,,b"},
      {4, man, 3, "1.5", kFormatMessage, "1.5"},
      {4, man, 23, "12x", kFormatMessage, "12x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("section " + std::to_string(c.section) + " row " + std::to_string(c.row) + " '" + c.text + "'");
    Saved out = save(schemaOf(c.section), c.record, {{c.row, c.text}});
    ASSERT_EQ(out.failures.size(), 1u);
    EXPECT_EQ(out.failures[0].row, c.row - 1);
    EXPECT_EQ(out.failures[0].message, cp(c.message));
    EXPECT_EQ(out.cells[c.row - 1], cp(c.cell));
    EXPECT_EQ(out.bytes, c.record);  // nothing built
  }

  // The mask is unique within the section.
  TZapisBaziZm r = parsed(race);
  RecordView v = decodeRecord(schemaOf(2), r);
  CheckContext clash;
  clash.maskAllowed = [](const std::string& m) { return m != "Orc"; };
  v.texts[0] = "Orc";
  auto failures = checkRows(schemaOf(2), v, clash);
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].row, 0);
  EXPECT_EQ(failures[0].message, cp("Неправильная маска - такая уже есть. Маска берется из выделенного поля."));

  // A number that passes the check but does not fit 32 bits stops the save;
  // the record stays as loaded.
  Saved big = save(schemaOf(2), race, {{5, "2147483648"}});
  ASSERT_TRUE(big.failures.empty());
  EXPECT_FALSE(big.built.ok);
  EXPECT_EQ(big.built.error, "'2147483648' is not a valid integer value");
  EXPECT_EQ(big.bytes, race);
}

TEST(UnitsSchemaChooser, ListsAndStartIndex) {
  const Row& type = schemaOf(2).rows[1];
  EXPECT_EQ(chooserEntries(type), "50     HUMAN\r51     MONSTER\r52     ANIMAL\r");
  const Row& weapon = schemaOf(3).rows[18];
  EXPECT_EQ(chooserEntries(weapon),
            "0     SWORD\r1     AXE\r2     DAGGER\r3     SPEAR\r4     HAMMER\r5     BOW\r8     HANDS\r9     HANDS1\r"
            "10     HANDS2\r11     HANDS3\r12     HANDS4\r13     HANDS5\r14     HANDS6\r15     HANDS7\r16     MAGIC\r");
  EXPECT_EQ(chooserEntries(schemaOf(3).rows[57]), chooserEntries(weapon));
  const std::pair<std::string, int> races[] = {
      {"50", 0}, {"51     MONSTER", 1}, {"52", 2}, {"7", 0}, {"", 0}, {"510", 0}, {"x", 0}};
  for (const auto& [text, index] : races) EXPECT_EQ(chooserIndex(type, text), index) << text;
  const std::pair<std::string, int> weapons[] = {{"0     SWORD", 0}, {"5", 5},   {"6", 0},  {"7", 0},
                                                 {"8     HANDS", 6},  {"9", 7},   {"15", 13}, {"16     MAGIC", 14},
                                                 {"17", 0},           {"-1", 0}};
  for (const auto& [text, index] : weapons) EXPECT_EQ(chooserIndex(weapon, text), index) << text;
}

TEST_F(UnitsSchema, ShortFieldsAreShownUnreadableAndKept) {
  // A hit location of three items, a speed run of 12 bytes, NPC skills of 7
  // bytes: their rows say so, cannot be written, and the fields keep their
  // bytes; every other row is read and written as usual.
  struct Case {
    const char* what;
    int section;
    Layout layout;
    int field;
    std::string payload;
    std::vector<int> rows;  // the rows of the field, from 1
  };
  const Layout race = raceModel(0, "Human", label(51, "51     MONSTER"));
  const Layout wolf = monster(0, "Wolf", label(9, "9     HANDS1"), label(16, "16     MAGIC"));
  const Layout man = npc(0, "Dobrynya");
  const Case cases[] = {
      {"three hit-location items", 2, race, 13, node(0, z("Head")) + node(1, i32(1)) + node(2, f32(1.0f)), {22, 23, 24, 25}},
      {"twelve bytes of speeds", 2, race, 8, std::string(12, '\x01'), {8, 9, 10, 11}},
      {"fifteen step sounds", 2, race, 24, race.payloads[23].substr(0, race.payloads[23].size() - node(1, z(race.texts[65])).size()),
       {51, 52, 53, 54, 55, 56, 57, 58, 59, 60, 61, 62, 63, 64, 65, 66}},
      {"a loot of two items", 3, wolf, 28, node(0, f32(1.0f)) + node(1, i32(2)), {38, 39, 40, 41}},
      {"seven skill bytes", 4, man, 8, std::string(7, '\x02'), {10, 11, 12, 13, 14, 15, 16, 17}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Schema& s = schemaOf(c.section);
    Layout l = c.layout;
    l.payloads[c.field - 1] = c.payload;
    TZapisBaziZm r = parsed(l.bytes());
    RecordView v = decodeRecord(s, r);
    for (std::size_t row = 1; row <= s.rows.size(); ++row) {
      const bool inField = std::find(c.rows.begin(), c.rows.end(), static_cast<int>(row)) != c.rows.end();
      EXPECT_EQ(v.readable[row - 1], !inField) << "row " << row;
      if (inField) EXPECT_EQ(v.texts[row - 1], unreadableText(c.field, false));
      else EXPECT_EQ(v.texts[row - 1], l.texts[row - 1]) << "row " << row;
    }
    Saved back = save(s, l.bytes(), {{1, "Renamed"}});
    ASSERT_TRUE(back.built.ok);
    l.payloads[0] = z("Renamed");
    EXPECT_EQ(hex(back.bytes), hex(l.bytes()));
  }
}

TEST_F(UnitsSchema, SheetOfRaceModelsRoundTripsAndAppliesEdits) {
  const std::string ish = "C:\\src\\units\\2\\";
  const Schema& s = schemaOf(2);
  const Layout human = raceModel(0, "Human", label(50, "50     HUMAN"));
  const Layout orc = raceModel(300, "Orc", label(7, "7"));
  writeFile(ish + "0000001.zap", human.bytes());
  writeFile(ish + "0000002.zap", orc.bytes());

  // One column per row, each the cell's text (quoted where it holds a comma).
  auto line = [](const std::string& file, std::vector<std::string> texts) {
    std::string out = file;
    for (const std::string& t : texts) out += "," + (t.find(',') == std::string::npos ? t : "\"" + t + "\"");
    return out + "\r\n";
  };
  std::vector<std::string> header;
  for (const Row& r : s.rows) header.push_back(r.name);
  auto csv = exportSectionCsv(s, ish);
  ASSERT_TRUE(csv);
  EXPECT_EQ(*csv, line("File", header) + line("0000001.zap", human.texts) + line("0000002.zap", orc.texts));

  // The type from its chooser text, a list typed with blanks.
  std::vector<std::string> edited = orc.texts;
  edited[1] = "52     ANIMAL";
  edited[46] = "x, y";
  const std::string sheet = line("File", header) + line("0000001.zap", human.texts) + line("0000002.zap", edited);
  ImportOutcome in = importSectionCsv(s, ish, sheet, "C:\\race.csv");
  ASSERT_TRUE(in.problems.empty()) << problemLine(in.problems.front());
  EXPECT_EQ(in.changed, 1);
  Layout expected = orc;
  expected.payloads[1] = i32(52);
  expected.payloads[19] = node(1, z("x")) + node(1, z("y"));
  EXPECT_EQ(hex(readFile(ish + "0000002.zap")), hex(expected.bytes()));
  EXPECT_EQ(readFile(ish + "0000001.zap"), human.bytes());

  // A type that is no number is refused by its row; nothing is written.
  edited[1] = "12abc";
  ImportOutcome bad = importSectionCsv(s, ish, line("File", header) + line("0000002.zap", edited), "C:\\race.csv");
  ASSERT_EQ(bad.problems.size(), 1u);
  EXPECT_EQ(bad.problems[0].field, "TypeID");
  EXPECT_EQ(bad.problems[0].message, cp(kFormatMessage));
  EXPECT_EQ(hex(readFile(ish + "0000002.zap")), hex(expected.bytes()));
}

TEST_F(UnitsSchema, UntouchedValuesKeepTheirBytes) {
  // A flag stored as 02 and a speed the display rounds: both shown, both
  // kept when the record is saved without touching them; once edited they
  // are written as typed.
  Layout race = raceModel(0, "Human", label(51, "51     MONSTER"));
  race.payloads[33] = std::string(1, '\x02');
  race.payloads[7].replace(0, 4, f32(1.2345678f));
  const Schema& s = schemaOf(2);
  TZapisBaziZm r = parsed(race.bytes());
  RecordView v = decodeRecord(s, r);
  EXPECT_EQ(v.texts[86], "1");
  EXPECT_EQ(v.texts[7], "1,234568");
  EXPECT_EQ(hex(save(s, race.bytes(), {}).bytes), hex(race.bytes()));

  Saved typed = save(s, race.bytes(), {{87, "0"}, {8, "1,234568"}});
  ASSERT_TRUE(typed.built.ok);
  EXPECT_EQ(hex(fieldOf(typed.bytes, 34)), "00");
  EXPECT_EQ(hex(fieldOf(typed.bytes, 8).substr(0, 4)), hex(f32(1.2345678f)));  // the same text: kept
  Saved retyped = save(s, race.bytes(), {{8, "1,5"}});
  EXPECT_EQ(hex(fieldOf(retyped.bytes, 8).substr(0, 4)), hex(f32(1.5f)));
  EXPECT_EQ(hex(fieldOf(retyped.bytes, 34)), "02");
}
