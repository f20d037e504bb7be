// The editor pane's document and the files it shows: plain cp1251 text and
// RTF, both ways. The RTF itself is read and written by the library's
// converter; this layer moves its paragraphs and runs into a QTextDocument and
// back.
#pragma once

#include <QString>

#include <optional>
#include <string>

#include "texteditor/rtf/rtf.h"

class QTextDocument;

namespace kessik {

// Replaces the document's content with the RTF model.
void setDocumentFromRtf(QTextDocument& document, const rtf::Document& model);
// The document as the RTF model (formats the model does not hold are left
// out).
rtf::Document rtfFromDocument(const QTextDocument& document);

// How a plain text file ends its lines, so that saving writes them back the
// same way.
enum class LineEnding { CrLf, Lf };
LineEnding lineEndingOf(std::string_view bytes);

// The document's text as it is in the pane, lines joined by the ending; a
// no-break space stays one.
QString documentText(const QTextDocument& document);
// That text as cp1251 bytes with the line ending; nothing (and a message
// shown) when a character has no place in cp1251.
std::optional<std::string> plainTextBytes(const QTextDocument& document, LineEnding ending);

}  // namespace kessik
