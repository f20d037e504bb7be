// A section as a sheet: every record one line, every row of the schema one
// column, each value the text the editor's table shows. Exporting writes it
// as CSV (RFC 4180, UTF-8); importing applies such a CSV to the section as
// the editor's "Сохранить" would, record by record, with the same checks, the
// same normalisation and the same rules between rows, and writes nothing
// unless every line passes.
//
//   std::string csv = exportSectionCsv(schema, ishPath);   // the section's folder
//   ImportOutcome r = importSectionCsv(schema, ishPath, csv, "C:\\prints1.csv");
//   for (auto& p : r.problems) print(problemLine(p));   // nothing was written
//
// Texts inside are cp1251; the CSV itself is UTF-8. Qt-free.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/node.h"
#include "core/progress.h"
#include "core/record.h"
#include "core/section_save.h"
#include "editors/engine/schema.h"

namespace kessik {

// ---------------------------------------------------------------------------
// CSV (RFC 4180): fields holding a comma, a quote, CR or LF are quoted and
// their quotes doubled; lines end with CR LF on output; LF alone is accepted
// on input, and so is a UTF-8 byte order mark before the first field.

using CsvLine = std::vector<std::string>;

// One line with its CR LF.
std::string csvLine(const CsvLine& fields);

struct CsvParse {
  std::vector<CsvLine> lines;
  bool ok = true;
  std::size_t errorLine = 0;  // 1-based text line of the fault when not ok
  std::string error;          // cp1251
};
// Splits the text into lines of fields. A final line break adds no line.
// A quote left open, or text after a closing quote, is a fault.
CsvParse parseCsv(std::string_view text);

// ---------------------------------------------------------------------------
// The section as the editor shows it

// The name of the record-file column, first in every sheet.
inline constexpr std::string_view kFileColumn = "File";

// "File" and the field names of the rows, in row order (cp1251).
std::vector<std::string> sheetHeader(const Schema& schema);

struct SheetRecord {
  std::string file;     // "0000001.zap"
  ByteString bytes;     // the record file as read
  TZapisBaziZm record;  // parsed; the record-number rule applied in memory
  RecordView view;      // the table's texts
};

// Reads record files 1, 2, 3 ... of the section folder up to the first
// missing one and decodes each by the schema, as the editor's table shows it
// after its scan. Nothing is written (the scan's record-number fix is applied
// in memory only). Nothing when the folder does not exist.
// The progress goes up by one per record read (its stage and maximum are the
// caller's).
std::optional<std::vector<SheetRecord>> readSection(const Schema& schema, const std::string& ishPath,
                                                    Progress& progress = noProgress());

// Where a sheet goes, piece by piece (UTF-8); false when a piece could not
// be written, which ends the export.
using SheetSink = std::function<bool(std::string_view)>;

struct SheetExport {
  bool ok = false;  // false: no such folder, a piece not written, or too little memory
  int records = 0;
  // One line per record with a row that could not be read (its cell holds
  // "<не прочитано: ...>"): "FILE: не прочитано: row, row" (cp1251).
  std::vector<std::string> unreadable;
};

// The sheet of the section as CSV (UTF-8, CR LF line ends), written to the
// sink as the records are read: one pass, each record file read once, the
// text handed on in large pieces.
SheetExport exportSectionCsv(const Schema& schema, const std::string& ishPath, const SheetSink& sink,
                             Progress& progress = noProgress());
// The same as one text. Nothing when the folder does not exist.
std::optional<std::string> exportSectionCsv(const Schema& schema, const std::string& ishPath,
                                            Progress& progress = noProgress());

// ---------------------------------------------------------------------------
// Applying a sheet

struct SheetProblem {
  std::string file;     // the record file, or the CSV's path for the header
  std::string field;    // the column's field name ("File" for the file column)
  std::string message;  // cp1251
};
// "FILE: field name: message" on one line (cp1251; line breaks and other
// control characters in any of the three become blanks).
std::string problemLine(const SheetProblem& problem);

struct ImportOutcome {
  std::vector<SheetProblem> problems;  // nothing was written when not empty
  // Records left as they were because a cell of theirs holds an export's
  // mark of a value it could not read ("<не прочитано: ...>"), one each (its
  // first such cell); the others are written.
  std::vector<SheetProblem> skipped;
  int lines = 0;     // records named by the sheet
  int changed = 0;   // record files written
  bool writeFailed = false;  // a file could not be written (its message shown)
};

// Applies a CSV (UTF-8) to the section. A text that is not UTF-8 throughout
// (overlong forms, surrogates, stray bytes: a sheet saved in cp1251) is
// refused at its first such byte, with its line. The header holds "File" and field
// names of the schema, each once, in any order; every field name of the
// schema must be there. Each line names a record file of the section; its
// values replace the table's texts (columns of raw and sound-list rows, and
// of rows that could not be read, are ignored). A line whose values all equal
// the table's texts leaves its record alone. Every other line is checked as
// "Сохранить" checks, the mask against the masks the section will have after
// the import, and rebuilt; its file is written when its bytes change. A line
// with an export's mark of an unreadable value in a readable row is skipped
// (see ImportOutcome::skipped). When any problem is found nothing is written. csvName names the CSV in header
// problems. With dryRun nothing is written either way; `changed` then counts
// the files that would be written.
// Reading the section and writing the changed records report their progress.
// The changed records are written all or nothing (saveSectionRecords: a
// section of its own built beside the folder and swapped in, or one by one
// when they are few). A real import holds the lock of the section's database
// folder from before it reads the section until it has written it (held:
// the caller's, which it holds already); while another run holds it the
// import is refused.
ImportOutcome importSectionCsv(const Schema& schema, const std::string& ishPath, std::string_view csvUtf8,
                               const std::string& csvName, bool dryRun = false,
                               Progress& progress = noProgress(), const SectionLock* held = nullptr);

}  // namespace kessik
