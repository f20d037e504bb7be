// The RTF reader and writer: files written by a word processor, the escapes
// and tables of the format, round trips, and malformed input.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/host.h"
#include "support/testenv.h"
#include "texteditor/engine/rtf.h"

using namespace kessik;
using namespace kessik::rtf;

namespace {

// A file under tests/data, read through its Windows path (Z: is the host's
// root here and under Wine).
std::string fixture(const std::string& name) {
  std::string path = std::string("Z:") + KESSIK_TEST_DATA + "/" + name;
  std::replace(path.begin(), path.end(), '/', '\\');
  std::string data;
  auto host = platform::toHost(path);
  EXPECT_TRUE(host && platform::readWholeFile(*host, data) == platform::ReadStatus::Ok) << path;
  return data;
}

Document readWhole(std::string_view bytes) {
  ReadResult r = read(bytes);
  EXPECT_TRUE(r.isRtf);
  EXPECT_EQ(r.problem, "");
  return r.document;
}

// "text" of paragraph p, run i.
const rtf::Run& run(const Document& d, std::size_t p, std::size_t i) { return d.paragraphs.at(p).runs.at(i); }

void expectRoundTrip(const Document& d) {
  const std::string once = write(d);
  const Document again = readWhole(once);
  EXPECT_EQ(again, d) << once;
  EXPECT_EQ(write(again), once);
}

}  // namespace

TEST(Rtf, WordProcessorFileWithFormatting) {
  const Document d = readWhole(fixture("rtf/formatted.rtf"));
  ASSERT_EQ(d.paragraphs.size(), 4u);
  EXPECT_EQ(d.plainText(),
            "Обычный текст и жирный, курсив, подчёркнутый.\n"
            "Красный и синий текст крупнее.\n"
            "По центру,\nвторая строка после переноса.\n"
            "Знаки вне cp1251: Ελληνικά, 中文, €.");
  const rtf::Run& plain = run(d, 0, 0);
  EXPECT_EQ(plain.text, "Обычный текст и ");
  EXPECT_FALSE(plain.format.bold || plain.format.italic || plain.format.underline);
  EXPECT_EQ(plain.format.font, "DejaVu Sans");
  EXPECT_EQ(plain.format.halfPoints, 24);
  EXPECT_FALSE(plain.format.color);
  EXPECT_EQ(run(d, 0, 1).text, "жирный");
  EXPECT_TRUE(run(d, 0, 1).format.bold);
  EXPECT_EQ(run(d, 0, 3).text, "курсив");
  EXPECT_TRUE(run(d, 0, 3).format.italic);
  EXPECT_EQ(run(d, 0, 5).text, "подчёркнутый");
  EXPECT_TRUE(run(d, 0, 5).format.underline);

  const rtf::Run& red = run(d, 1, 0);
  EXPECT_EQ(red.text, "Красный");
  EXPECT_EQ(red.format.color, (Color{192, 0, 0}));
  EXPECT_EQ(red.format.halfPoints, 32);
  EXPECT_EQ(red.format.font, "DejaVu Serif");
  EXPECT_EQ(run(d, 1, 2).format.color, (Color{0, 0, 255}));
  EXPECT_EQ(d.paragraphs[2].align, Align::Center);
  EXPECT_EQ(d.paragraphs[0].align, Align::Left);
}

TEST(Rtf, WordProcessorFilesRoundTrip) {
  for (const char* name : {"rtf/formatted.rtf", "rtf/plain.rtf"}) {
    SCOPED_TRACE(name);
    expectRoundTrip(readWhole(fixture(name)));
  }
  EXPECT_EQ(readWhole(fixture("rtf/plain.rtf")).plainText(), "Квест: найти меч.\nВторой абзац, Ёжик и ёлка.");
}

