// The CSV import on arbitrary text against a small section of every schema:
// parsing and checking never read out of bounds; a refused sheet writes
// nothing; an accepted one writes only values the table can show (no control
// character, unique masks where they must be), and importing the section's
// own export afterwards changes nothing. The first input byte picks the
// schema and whether the import writes; the rest is the CSV.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/database.h"
#include "core/file_buf.h"
#include "core/record.h"
#include "editors/schemas/sample.h"
#include "editors/schemas/registry.h"
#include "editors/engine/sheet.h"
#include "editors/schemas/window_table.h"
#include "fuzz_support.h"
#include "platform/host.h"
#include "util/cp1251.h"
#include "util/notify.h"

namespace fs = std::filesystem;
using namespace kessik;

namespace {

struct Section {
  const Schema* schema;
  std::string folder;                // Windows path with a trailing backslash
  std::vector<std::string> records;  // the sample record files, in order
};

fs::path gRoot;
std::vector<Section> gSections;

std::vector<std::string> readRecords(const Section& s) {
  std::vector<std::string> out;
  for (std::size_t k = 1; k <= s.records.size(); ++k) {
    TFileInString b;
    b.LoadFromFile(s.folder + recordFileName(k));
    out.push_back(b.data());
  }
  return out;
}

void restore(const Section& s) {
  for (std::size_t k = 1; k <= s.records.size(); ++k) {
    TFileInString b;
    b.Assign(s.records[k - 1]);
    require(b.SaveToFile(s.folder + recordFileName(k)));
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  gRoot = fuzz::mapScratchDrive("kessik-fuzz-sheet");
  std::set<const Schema*> seen;
  for (const WindowEntry& w : windowTable()) {
    const Schema* schema = findSchema(w.schemaFolder);
    if (!schema || !seen.insert(schema).second) continue;
    Section s{schema, "C:\\s\\" + schema->folder, {}};
    for (int k = 1; k <= kSampleRecords; ++k) {
      SampleRecord r = sampleRecord(*schema, k);
      if (r.bytes.empty()) break;
      s.records.push_back(r.bytes);
    }
    restore(s);
    gSections.push_back(std::move(s));
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || gSections.empty()) return 0;
  const Section& s = gSections[(data[0] >> 1) % gSections.size()];
  const bool write = data[0] & 1;
  const std::string_view csv(reinterpret_cast<const char*>(data) + 1, size - 1);

  ImportOutcome r = importSectionCsv(*s.schema, s.folder, csv, "C:\\a.csv", !write);
  for (const SheetProblem& p : r.problems) {
    const std::string line = problemLine(p);
    require(line.find('\r') == std::string::npos && line.find('\n') == std::string::npos);
  }
  require(!r.writeFailed);
  // A sheet that is not UTF-8 throughout is refused whole.
  if (firstInvalidUtf8(csv)) require(r.changed == 0 && !r.problems.empty());
  if (!write || r.changed == 0) {
    require(readRecords(s) == s.records);
    return 0;
  }
  require(r.problems.empty());

  // What was written is what the table can show.
  const auto written = readRecords(s);
  std::set<std::string> masks;
  for (const std::string& bytes : written) {
    TZapisBaziZm record;
    record.Parse(bytes, static_cast<std::int64_t>(bytes.size()));
    const std::string mask = maskOf(record);
    for (unsigned char c : mask) require(c >= 0x20 && c != 0x7F);
    if (!s.schema->masksMayRepeat()) require(masks.insert(mask).second);
  }
  // The section's own export changes nothing.
  auto sheet = exportSectionCsv(*s.schema, s.folder);
  require(sheet.has_value());
  ImportOutcome again = importSectionCsv(*s.schema, s.folder, *sheet, "C:\\b.csv");
  require(again.problems.empty() && again.changed == 0);
  require(readRecords(s) == written);
  restore(s);
  return 0;
}
