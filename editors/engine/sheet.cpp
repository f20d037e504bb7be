#include "editors/engine/sheet.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <cstdio>
#include <map>
#include <new>
#include <unordered_map>

#include "core/database.h"
#include "core/file_buf.h"
#include "platform/host.h"
#include "editors/engine/section.h"
#include "util/cp1251.h"
#include "util/crashpoint.h"
#include "platform/files.h"
#include "util/notify.h"
#include "util/paths.h"

namespace fs = std::filesystem;

namespace kessik {

// ---------------------------------------------------------------------------
// CSV

namespace {

// One field, quoted (its quotes doubled) when it holds a comma, a quote, CR
// or LF.
void appendField(std::string& out, std::string_view f) {
  if (f.find_first_of(",\"\r\n") == std::string_view::npos) {
    out += f;
    return;
  }
  out += '"';
  for (char c : f) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

}  // namespace

std::string csvLine(const CsvLine& fields) {
  std::string out;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i) out += ',';
    appendField(out, fields[i]);
  }
  out += "\r\n";
  return out;
}

CsvParse parseCsv(std::string_view text) {
  CsvParse out;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::size_t pos = 0, textLine = 1;
  auto fault = [&](const std::string& message) {
    out.ok = false;
    out.errorLine = textLine;
    out.error = message;
    out.lines.clear();
    return out;
  };
  while (pos < text.size()) {
    CsvLine line;
    std::string field;
    bool lineDone = false;
    while (!lineDone) {
      field.clear();
      if (pos < text.size() && text[pos] == '"') {
        ++pos;
        const std::size_t openedAt = textLine;
        for (;;) {
          if (pos >= text.size()) {
            textLine = openedAt;
            return fault(ru("кавычка поля не закрыта"));
          }
          char c = text[pos++];
          if (c == '"') {
            if (pos < text.size() && text[pos] == '"') {
              field += '"';
              ++pos;
              continue;
            }
            break;
          }
          if (c == '\n') ++textLine;
          field += c;
        }
        if (pos < text.size() && text[pos] != ',' && text[pos] != '\r' && text[pos] != '\n')
          return fault(ru("после закрывающей кавычки идёт текст"));
      } else {
        while (pos < text.size() && text[pos] != ',' && text[pos] != '\r' && text[pos] != '\n') {
          if (text[pos] == '"') return fault(ru("кавычка внутри поля без кавычек"));
          field += text[pos++];
        }
      }
      line.push_back(field);
      if (pos >= text.size()) {
        lineDone = true;
      } else if (text[pos] == ',') {
        ++pos;
      } else {
        // CR LF, LF, or a lone CR ends the line.
        if (text[pos] == '\r') ++pos;
        if (pos < text.size() && text[pos] == '\n') ++pos;
        ++textLine;
        lineDone = true;
      }
    }
    out.lines.push_back(std::move(line));
  }
  return out;
}

// ---------------------------------------------------------------------------
// Reading and exporting

std::vector<std::string> sheetHeader(const Schema& schema) {
  std::vector<std::string> out{std::string(kFileColumn)};
  for (const Row& r : schema.rows) out.push_back(r.name);
  return out;
}

namespace {

// While a record is read, its messages (a field the record lacks, a file
// that cannot be read) name the record file: a sheet reads many at once.
class NamingNotifier : public Notifier {
 public:
  NamingNotifier() : previous_(&notifier()) { setNotifier(this); }
  ~NamingNotifier() override { setNotifier(previous_); }
  NamingNotifier(const NamingNotifier&) = delete;
  NamingNotifier& operator=(const NamingNotifier&) = delete;

  std::string path;
  Answer show(const Message& m) override {
    Message named = m;
    if (!path.empty()) named.text = path + ": " + m.text;
    return previous_->show(named);
  }
  void beep() override { previous_->beep(); }

