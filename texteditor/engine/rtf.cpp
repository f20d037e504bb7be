#include "texteditor/engine/rtf.h"

#include <algorithm>
#include <array>
#include <map>

#include "util/cp1251.h"

namespace kessik::rtf {
namespace {

// Groups nested deeper than this are malformed: real documents stay far
// below it, and the reader stops there instead of growing without bound.
constexpr std::size_t kMaxDepth = 1024;
constexpr int kMaxHalfPoints = 3276;  // 1638 pt, the largest size word processors offer

// One UTF-8 character at i; an invalid byte gives U+FFFD and moves one on.
char32_t nextUtf8(std::string_view s, std::size_t& i) {
  if (auto cp = nextCodePoint(s, i)) return *cp;
  ++i;
  return 0xFFFD;
}

// ---- Code pages of \'hh bytes ----

struct CodePages {
  std::array<char32_t, 256> cp1251{};
  std::array<char32_t, 256> cp1252{};
  // The cp1251 byte of a character above 0x7F, 0 for none; every such
  // character lies below 0x2200.
  std::array<unsigned char, 0x2200> to1251{};
  unsigned char byte1251(char32_t cp) const { return cp < to1251.size() ? to1251[cp] : 0; }
};

const CodePages& codePages() {
  static const CodePages pages = [] {
    CodePages p;
    for (int b = 0; b < 256; ++b) {
      const std::string utf8 = cp1251ToUtf8(std::string(1, static_cast<char>(b)));
      std::size_t i = 0;
      p.cp1251[b] = nextUtf8(utf8, i);
      if (b >= 0x80 && p.cp1251[b] < p.to1251.size()) p.to1251[p.cp1251[b]] = static_cast<unsigned char>(b);
      p.cp1252[b] = static_cast<char32_t>(b);
    }
    constexpr std::array<char16_t, 32> k1252 = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    for (int b = 0x80; b < 0xA0; ++b) p.cp1252[b] = k1252[b - 0x80];
    return p;
  }();
  return pages;
}

// The code page of a font charset; 0 when the charset leaves it to the
// document.
int codePageOfCharset(int charset) {
  switch (charset) {
    case 0: return 1252;
    case 204: return 1251;
    default: return 0;
  }
}

char32_t decodeByte(int codePage, unsigned char b) {
  return codePage == 1252 ? codePages().cp1252[b] : codePages().cp1251[b];
}

// ---- Reader ----

enum class Dest : std::uint8_t { Text, Skip, FontTable, ColorTable };

struct State {
  Dest dest = Dest::Text;
  bool bold = false, italic = false, underline = false;
  int halfPoints = 0;
  int font = -1;  // -1: the default font
  int color = 0;
  int uc = 1;     // characters that stand in for each \uN
  Align align = Align::Left;
};

struct FontEntry {
  std::string name;  // UTF-8
  int codePage = 0;  // 0: the document's
};

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Destinations whose content is no text of the document.
bool isSkippedDestination(std::string_view w) {
  static const std::array<std::string_view, 58> words = {
      "stylesheet", "info", "pict", "object", "header", "headerl", "headerr", "headerf", "footer",
      "footerl", "footerr", "footerf", "footnote", "annotation", "atnid", "atnauthor", "atndate",
      "atnref", "xe", "tc", "txe", "rxe", "bkmkstart", "bkmkend", "fldinst", "datafield",
      "nonshppict", "shp", "shpinst", "shppict", "themedata", "colorschememapping", "latentstyles",
      "datastore", "listtable", "listoverridetable", "revtbl", "rsidtbl", "generator", "filetbl",
      "docvar", "userprops", "pgdsctbl", "ftnsep", "ftnsepc", "aftnsep", "aftnsepc", "template",
      "do", "fchars", "lchars", "private", "xmlnstbl", "pnseclvl", "pntxta", "pntxtb", "objdata",
      "mmathPr"};
  return std::find(words.begin(), words.end(), w) != words.end();
}

class Reader {
 public:
  Reader(std::string_view in, const ReadProgress& progress, const ParagraphSink& sink)
      : in_(in), progress_(progress), sink_(sink) {}

