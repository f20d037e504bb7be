// The damage rows stored as a minimum and a spread (Weapons, ten times the
// stored tenths; Monsters Prototypes as stored): the maximum shows the
// minimum plus the spread whatever notation the minimum is shown in, and a
// minimum typed anew leaves the maximum as it was shown.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "editors/engine/schema.h"
#include "editors/schemas/registry.h"
#include "editors/schemas/sample.h"
#include "support/record_fixtures.h"
#include "support/testenv.h"

using namespace kessik;
using namespace kessik::test;

namespace {

constexpr int kMinRow = 19, kMaxRow = 20;  // rows 20 and 21 of both sections
constexpr int kMinField = 20, kSpreadField = 21;
const char* const kWeapons = "items\\2\\";
const char* const kMonsters = "units\\3\\";

// Sample record 1 of the section with the minimum and the spread replaced.
TZapisBaziZm recordWith(const Schema& s, float min, float spread) {
  TZapisBaziZm z = parsed(sampleRecord(s, 1).bytes);
  z.SetField(kMinField, floatBytes(min));
  z.SetField(kSpreadField, floatBytes(spread));
  z.Rebuild();
  return parsed(z.Bytes);
}

}  // namespace

TEST(MinMaxRows, ShownInEveryNotationAndKeptWhenTheMinimumIsRetyped) {
  constexpr float kMax = std::numeric_limits<float>::max();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    const char* folder;
    float min, spread;
    const char* minText;
    const char* maxText;
    const char* retyped;  // the minimum's value spelt otherwise; nullptr: none
  };
  const Case cases[] = {
      {kMonsters, 5e-6f, 2.0f, "5E-6,0", "2,000005", "0,000005"},
      {kMonsters, 1.2e-6f, 0.0f, "1,2E-6", "1,2E-6", "0,0000012"},
      {kMonsters, 1e-7f, 1e-7f, "1E-7,0", "2E-7,0", "0,0000001"},
      {kMonsters, -5e-6f, 1.0f, "-5E-6,0", "0,999995", "-0,000005"},
      {kMonsters, 0.5f, 5e-6f, "0,5", "0,500005", "0,50"},
      {kMonsters, 0.0f, kMax, "0,0", "3,40282346638529E38", "0,00"},
      {kMonsters, 1e20f, 5e-6f, "1,00000002004088E20", "1,00000002004088E20", nullptr},
      {kMonsters, -0.0f, 1.0f, "-0,0", "1,0", nullptr},
      {kMonsters, nan, 1.0f, "NAN", "NAN", nullptr},
      {kWeapons, 3e-7f, 0.2f, "3E-6,0", "2,000003", "0,000003"},
      {kWeapons, 5e-6f, 1.5f, "0,00005", "15,00005", "0,000050"},
      {kWeapons, 1e-7f, 1e-7f, "1E-6,0", "2E-6,0", "0,000001"},
      {kWeapons, kMax, 0.0f, "3,40282346638529E39", "3,40282346638529E39", nullptr},
      {kWeapons, 1.5f, 2.5f, "15,0", "40,0", "15"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.folder) + " " + c.minText + " / " + c.maxText);
    const Schema& s = *findSchema(c.folder);
    TZapisBaziZm z = recordWith(s, c.min, c.spread);
    const std::string original = z.Bytes;
    RecordView v = decodeRecord(s, z);
    EXPECT_EQ(v.texts[kMinRow], c.minText);
    EXPECT_EQ(v.texts[kMaxRow], c.maxText);

    // Saved unchanged: every byte as it was.
    ASSERT_TRUE(encodeRecord(s, v, z).ok);
    EXPECT_EQ(hex(z.Bytes), hex(original));
    if (!c.retyped) continue;

    // The minimum typed anew as its value: the maximum nobody touched
    // keeps its spread and shows as before.
    v = decodeRecord(s, z);
    v.texts[kMinRow] = c.retyped;
    BuildResult b = encodeRecord(s, v, z);
    ASSERT_TRUE(b.ok) << b.error;
    EXPECT_EQ(hex(z.GetField(kMinField)), hex(floatBytes(c.min)));
    EXPECT_EQ(hex(z.GetField(kSpreadField)), hex(floatBytes(c.spread)));
    TZapisBaziZm again = parsed(z.Bytes);
    EXPECT_EQ(decodeRecord(s, again).texts[kMaxRow], c.maxText);
  }
}

TEST(MinMaxRows, AnotherMinimumKeepsTheMaximumAndAnOverflowNamesTheMaximum) {
  const Schema& s = *findSchema(kMonsters);
  TZapisBaziZm z = recordWith(s, 5e-6f, 2.0f);
  RecordView v = decodeRecord(s, z);
  v.texts[kMinRow] = "1";
  ASSERT_TRUE(encodeRecord(s, v, z).ok);
  TZapisBaziZm again = parsed(z.Bytes);
  RecordView shown = decodeRecord(s, again);
  EXPECT_EQ(shown.texts[kMinRow], "1,0");
  EXPECT_EQ(shown.texts[kMaxRow], "2,000005");

  // A spread beyond single precision is the maximum's fault; nothing changes.
  const std::string before = again.Bytes;
  shown.texts[kMinRow] = "-340000000000000000000000000000000000000";
  shown.texts[kMaxRow] = "340000000000000000000000000000000000000";
  BuildResult b = encodeRecord(s, shown, again);
  EXPECT_FALSE(b.ok);
  EXPECT_EQ(b.row, kMaxRow);
  EXPECT_EQ(b.error, "Floating point overflow");
  EXPECT_EQ(again.Bytes, before);
}
