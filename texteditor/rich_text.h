// The editor pane's document and the files it shows: plain cp1251 text and
// RTF, both ways. The RTF itself is read and written by the library's
// converter; this layer moves its paragraphs and runs into a QTextDocument and
// back.
#pragma once

#include <QString>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "texteditor/engine/plain_text.h"
#include "texteditor/engine/rtf.h"

class QTextCursor;
class QTextDocument;

namespace kessik {

// Fills an emptied document with RTF paragraphs, one after another (as the
// reader hands them over).
class RtfFiller {
 public:
  explicit RtfFiller(QTextDocument& document);
  ~RtfFiller();
  RtfFiller(const RtfFiller&) = delete;
  RtfFiller& operator=(const RtfFiller&) = delete;
  void add(const rtf::Paragraph& paragraph);

 private:
  std::unique_ptr<QTextCursor> cursor_;
  bool first_ = true;
};

// Replaces the document's content with the RTF model.
void setDocumentFromRtf(QTextDocument& document, const rtf::Document& model);
// The document as the RTF model (formats the model does not hold are left
// out). With linesAreParagraphs (a plain text) a line break inside a block
// ends a paragraph, as every line of the text is one.
rtf::Document rtfFromDocument(const QTextDocument& document, bool linesAreParagraphs = false);

using texted::LineEnding;

// Appends a decoded piece of a plain text at the document's end; each block
// it closes remembers how its line ended in the file.
void appendPlainChunk(QTextDocument& document, const texted::PlainChunk& chunk);

// The document's text as cp1251 bytes: each block's line with the ending the
// block remembers, or the fallback (lines added since loading); a line break
// inside a block with the joined ending; nothing (and a message shown) when a
// character has no place in cp1251. A no-break space stays one.
std::optional<std::string> plainTextBytes(const QTextDocument& document, LineEnding joined, LineEnding fallback);

}  // namespace kessik