  ReadResult run() {
    ReadResult result;
    if (in_.substr(0, 5) != "{\\rtf") {
      result.isRtf = false;
      result.problem = ru("Файл не является документом RTF: он должен начинаться с «{\\rtf».");
      return result;
    }
    bool closed = false;
    std::size_t nextReport = 0;
    while (pos_ < in_.size()) {
      if (progress_ && pos_ >= nextReport) {
        nextReport = pos_ + kReportEvery;
        if (!progress_(pos_)) {
          result.stopped = true;
          break;
        }
      }
      const char c = in_[pos_];
      if (c == '{') {
        ++pos_;
        skipChars_ = 0;
        starPending_ = false;
        if (stack_.size() >= kMaxDepth) {
          problem_ = ru("Документ RTF повреждён: группы вложены слишком глубоко. Показано то, что удалось прочитать.");
          break;
        }
        stack_.push_back(st_);
        fmtDirty_ = true;
      } else if (c == '}') {
        ++pos_;
        skipChars_ = 0;
        starPending_ = false;
        if (st_.dest == Dest::FontTable && (stack_.empty() || stack_.back().dest != Dest::FontTable)) commitFont();
        // The document's own group ends the document; its last paragraph
        // keeps the properties in force there.
        if (stack_.size() <= 1) {
          closed = true;
          break;
        }
        st_ = stack_.back();
        stack_.pop_back();
        fmtDirty_ = true;
      } else if (c == '\\') {
        control();
      } else if (c == '\r' || c == '\n') {
        ++pos_;
      } else {
        ++pos_;
        if (skipChars_ > 0) {
          --skipChars_;
          continue;
        }
        const auto b = static_cast<unsigned char>(c);
        emit(b < 0x80 ? static_cast<char32_t>(b) : decodeByte(currentCodePage(), b));
      }
    }
    if (!closed && problem_.empty() && !result.stopped)
      problem_ = ru("Документ RTF оборван или повреждён: он кончается раньше, чем закрыты все его группы. "
                    "Показано то, что удалось прочитать.");
    if (!para_.runs.empty() || paragraphs_ == 0) endParagraph();
    result.document = std::move(doc_);
    result.problem = std::move(problem_);
    return result;
  }

 private:
  void control() {
    ++pos_;  // the backslash
    if (pos_ >= in_.size()) return;
    const char c = in_[pos_];
    if (!isLetter(c)) {
      ++pos_;
      symbol(c);
      return;
    }
    const std::size_t start = pos_;
    while (pos_ < in_.size() && isLetter(in_[pos_])) ++pos_;
    const std::string_view word = in_.substr(start, pos_ - start);
    bool hasParam = false;
    long long param = 0;
    bool negative = false;
    if (pos_ + 1 < in_.size() && in_[pos_] == '-' && isDigit(in_[pos_ + 1])) {
      negative = true;
      ++pos_;
    }
    int digits = 0;
    while (pos_ < in_.size() && isDigit(in_[pos_])) {
      // Up to ten digits count; more are read and ignored.
      if (digits < 10) param = param * 10 + (in_[pos_] - '0');
      ++digits;
      ++pos_;
      hasParam = true;
    }
    if (negative) param = -param;
    param = std::clamp<long long>(param, -2147483648LL, 2147483647LL);
    if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
    controlWord(word, hasParam, static_cast<int>(param));
  }

