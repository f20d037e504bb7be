// Sound lists: the byte format, how damaged and oversized lists are read, the
// count text, and the element templates.
#include <gtest/gtest.h>

#include "editors/engine/soundlist.h"
#include "support/record_fixtures.h"
#include "support/testenv.h"
#include "util/cp1251.h"

using namespace kessik;
using namespace kessik::test;

namespace {

// One element written with the given type bytes (1, 2, 3, 4 as the editor writes).
std::string element(const std::string& file, std::int32_t n, const std::string& text, const std::string& code,
                    int t1 = 1, int t2 = 2, int t3 = 3, int t4 = 4, int outer = 1) {
  return itemsOf({{outer, itemsOf({{t1, nameBytes(file)}, {t2, int32Bytes(n)}, {t3, nameBytes(text)},
                                   {t4, nameBytes(code)}})}});
}

}  // namespace

TEST(SoundList, TheTwentySixByteExample) {
  const std::string example = bytes("01 30 01 0C 61 2E 77 61 76 00 02 08 05 00 00 00 03 06 48 69 00 04 06 58 31 00");
  ASSERT_EQ(example.size(), 26u);
  const ASoundRec e{"a.wav", 5, "Hi", "X1"};
  EXPECT_EQ(hex(encodeSoundList({e})), hex(example));
  SoundListRead r = readSoundList(example);
  EXPECT_EQ(r.state, SoundListState::Whole);
  ASSERT_EQ(r.elements.size(), 1u);
  EXPECT_EQ(r.elements[0], e);
  EXPECT_EQ(SoundCountText(example), cp("В поле содержится 1 элементов (звуков)."));
}

TEST(SoundList, EmptyAndRoundTrips) {
  EXPECT_EQ(encodeSoundList({}), "");
  EXPECT_EQ(readSoundList("").state, SoundListState::Whole);
  EXPECT_TRUE(readSoundList("").elements.empty());
  EXPECT_EQ(SoundCountText(""), cp("Пусто. Элементов (звуков) в поле нет."));

  // Negative numbers, empty texts, Cyrillic and a long text (four-byte size codes).
  const std::vector<ASoundRec> list = {
      {"a.wav", -1, "", ""}, {cp("звук.wav"), 2147483647, cp("Привет"), "Q"}, {"b.wav", 0, std::string(200, 'x'), "C"}};
  const std::string bytesOut = encodeSoundList(list);
  SoundListRead r = readSoundList(bytesOut);
  EXPECT_EQ(r.state, SoundListState::Whole);
  EXPECT_EQ(r.elements, list);
  EXPECT_EQ(encodeSoundList(r.elements), bytesOut);
  EXPECT_EQ(SoundCountText(bytesOut), cp("В поле содержится 3 элементов (звуков)."));
}

TEST(SoundList, OtherTypeBytesAndLongSizeCodesComeBackNormalised) {
  // Type bytes 7 and 9, 8, 7, 6; then the same element with a four-byte size code.
  std::string odd = element("a.wav", 5, "Hi", "X1", 9, 8, 7, 6, 7);
  std::string longForm = bytes("05 31 00 00 00") + odd.substr(2);  // 24 bytes as 2*24+1
  for (const std::string& in : {odd, longForm}) {
    SoundListRead r = readSoundList(in);
    ASSERT_EQ(r.state, SoundListState::Whole) << hex(in);
    EXPECT_EQ(hex(encodeSoundList(r.elements)), hex(element("a.wav", 5, "Hi", "X1")));
  }
}

TEST(SoundList, DamagedListsKeepTheElementsBeforeTheFault) {
  const std::string good = element("a.wav", 1, "A", "C1");
  const std::string threeItems = itemsOf({{1, nameBytes("f")}, {2, int32Bytes(1)}, {3, nameBytes("t")}});
  struct Case {
    const char* what;
    std::string tail;
  } cases[] = {
      {"an element cut short", element("b.wav", 2, "B", "C2").substr(0, 10)},
      {"three items", itemsOf({{1, threeItems}})},
      {"a lone byte", "\1"},
  };
  for (const Case& c : cases) {
    SoundListRead r = readSoundList(good + c.tail);
    EXPECT_EQ(r.state, SoundListState::Damaged) << c.what;
    ASSERT_EQ(r.elements.size(), 1u) << c.what;
    EXPECT_EQ(r.elements[0].Code, "C1");
  }
}

