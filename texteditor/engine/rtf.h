// RTF to a small document model and back: paragraphs (with alignment) of runs
// of text, each run with bold, italic, underline, font, size and colour. The
// reader takes what word processors write (font and colour tables, cp1251 and
// other code pages with \'hh escapes, \uN characters, fields) and skips every
// group it does not know. Malformed or truncated input is read as far as it
// goes and reported; nothing in it can make the reader run away.
//
// Qt-free: the text editor puts the model into its rich-text pane.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kessik::rtf {

struct Color {
  std::uint8_t red = 0, green = 0, blue = 0;
  bool operator==(const Color&) const = default;
};

struct CharFormat {
  bool bold = false, italic = false, underline = false;
  int halfPoints = 0;          // font size in half points; 0: not set
  std::optional<Color> color;  // nothing: the automatic colour
  std::string font;            // UTF-8; empty: not set
  bool operator==(const CharFormat&) const = default;
};

// UTF-8 text; "\n" is a line break inside the paragraph, "\t" a tab.
struct Run {
  std::string text;
  CharFormat format;
  bool operator==(const Run&) const = default;
};

enum class Align { Left, Center, Right, Justify };

struct Paragraph {
  Align align = Align::Left;
  std::vector<Run> runs;
  bool operator==(const Paragraph&) const = default;
};

struct Document {
  std::vector<Paragraph> paragraphs;
  bool operator==(const Document&) const = default;
  // The text alone: paragraphs joined by "\n" (UTF-8).
  std::string plainText() const;
};

// Joins neighbouring runs of one format and drops empty runs.
void normalize(Paragraph& paragraph);
void normalize(Document& document);

struct ReadResult {
  Document document;
  // Empty when the whole document was read; otherwise what was wrong (cp1251)
  // and the document holds what could be read before it.
  std::string problem;
  // False when the bytes are no RTF at all (the document is then empty).
  bool isRtf = true;
  // True when the caller stopped the reading (the document is incomplete).
  bool stopped = false;
};

// Told now and then how many bytes have been read; returning false stops
// the reading.
using ReadProgress = std::function<bool(std::size_t done)>;
// Given each paragraph as soon as it ends; the result's document then stays
// empty, so that a large document is never held whole as a model.
using ParagraphSink = std::function<void(Paragraph&&)>;

ReadResult read(std::string_view bytes, const ReadProgress& progress = {}, const ParagraphSink& sink = {});

// RTF of the document: cp1251 text (\'hh above 0x7F, \uN for characters
// cp1251 cannot hold), a font table and a colour table of what the runs use.
std::string write(const Document& document);

}  // namespace kessik::rtf
