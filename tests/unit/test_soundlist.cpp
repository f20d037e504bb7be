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
  const std::string fourItems = itemsOf({{1, nameBytes("f")}, {2, int32Bytes(1)}, {3, nameBytes("t")}});
  struct Case {
    const char* what;
    std::string tail;
  } cases[] = {
      {"an element cut short", element("b.wav", 2, "B", "C2").substr(0, 10)},
      {"three items", itemsOf({{1, fourItems}})},
      {"five items", itemsOf({{1, fourItems + itemsOf({{4, nameBytes("c")}, {5, nameBytes("x")}})}})},
      {"a three-byte number",
       itemsOf({{1, itemsOf({{1, nameBytes("f")}, {2, "\1\2\3"}, {3, nameBytes("t")}, {4, nameBytes("c")}})}})},
      {"bytes after a name's 00",
       itemsOf({{1, itemsOf({{1, std::string("f\0g\0", 4)}, {2, int32Bytes(1)}, {3, nameBytes("t")},
                             {4, nameBytes("c")}})}})},
      {"a lone byte", "\1"},
  };
  for (const Case& c : cases) {
    SoundListRead r = readSoundList(good + c.tail);
    EXPECT_EQ(r.state, SoundListState::Damaged) << c.what;
    ASSERT_EQ(r.elements.size(), 1u) << c.what;
    EXPECT_EQ(r.elements[0].Code, "C1");
  }
  // A name without its closing 00 is read as it stands, and written with it.
  const std::string noZero =
      itemsOf({{1, itemsOf({{1, "f"}, {2, int32Bytes(1)}, {3, nameBytes("t")}, {4, nameBytes("c")}})}});
  SoundListRead r = readSoundList(noZero);
  EXPECT_EQ(r.state, SoundListState::Whole);
  EXPECT_EQ(r.elements[0].File, "f");
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
