#include "texteditor/engine/plain_text.h"

#include <array>
#include <cerrno>
#include <filesystem>
#include <memory>

#include "platform/host.h"
#include "util/cp1251.h"

namespace kessik::texted {
namespace {

// Every cp1251 byte as its UTF-16 character (all of them lie in the BMP).
const std::array<char16_t, 256>& utf16Table() {
  static const std::array<char16_t, 256> table = [] {
    std::array<char16_t, 256> t{};
    for (int b = 0; b < 256; ++b) {
      const std::string utf8 = cp1251ToUtf8(std::string(1, static_cast<char>(b)));
      std::size_t i = 0;
      t[b] = static_cast<char16_t>(nextCodePoint(utf8, i).value_or(0xFFFD));
    }
    return t;
  }();
  return table;
}

// Every UTF-16 character cp1251 holds as its byte; -1 for the others.
const std::array<std::int16_t, 65536>& cp1251Table() {
  static const auto table = [] {
    auto t = std::make_unique<std::array<std::int16_t, 65536>>();
    t->fill(-1);
    const auto& to16 = utf16Table();
    for (int b = 0; b < 256; ++b) (*t)[to16[b]] = static_cast<std::int16_t>(b);
    return t;
  }();
  return *table;
}

LineEnding dominantOf(const std::uint64_t (&counts)[3]) {
  LineEnding out = LineEnding::CrLf;
  for (LineEnding e : {LineEnding::Lf, LineEnding::Cr})
    if (counts[static_cast<int>(e)] > counts[static_cast<int>(out)]) out = e;
  return out;
}

}  // namespace

LineEndings lineEndingsOf(std::string_view bytes) {
  LineEndings out;
  std::uint64_t counts[3] = {0, 0, 0};
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    LineEnding e;
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
      e = LineEnding::CrLf;
      ++i;
    } else if (bytes[i] == '\r') {
      e = LineEnding::Cr;
    } else if (bytes[i] == '\n') {
      e = LineEnding::Lf;
    } else {
      continue;
    }
    out.lines.push_back(e);
    ++counts[static_cast<int>(e)];
  }
  out.dominant = dominantOf(counts);
  return out;
}

PlainTextDecoder::PlainTextDecoder(bool groupLines) : group_(groupLines) {}

LineEnding PlainTextDecoder::dominant() const { return dominantOf(counts_); }

void PlainTextDecoder::lineBreak(PlainChunk& out, LineEnding e) {
  ++counts_[static_cast<int>(e)];
  if (group_ && e == joined_ && linesInBlock_ + 1 < kLinesPerBlock && charsInBlock_ < kCharsPerBlock) {
    out.text.push_back(kLineSeparator);
    ++linesInBlock_;
    ++charsInBlock_;
    return;
  }
  out.text.push_back(kBlockBreak);
  out.blockEnds.push_back(e);
  linesInBlock_ = 0;
  charsInBlock_ = 0;
}

void PlainTextDecoder::decode(std::string_view bytes, bool last, PlainChunk& out) {
  if (!started_) {
    // Lines are joined by the ending most lines of the first piece use.
    started_ = true;
    joined_ = lineEndingsOf(bytes).dominant;
  }
  const auto& table = utf16Table();
  out.text.clear();
  out.blockEnds.clear();
  out.text.reserve(bytes.size() + 1);
  std::size_t i = 0;
  if (pendingCr_ && !bytes.empty()) {
    pendingCr_ = false;
    if (bytes[0] == '\n') {
      lineBreak(out, LineEnding::CrLf);
      i = 1;
    } else {
      lineBreak(out, LineEnding::Cr);
    }
  }
  for (; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b == '\r') {
      if (i + 1 < bytes.size()) {
        if (bytes[i + 1] == '\n') {
          lineBreak(out, LineEnding::CrLf);
          ++i;
        } else {
          lineBreak(out, LineEnding::Cr);
        }
      } else {
        pendingCr_ = true;  // its LF, if any, comes with the next piece
      }
    } else if (b == '\n') {
      lineBreak(out, LineEnding::Lf);
    } else {
      out.text.push_back(table[b]);
      ++charsInBlock_;
    }
  }
  if (last && pendingCr_) {
    pendingCr_ = false;
    lineBreak(out, LineEnding::Cr);
  }
}

std::size_t appendCp1251(std::u16string_view text, std::string& out) {
  const auto& table = cp1251Table();
  const std::size_t start = out.size();
  out.resize(start + text.size());
  char* to = out.data() + start;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::int16_t b = table[text[i]];
    if (b < 0) {
      out.resize(start + i);
      return i;
    }
    to[i] = static_cast<char>(b);
  }
  return std::u16string_view::npos;
}

bool ChunkReader::open(const std::string& path) {
  const auto host = platform::toHost(path);
  if (!host) {
    error_ = platform::failureOf(platform::Failure::NoDrive);
    return false;
  }
  errno = 0;
  in_.open(*host, std::ios::binary);
  if (!in_) {
    error_ = platform::errnoError(errno);
    return false;
  }
  errno = 0;
  in_.seekg(0, std::ios::end);
  const auto end = in_.tellg();
  in_.seekg(0, std::ios::beg);
  if (end < 0 || !in_) {
    // A folder opens as a stream on some hosts and has no end to seek to.
    error_ = platform::errnoError(errno);
    std::error_code ec;
    if (std::filesystem::is_directory(*host, ec)) error_ = platform::failureOf(platform::Failure::IsFolder);
    return false;
  }
  size_ = static_cast<std::uint64_t>(end);
  done_ = 0;
  return true;
}

bool ChunkReader::read(std::size_t max, std::string& out) {
  const std::uint64_t left = size_ - done_;
  out.resize(static_cast<std::size_t>(std::min<std::uint64_t>(left, max)));
  if (out.empty()) return true;
  in_.read(out.data(), static_cast<std::streamsize>(out.size()));
  // A file cut short while it is read is no whole text.
  if (static_cast<std::size_t>(in_.gcount()) != out.size()) return false;
  done_ += out.size();
  return true;
}

}  // namespace kessik::texted
