// The acks.db schemas: sound rows keep their bytes in slots, show the count
// text, and are written back exactly as they stand in the slots.
#include <gtest/gtest.h>

#include "core/record.h"
#include "editors/engine/schema.h"
#include "editors/schemas/registry.h"
#include "editors/engine/section.h"
#include "editors/engine/sheet.h"
#include "editors/engine/soundlist.h"
#include "support/record_fixtures.h"
#include "support/testenv.h"
#include "util/cp1251.h"

using namespace kessik;
using namespace kessik::test;

namespace {

const std::string kThree = encodeSoundList({{"a.wav", 1, "A", "C1"}, {"b.wav", 2, "B", "C2"}, {"c.wav", 3, "C", "C3"}});
// A list with other type bytes: kept byte for byte as long as nobody edits it.
const std::string kOdd = itemsOf(
    {{9, itemsOf({{5, nameBytes("o.wav")}, {6, int32Bytes(-4)}, {7, nameBytes("Odd")}, {8, nameBytes("OD")}})}});

// An Others record: the mask, TalkVoice, RestVoice, and a field 4 no row names.
std::string othersRecord(const std::string& mask, const std::string& talk, const std::string& rest) {
  return recordOf({{1, nameBytes(mask)}, {2, talk}, {3, rest}, {4, "\x7F\x01"}});
}

CheckContext anyMask() {
  CheckContext c;
  c.maskAllowed = [](const std::string&) { return true; };
  return c;
}

class AcksSheet : public TempDrive {};

}  // namespace

TEST(AcksSchema, SoundRowsShowTheCountAndWriteTheirSlots) {
  const Schema& s = *findSchema("acks\\3\\");
  const std::string original = othersRecord("Orc", kThree, kOdd);
  TZapisBaziZm z = parsed(original);
  RecordView v = decodeRecord(s, z);
  EXPECT_EQ(v.texts[0], "Orc");
  EXPECT_EQ(v.texts[1], cp("В поле содержится 3 элементов (звуков)."));
  EXPECT_EQ(v.texts[2], cp("В поле содержится 1 элементов (звуков)."));
  EXPECT_EQ(v.slotData[1], kThree);
  EXPECT_EQ(v.slotData[2], kOdd);

  // Typed text in a sound row is never read; the slots are written as they stand.
  v.texts[1] = "typed";
  v.texts[2] = "";
  ASSERT_TRUE(checkRows(s, v, anyMask()).empty());
  ASSERT_TRUE(encodeRecord(s, v, z).ok);
  EXPECT_EQ(hex(z.Bytes), hex(original));

  // A replaced slot goes into its field; the field no row names keeps its bytes.
  v.slotData[1] = "";
  v.texts[0] = "Troll";
  ASSERT_TRUE(encodeRecord(s, v, z).ok);
  EXPECT_EQ(hex(z.Bytes), hex(othersRecord("Troll", "", kOdd)));
  TZapisBaziZm again = parsed(z.Bytes);
  EXPECT_EQ(decodeRecord(s, again).texts[1], cp("Пусто. Элементов (звуков) в поле нет."));
}

TEST_F(AcksSheet, ExportShowsTheCountAndImportLeavesTheSoundBytesAlone) {
  const Schema& s = *findSchema("acks\\3\\");
  const std::string dir = "C:\\src\\acks\\3\\";
  writeFile(dir + "0000001.zap", othersRecord("Orc", kThree, ""));
  writeFile(dir + "0000002.zap", othersRecord("Elf", kOdd, kThree));
  const std::string csv = exportSectionCsv(s, dir).value();
  EXPECT_EQ(csv, "File,Name,TalkVoice,RestVoice\r\n"
                 "0000001.zap,Orc,В поле содержится 3 элементов (звуков).,Пусто. Элементов (звуков) в поле нет.\r\n"
                 "0000002.zap,Elf,В поле содержится 1 элементов (звуков).,В поле содержится 3 элементов (звуков).\r\n");

  // Sound columns typed over, one mask changed: only the mask is written.
  const std::string changed = "File,Name,TalkVoice,RestVoice\r\n"
                              "0000001.zap,Orc,nothing,3\r\n"
                              "0000002.zap,Dwarf,x,\r\n";
  ImportOutcome r = importSectionCsv(s, dir, changed, "C:\\a.csv");
  EXPECT_TRUE(r.problems.empty());
  EXPECT_EQ(r.changed, 1);
  EXPECT_EQ(hex(readFile(dir + "0000001.zap")), hex(othersRecord("Orc", kThree, "")));
  EXPECT_EQ(hex(readFile(dir + "0000002.zap")), hex(othersRecord("Dwarf", kOdd, kThree)));
}