 private:
  Notifier* previous_;
};

// Record files 1, 2, 3 ... of a section folder read in order, each once (a
// name resolved against the open folder), decoded as the table shows them;
// messages name the file being read.
class SectionRecords {
 public:
  SectionRecords(const Schema& schema, const std::string& ishPath) : schema_(schema), ishPath_(ishPath) {
    if (!folderExists(ishPath)) return;
    host_ = platform::toHost(withoutTrailingBackslash(ishPath));
    if (host_) reader_.emplace(*host_);
  }
  bool exists() const { return reader_ && reader_->isOpen(); }

  // The number of entries of the folder: more than its records, for a bar.
  std::uint64_t entries() const {
    std::uint64_t n = 0;
    std::error_code ec;
    if (host_)
      for (fs::directory_iterator it(*host_, ec), end; !ec && it != end; it.increment(ec)) ++n;
    return n;
  }

  // The next record; false at the first number without a file.
  bool next() {
    file = recordFileName(++number);
    bytes.clear();
    const platform::ReadStatus status = reader_->read(file, bytes);
    const platform::SystemError why = platform::lastFailure();
    if (status == platform::ReadStatus::Missing) return false;
    naming_.path = ishPath_ + file;
    if (status == platform::ReadStatus::CannotOpen) {
      bytes.clear();
      messageBoxEx("Error, loading" + ishPath_ + file +
                       platform::failureLine(platform::FileDeed::Read, ishPath_ + file, why),
                   "Error", Icon::Error);
    }
    record.Parse(bytes, static_cast<std::int64_t>(bytes.size()));
    applyRecordNumber(schema_, record, static_cast<int>(number));
    view = decodeRecord(schema_, record);
    naming_.path.clear();
    return true;
  }

  std::uint64_t number = 0;
  std::string file;
  ByteString bytes;
  TZapisBaziZm record;
  RecordView view;

 private:
  const Schema& schema_;
  const std::string ishPath_;
  std::optional<fs::path> host_;
  std::optional<platform::FolderReader> reader_;
  NamingNotifier naming_;
};

// Shows the progress window for reading the section's records.
void startReading(Progress& progress, const std::string& ishPath, const SectionRecords& records) {
  progress.show();
  progress.setLine1(ishPath);
  progress.setStage(ru("Чтение записей раздела..."));
  progress.setMaximum(records.entries());
}

}  // namespace

std::optional<std::vector<SheetRecord>> readSection(const Schema& schema, const std::string& ishPath,
                                                    Progress& progress) {
  SectionRecords records(schema, ishPath);
  if (!records.exists()) return std::nullopt;
  std::vector<SheetRecord> out;
  while (records.next()) {
    SheetRecord r;
    r.file = records.file;
    r.bytes = records.bytes;
    r.record = records.record;
    r.view = std::move(records.view);
    out.push_back(std::move(r));
    progress.setPosition(records.number);
  }
  return out;
}

namespace {

// One CSV field of a cp1251 text, as UTF-8, after a comma unless it is the
// first of its line (the quoting of csvLine).
void appendCsvField(std::string& out, std::string_view cp1251, bool first) {
  if (!first) out += ',';
  const bool plain = std::all_of(cp1251.begin(), cp1251.end(), [](char c) { return (c & 0x80) == 0; });
  const std::string converted = plain ? std::string() : cp1251ToUtf8(cp1251);
  appendField(out, plain ? cp1251 : std::string_view(converted));
}

constexpr std::size_t kSheetPiece = 1 << 20;

SheetExport exportSheet(const Schema& schema, const std::string& ishPath, const SheetSink& sink, Progress& progress) {
  SheetExport r;
  SectionRecords records(schema, ishPath);
  if (!records.exists()) return r;
  startReading(progress, ishPath, records);
  std::string out;
  out.reserve(kSheetPiece + 4096);
  bool first = true;
  for (const std::string& name : sheetHeader(schema)) {
    appendCsvField(out, name, first);
    first = false;
  }
  out += "\r\n";
  while (records.next()) {
    appendCsvField(out, records.file, true);
    std::string unread;
    for (std::size_t i = 0; i < records.view.texts.size(); ++i) {
      appendCsvField(out, records.view.texts[i], false);
      if (!records.view.readable[i]) unread += (unread.empty() ? "" : ", ") + schema.rows[i].name;
    }
    out += "\r\n";
    if (!unread.empty()) r.unreadable.push_back(ishPath + records.file + ru(": не прочитано: ") + unread);
    if (out.size() >= kSheetPiece) {
      if (!sink(out)) return r;
      out.clear();
    }
    ++r.records;
    progress.setPosition(records.number);
  }
  r.ok = sink(out);
  return r;
}

// Closes the progress on every way out.
struct ProgressClose {
  Progress& p;
  ~ProgressClose() { p.close(); }
};

}  // namespace

