// The editor pane's document and the files it shows: plain cp1251 text and
// RTF, both ways. The RTF itself is read and written by the library's
// converter; this layer moves its paragraphs and runs into a QTextDocument and
// back.
#pragma once

#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "texteditor/engine/rtf.h"

class QTextDocument;

namespace kessik {

// Replaces the document's content with the RTF model.
void setDocumentFromRtf(QTextDocument& document, const rtf::Document& model);
// The document as the RTF model (formats the model does not hold are left
// out).
rtf::Document rtfFromDocument(const QTextDocument& document);

// How the lines of a plain text file end, so that saving writes them back the
// same way.
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

// After a plain text was loaded into the document (one block per line), lets
// each block remember how its line ended in the file.
void markLineEndings(QTextDocument& document, const LineEndings& endings);

// The document's text as cp1251 bytes: each line with the ending its block
// remembers, or the fallback (lines added since loading, line breaks inside a
// paragraph); nothing (and a message shown) when a character has no place in
// cp1251. A no-break space stays one.
std::optional<std::string> plainTextBytes(const QTextDocument& document, LineEnding fallback);

}  // namespace kessik