// An element whose values would not give its bytes back (bytes after a
// name's 00, a name without its 00, an Unknown1 of other than 4 bytes, a
// fifth item) is read whole, the list after it too; untouched it is written
// back byte for byte, changed it is written as the editor writes.
TEST(SoundList, ElementsReadLenientlyComeBackUnchangedWhileUntouched) {
  const std::string before = element("a.wav", 1, "A", "C1"), after = element("z.wav", 9, "Z", "C9");
  auto odd = [](const std::string& file, const std::string& number, const std::string& code,
                const std::string& more = {}) {
    return itemsOf({{1, itemsOf({{1, file}, {2, number}, {3, nameBytes("t")}, {4, code}}) + more}});
  };
  struct Case {
    const char* what;
    std::string bytes;
    ASoundRec read;
  } cases[] = {
      {"bytes after a name's 00", odd(std::string("f\0g\0", 4), int32Bytes(1), nameBytes("c")), {"f", 1, "t", "c"}},
      {"a code without its 00", odd(nameBytes("f"), int32Bytes(2), "c"), {"f", 2, "t", "c"}},
      {"a three-byte number", odd(nameBytes("f"), "\1\2\3", nameBytes("c")), {"f", 0x030201, "t", "c"}},
      {"a five-byte number", odd(nameBytes("f"), std::string("\5\0\0\0\7", 5), nameBytes("c")), {"f", 5, "t", "c"}},
      {"a fifth item", odd(nameBytes("f"), int32Bytes(3), nameBytes("c"), itemsOf({{5, "x"}})), {"f", 3, "t", "c"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string list = before + c.bytes + after;
    SoundListRead r = readSoundList(list);
    EXPECT_EQ(r.state, SoundListState::Whole);
    ASSERT_EQ(r.elements.size(), 3u);
    const ASoundRec& e = r.elements[1];
    EXPECT_EQ(e.File, c.read.File);
    EXPECT_EQ(e.Unknown1, c.read.Unknown1);
    EXPECT_EQ(e.Code, c.read.Code);
    EXPECT_EQ(r.elements[2].Code, "C9");
    EXPECT_EQ(hex(encodeSoundList(r.elements)), hex(list));
    // Reordered, it keeps its bytes; changed, it is written afresh.
    EXPECT_EQ(hex(encodeSoundList({r.elements[1], r.elements[0]})), hex(c.bytes + before));
    r.elements[1].Text = "new";
    EXPECT_EQ(hex(encodeSoundList(r.elements)),
              hex(before + element(c.read.File, c.read.Unknown1, "new", c.read.Code) + after));
  }
}

TEST(SoundList, MoreElementsThanTheTableHoldsAreNotRead) {
  const std::string one = element("a.wav", 1, "A", "C");
  std::string full;
  for (std::size_t i = 0; i < kSoundTableSize; ++i) full += one;
  SoundListRead r = readSoundList(full);
  EXPECT_EQ(r.state, SoundListState::Whole);
  EXPECT_EQ(r.elements.size(), 1000u);
  r = readSoundList(full + one);
  EXPECT_EQ(r.state, SoundListState::TooMany);
  EXPECT_EQ(r.items, 1001u);
  EXPECT_TRUE(r.elements.empty());
  EXPECT_EQ(SoundCountText(full + one), cp("В поле содержится 1001 элементов (звуков)."));
}

TEST(SoundList, Templates) {
  EXPECT_EQ(soundTemplateFolder("C:\\prog\\"), "C:\\prog\\shablons\\ASounds\\");
  EXPECT_EQ(soundTemplateFolder("C:\\prog"), "C:\\prog\\shablons\\ASounds\\");
  const ASoundRec e{"a.wav", -7, cp("Привет"), "X1"};
  EXPECT_EQ(soundTemplateText(e), "a.wav\r\n-7\r\n" + cp("Привет") + "\r\nX1\r\n");

  // Only the first three lines are read; the code is the caller's.
  SoundTemplateRead t = readSoundTemplate(soundTemplateText(e));
  ASSERT_TRUE(t.ok);
  EXPECT_EQ(t.element, (ASoundRec{"a.wav", -7, cp("Привет"), ""}));
  t = readSoundTemplate("a.wav\r\n7\r\nHello");
  ASSERT_TRUE(t.ok);
  EXPECT_EQ(t.element.Text, "Hello");

  // A 00 byte would cut the value short in the list, so it is refused.
  using namespace std::string_literals;
  for (const std::string& bad : {""s, "a.wav\r\n7\r\n"s, "a.wav\r\nseven\r\nHello\r\n"s, "a.wav\r\n2147483648\r\nx\r\n"s,
                                 "a.wav\n7\nHello\n"s, "a\0.wav\r\n7\r\nHello\r\n"s, "a.wav\r\n7\r\nHel\0lo\r\n"s}) {
    t = readSoundTemplate(bad);
    EXPECT_FALSE(t.ok) << bad;
    EXPECT_FALSE(t.error.empty());
  }
  EXPECT_EQ(cp1251ToUtf8(readSoundTemplate("a.wav\r\n7\r\nHel\0lo\r\n"s).error),
            "в строке 3 шаблона (Text) стоит байт 00, а в списке звуков такого символа быть не может.");
}