SheetExport exportSectionCsv(const Schema& schema, const std::string& ishPath, const SheetSink& sink,
                             Progress& progress) {
  ProgressClose closing{progress};
  try {
    return exportSheet(schema, ishPath, sink, progress);
  } catch (const std::bad_alloc&) {
    messageDialog(Icon::Error, ru("Не хватает памяти для выгрузки раздела ") + ishPath + ".");
    return {};
  }
}

std::optional<std::string> exportSectionCsv(const Schema& schema, const std::string& ishPath, Progress& progress) {
  std::string csv;
  const SheetExport r = exportSectionCsv(
      schema, ishPath,
      [&](std::string_view piece) {
        csv += piece;
        return true;
      },
      progress);
  if (!r.ok) return std::nullopt;
  return csv;
}

// ---------------------------------------------------------------------------
// Importing

namespace {

// A text on one line: line breaks and other control characters (a header
// name of a CSV may hold any) become single blanks.
std::string oneLine(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20) {
      if (!out.empty() && out.back() != ' ') out += ' ';
      continue;
    }
    out += c;
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

}  // namespace

std::string problemLine(const SheetProblem& problem) {
  return oneLine(problem.file) + ": " + oneLine(problem.field) + ": " + oneLine(problem.message);
}

namespace {

// The cp1251 text of a UTF-8 value, or the message refusing it.
std::optional<std::string> toCp1251(const std::string& utf8, std::string& message) {
  if (auto t = utf8ToCp1251(utf8)) return t;
  auto c = firstUnmappable(utf8);
  if (!c || c->empty()) {
    message = ru("значение не является текстом UTF-8; не принято");
    return std::nullopt;
  }
  // The character itself has no cp1251 form: it is named by its code point.
  const auto* s = reinterpret_cast<const unsigned char*>(c->data());
  std::uint32_t cp = s[0];
  if (c->size() == 2) cp = ((s[0] & 0x1Fu) << 6) | (s[1] & 0x3Fu);
  if (c->size() == 3) cp = ((s[0] & 0x0Fu) << 12) | ((s[1] & 0x3Fu) << 6) | (s[2] & 0x3Fu);
  if (c->size() >= 4) cp = ((s[0] & 0x07u) << 18) | ((s[1] & 0x3Fu) << 12) | ((s[2] & 0x3Fu) << 6) | (s[3] & 0x3Fu);
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(cp));
  message = ru("символ ") + code + ru(" нельзя записать в кодировке Windows-1251; значение не принято");
  return std::nullopt;
}

// A value the editor's cell cannot hold: a control character (NUL, a line
// break, a tab ...). Named in the message; nothing when there is none.
std::optional<std::string> controlCharacterProblem(const std::string& cp1251) {
  for (unsigned char c : cp1251) {
    if (c >= 0x20 && c != 0x7F) continue;
    const char* name = c == 0 ? " (NUL)" : c == '\r' ? " (CR)" : c == '\n' ? " (LF)" : c == '\t' ? " (TAB)" : "";
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
    return ru("значение содержит управляющий символ ") + code + name +
           ru(", которого в ячейке таблицы быть не может; не принято");
  }
  return std::nullopt;
}

