// A plain cp1251 text on its way into the editor pane, a piece at a time, so
// that a large file shows its first screen at once and never holds the whole
// file twice: the file read in chunks, each chunk decoded into UTF-16 lines
// that remember how they ended, so that saving writes every line back with
// its own ending.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/errors.h"

namespace kessik::texted {

// How a line of a plain text file ends.
enum class LineEnding { CrLf, Lf, Cr };

struct LineEndings {
  // One per line but the last, in file order: "\r\n", a lone "\n" or a lone
  // "\r" (the pane breaks lines at each of them).
  std::vector<LineEnding> lines;
  // The one most lines use (CR LF when none; a tie goes to CR LF, then LF),
  // for lines whose own ending cannot be told.
  LineEnding dominant = LineEnding::CrLf;
};
LineEndings lineEndingsOf(std::string_view bytes);

// The pane's line separator inside a block (U+2028) and its block break.
constexpr char16_t kLineSeparator = 0x2028;
constexpr char16_t kBlockBreak = u'\n';

// One decoded piece of a text: UTF-16 with a block break or a line
// separator wherever a line ended, and the ending of each block it closes.
struct PlainChunk {
  std::u16string text;
  std::vector<LineEnding> blockEnds;
};

// Decodes a cp1251 text given in pieces cut anywhere (a CR LF split between
// two pieces is still one ending). Every line ends a block of its own, unless
// lines are grouped: then up to a few dozen lines (a few kilobytes) that end
// alike share one block, joined by line separators, so that a text of a
// million short lines is not a million blocks; a line that ends otherwise
// always ends its block.
class PlainTextDecoder {
 public:
  explicit PlainTextDecoder(bool groupLines);

  // The next piece into out (emptied first; its room is kept); last:
  // nothing follows.
  void decode(std::string_view bytes, bool last, PlainChunk& out);

  // How the lines joined inside a block end (chosen from the first piece).
  LineEnding joined() const { return joined_; }
  // The ending most lines decoded so far use (the rule of lineEndingsOf).
  LineEnding dominant() const;

  static constexpr int kLinesPerBlock = 32;
  static constexpr std::size_t kCharsPerBlock = 4096;

 private:
  void lineBreak(PlainChunk& out, LineEnding e);

  bool group_;
  bool started_ = false;
  bool pendingCr_ = false;
  LineEnding joined_ = LineEnding::CrLf;
  int linesInBlock_ = 0;
  std::size_t charsInBlock_ = 0;
  std::uint64_t counts_[3] = {0, 0, 0};
};

// Appends UTF-16 text as cp1251 (the reverse of the decoder); returns the
// position of the first character cp1251 cannot hold (out then holds what
// came before it), or npos when all of it was appended.
std::size_t appendCp1251(std::u16string_view text, std::string& out);

// A file read from its start in pieces; the file stays open until the reader
// is destroyed.
class ChunkReader {
 public:
  // path: a Windows path. False when the file cannot be opened (error()
  // says why).
  bool open(const std::string& path);
  platform::SystemError error() const { return error_; }
  // Up to max bytes into out (replacing it); false when reading failed.
  bool read(std::size_t max, std::string& out);
  bool atEnd() const { return done_ >= size_; }
  std::uint64_t size() const { return size_; }
  std::uint64_t done() const { return done_; }

 private:
  std::ifstream in_;
  std::uint64_t size_ = 0, done_ = 0;
  platform::SystemError error_;
};

}  // namespace kessik::texted