TEST(Rtf, EscapesCodePagesAndUnicode) {
  struct Case {
    const char* rtf;
    const char* text;
  } cases[] = {
      // \'hh in the document's code page (cp1251 unless told otherwise).
      {R"({\rtf1\ansi\ansicpg1251 \'cf\'f0\'e8\'e2\'e5\'f2})", "Привет"},
      {R"({\rtf1\ansi \'cf\'f0})", "Пр"},
      // A font's charset decides for its text.
      {R"({\rtf1\ansi\ansicpg1251{\fonttbl{\f0\fcharset0 Arial;}{\f1\fcharset204 Arial Cyr;}}\f0 \'e9\f1 \'e9})", "éй"},
      // \uN with its fallback characters skipped, \ucN changing how many.
      {R"({\rtf1\ansi \u1046?\u-10179?\u-8704?x})", "Ж\U0001F600x"},
      {R"({\rtf1\ansi\uc2 \u1046\'3f\'3fy\uc0\u1047 z})", "ЖyЗz"},
      {R"({\rtf1\ansi \u1046\'3f{\u1047?}\u1048 })", "ЖЗИ"},
      // Literal braces and backslashes, special characters.
      {R"({\rtf1 a\{b\}c\\d\~e\emdash f\tab g\line h})", "a{b}c\\d\u00A0e\u2014f\tg\nh"},
      // A section or page break ends a paragraph; a section's defaults do not.
      {R"({\rtf1 one\sect two\page three\sectd  four})", "one\ntwo\nthree four"},
      // Line breaks in the source are no text.
      {"{\\rtf1 ab\r\ncd\nef}", "abcdef"},
  };
  for (const Case& c : cases) EXPECT_EQ(readWhole(c.rtf).plainText(), c.text) << c.rtf;
}

TEST(Rtf, UnknownGroupsAndDestinationsAreSkipped) {
  const Document d = readWhole(
      R"({\rtf1\ansi{\*\generator Some Writer;}{\info{\title T}{\author A}}{\stylesheet{\s0 Normal;}})"
      R"({\*\unknowndest {nested {deeper} text} more}{\pict\pngblip 89504e47}{\header head})"
      R"({\field{\*\fldinst HYPERLINK "x"}{\fldrslt link}} body\bin4 {}}} tail\par second})");
  EXPECT_EQ(d.plainText(), "link body tail\nsecond");
}

TEST(Rtf, ParagraphsAndTrailingMark) {
  struct Case {
    const char* rtf;
    std::size_t paragraphs;
  } cases[] = {{R"({\rtf1 a\par b\par})", 2}, {R"({\rtf1 a\par b})", 2}, {R"({\rtf1 a\par\par})", 2},
               {R"({\rtf1 })", 1},          {R"({\rtf1 \par})", 1}};
  for (const Case& c : cases) EXPECT_EQ(readWhole(c.rtf).paragraphs.size(), c.paragraphs) << c.rtf;
  // The last paragraph keeps its alignment without a closing mark.
  EXPECT_EQ(readWhole(R"({\rtf1 \qc centred})").paragraphs[0].align, Align::Center);
}

TEST(Rtf, BuiltDocumentsRoundTrip) {
  Document d;
  CharFormat bold;
  bold.bold = true;
  bold.font = "Times New Roman";
  bold.halfPoints = 28;
  CharFormat coloured;
  coloured.italic = coloured.underline = true;
  coloured.color = Color{10, 200, 30};
  coloured.font = "Шрифт; с точкой";  // the ";" cannot be stored in a font table
  d.paragraphs.push_back({Align::Left, {{"Plain {braces} \\ back", {}}, {"Жирный", bold}}});
  d.paragraphs.push_back({Align::Center, {}});
  d.paragraphs.push_back({Align::Right, {{"tab\there\nline", coloured}, {" 中文 € \U0001F600", {}}}});
  d.paragraphs.push_back({Align::Justify, {{" leading blank", bold}}});
  const Document again = readWhole(write(d));
  Document expected = d;
  expected.paragraphs[2].runs[0].format.font = "Шрифт с точкой";
  EXPECT_EQ(again, expected);
  expectRoundTrip(expected);
  expectRoundTrip(Document{{Paragraph{}}});
}

