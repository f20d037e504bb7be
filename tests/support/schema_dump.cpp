#include "support/schema_dump.h"

#include <set>
#include <sstream>

#include "core/codecs.h"
#include "editors/engine/schema.h"
#include "editors/schemas/registry.h"
#include "editors/schemas/sample.h"
#include "editors/schemas/window_table.h"
#include "util/cp1251.h"

namespace kessik::test {
namespace {

std::string utf8(const std::string& cp1251) { return cp1251ToUtf8(cp1251); }

// A text in double quotes, UTF-8, with CR written as \r.
std::string quoted(const std::string& cp1251) {
  std::string out = "\"";
  for (char c : utf8(cp1251)) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else out += c;
  }
  return out + "\"";
}

std::string placeText(const Row& r) {
  const Place& p = r.place;
  const std::string field = "field " + std::to_string(p.field);
  switch (p.where) {
    case Where::Field:
      return field;
    case Where::Item:
      return field + " item " + std::to_string(p.item) + " (type " + std::to_string(r.itemType) + ")";
    case Where::Bytes:
      return field + " bytes " + std::to_string(p.from) + "-" + std::to_string(p.to);
    case Where::NamePart:
      return field + " name part (first " + std::to_string(p.to) + " characters)";
    case Where::DescPart:
      return field + " description part (after " + std::to_string(p.to) + " characters)";
  }
  return field;
}

std::string checkText(const Schema& s, int i) {
  const Row& r = s.rows[i];
  switch (r.check) {
    case CheckKind::None:
      return "none";
    case CheckKind::Mask:
      return "mask, message " + quoted(rowMessage(s, i));
    case CheckKind::MaxLen:
      return "maxlen " + std::to_string(r.maxLen) + ", message " + quoted(rowMessage(s, i));
    case CheckKind::Codec:
      if (showsDescription(r.codec)) return "none (a description)";
      return "codec, message " + quoted(rowMessage(s, i));
  }
  return "?";
}

std::string buttonText(RowButton b) {
  switch (b) {
    case RowButton::None:
      return "";
    case RowButton::Raw:
      return "raw value dialog";
    case RowButton::Chooser:
      return "value chooser";
    case RowButton::SoundList:
      return "sound list editor";
  }
  return "?";
}

std::string rowRef(const Schema& s, int i) { return "row " + std::to_string(i + 1) + " " + quoted(s.rows[i].name); }

std::string fieldList(const std::vector<int>& fields) {
  std::string out;
  for (std::size_t i = 0; i < fields.size();) {
    std::size_t j = i;
    while (j + 1 < fields.size() && fields[j + 1] == fields[j] + 1) ++j;
    if (!out.empty()) out += ", ";
    out += std::to_string(fields[i]);
    if (j > i) out += "-" + std::to_string(fields[j]);
    i = j + 1;
  }
  return out;
}

void dumpSection(std::ostream& out, const std::string& folder, const Schema& s) {
  out << "Section " << folder << "\n";
  for (const WindowEntry& w : windowTable()) {
    if (w.schemaFolder != folder) continue;
    const WindowSize& z = w.size;
    out << "  window " << w.className << " " << (w.game == Game::Singl ? "SINGL" : "LMP") << " "
        << quoted(w.caption) << ", database " << w.database << " section " << w.section << ", menu item "
        << w.menuName << " " << quoted(w.menuCaption) << "\n";
    out << "    client " << z.clientWidth << "x" << z.clientHeight << ", table " << z.tableWidth << "x"
        << z.tableHeight << ", columns " << z.column1 << " and " << z.column2 << "\n";
  }
  out << "  masks: ";
  if (s.masks == MaskRule::Repeatable) out << "repeatable";
  else if (!s.freeMask.empty()) out << "unique but for " << quoted(s.freeMask);
  else out << "unique";
  out << "\n  sample masks:";
  for (int k = 1; k <= kSampleRecords; ++k) out << " " << quoted(sampleTexts(s, k).front());
  out << "\n  written fields: " << fieldList(s.writtenFields()) << "\n";
  out << "  rows\n";
  for (int i = 0; i < static_cast<int>(s.rows.size()); ++i) {
    const Row& r = s.rows[i];
    out << "    " << i + 1 << " " << quoted(r.name) << ": " << placeText(r) << ", " << codecName(r.codec)
        << ", check " << checkText(s, i);
    if (r.button != RowButton::None) out << ", button: " << buttonText(r.button);
    if (r.slot) out << ", bytes kept in a slot";
    out << "\n";
    if (r.labels) {
      out << "      labels:";
      for (const LabelEntry& e : *r.labels) out << " " << quoted(std::to_string(e.value) + e.label);
      out << "\n";
    }
  }
  for (const TypeIdRule& t : s.typeIds) {
    out << "  rule: " << rowRef(s, t.typeRow) << " sets " << rowRef(s, t.idRow) << ":";
    for (const auto& [name, id] : t.ids) out << " " << quoted(name) << "=" << id;
    out << "\n";
  }
  for (const MinMaxRule& m : s.minMax)
    out << "  rule: " << rowRef(s, m.minRow) << " is the minimum, " << rowRef(s, m.maxRow)
        << " the maximum stored as the spread, both times " << m.scale << "\n";
  if (s.recordNumber)
    out << "  rule: " << rowRef(s, s.recordNumber->row) << " holds the record number "
        << (s.recordNumber->offset < 0 ? "- " : "+ ") << (s.recordNumber->offset < 0 ? -s.recordNumber->offset : s.recordNumber->offset)
        << ", message " << quoted(s.recordNumber->message) << "\n";
}

}  // namespace

std::string dumpSections() {
  std::ostringstream out;
  out << "# Every section editor window of the program: its section, rows and rules.\n"
         "# Compared with the program by the unit test SchemaDump.MatchesTheGoldenFile;\n"
         "# after a deliberate change, write it anew with\n"
         "#   KESSIK_UPDATE_GOLDEN=1 build/tests/kessik_unit_tests --gtest_filter=SchemaDump.*\n"
         "# and review the diff. Rows are numbered from 1, as the windows show them.\n";
  std::set<std::string> done;
  for (const WindowEntry& w : windowTable()) {
    if (!done.insert(w.schemaFolder).second) continue;
    out << "\n";
    const Schema* s = findSchema(w.schemaFolder);
    if (!s) {
      out << "Section " << w.schemaFolder << ": no schema\n";
      continue;
    }
    dumpSection(out, w.schemaFolder, *s);
  }
  return out.str();
}

}  // namespace kessik::test
