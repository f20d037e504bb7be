#include "editors/schemas/tree.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <unordered_map>

#include "core/codecs.h"
#include "core/database.h"
#include "core/file_buf.h"
#include "editors/schemas/registry.h"
#include "editors/schemas/window_table.h"
#include "platform/host.h"
#include "util/cp1251.h"
#include "platform/files.h"
#include "util/notify.h"
#include "util/paths.h"

namespace kessik {
namespace {

// Every known schema once, in the order of the window table.
std::vector<const Schema*> knownSchemas() {
  std::vector<const Schema*> out;
  std::set<std::string> seen;
  for (const WindowEntry& w : windowTable()) {
    const Schema* s = findSchema(w.schemaFolder);
    if (s && seen.insert(w.schemaFolder).second) out.push_back(s);
  }
  return out;
}

std::string slashed(std::string folder) {
  folder = withoutTrailingBackslash(folder);
  std::replace(folder.begin(), folder.end(), '\\', '/');
  return folder;
}

TreeSection sectionOf(const Schema* schema, const std::string& root) {
  return {schema, slashed(schema->folder), withTrailingBackslash(root) + schema->folder};
}

// Collects the messages the record reading shows, each named by its file.
class CollectingNotifier : public Notifier {
 public:
  CollectingNotifier() : previous_(setNotifier(this)) {}
  ~CollectingNotifier() override { setNotifier(previous_); }
  CollectingNotifier(const CollectingNotifier&) = delete;
  CollectingNotifier& operator=(const CollectingNotifier&) = delete;

  std::vector<std::string> texts;
  Answer show(const Message& m) override {
    texts.push_back(m.text);
    return defaultAnswer(m.buttons);
  }

 private:
  Notifier* previous_;
};

std::string hexOf(std::string_view bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i == 16) return out + " ...";
    auto b = static_cast<unsigned char>(bytes[i]);
    if (!out.empty()) out += ' ';
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out.empty() ? ru("(пусто)") : out;
}

// The bytes a row's value occupies in the record as stored, and whether the
// row is one a plain text round trip describes (rows whose value is kept in a
// slot, computed by a rule or shares its bytes with another row are not).
struct RowBytes {
  bool comparable = false;
  ByteString bytes;
};

RowBytes storedBytes(const Schema& schema, int r, TZapisBaziZm& record) {
  const Row& row = schema.rows[r];
  RowBytes out;
  if (row.slot || showsDescription(row.codec)) return out;
  if (row.place.where == Where::NamePart || row.place.where == Where::DescPart) return out;
  for (const auto& m : schema.minMax)
    if (m.minRow == r || m.maxRow == r) return out;
  for (const auto& t : schema.typeIds)
    if (t.idRow == r) return out;
  auto field = record.FieldOrNothing(row.place.field);
  if (!field) return out;
  std::string_view data = *field;
  switch (row.place.where) {
    case Where::Field:
      out.bytes = ByteString(data);
      break;
    case Where::Item:
      for (int k = 1; k <= row.place.item; ++k) out.bytes = takeItem(data);
      break;
    case Where::Bytes:
      if (row.place.from < 1 || static_cast<std::size_t>(row.place.from - 1) >= data.size()) return out;
      out.bytes = ByteString(data.substr(row.place.from - 1, row.place.to - row.place.from + 1));
      break;
    default:
      return out;
  }
  out.comparable = true;
  return out;
}

// The sections present below either root, by name.
std::map<std::string, TreeSection> sectionsByName(const std::string& root) {
  std::map<std::string, TreeSection> out;
  for (const TreeSection& s : sectionsOfRoot(root)) out.emplace(s.name, s);
  return out;
}

std::string inQuotes(const std::string& text) { return ru("«") + text + ru("»"); }

}  // namespace

std::vector<TreeSection> sectionsOfRoot(const std::string& root) {
  std::vector<TreeSection> out;
  for (const Schema* s : knownSchemas()) {
    TreeSection section = sectionOf(s, root);
    if (folderExists(section.folder)) out.push_back(section);
  }
  return out;
}