// The masks of the section as it will stand, counted, so that each check is
// one look-up however large the section.
class MaskCounts {
 public:
  explicit MaskCounts(const ZapListT& list) : list_(list) {
    counts_.reserve(list.size());
    for (const ZapEntry& e : list) ++counts_[e.mask];
  }
  // maskAllowed over the list, in one look-up.
  bool allowed(const Schema& schema, const std::string& mask, int exceptIndex) const {
    if (schema.masks == MaskRule::Repeatable) return true;
    if (!schema.freeMask.empty() && mask == schema.freeMask) return true;
    auto it = counts_.find(mask);
    int others = it == counts_.end() ? 0 : it->second;
    if (exceptIndex >= 0 && exceptIndex < static_cast<int>(list_.size()) && list_[exceptIndex].mask == mask) --others;
    return others == 0;
  }

 private:
  const ZapListT& list_;
  std::unordered_map<std::string, int> counts_;
};

// The text of a cell whose value could not be read when it was exported
// ("<не прочитано: ...>").
bool isUnreadableMark(const std::string& text) {
  static const std::string mark = [] {
    const std::string any = unreadableText(1, true);
    return any.substr(0, any.find(':') + 1);
  }();
  return text.compare(0, mark.size(), mark) == 0;
}

// Rows whose column is read but not applied: their cell is a description, or
// their field could not be read.
bool columnIgnored(const Schema& schema, const RecordView& view, int row) {
  return showsDescription(schema.rows[row].codec) || !view.readable[row];
}

struct Pending {
  int index = 0;                   // record list index
  std::vector<std::string> texts;  // the imported texts, one per row
};

}  // namespace

