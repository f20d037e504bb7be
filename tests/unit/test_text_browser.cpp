// The text editor's filters, entry kinds and listing rules, and plain texts
// decoded a piece at a time.
#include <gtest/gtest.h>

#include "config/settings.h"
#include "support/testenv.h"
#include "texteditor/engine/plain_text.h"
#include "texteditor/engine/text_browser.h"
#include "util/cp1251.h"

using namespace kessik;
using namespace kessik::texted;
using kessik::test::cp;

TEST(TextFilters, DefaultListLookups) {
  const std::string& list = defaultFilterList();
  const int n = filterCount(list);
  EXPECT_EQ(n, 28);
  EXPECT_EQ(filterMask(list, 1), "*");
  EXPECT_EQ(filterLabel(list, 1), cp("все что только можно :)"));
  EXPECT_EQ(filterPair(list, 9), cp("map.txt|Параметры карт"));
  EXPECT_EQ(comboItemText(list, 9), cp("map.txt    |    Параметры карт"));
  EXPECT_EQ(filterMask(list, 28), "*.mq");
  EXPECT_EQ(filterIndex(list, n, "MAP.TXT"), 9);
  EXPECT_EQ(filterIndex(list, n, "nothing*"), 0);
  // Only the filters the caller knows count.
  EXPECT_EQ(filterIndex(list, 8, "map.txt"), 0);
}

TEST(TextFilters, CountsAndOddFields) {
  struct Case {
    const char* list;
    int count;
  } cases[] = {{"", 0}, {"a", 0}, {"a|b", 1}, {"a|b|c", 1}, {"a|b|c|d", 2}, {"a||c|", 2}};
  for (const Case& c : cases) EXPECT_EQ(filterCount(c.list), c.count) << c.list;
  // Three fields: one filter, the third field never shows.
  EXPECT_EQ(comboItemText("m*|label|orphan", 1), "m*    |    label");
  // The last equal mask wins.
  EXPECT_EQ(filterIndex("a*|x|A*|y", 2, "a*"), 2);
}

TEST(TextFilters, ComboTextMasks) {
  EXPECT_EQ(maskOfComboText(cp("map.txt    |    Параметры карт")), "map.txt");
  EXPECT_EQ(maskOfComboText("quest*"), "quest*");
  EXPECT_EQ(maskOfComboText("a b|c"), "a");
  EXPECT_EQ(maskOfComboText("|x"), "");
  // Adding and deleting take the text up to the first blank only.
  EXPECT_EQ(textBeforeBlank("a|b c"), "a|b");
  EXPECT_EQ(textBeforeBlank(cp("map.txt    |    Параметры карт")), "map.txt");
}

TEST(TextFilters, AppendRemoveAndCheck) {
  EXPECT_EQ(appendFilter("", "*.txt", "Тексты"), "*.txt|Тексты");
  EXPECT_EQ(appendFilter("a|b", "c", ""), "a|b|c|");
  // A dangling third field would pair with the new mask.
  EXPECT_EQ(appendFilter("a|b|orphan", "c", "d"), "a|b|c|d");
  EXPECT_EQ(appendFilter("orphan", "c", "d"), "c|d");
  EXPECT_EQ(removeFilter("a|1|b|2|c|3", 3, 2), "a|1|c|3");
  EXPECT_EQ(removeFilter("a|1", 1, 1), "");
  EXPECT_EQ(removeFilter("a|1|b|2|tail", 2, 1), "b|2");

  const std::string list = "map.txt|Maps|*.res|Archives";
  EXPECT_EQ(checkNewFilter(list, 2, "", "x"), NewFilterProblem::Empty);
  EXPECT_EQ(checkNewFilter(list, 2, "MAP.TXT", "x"), NewFilterProblem::Exists);
  EXPECT_EQ(checkNewFilter(list, 2, "a|b", "x"), NewFilterProblem::BadMask);
  EXPECT_EQ(checkNewFilter(list, 2, "a b", "x"), NewFilterProblem::BadMask);
  EXPECT_EQ(checkNewFilter(list, 2, "say*", "a|b"), NewFilterProblem::BadLabel);
  EXPECT_EQ(checkNewFilter(list, 2, "say*", cp("Реплики")), NewFilterProblem::None);
}

TEST(TextFilters, SizeLimit) {
  EXPECT_TRUE(textFileOpens(true, 100000, 99999));
  EXPECT_FALSE(textFileOpens(true, 100000, 100000));
  // A size beyond 32 bits is not taken for its low bits.
  EXPECT_FALSE(textFileOpens(true, 100000, (std::uint64_t{1} << 32) + 5));
  EXPECT_TRUE(textFileOpens(false, 10, 1u << 30));
  EXPECT_FALSE(textFileOpens(true, 0, 0));
}

class TextListing : public kessik::test::TempDrive {};

TEST_F(TextListing, KindsAndMask) {
  writeFile("C:\\t\\MAP.TXT", "");
  writeFile("C:\\t\\map.txt.bak", "");
  writeFile("C:\\t\\texts.RES", "");
  writeFile("C:\\t\\a.mq", "");
  writeFile("C:\\t\\Doc.Rtf", "");
  writeFile("C:\\t\\quest1.txt", "");
  writeFile("C:\\t\\sub\\x.txt", "");
  const RListOfDirResult listing = listFolder("C:\\t\\");
  auto render = [](const std::vector<Entry>& entries) {
    std::string s;
    for (const Entry& e : entries) s += e.name + ":" + std::to_string(static_cast<int>(e.kind)) + " ";
    return s;
  };
  EXPECT_EQ(render(visibleEntries(listing, "*")), "..:0 sub:1 a.mq:3 Doc.Rtf:4 MAP.TXT:2 map.txt.bak:2 quest1.txt:2 texts.RES:3 ");
  EXPECT_EQ(render(visibleEntries(listing, "map.txt")), "..:0 sub:1 MAP.TXT:2 ");
  EXPECT_EQ(render(visibleEntries(listing, "")), "..:0 sub:1 ");
  EXPECT_TRUE(isDriveRoot("C:\\"));
  EXPECT_FALSE(isDriveRoot("C:\\t\\"));
}