  void symbol(char c) {
    if (c == '*') {
      starPending_ = true;
      return;
    }
    if (c == '\'') {
      int value = -1;
      if (pos_ + 1 < in_.size()) {
        const int hi = hexValue(in_[pos_]), lo = hexValue(in_[pos_ + 1]);
        if (hi >= 0 && lo >= 0) {
          value = hi * 16 + lo;
          pos_ += 2;
        }
      }
      if (skipChars_ > 0) {
        --skipChars_;
        return;
      }
      if (value >= 0) {
        const auto b = static_cast<unsigned char>(value);
        emit(b < 0x80 ? static_cast<char32_t>(b) : decodeByte(currentCodePage(), b));
      }
      return;
    }
    if (skipChars_ > 0) {
      --skipChars_;
      return;
    }
    switch (c) {
      case '\\':
      case '{':
      case '}': emit(static_cast<char32_t>(c)); break;
      case '~': emit(0x00A0); break;
      case '_': emit(0x2011); break;
      case '\r':
      case '\n': paragraphMark(); break;
      default: break;  // "\-" (optional hyphen), "\|", "\:" and unknown symbols
    }
  }

  void controlWord(std::string_view w, bool hasParam, int param) {
    const bool on = !hasParam || param != 0;
    if (w == "bin") {
      // Binary data: skipped whole, wherever it is.
      const std::size_t n = hasParam && param > 0 ? static_cast<std::size_t>(param) : 0;
      pos_ += std::min(n, in_.size() - pos_);
      return;
    }
    if (starPending_) {
      starPending_ = false;
      // An optional destination: none is read here, so its group is skipped.
      st_.dest = Dest::Skip;
      return;
    }
    if (st_.dest == Dest::Skip) return;
    if (st_.dest == Dest::FontTable) {
      if (w == "f") {
        commitFont();
        fontEntry_ = param;
        fontName_.clear();
        fontCodePage_ = 0;
      } else if (w == "fcharset") {
        fontCodePage_ = codePageOfCharset(param);
      } else if (w == "cpg") {
        if (param == 1251 || param == 1252) fontCodePage_ = param;
      } else if (w == "u") {
        unicode(param);
      } else if (isSkippedDestination(w)) {
        st_.dest = Dest::Skip;
      }
      return;
    }
    if (st_.dest == Dest::ColorTable) {
      const auto v = static_cast<std::uint8_t>(std::clamp(param, 0, 255));
      if (w == "red") pendingColor_.red = v, colorSet_ = true;
      else if (w == "green") pendingColor_.green = v, colorSet_ = true;
      else if (w == "blue") pendingColor_.blue = v, colorSet_ = true;
      return;
    }
    if (w == "u") {
      unicode(param);
      return;
    }
    if (w == "fonttbl") {
      st_.dest = Dest::FontTable;
      fontEntry_ = -1;
      return;
    }
    if (w == "colortbl") {
      st_.dest = Dest::ColorTable;
      colors_.clear();
      colorSet_ = false;
      pendingColor_ = {};
      return;
    }
    if (isSkippedDestination(w)) {
      st_.dest = Dest::Skip;
      return;
    }
    // Every other word stands for one character of the \uN fallback.
    if (skipChars_ > 0) {
      --skipChars_;
      return;
    }
    if (w == "par" || w == "row" || w == "sect" || w == "page") paragraphMark();
    else if (w == "line") emit('\n');
    else if (w == "tab" || w == "cell" || w == "nestcell") emit('\t');
    else if (w == "pard") st_.align = Align::Left;
    else if (w == "ql") st_.align = Align::Left;
    else if (w == "qc") st_.align = Align::Center;
    else if (w == "qr") st_.align = Align::Right;
    else if (w == "qj") st_.align = Align::Justify;
    else if (w == "plain") {
      st_.bold = st_.italic = st_.underline = false;
      st_.halfPoints = 0;
      st_.font = -1;
      st_.color = 0;
      fmtDirty_ = true;
    } else if (w == "b") st_.bold = on, fmtDirty_ = true;
    else if (w == "i") st_.italic = on, fmtDirty_ = true;
    else if (w == "ulnone") st_.underline = false, fmtDirty_ = true;
    else if (w.starts_with("ul") && w != "ulc" && w != "ulex") st_.underline = on, fmtDirty_ = true;
    else if (w == "fs") st_.halfPoints = hasParam ? std::clamp(param, 0, kMaxHalfPoints) : 24, fmtDirty_ = true;
    else if (w == "f") st_.font = std::max(param, 0), fmtDirty_ = true;
    else if (w == "cf") st_.color = std::max(param, 0), fmtDirty_ = true;
    else if (w == "uc") st_.uc = std::clamp(param, 0, 16);
    else if (w == "deff") deff_ = param, fmtDirty_ = true;
    else if (w == "ansicpg") codePage_ = param == 1252 ? 1252 : 1251;
    else if (w == "emdash") emit(0x2014);
    else if (w == "endash") emit(0x2013);
    else if (w == "lquote") emit(0x2018);
    else if (w == "rquote") emit(0x2019);
    else if (w == "ldblquote") emit(0x201C);
    else if (w == "rdblquote") emit(0x201D);
    else if (w == "bullet") emit(0x2022);
    else if (w == "emspace") emit(0x2003);
    else if (w == "enspace") emit(0x2002);
    else if (w == "qmspace") emit(0x2005);
  }