bool isSourceRoot(const std::string& folder) {
  std::set<std::string> databases;
  for (const Schema* s : knownSchemas()) databases.insert(s->folder.substr(0, s->folder.find('\\')));
  for (const auto& db : databases)
    if (folderExists(withTrailingBackslash(folder) + db + "\\")) return true;
  return false;
}

// ---------------------------------------------------------------------------
// Checking

std::vector<std::string> checkTree(const std::string& root) {
  std::vector<std::string> lines;
  for (const TreeSection& section : sectionsOfRoot(root)) {
    const Schema& schema = *section.schema;
    std::optional<std::vector<SheetRecord>> records;
    {
      CollectingNotifier collect;
      records = readSection(schema, section.folder);
      for (const auto& t : collect.texts) lines.push_back(t);
    }
    if (!records) continue;

    // Record files past the first missing number: the editor never sees them.
    std::uint64_t last = 0;
    for (const auto& e : listFolder(section.folder).entries) {
      if (e.kind != EntryKind::File || e.name.size() < 11 || upperCase(e.name.substr(e.name.size() - 4)) != ".ZAP")
        continue;
      const std::string digits = e.name.substr(0, e.name.size() - 4);
      if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) continue;
      if (recordFileName(std::stoull(digits)) != e.name) continue;
      last = std::max<std::uint64_t>(last, std::stoull(digits));
    }
    if (last > records->size())
      lines.push_back(section.folder + ru(": пропуск в нумерации: нет файла ") + recordFileName(records->size() + 1) +
                      ru(", записи после него (до ") + recordFileName(last) + ru(") редактор не видит"));

    // Rows that cannot be read, or whose text would not give their bytes back.
    for (SheetRecord& r : *records) {
      const std::string path = section.folder + r.file;
      // A record file that is no whole record, or whose fields do not fill
      // it: packing refuses the one, the editor misreads the other.
      const RecordCheck whole = checkRecordNode(r.bytes, true);
      if (whole.fault != RecordFault::None) lines.push_back(path + ": " + recordFaultText(whole, r.bytes.size()));
      // The number the record keeps of itself, where the section has one:
      // the editor writes the right one over it when it scans the folder.
      if (schema.recordNumber) {
        const Row& numberRow = schema.rows[schema.recordNumber->row];
        TZapisBaziZm stored;
        stored.Parse(r.bytes, static_cast<std::int64_t>(r.bytes.size()));
        const auto field = stored.FieldOrNothing(numberRow.place.field);
        const int k = static_cast<int>(&r - records->data()) + 1;
        if (applyRecordNumber(schema, stored, k))
          lines.push_back(path + ": " + numberRow.name + ru(": хранится ") +
                          (field && field->size() >= 4 ? inQuotes(decode(Codec::Int32, *field)) : ru("(пусто)")) +
                          ru(", а по номеру файла должно быть ") + std::to_string(k + schema.recordNumber->offset) +
                          ru("; редактор перепишет его, когда откроет раздел"));
      }
      for (std::size_t i = 0; i < schema.rows.size(); ++i) {
        const Row& row = schema.rows[i];
        if (!r.view.readable[i]) {
          lines.push_back(path + ": " + row.name + ": " + r.view.texts[i]);
          continue;
        }
        RowBytes stored = storedBytes(schema, static_cast<int>(i), r.record);
        if (!stored.comparable || i == 0) continue;
        EncodeResult again = encode(row.codec, r.view.texts[i], row.itemType);
        if (again.ok && again.bytes == stored.bytes) continue;
        lines.push_back(path + ": " + row.name + ": " + ru("значение ") + inQuotes(r.view.texts[i]) +
                        ru(" после правки запишется как ") + (again.ok ? hexOf(again.bytes) : again.error) +
                        ru(", а хранится ") + hexOf(stored.bytes));
      }
    }

    // Masks repeated where they must be unique.
    if (schema.masks == MaskRule::Unique) {
      std::map<std::string, std::vector<std::string>> files;
      for (const SheetRecord& r : *records)
        if (!r.view.texts.empty() && r.view.texts[0] != schema.freeMask) files[r.view.texts[0]].push_back(r.file);
      for (const auto& [mask, names] : files) {
        if (names.size() < 2) continue;
        std::string list;
        for (const auto& n : names) list += (list.empty() ? "" : ", ") + n;
        lines.push_back(section.folder + ru(": маска ") + inQuotes(mask) + ru(" повторяется: ") + list);
      }
    }
  }
  return lines;
}