TEST(Rtf, MalformedInputIsReadAsFarAsItGoes) {
  ReadResult notRtf = read("plain text");
  EXPECT_FALSE(notRtf.isRtf);
  EXPECT_NE(notRtf.problem, "");

  // Truncated anywhere: no crash, what came before is kept, and it is said.
  const std::string whole = fixture("rtf/formatted.rtf");
  for (std::size_t cut = 5; cut < whole.size(); cut += 97) {
    ReadResult r = read(std::string_view(whole).substr(0, cut));
    EXPECT_TRUE(r.isRtf);
    EXPECT_NE(r.problem, "") << cut;
  }
  ReadResult half = read(std::string_view(whole).substr(0, whole.size() * 3 / 4));
  EXPECT_TRUE(half.document.plainText().starts_with("Обычный текст"));

  // Deep nesting stops with a message instead of growing without bound.
  ReadResult deep = read("{\\rtf1 ok" + std::string(100000, '{'));
  EXPECT_EQ(deep.document.plainText(), "ok");
  EXPECT_NE(deep.problem, "");

  // Odd parameters and dangling escapes.
  for (const char* bad : {R"({\rtf1 \fs99999999999999 big\cf-5 x\f-1 y\'zz\' )", R"({\rtf1 \bin999999 )",
                          R"({\rtf1 \u99999999 \uc-3 a\)", R"({\rtf1 {\colortbl;\red300;}\cf1 c})"}) {
    ReadResult r = read(bad);
    EXPECT_TRUE(r.isRtf) << bad;
  }
  EXPECT_EQ(read(R"({\rtf1 \fs99999999999999 big})").document.paragraphs[0].runs[0].format.halfPoints, 3276);
}

TEST(Rtf, ParagraphsHandedOverAsReadAndReadingStopped) {
  const std::string whole = fixture("rtf/formatted.rtf");
  std::vector<Paragraph> handed;
  std::vector<std::size_t> told;
  ReadResult r = read(
      whole,
      [&told](std::size_t done) {
        told.push_back(done);
        return true;
      },
      [&handed](Paragraph&& p) { handed.push_back(std::move(p)); });
  EXPECT_TRUE(r.document.paragraphs.empty());
  EXPECT_EQ(r.problem, "");
  EXPECT_EQ(handed, readWhole(whole).paragraphs);
  ASSERT_FALSE(told.empty());
  EXPECT_TRUE(std::is_sorted(told.begin(), told.end()));

  // Stopped: what was read is kept, nothing is said to be broken.
  std::string large = "{\\rtf1 ";
  for (int i = 0; i < 20000; ++i) large += "paragraph " + std::to_string(i) + "\\par ";
  large += "}";
  int calls = 0;
  ReadResult stopped = read(large, [&calls](std::size_t) { return ++calls < 2; });
  EXPECT_TRUE(stopped.stopped);
  EXPECT_EQ(stopped.problem, "");
  EXPECT_GT(stopped.document.paragraphs.size(), 0u);
  EXPECT_LT(stopped.document.paragraphs.size(), 20000u);
}

// What the writer makes of each kind of character in a plain run: printable
// ASCII as it is (";" too), the format's own signs escaped, cp1251 as \'hh,
// the rest as \uN?, control characters dropped, broken UTF-8 as U+FFFD.
TEST(Rtf, WriterEscapesEachKindOfCharacter) {
  const struct {
    std::string text, body;
  } cases[] = {
      {"a; b", "a; b"},
      {"{x}\\", "\\{x\\}\\\\"},
      {"Жё№", "\\'c6\\'b8\\'b9"},
      {"€", "\\'88"},
      {"ΩĀ", "\\u937?\\u256?"},
      {"\U0001F600", "\\u-10179?\\u-8704?"},
      {"t\tl\nx\x01y", "t\\tab l\\line xy"},
      {std::string("a\xD0") + "b\xC3", "a\\u-3?b\\u-3?"},
  };
  for (const auto& c : cases) {
    const std::string out = write(Document{{Paragraph{Align::Left, {{c.text, {}}}}}});
    const std::string head = "\\pard ";
    const std::size_t from = out.find(head) + head.size(), to = out.rfind("\\par\r\n");
    ASSERT_LT(from, to) << out;
    EXPECT_EQ(out.substr(from, to - from), c.body) << c.text;
  }
}