  void unicode(int value) {
    skipChars_ = st_.uc;
    char32_t cp = static_cast<char32_t>(value < 0 ? value + 65536 : value);
    if (cp >= 0xD800 && cp <= 0xDBFF) {
      highSurrogate_ = cp;
      return;
    }
    if (cp >= 0xDC00 && cp <= 0xDFFF) {
      if (highSurrogate_ == 0) {
        emit(0xFFFD);
        return;
      }
      cp = 0x10000 + ((highSurrogate_ - 0xD800) << 10) + (cp - 0xDC00);
      highSurrogate_ = 0;
    }
    if (cp > 0x10FFFF) cp = 0xFFFD;
    emit(cp);
  }

  int currentCodePage() const {
    if (st_.dest == Dest::FontTable) return fontCodePage_ ? fontCodePage_ : codePage_;
    const int f = st_.font >= 0 ? st_.font : deff_;
    if (f >= 0) {
      auto it = fonts_.find(f);
      if (it != fonts_.end() && it->second.codePage) return it->second.codePage;
    }
    return codePage_;
  }

  void emit(char32_t cp) {
    if (highSurrogate_ != 0) {
      highSurrogate_ = 0;
      if (st_.dest == Dest::Text) appendText(0xFFFD);
    }
    switch (st_.dest) {
      case Dest::Skip: return;
      case Dest::FontTable:
        if (cp == ';') commitFont();
        else if (fontEntry_ >= 0 && cp >= 0x20 && fontName_.size() < 256) appendUtf8(fontName_, cp);
        return;
      case Dest::ColorTable:
        if (cp == ';') {
          colors_.push_back(colorSet_ ? std::optional<Color>(pendingColor_) : std::nullopt);
          pendingColor_ = {};
          colorSet_ = false;
        }
        return;
      case Dest::Text: appendText(cp); return;
    }
  }

  void appendText(char32_t cp) {
    if (cp == 0 || (cp < 0x20 && cp != '\t' && cp != '\n')) return;
    if (fmtDirty_) {
      CharFormat f = resolve();
      if (para_.runs.empty() || para_.runs.back().format != f) para_.runs.push_back(Run{{}, std::move(f)});
      fmtDirty_ = false;
    }
    appendUtf8(para_.runs.back().text, cp);
  }

  CharFormat resolve() const {
    CharFormat f;
    f.bold = st_.bold;
    f.italic = st_.italic;
    f.underline = st_.underline;
    f.halfPoints = st_.halfPoints;
    const int font = st_.font >= 0 ? st_.font : deff_;
    if (font >= 0) {
      auto it = fonts_.find(font);
      if (it != fonts_.end()) f.font = it->second.name;
    }
    if (st_.color >= 0 && static_cast<std::size_t>(st_.color) < colors_.size()) f.color = colors_[st_.color];
    return f;
  }