// ---------------------------------------------------------------------------
// Comparing

std::vector<std::string> diffTrees(const std::string& rootA, const std::string& rootB) {
  std::vector<std::string> lines;
  const auto a = sectionsByName(rootA), b = sectionsByName(rootB);
  std::set<std::string> names;
  for (const auto& [n, s] : a) names.insert(n);
  for (const auto& [n, s] : b) names.insert(n);
  for (const std::string& name : names) {
    auto ia = a.find(name), ib = b.find(name);
    if (ia == a.end() || ib == b.end()) {
      lines.push_back(name + (ia == a.end() ? ru(": раздел добавлен") : ru(": раздел удалён")));
      continue;
    }
    const Schema& schema = *ia->second.schema;
    std::vector<SheetRecord> ra, rb;
    {
      CollectingNotifier quiet;  // unreadable records show as their rows do
      ra = readSection(schema, ia->second.folder).value_or(std::vector<SheetRecord>());
      rb = readSection(schema, ib->second.folder).value_or(std::vector<SheetRecord>());
    }
    // Match by mask when every mask is unique on both sides, else by number.
    auto uniqueMasks = [&](const std::vector<SheetRecord>& rs) {
      std::set<std::string> seen;
      for (const auto& r : rs)
        if (!seen.insert(r.view.texts.empty() ? std::string() : r.view.texts[0]).second) return false;
      return true;
    };
    const bool byMask = schema.masks == MaskRule::Unique && schema.freeMask.empty() && uniqueMasks(ra) && uniqueMasks(rb);
    auto keyOf = [&](const SheetRecord& r) { return byMask ? r.view.texts[0] : r.file; };
    auto label = [&](const SheetRecord& r) {
      return r.file + " " + inQuotes(r.view.texts.empty() ? std::string() : r.view.texts[0]);
    };
    std::unordered_map<std::string, const SheetRecord*> inB;
    for (const auto& r : rb) inB[keyOf(r)] = &r;
    std::set<std::string> matched;
    for (const auto& r : ra) {
      auto it = inB.find(keyOf(r));
      if (it == inB.end()) {
        lines.push_back(name + ru(": удалена запись ") + label(r));
        continue;
      }
      matched.insert(it->first);
      const SheetRecord& other = *it->second;
      std::vector<std::string> rows;
      for (std::size_t i = 0; i < schema.rows.size(); ++i) {
        const std::string& ta = r.view.texts[i];
        const std::string& tb = other.view.texts[i];
        bool differs = ta != tb;
        // Raw and sound rows show a description: compare their bytes.
        if (!differs && schema.rows[i].slot) differs = r.view.slotData[i] != other.view.slotData[i];
        if (differs) rows.push_back(name + ": " + label(other) + ": " + schema.rows[i].name + ": " + ta + " -> " + tb);
      }
      if (!rows.empty() && byMask && r.file != other.file)
        lines.push_back(name + ": " + label(other) + ru(": была ") + r.file);
      lines.insert(lines.end(), rows.begin(), rows.end());
    }
    for (const auto& r : rb)
      if (!matched.count(keyOf(r))) lines.push_back(name + ru(": добавлена запись ") + label(r));
  }
  return lines;
}

// ---------------------------------------------------------------------------
// Sheets of the whole tree

std::string sheetFileOf(const std::string& outputFolder, const TreeSection& section) {
  std::string folder = withTrailingBackslash(outputFolder) + section.schema->folder;
  return withoutTrailingBackslash(folder) + ".csv";
}

