// Export and import of a Foot Prints section of 1000 records (the editor's
// capacity): the export, an import of the untouched export (every record
// read, compared and left alone), and an import that changes every record
// (checked, rebuilt and written atomically, one file each), also as a dry
// run to tell the checks from the disk.
//
//   bench_sheet [--keep]
//
// Each figure is the median of several runs with warm caches.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/database.h"
#include "core/filebuf.h"
#include "editors/engine/sample.h"
#include "editors/engine/schema_registry.h"
#include "editors/engine/sheet.h"
#include "platform/host.h"

namespace fs = std::filesystem;
using namespace kessik;

namespace {

constexpr int kRecords = 1000;
constexpr int kRuns = 7;

double median(const std::function<void()>& work) {
  std::vector<double> t;
  for (int i = 0; i < kRuns; ++i) {
    auto t0 = std::chrono::steady_clock::now();
    work();
    t.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
  std::sort(t.begin(), t.end());
  return t[t.size() / 2];
}

// The CSV with every record's "Clear Weather Lifetime" raised by one.
std::string everyLifetimePlusOne(const std::string& csv) {
  CsvParse p = parseCsv(csv);
  std::string out = csvLine(p.lines[0]);
  for (std::size_t l = 1; l < p.lines.size(); ++l) {
    p.lines[l][3] = std::to_string(std::stoi(p.lines[l][3]) + 1);
    out += csvLine(p.lines[l]);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  const bool keep = argc > 1 && std::string(argv[1]) == "--keep";
  const fs::path dir = fs::temp_directory_path() / ("bench_sheet_" + std::to_string(::getpid()));
  fs::create_directories(dir / "prints" / "2");
  const auto win = platform::fromHost(dir);
  if (!win) {
    std::fprintf(stderr, "the temporary folder %s has no Windows path\n", dir.c_str());
    return 1;
  }
  const Schema& schema = *findSchema("prints\\2\\");
  const std::string ish = *win + "\\prints\\2\\";
  for (int k = 1; k <= kRecords; ++k) {
    TFileInString f;
    f.Assign(sampleRecord(schema, k).bytes);
    if (!f.SaveToFile(ish + recordFileName(k))) return 1;
  }

  std::string csv;
  const double exportTime = median([&] { csv = exportSectionCsv(schema, ish).value(); });
  const std::string changed = everyLifetimePlusOne(csv);

  ImportOutcome r;
  const double untouched = median([&] { r = importSectionCsv(schema, ish, csv, "bench.csv"); });
  if (!r.problems.empty() || r.changed != 0) {
    std::fprintf(stderr, "untouched import changed %d records, %zu problems\n", r.changed, r.problems.size());
    return 1;
  }
  const double planned = median([&] { r = importSectionCsv(schema, ish, changed, "bench.csv", true); });
  if (!r.problems.empty() || r.changed != kRecords) {
    std::fprintf(stderr, "dry run would write %d records, %zu problems\n", r.changed, r.problems.size());
    return 1;
  }
  // Alternate the two sheets so that every run rewrites every record.
  int run = 0;
  const double rewrite = median([&] {
    r = importSectionCsv(schema, ish, run++ % 2 ? csv : changed, "bench.csv");
  });
  if (!r.problems.empty() || r.changed != kRecords) {
    std::fprintf(stderr, "changing import wrote %d records, %zu problems\n", r.changed, r.problems.size());
    return 1;
  }

  std::printf("Foot Prints section of %d records, CSV %zu bytes (median of %d runs):\n", kRecords, csv.size(), kRuns);
  std::printf("  export                          %8.1f ms\n", exportTime * 1000);
  std::printf("  import, untouched (no write)    %8.1f ms\n", untouched * 1000);
  std::printf("  import, every record changed,\n");
  std::printf("    checked and rebuilt (dry run) %8.1f ms\n", planned * 1000);
  std::printf("    and written (atomic replace) %8.1f ms\n", rewrite * 1000);
  if (!keep) fs::remove_all(dir);
  return 0;
}