  void commitFont() {
    if (fontEntry_ < 0) return;
    // Names end in ";"; blanks around them are no part of them.
    std::string name = fontName_;
    while (!name.empty() && name.back() == ' ') name.pop_back();
    std::size_t first = name.find_first_not_of(' ');
    name = first == std::string::npos ? std::string() : name.substr(first);
    if (fonts_.size() < 4096 || fonts_.count(fontEntry_)) fonts_[fontEntry_] = FontEntry{name, fontCodePage_};
    fontEntry_ = -1;
    fontName_.clear();
    fontCodePage_ = 0;
  }

  void paragraphMark() {
    if (st_.dest != Dest::Text) return;
    endParagraph();
  }

  void endParagraph() {
    para_.align = st_.align;
    normalize(para_);
    ++paragraphs_;
    if (sink_)
      sink_(std::move(para_));
    else
      doc_.paragraphs.push_back(std::move(para_));
    para_ = Paragraph();
    fmtDirty_ = true;
  }

  static constexpr std::size_t kReportEvery = 1 << 16;

  std::string_view in_;
  const ReadProgress& progress_;
  const ParagraphSink& sink_;
  std::size_t paragraphs_ = 0;
  std::size_t pos_ = 0;
  std::vector<State> stack_;
  State st_;
  std::map<int, FontEntry> fonts_;
  int deff_ = -1;
  int codePage_ = 1251;
  std::vector<std::optional<Color>> colors_;
  Color pendingColor_;
  bool colorSet_ = false;
  int fontEntry_ = -1;
  int fontCodePage_ = 0;
  std::string fontName_;
  Document doc_;
  Paragraph para_;
  int skipChars_ = 0;
  char32_t highSurrogate_ = 0;
  bool fmtDirty_ = true;
  bool starPending_ = false;
  std::string problem_;
};

// ---- Writer ----

void appendEscaped(std::string& out, std::string_view utf8, bool inFontName) {
  const auto& pages = codePages();
  const auto plain = [inFontName](unsigned char c) {
    return c >= 0x20 && c < 0x80 && c != '\\' && c != '{' && c != '}' && !(inFontName && c == ';');
  };
  for (std::size_t i = 0; i < utf8.size();) {
    // Printable ASCII goes out as it is, a stretch at a time.
    std::size_t end = i;
    while (end < utf8.size() && plain(static_cast<unsigned char>(utf8[end]))) ++end;
    if (end > i) {
      out.append(utf8, i, end - i);
      i = end;
      continue;
    }
    char32_t cp;
    const auto lead = static_cast<unsigned char>(utf8[i]);
    if (lead >= 0xC2 && lead < 0xE0 && i + 1 < utf8.size() && (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80) {
      // Two bytes (Cyrillic among them): read here, the common case.
      cp = static_cast<char32_t>((lead & 0x1F) << 6 | (static_cast<unsigned char>(utf8[i + 1]) & 0x3F));
      i += 2;
    } else {
      cp = nextUtf8(utf8, i);
    }
    if (cp == '\\' || cp == '{' || cp == '}') {
      out += '\\';
      out += static_cast<char>(cp);
    } else if (cp == '\t') {
      out += "\\tab ";
    } else if (cp == '\n') {
      out += "\\line ";
    } else if (cp < 0x20 || (inFontName && cp == ';')) {
      // Control characters have no place in the text.
    } else if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (const unsigned char b = pages.byte1251(cp); b != 0) {
      static constexpr char hex[] = "0123456789abcdef";
      const char escaped[4] = {'\\', '\'', hex[b >> 4], hex[b & 15]};
      out.append(escaped, 4);
    } else {
      auto unit = [&out](int u) {
        out += "\\u";
        out += std::to_string(u >= 0x8000 ? u - 0x10000 : u);
        out += '?';
      };
      if (cp >= 0x10000) {
        const char32_t v = cp - 0x10000;
        unit(static_cast<int>(0xD800 + (v >> 10)));
        unit(static_cast<int>(0xDC00 + (v & 0x3FF)));
      } else {
        unit(static_cast<int>(cp));
      }
    }
  }
}

}  // namespace

std::string Document::plainText() const {
  std::string out;
  for (std::size_t p = 0; p < paragraphs.size(); ++p) {
    if (p) out += '\n';
    for (const Run& r : paragraphs[p].runs) out += r.text;
  }
  return out;
}

void normalize(Paragraph& p) {
  std::vector<Run> runs;
  for (Run& r : p.runs) {
    if (r.text.empty()) continue;
    if (!runs.empty() && runs.back().format == r.format)
      runs.back().text += r.text;
    else
      runs.push_back(std::move(r));
  }
  p.runs = std::move(runs);
}

void normalize(Document& document) {
  for (Paragraph& p : document.paragraphs) normalize(p);
}

ReadResult read(std::string_view bytes, const ReadProgress& progress, const ParagraphSink& sink) {
  return Reader(bytes, progress, sink).run();
}

std::string write(const Document& document) {
  std::vector<std::string> fonts;
  std::vector<Color> colors;
  std::map<std::string, int> fontIndex;
  auto colorIndex = [&colors](const Color& c) {
    auto it = std::find(colors.begin(), colors.end(), c);
    if (it != colors.end()) return static_cast<int>(it - colors.begin()) + 1;
    colors.push_back(c);
    return static_cast<int>(colors.size());
  };
  for (const Paragraph& p : document.paragraphs)
    for (const Run& r : p.runs) {
      if (!r.format.font.empty() && !fontIndex.count(r.format.font)) {
        fontIndex[r.format.font] = static_cast<int>(fonts.size());
        fonts.push_back(r.format.font);
      }
      if (r.format.color) colorIndex(*r.format.color);
    }

  std::size_t textBytes = 0;
  for (const Paragraph& p : document.paragraphs)
    for (const Run& r : p.runs) textBytes += r.text.size();
  std::string out;
  // Cyrillic text takes two bytes of UTF-8 and four of \'hh each.
  out.reserve(2 * textBytes + 16 * document.paragraphs.size() + 256);
  out += "{\\rtf1\\ansi\\ansicpg1251\\uc1";
  if (!fonts.empty()) {
    out += "{\\fonttbl";
    for (std::size_t i = 0; i < fonts.size(); ++i) {
      out += "{\\f" + std::to_string(i) + "\\fnil\\fcharset204 ";
      appendEscaped(out, fonts[i], true);
      out += ";}";
    }
    out += "}";
  }
  if (!colors.empty()) {
    out += "{\\colortbl;";
    for (const Color& c : colors)
      out += "\\red" + std::to_string(c.red) + "\\green" + std::to_string(c.green) + "\\blue" +
             std::to_string(c.blue) + ";";
    out += "}";
  }
  out += "\r\n";
  for (const Paragraph& p : document.paragraphs) {
    out += "\\pard";
    switch (p.align) {
      case Align::Left: break;
      case Align::Center: out += "\\qc"; break;
      case Align::Right: out += "\\qr"; break;
      case Align::Justify: out += "\\qj"; break;
    }
    out += ' ';
    for (const Run& r : p.runs) {
      const CharFormat& f = r.format;
      std::string words;
      if (f.bold) words += "\\b";
      if (f.italic) words += "\\i";
      if (f.underline) words += "\\ul";
      if (!f.font.empty()) words += "\\f" + std::to_string(fontIndex[f.font]);
      if (f.halfPoints > 0) words += "\\fs" + std::to_string(f.halfPoints);
      if (f.color) words += "\\cf" + std::to_string(colorIndex(*f.color));
      if (words.empty()) {
        appendEscaped(out, r.text, false);
      } else {
        out += '{' + words + ' ';
        appendEscaped(out, r.text, false);
        out += '}';
      }
    }
    out += "\\par\r\n";
  }
  out += "}";
  return out;
}

}  // namespace kessik::rtf