TreeExport exportTree(const std::string& root, const std::string& outputFolder) {
  TreeExport out;
  for (const TreeSection& section : sectionsOfRoot(root)) {
    const std::string file = sheetFileOf(outputFolder, section);
    createFolderTree(folderPart(file));
    auto host = platform::toHost(file);
    std::optional<platform::ReplacingFile> sheet;
    if (host) sheet.emplace(*host);
    if (!sheet || !sheet->isOpen()) {
      out.problems.push_back(ru("не записан ") + file);
      continue;
    }
    const SheetExport r = exportSectionCsv(*section.schema, section.folder,
                                           [&](std::string_view piece) { return sheet->write(piece); });
    if (!r.ok || !sheet->commit()) {
      out.problems.push_back(ru("не записан ") + file);
      continue;
    }
    out.unreadable.insert(out.unreadable.end(), r.unreadable.begin(), r.unreadable.end());
    ++out.sections;
  }
  return out;
}

TreeImport importTree(const std::string& root, const std::string& sheetFolder) {
  TreeImport out;
  struct Planned {
    TreeSection section;
    std::string file;
    ByteString csv;
  };
  std::vector<Planned> planned;
  const std::string sheets = withTrailingBackslash(sheetFolder);

  // Every CSV two levels down names a section: "items\2.csv".
  for (const auto& db : listFolder(sheets).entries) {
    if (db.kind != EntryKind::Folder || db.name == "." || db.name == "..") continue;
    for (const auto& f : listFolder(sheets + db.name + "\\").entries) {
      if (f.kind != EntryKind::File || f.name.size() < 5 || upperCase(f.name.substr(f.name.size() - 4)) != ".CSV")
        continue;
      const std::string file = sheets + db.name + "\\" + f.name;
      const std::string schemaFolder = db.name + "\\" + f.name.substr(0, f.name.size() - 4) + "\\";
      const Schema* schema = findSchema(schemaFolder);
      if (!schema) {
        out.problems.push_back(file + ru(": раздел ") + slashed(schemaFolder) + ru(" неизвестен"));
        continue;
      }
      TreeSection section = sectionOf(schema, root);
      if (!folderExists(section.folder)) {
        out.problems.push_back(file + ru(": в исходнике нет папки ") + section.folder);
        continue;
      }
      TFileInString buffer;
      CollectingNotifier collect;
      if (!buffer.LoadFromFile(file)) {
        out.problems.push_back(file + ": " + (collect.texts.empty() ? ru("не прочитан") : collect.texts.front()));
        continue;
      }
      planned.push_back({section, file, buffer.data()});
    }
  }

  // Every database written to is held from before the sheets are checked
  // until the last one is written, so that no unpack or other import changes
  // it in between.
  std::map<std::string, std::unique_ptr<SectionLock>> locks;
  bool busy = false;
  for (const Planned& p : planned) {
    const std::string database = SectionLock::databaseFolderOf(p.section.folder);
    if (locks.count(database)) continue;
    auto lock = std::make_unique<SectionLock>(p.section.folder);
    if (!lock->held()) {
      out.problems.push_back(p.file + ": " + lock->busyText());
      busy = true;
    }
    locks.emplace(database, std::move(lock));
  }
  if (busy) return out;

  // A dry run of every sheet first: nothing is written unless all pass.
  for (const Planned& p : planned) {
    ImportOutcome dry = importSectionCsv(*p.section.schema, p.section.folder, p.csv, p.file, true);
    for (const SheetProblem& problem : dry.problems) out.problems.push_back(problemLine(problem));
  }
  if (!out.problems.empty()) return out;

  for (const Planned& p : planned) {
    ImportOutcome done = importSectionCsv(*p.section.schema, p.section.folder, p.csv, p.file, false, noProgress(),
                                          locks.at(SectionLock::databaseFolderOf(p.section.folder)).get());
    for (const SheetProblem& problem : done.problems) out.problems.push_back(problemLine(problem));
    for (const SheetProblem& skipped : done.skipped) out.skipped.push_back(problemLine(skipped));
    out.writeFailed = out.writeFailed || done.writeFailed;
    out.lines += done.lines;
    out.changed += done.changed;
    ++out.sections;
  }
  return out;
}

}  // namespace kessik