namespace {

// The bytes a decoded text stands for: each block break and line separator
// turned back into the ending it stands for, each character into cp1251.
std::string encodeBack(const PlainChunk& all, LineEnding joined) {
  auto ending = [](LineEnding e) -> std::string {
    switch (e) {
      case LineEnding::Lf: return "\n";
      case LineEnding::Cr: return "\r";
      case LineEnding::CrLf: break;
    }
    return "\r\n";
  };
  std::string out;
  std::size_t block = 0;
  for (char16_t c : all.text) {
    if (c == kBlockBreak) {
      out += ending(all.blockEnds.at(block++));
    } else if (c == kLineSeparator) {
      out += ending(joined);
    } else {
      std::string utf8;
      appendUtf8(utf8, c);
      out += utf8ToCp1251(utf8).value();
    }
  }
  EXPECT_EQ(block, all.blockEnds.size());
  return out;
}

// The whole text decoded in the pieces the cuts give.
PlainChunk decodeCut(PlainTextDecoder& d, std::string_view bytes, const std::vector<std::size_t>& cuts) {
  PlainChunk all, piece;
  std::size_t at = 0;
  for (std::size_t i = 0; i <= cuts.size(); ++i) {
    const std::size_t end = i < cuts.size() ? cuts[i] : bytes.size();
    d.decode(bytes.substr(at, end - at), i == cuts.size(), piece);
    all.text += piece.text;
    all.blockEnds.insert(all.blockEnds.end(), piece.blockEnds.begin(), piece.blockEnds.end());
    at = end;
  }
  return all;
}

}  // namespace

TEST(PlainText, PiecesCutAnywhereGiveTheSameLinesAndEndings) {
  std::string many;
  for (int i = 0; i < 100; ++i) many += "line " + std::to_string(i) + (i % 17 == 5 ? "\n" : i % 23 == 7 ? "\r" : "\r\n");
  const std::string samples[] = {"", "a", "\r", "\n", "\r\n", "\n\r", "\r\r\n\n", "a\r\nb\nc\rd",
                                 cp("строка 1\r\nстрока\xA0два\r\n\r\nконец\r"), many};
  for (const std::string& bytes : samples) {
    const LineEndings whole = lineEndingsOf(bytes);
    for (bool group : {false, true}) {
      for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
        SCOPED_TRACE(testing::Message() << "group " << group << " cut " << cut << " of " << bytes.size());
        PlainTextDecoder d(group);
        const PlainChunk all = decodeCut(d, bytes, {cut});
        EXPECT_EQ(encodeBack(all, d.joined()), bytes);
        EXPECT_EQ(d.dominant(), whole.dominant);
        if (!group) {
          EXPECT_EQ(all.blockEnds, whole.lines);
        }
      }
    }
  }
  // Empty pieces and a CR LF split over three of them.
  PlainTextDecoder d(false);
  const PlainChunk all = decodeCut(d, "a\r\nb", {1, 1, 2, 2});
  EXPECT_EQ(all.blockEnds, std::vector<LineEnding>{LineEnding::CrLf});
}

TEST(PlainText, GroupedLinesShareBlocksThatEndAlike) {
  std::string bytes;
  for (int i = 0; i < 1000; ++i) bytes += "x" + std::to_string(i) + (i == 500 ? "\n" : "\r\n");
  PlainTextDecoder d(true);
  const PlainChunk all = decodeCut(d, bytes, {bytes.size() / 3, bytes.size() / 2});
  EXPECT_EQ(d.joined(), LineEnding::CrLf);
  // A few dozen lines per block, and the one LF line ends its block.
  EXPECT_LE(all.blockEnds.size(), 1000u / (PlainTextDecoder::kLinesPerBlock - 1) + 3);
  EXPECT_EQ(std::count(all.blockEnds.begin(), all.blockEnds.end(), LineEnding::Lf), 1);
  std::size_t lines = 0;
  for (char16_t c : all.text) {
    if (c == kBlockBreak) lines = 0;
    if (c == kLineSeparator) {
      EXPECT_LT(++lines, static_cast<std::size_t>(PlainTextDecoder::kLinesPerBlock));
    }
  }
  EXPECT_EQ(encodeBack(all, d.joined()), bytes);
}

TEST(PlainText, EncodingBackStopsAtTheFirstCharacterCp1251CannotHold) {
  std::string out = "<";
  EXPECT_EQ(appendCp1251(u"аб€\u0098x", out), std::u16string_view::npos);
  EXPECT_EQ(out, "<\xE0\xE1\x88\x98x");
  out.clear();
  EXPECT_EQ(appendCp1251(u"аб€中x", out), 3u);
  EXPECT_EQ(out, "\xE0\xE1\x88");
}

TEST_F(TextListing, ChunkReaderReadsTheFileInPieces) {
  const std::string bytes = std::string(1000, 'a') + "\r\n" + std::string(999, 'b');
  writeFile("C:\\t\\f.txt", bytes);
  ChunkReader r;
  ASSERT_TRUE(r.open("C:\\t\\f.txt"));
  EXPECT_EQ(r.size(), bytes.size());
  std::string all, piece;
  while (!r.atEnd()) {
    ASSERT_TRUE(r.read(300, piece));
    all += piece;
  }
  EXPECT_EQ(all, bytes);
  EXPECT_FALSE(ChunkReader().open("C:\\t\\missing.txt"));
}
