#include "editors/schemas/sample.h"

#include <algorithm>
#include <set>

#include "core/codecs.h"
#include "core/database.h"
#include "core/file_buf.h"
#include "core/record.h"
#include "editors/schemas/registry.h"
#include "editors/engine/section.h"
#include "editors/engine/soundlist.h"
#include "editors/schemas/window_table.h"
#include "util/cp1251.h"
#include "platform/files.h"

namespace kessik {
namespace {

// What the section's row in the registry adds to the generic samples.
const SampleHint* hintOf(const Schema& schema) {
  const SectionEntry* section = sectionOf(schema);
  return section ? &section->sample : nullptr;
}

std::string withoutBlanks(const std::string& s) {
  std::string out;
  for (char c : s)
    if (c != ' ') out += c;
  return out;
}

// A row name as a sample word: without the note in brackets that many
// names carry ("Unknown1 (предп. ItemType)" gives "Unknown1"), without blanks.
std::string sampleWord(const std::string& rowName) {
  std::string word = withoutBlanks(rowName.substr(0, rowName.find(" (")));
  return word.empty() ? withoutBlanks(rowName) : word;
}

// The text the table would show for a text of the codec.
std::string shown(const Row& row, const std::string& text) {
  EncodeResult e = encode(row.codec, text, row.itemType);
  return e.ok ? decode(row.codec, e.bytes, row.labels) : text;
}

// The slot of a row whose cell is a description: the codec's sample bytes.
ByteString sampleSlot(const Row& row) {
  const CodecEntry& codec = codecEntry(row.codec);
  return codec.describes ? ByteString(codec.sample({})) : ByteString();
}

const MinMaxRule* minMaxOf(const Schema& schema, int row) {
  for (const auto& m : schema.minMax)
    if (m.minRow == row || m.maxRow == row) return &m;
  return nullptr;
}

// The rule whose type names a row holds, if any.
const TypeIdRule* typeRuleOf(const Schema& schema, int row) {
  for (const auto& t : schema.typeIds)
    if (t.typeRow == row && !t.ids.empty()) return &t;
  return nullptr;
}

// A plausible text of a row's codec for record k; numbers differ from row
// to row too.
std::string codecSample(const Row& row, int k, int rowIndex) {
  const CodecEntry& codec = codecEntry(row.codec);
  const std::string word = sampleWord(row.name);
  const std::string sample = codec.sample({word, k, rowIndex, row.labels});
  return codec.describes ? decode(row.codec, sample) : sample;
}

// A skeleton record: fields 1 .. the highest field a row names, each empty.
TZapisBaziZm skeleton(const Schema& schema) {
  int fields = 1;
  for (const Row& r : schema.rows) fields = std::max(fields, r.place.field);
  const SampleHint* hint = hintOf(schema);
  ByteString payload;
  for (int n = 1; n <= fields; ++n) {
    std::uint8_t type = static_cast<std::uint8_t>(n);
    if (hint && n - 1 < static_cast<int>(hint->fieldTypes.size())) type = hint->fieldTypes[n - 1];
    appendNodeHeader(payload, type, 0);
  }
  ByteString bytes;
  appendNodeHeader(bytes, 1, payload.size());
  bytes += payload;
  TZapisBaziZm record;
  record.Parse(bytes);
  return record;
}

}  // namespace

std::vector<std::string> sampleTexts(const Schema& schema, int k) {
  std::vector<std::string> texts;
  const SampleHint* hint = hintOf(schema);
  for (int i = 0; i < static_cast<int>(schema.rows.size()); ++i) {
    const Row& row = schema.rows[i];
    std::string text;
    if (i == 0) {
      if (hint && !hint->masks.empty()) {
        text = ru(hint->masks[(k - 1) % hint->masks.size()]);
        if (k > static_cast<int>(hint->masks.size())) text += std::to_string(k);
      } else {
        text = sampleWord(row.name) + std::to_string(k);
      }
    } else if (row.place.where == Where::NamePart) {
      text = "Name" + std::to_string(k);
      text.resize(std::min<std::size_t>(text.size(), static_cast<std::size_t>(std::max(row.place.to, 0))));
    } else if (row.place.where == Where::DescPart) {
      text = "Sample description " + std::to_string(k);
    } else if (const MinMaxRule* m = minMaxOf(schema, i)) {
      text = std::to_string(i == m->minRow ? k : 2 * k + 1);
    } else if (const TypeIdRule* t = typeRuleOf(schema, i)) {
      text = t->ids[(k - 1) % t->ids.size()].first;  // a type the rule knows
    } else if (schema.recordNumber && schema.recordNumber->row == i) {
      text = std::to_string(k + schema.recordNumber->offset);
    } else {
      text = shown(row, codecSample(row, k, i));
    }
    if (row.check == CheckKind::MaxLen && text.size() > row.maxLen) text.resize(row.maxLen);
    texts.push_back(std::move(text));
  }
  return texts;
}

SampleRecord sampleRecord(const Schema& schema, int k, const std::string& mask) {
  SampleRecord out;
  TZapisBaziZm record = skeleton(schema);
  RecordView view;
  const int n = static_cast<int>(schema.rows.size());
  view.texts = sampleTexts(schema, k);
  if (!mask.empty() && n > 0) view.texts[0] = mask;
  view.readable.assign(n, true);
  view.slotData.assign(n, ByteString());
  for (int i = 0; i < n; ++i) {
    const Row& row = schema.rows[i];
    if (showsDescription(row.codec)) view.slotData[i] = sampleSlot(row);
    else if (row.slot) view.slotData[i] = encode(row.codec, view.texts[i], row.itemType).bytes;
  }

  CheckContext context;
  context.recordIndex = k - 1;
  context.maskAllowed = [](const std::string&) { return true; };
  auto failures = checkRows(schema, view, context);
  // A row whose generic sample its check refuses gets a plainer value.
  static const char* const plainer[] = {"0", "1", "", "A"};
  for (const RowFailure& f : failures) {
    for (const char* p : plainer) {
      RecordView trial = view;
      trial.texts[f.row] = p;
      auto again = checkRows(schema, trial, context);
      if (std::none_of(again.begin(), again.end(), [&](const RowFailure& a) { return a.row == f.row; })) {
        view = trial;
        break;
      }
    }
  }
  failures = checkRows(schema, view, context);
  if (!failures.empty()) {
    out.problem = schema.folder + ": " + schema.rows[failures.front().row].name + ": " + failures.front().message;
    return out;
  }
  BuildResult built = encodeRecord(schema, view, record);
  if (!built.ok) {
    out.problem = schema.folder + ": " + built.error;
    return out;
  }
  out.bytes = record.Bytes;
  return out;
}

SampleReport writeSampleWorkspace(const std::string& programDir) {
  SampleReport report;
  auto write = [&](const std::string& path, const ByteString& bytes) {
    TFileInString buffer;
    buffer.Assign(bytes);
    return buffer.SaveToFile(path);
  };
  std::set<std::string> templatesDone;
  for (const WindowEntry& w : windowTable()) {
    const Schema* schema = findSchema(w.schemaFolder);
    if (!schema) continue;
    const std::string root = programDir + (w.game == Game::Singl ? "bases\\database\\" : "bases\\databaselmp\\");
    const std::string folder = root + schema->folder;
    if (fileExists(folder + recordFileName(1))) {
      ++report.kept;
    } else {
      for (int k = 1; k <= kSampleRecords; ++k) {
        const std::string path = folder + recordFileName(k);
        if (fileExists(path)) continue;
        SampleRecord r = sampleRecord(*schema, k);
        if (r.bytes.empty()) {
          report.problems.push_back(r.problem);
          break;
        }
        if (!write(path, r.bytes)) {
          report.problems.push_back(ru("не записан ") + path);
          break;
        }
        ++report.records;
      }
    }
    if (!templatesDone.insert(schema->folder).second) continue;
    const std::string templatePath = sectionTemplateFolder(programDir, *schema) + "sample.zap";
    if (fileExists(templatePath)) {
      ++report.kept;
      continue;
    }
    SampleRecord t = sampleRecord(*schema, 1, templateNameOf(templatePath));
    if (t.bytes.empty()) {
      report.problems.push_back(t.problem);
    } else if (write(templatePath, t.bytes)) {
      ++report.templates;
    } else {
      report.problems.push_back(ru("не записан ") + templatePath);
    }
  }
  // Sound element templates for the sound list editor.
  const std::string soundFolder = soundTemplateFolder(programDir);
  const ASoundRec sounds[] = {{"sound\\sample1.wav", 0, "Sample sound", "S1"},
                              {"sound\\sample2.wav", 1, "Another sample sound", "S2"}};
  for (std::size_t k = 0; k < std::size(sounds); ++k) {
    const std::string path = soundFolder + "sample" + std::to_string(k + 1) + ".zap";
    if (fileExists(path)) {
      ++report.kept;
    } else if (write(path, soundTemplateText(sounds[k]))) {
      ++report.templates;
    } else {
      report.problems.push_back(ru("не записан ") + path);
    }
  }
  return report;
}

}  // namespace kessik
