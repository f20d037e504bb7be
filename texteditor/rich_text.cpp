#include "texteditor/rich_text.h"

#include <QColor>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <cmath>

#include "ui/qtext.h"

namespace kessik {
namespace {

QString fromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

Qt::Alignment toQt(rtf::Align a) {
  switch (a) {
    case rtf::Align::Center: return Qt::AlignHCenter;
    case rtf::Align::Right: return Qt::AlignRight;
    case rtf::Align::Justify: return Qt::AlignJustify;
    case rtf::Align::Left: break;
  }
  return Qt::AlignLeft;
}

rtf::Align fromQt(Qt::Alignment a) {
  if (a & Qt::AlignHCenter) return rtf::Align::Center;
  if (a & Qt::AlignRight) return rtf::Align::Right;
  if (a & Qt::AlignJustify) return rtf::Align::Justify;
  return rtf::Align::Left;
}

QTextCharFormat toQt(const rtf::CharFormat& f) {
  QTextCharFormat q;
  if (f.bold) q.setFontWeight(QFont::Bold);
  if (f.italic) q.setFontItalic(true);
  if (f.underline) q.setFontUnderline(true);
  if (f.halfPoints > 0) q.setFontPointSize(f.halfPoints / 2.0);
  if (f.color) q.setForeground(QColor(f.color->red, f.color->green, f.color->blue));
  if (!f.font.empty()) q.setFontFamilies(QStringList{fromUtf8(f.font)});
  return q;
}

rtf::CharFormat fromQt(const QTextCharFormat& q) {
  rtf::CharFormat f;
  f.bold = q.fontWeight() >= QFont::DemiBold;
  f.italic = q.fontItalic();
  f.underline = q.fontUnderline();
  if (q.hasProperty(QTextFormat::FontPointSize))
    f.halfPoints = static_cast<int>(std::lround(q.fontPointSize() * 2));
  if (q.hasProperty(QTextFormat::ForegroundBrush) && q.foreground().style() != Qt::NoBrush) {
    const QColor c = q.foreground().color();
    f.color = rtf::Color{static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
                         static_cast<std::uint8_t>(c.blue())};
  }
  if (q.hasProperty(QTextFormat::FontFamilies)) {
    const QStringList families = q.fontFamilies().toStringList();
    if (!families.isEmpty()) f.font = families.first().toStdString();
  }
  return f;
}

}  // namespace

RtfFiller::RtfFiller(QTextDocument& document) {
  document.clear();
  cursor_ = std::make_unique<QTextCursor>(&document);
  cursor_->beginEditBlock();
}

RtfFiller::~RtfFiller() { cursor_->endEditBlock(); }

void RtfFiller::add(const rtf::Paragraph& p) {
  QTextBlockFormat block;
  block.setAlignment(toQt(p.align));
  if (first_)
    cursor_->setBlockFormat(block);
  else
    cursor_->insertBlock(block, QTextCharFormat());
  first_ = false;
  for (const rtf::Run& r : p.runs) {
    QString text = fromUtf8(r.text);
    text.replace(QLatin1Char('\n'), QChar(QChar::LineSeparator));
    cursor_->insertText(text, toQt(r.format));
  }
}

void setDocumentFromRtf(QTextDocument& document, const rtf::Document& model) {
  RtfFiller filler(document);
  for (const rtf::Paragraph& p : model.paragraphs) filler.add(p);
}

rtf::Document rtfFromDocument(const QTextDocument& document, bool linesAreParagraphs) {
  rtf::Document model;
  for (QTextBlock b = document.begin(); b.isValid(); b = b.next()) {
    rtf::Paragraph p;
    p.align = fromQt(b.blockFormat().alignment());
    for (auto it = b.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (!fragment.isValid()) continue;
      const rtf::CharFormat format = fromQt(fragment.charFormat());
      const QStringList lines = fragment.text().split(QChar(QChar::LineSeparator));
      for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0 && linesAreParagraphs) {
          const rtf::Align align = p.align;
          model.paragraphs.push_back(std::move(p));
          p = rtf::Paragraph{align, {}};
        } else if (i > 0) {
          p.runs.push_back(rtf::Run{"\n", format});
        }
        p.runs.push_back(rtf::Run{lines[i].toStdString(), format});
      }
    }
    model.paragraphs.push_back(std::move(p));
  }
  rtf::normalize(model);
  return model;
}

void appendPlainChunk(QTextDocument& document, const texted::PlainChunk& chunk) {
  // The last block goes on with the chunk's first line.
  const int first = document.blockCount() - 1;
  QTextCursor cursor(&document);
  cursor.movePosition(QTextCursor::End);
  // The document copies the text: the chunk's own room serves it directly.
  cursor.insertText(QString::fromRawData(reinterpret_cast<const QChar*>(chunk.text.data()),
                                         static_cast<qsizetype>(chunk.text.size())));
  QTextBlock b = document.findBlockByNumber(first);
  for (LineEnding e : chunk.blockEnds) {
    b.setUserState(static_cast<int>(e));
    b = b.next();
  }
}

std::optional<std::string> plainTextBytes(const QTextDocument& document, LineEnding joined, LineEnding fallback) {
  auto text = [](LineEnding e) {
    switch (e) {
      case LineEnding::Lf: return QStringLiteral("\n");
      case LineEnding::Cr: return QStringLiteral("\r");
      case LineEnding::CrLf: break;
    }
    return QStringLiteral("\r\n");
  };
  // Block by block, so that a large text is never held again as one more
  // string of twice its size.
  std::string out;
  out.reserve(static_cast<std::size_t>(document.characterCount()) + document.blockCount());
  for (QTextBlock b = document.begin(); b.isValid(); b = b.next()) {
    QString line = b.text().replace(QChar(QChar::LineSeparator), text(joined));
    if (b.next().isValid()) {
      const int state = b.userState();
      const bool known = state >= 0 && state <= static_cast<int>(LineEnding::Cr);
      line += text(known ? static_cast<LineEnding>(state) : fallback);
    }
    const std::u16string_view units(reinterpret_cast<const char16_t*>(line.utf16()),
                                    static_cast<std::size_t>(line.size()));
    const std::size_t bad = texted::appendCp1251(units, out);
    if (bad != std::u16string_view::npos) {
      // Refused with the message every other text gets for that character.
      fromQOrRefuse(line.mid(static_cast<qsizetype>(bad), line.at(bad).isHighSurrogate() ? 2 : 1));
      return std::nullopt;
    }
  }
  return out;
}

}  // namespace kessik