namespace {

void importSheet(const Schema& schema, const std::string& ishPath, std::string_view csvUtf8,
                 const std::string& csvName, bool dryRun, Progress& progress, const SectionLock* held,
                 ImportOutcome& out) {
  auto problem = [&](std::string file, std::string field, std::string message) {
    out.problems.push_back({std::move(file), std::move(field), std::move(message)});
  };
  const std::string fileColumn(kFileColumn);

  // A sheet saved in another encoding (cp1251, say) is refused whole, at
  // its first byte that is no UTF-8: no value of it is taken as some other
  // character.
  if (auto bad = firstInvalidUtf8(csvUtf8)) {
    const std::size_t line = 1 + static_cast<std::size_t>(std::count(csvUtf8.begin(), csvUtf8.begin() + *bad, '\n'));
    char byte[8];
    std::snprintf(byte, sizeof byte, "%02X", static_cast<unsigned>(static_cast<unsigned char>(csvUtf8[*bad])));
    problem(csvName, ru("строка ") + std::to_string(line),
            ru("файл не в кодировке UTF-8 (байт ") + byte + ru(" по смещению ") + std::to_string(*bad) +
                ru(" не UTF-8; не сохранён ли он в Windows-1251?). Сохраните его в UTF-8"));
    return;
  }
  CsvParse csv = parseCsv(csvUtf8);
  if (!csv.ok) {
    problem(csvName, ru("строка ") + std::to_string(csv.errorLine), ru("неверный CSV: ") + csv.error);
    return;
  }
  if (csv.lines.empty()) {
    problem(csvName, fileColumn, ru("файл пуст: нет строки заголовка"));
    return;
  }

  // The header: "File" and every field name, each once.
  const int rowCount = static_cast<int>(schema.rows.size());
  int fileCol = -1;
  std::vector<int> columnOfRow(rowCount, -1);
  for (std::size_t c = 0; c < csv.lines[0].size(); ++c) {
    std::string message;
    auto name = toCp1251(csv.lines[0][c], message);
    if (!name) {
      problem(csvName, ru("столбец ") + std::to_string(c + 1), message);
      continue;
    }
    if (*name == fileColumn) {
      if (fileCol >= 0) problem(csvName, *name, ru("столбец повторяется в заголовке"));
      fileCol = static_cast<int>(c);
      continue;
    }
    // A name that several rows share goes to the first of them still
    // without a column, so the k-th such column is the k-th such row.
    int row = -1;
    bool known = false;
    for (int r = 0; r < rowCount && row < 0; ++r) {
      if (schema.rows[r].name != *name) continue;
      known = true;
      if (columnOfRow[r] < 0) row = r;
    }
    if (!known) {
      problem(csvName, *name, ru("в разделе ") + schema.folder + ru(" нет поля с таким именем"));
      continue;
    }
    if (row < 0) {
      problem(csvName, *name, ru("столбец повторяется в заголовке"));
      continue;
    }
    columnOfRow[row] = static_cast<int>(c);
  }
  if (fileCol < 0) problem(csvName, fileColumn, ru("в заголовке нет столбца с именами файлов записей"));
  for (int r = 0; r < rowCount; ++r)
    if (columnOfRow[r] < 0) problem(csvName, schema.rows[r].name, ru("в заголовке нет столбца этого поля"));
  if (!out.problems.empty()) return;

  // Held from before the section is read until its records are written, so
  // that no other run changes it in between.
  std::optional<SectionLock> own;
  if (!dryRun && !held) held = &own.emplace(ishPath);
  if (held && !held->held()) {
    problem(ishPath, fileColumn, held->busyText() + ru(" Ничего не записано."));
    return;
  }

  progress.show();
  progress.setLine1(ishPath);
  progress.setStage(ru("Чтение записей раздела..."));
  auto records = readSection(schema, ishPath, progress);
  progress.close();
  if (!records) {
    problem(ishPath, fileColumn, ru("папки раздела нет"));
    return;
  }
  std::map<std::string, int> indexOf;
  for (int i = 0; i < static_cast<int>(records->size()); ++i) indexOf[(*records)[i].file] = i;

  // Every line: its record and its texts.
  std::vector<Pending> pending;
  std::vector<bool> named(records->size(), false);
  const std::size_t width = csv.lines[0].size();
  for (std::size_t l = 1; l < csv.lines.size(); ++l) {
    const CsvLine& line = csv.lines[l];
    if (line.size() == 1 && line[0].empty() && width > 1) continue;  // a blank line
    const std::string where = ru("строка ") + std::to_string(l + 1);
    std::string message;
    std::optional<std::string> file = fileCol < static_cast<int>(line.size())
                                          ? toCp1251(line[fileCol], message)
                                          : std::optional<std::string>(std::string());
    std::string fileName = file ? *file : where;
    if (line.size() != width) {
      problem(fileName, fileColumn,
              where + ru(": значений ") + std::to_string(line.size()) + ru(", а столбцов ") + std::to_string(width));
      continue;
    }
    if (!file) {
      problem(where, fileColumn, message);
      continue;
    }
    auto it = indexOf.find(*file);
    if (it == indexOf.end()) {
      problem(fileName, fileColumn, ru("в папке ") + ishPath + ru(" нет такого файла записи"));
      continue;
    }
    const int index = it->second;
    if (named[index]) {
      problem(fileName, fileColumn, ru("запись названа в файле второй раз (") + where + ")");
      continue;
    }
    named[index] = true;
    ++out.lines;

    const SheetRecord& rec = (*records)[index];
    Pending p;
    p.index = index;
    p.texts = rec.view.texts;
    bool valuesOk = true, marked = false;
    for (int r = 0; r < rowCount; ++r) {
      if (columnIgnored(schema, rec.view, r)) continue;
      auto text = toCp1251(line[columnOfRow[r]], message);
      if (!text) {
        problem(fileName, schema.rows[r].name, message);
        valuesOk = false;
        continue;
      }
      // A text the table already shows is no edit, whatever it holds.
      if (*text != rec.view.texts[r]) {
        // An export's mark of a value it could not read is no value: the
        // record is left as it is.
        if (isUnreadableMark(*text)) {
          if (!marked)
            out.skipped.push_back({fileName, schema.rows[r].name,
                                   ru("в ячейке пометка выгрузки о непрочитанном значении, а не значение; запись "
                                      "пропущена")});
          marked = true;
          continue;
        }
        if (auto bad = controlCharacterProblem(*text)) {
          problem(fileName, schema.rows[r].name, *bad);
          valuesOk = false;
          continue;
        }
      }
      p.texts[r] = std::move(*text);
    }
    if (!valuesOk || marked || p.texts == rec.view.texts) continue;
    pending.push_back(std::move(p));
  }
  // The sheet's texts are all in `pending` now.
  csv = CsvParse{};

  // The masks as the section will stand after the import.
  ZapListT finalList;
  for (SheetRecord& r : *records) finalList.push_back({r.file, maskOf(r.record)});
  for (Pending& p : pending) {
    if ((*records)[p.index].view.readable[0]) finalList[p.index].mask = p.texts[0];
  }

  const MaskCounts masks(finalList);

  // Check and rebuild every changed record, as "Сохранить" does.
  std::vector<RecordBytes> writes;
  // Each record is let go once its new bytes are built: at most one
  // section's records and the new bytes are held at a time.
  for (Pending& p : pending) {
    SheetRecord& rec = (*records)[p.index];
    RecordView view = std::move(rec.view);
    view.texts = std::move(p.texts);
    CheckContext context;
    context.recordIndex = p.index;
    context.maskAllowed = [&](const std::string& mask) { return masks.allowed(schema, mask, p.index); };
    auto failures = checkRows(schema, view, context);
    for (const RowFailure& f : failures) problem(rec.file, schema.rows[f.row].name, f.message);
    if (failures.empty()) {
      TZapisBaziZm& record = rec.record;
      BuildResult built = encodeRecord(schema, view, record);
      if (!built.ok)
        problem(rec.file, schema.rows[built.row >= 0 ? built.row : 0].name, built.error);
      else if (record.Bytes != rec.bytes)
        writes.push_back({rec.file, std::move(record.Bytes)});
    }
    rec.record = TZapisBaziZm();
    rec.bytes = ByteString();
  }
  pending = {};
  std::stable_sort(out.problems.begin(), out.problems.end(), [&](const SheetProblem& a, const SheetProblem& b) {
    auto order = [&](const SheetProblem& s) {
      auto it = indexOf.find(s.file);
      return it == indexOf.end() ? -1 : it->second;
    };
    return order(a) < order(b);
  });
  if (!out.problems.empty()) return;
  if (dryRun) {
    out.changed = static_cast<int>(writes.size());
    return;
  }

  if (writes.empty()) return;
  // The records are no longer needed: only the new bytes are held now.
  records.reset();
  const SectionSave saved = saveSectionRecords(ishPath, std::move(writes), progress, held);
  out.changed = static_cast<int>(saved.written);
  out.writeFailed = !saved.ok;
}

}  // namespace

ImportOutcome importSectionCsv(const Schema& schema, const std::string& ishPath, std::string_view csvUtf8,
                               const std::string& csvName, bool dryRun, Progress& progress,
                               const SectionLock* held) {
  ImportOutcome out;
  try {
    importSheet(schema, ishPath, csvUtf8, csvName, dryRun, progress, held, out);
  } catch (const std::bad_alloc&) {
    progress.close();
    // Records already written stay written, each one whole.
    if (out.changed > 0) out.writeFailed = true;
    out.problems.clear();
    out.problems.push_back({csvName, std::string(kFileColumn),
                            ru("не хватает памяти для импорта в ") + ishPath +
                                (out.changed > 0 ? ru("; записано файлов: ") + std::to_string(out.changed)
                                                 : ru("; ничего не записано"))});
  }
  return out;
}

}  // namespace kessik
