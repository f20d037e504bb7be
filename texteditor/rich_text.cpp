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

void setDocumentFromRtf(QTextDocument& document, const rtf::Document& model) {
  document.clear();
  QTextCursor cursor(&document);
  cursor.beginEditBlock();
  bool first = true;
  for (const rtf::Paragraph& p : model.paragraphs) {
    QTextBlockFormat block;
    block.setAlignment(toQt(p.align));
    if (first)
      cursor.setBlockFormat(block);
    else
      cursor.insertBlock(block, QTextCharFormat());
    first = false;
    for (const rtf::Run& r : p.runs) {
      QString text = fromUtf8(r.text);
      text.replace(QLatin1Char('\n'), QChar(QChar::LineSeparator));
      cursor.insertText(text, toQt(r.format));
    }
  }
  cursor.endEditBlock();
}

rtf::Document rtfFromDocument(const QTextDocument& document) {
  rtf::Document model;
  for (QTextBlock b = document.begin(); b.isValid(); b = b.next()) {
    rtf::Paragraph p;
    p.align = fromQt(b.blockFormat().alignment());
    for (auto it = b.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (!fragment.isValid()) continue;
      QString text = fragment.text();
      text.replace(QChar(QChar::LineSeparator), QLatin1Char('\n'));
      p.runs.push_back(rtf::Run{text.toStdString(), fromQt(fragment.charFormat())});
    }
    model.paragraphs.push_back(std::move(p));
  }
  rtf::normalize(model);
  return model;
}

LineEndings lineEndingsOf(std::string_view bytes) {
  LineEndings out;
  int counts[3] = {0, 0, 0};
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
  for (LineEnding e : {LineEnding::Lf, LineEnding::Cr})
    if (counts[static_cast<int>(e)] > counts[static_cast<int>(out.dominant)]) out.dominant = e;
  return out;
}

void markLineEndings(QTextDocument& document, const LineEndings& endings) {
  // The pane breaks lines exactly where lineEndingsOf found endings; should
  // the counts ever differ, no block claims an ending it may not have had.
  if (static_cast<std::size_t>(document.blockCount()) != endings.lines.size() + 1) return;
  QTextBlock b = document.begin();
  for (LineEnding e : endings.lines) {
    b.setUserState(static_cast<int>(e));
    b = b.next();
  }
}

std::optional<std::string> plainTextBytes(const QTextDocument& document, LineEnding fallback) {
  auto text = [](LineEnding e) {
    switch (e) {
      case LineEnding::Lf: return QStringLiteral("\n");
      case LineEnding::Cr: return QStringLiteral("\r");
      case LineEnding::CrLf: break;
    }
    return QStringLiteral("\r\n");
  };
  QString out;
  for (QTextBlock b = document.begin(); b.isValid(); b = b.next()) {
    out += b.text().replace(QChar(QChar::LineSeparator), text(fallback));
    if (b.next().isValid()) {
      const int state = b.userState();
      const bool known = state >= 0 && state <= static_cast<int>(LineEnding::Cr);
      out += text(known ? static_cast<LineEnding>(state) : fallback);
    }
  }
  return fromQOrRefuse(out);
}

}  // namespace kessik
