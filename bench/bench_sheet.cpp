// Export and import of a Foot Prints section of 1000 records (the editor's
// capacity) and of 100,000 (what kessik-db import is asked to take): the
// export, an import of the untouched export (every record read, compared and
// left alone), and an import that changes every record (checked, rebuilt and
// written atomically, one file each), also as a dry run to tell the checks
// from the disk. Against them, plain file work on the same files: reading
// every record file and writing the CSV in one go for the export, writing
// every changed record file straight to its name for the import.
//
//   bench_sheet [RECORDS] [--keep]      (default: 1000, then 100000)
//
// Each figure is the median of several runs with warm caches (fewer for the
// large section).
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "core/database.h"
#include "core/file_buf.h"
#include "editors/schemas/sample.h"
#include "editors/schemas/registry.h"
#include "editors/engine/sheet.h"
#include "platform/host.h"
#include "bench_support.h"

namespace fs = std::filesystem;
using namespace kessik;
using kessik::bench::everyLifetimePlusOne;

namespace {

double median(int runs, const std::function<void()>& work) {
  std::vector<double> t;
  for (int i = 0; i < runs; ++i) {
    auto t0 = std::chrono::steady_clock::now();
    work();
    t.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
  std::sort(t.begin(), t.end());
  return t[t.size() / 2];
}

void line(const char* what, double t, double plain) {
  std::printf("  %-34s %9.1f ms   plain %9.1f ms   ratio %5.2f\n", what, t * 1000, plain * 1000, t / plain);
}

bool benchSection(const fs::path& dir, const std::string& win, int records) {
  const int runs = records > 10000 ? 3 : 7;
  fs::remove_all(dir);
  fs::create_directories(dir / "prints" / "2");
  fs::create_directories(dir / "plain");
  const SectionEntry& entry = *findSection("prints.db", 2);
  const Schema& schema = entry.schema;
  const std::string ish = win + "\\" + entry.folder;
  for (int k = 1; k <= records; ++k) {
    TFileInString f;
    f.Assign(sampleRecord(schema, k).bytes);
    if (!f.SaveToFile(ish + recordFileName(k))) return false;
  }
  const fs::path section = dir / "prints" / "2";

  std::string csv;
  const double exportTime = median(runs, [&] { csv = exportSectionCsv(schema, ish).value(); });
  // The least an export does: every record file read, one file written.
  const double plainExport = median(runs, [&] {
    std::string all, one;
    for (int k = 1; k <= records; ++k) {
      platform::readWholeFile(section / recordFileName(k), one);
      all += one;
    }
    std::ofstream(dir / "plain.csv", std::ios::binary).write(csv.data(), static_cast<std::streamsize>(csv.size()));
  });
  const std::string changed = everyLifetimePlusOne(csv);

  ImportOutcome r;
  const double untouched = median(runs, [&] { r = importSectionCsv(schema, ish, csv, "bench.csv"); });
  if (!r.problems.empty() || r.changed != 0) {
    std::fprintf(stderr, "untouched import changed %d records, %zu problems\n", r.changed, r.problems.size());
    return false;
  }
  const double planned = median(runs, [&] { r = importSectionCsv(schema, ish, changed, "bench.csv", true); });
  if (!r.problems.empty() || r.changed != records) {
    std::fprintf(stderr, "dry run would write %d records, %zu problems\n", r.changed, r.problems.size());
    return false;
  }
  // Alternate the two sheets so that every run rewrites every record.
  int run = 0;
  const double rewrite = median(runs, [&] {
    r = importSectionCsv(schema, ish, run++ % 2 ? csv : changed, "bench.csv");
  });
  if (!r.problems.empty() || r.changed != records) {
    std::fprintf(stderr, "changing import wrote %d records, %zu problems\n", r.changed, r.problems.size());
    return false;
  }
  // The same record files written straight to their names.
  std::vector<std::string> bytes(static_cast<std::size_t>(records));
  for (int k = 1; k <= records; ++k) platform::readWholeFile(section / recordFileName(k), bytes[k - 1]);
  const double plainWrite = median(runs, [&] {
    platform::FolderWriter writer(dir / "plain");
    for (int k = 1; k <= records; ++k) writer.write(recordFileName(k), bytes[k - 1]);
  });

  std::printf("Foot Prints section of %d records, CSV %zu bytes (median of %d runs):\n", records, csv.size(), runs);
  line("export", exportTime, plainExport);
  line("import, untouched (no write)", untouched, plainWrite);
  std::printf("  import, every record changed,\n");
  line("  checked and rebuilt (dry run)", planned, plainWrite);
  line("  and written (atomic replace)", rewrite, plainWrite);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  bool keep = false;
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--keep") keep = true;
    else sizes.push_back(std::stoi(a));
  }
  if (sizes.empty()) sizes = {1000, 100000};
  const fs::path dir = fs::temp_directory_path() / ("bench_sheet_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const auto win = platform::fromHost(dir);
  if (!win) {
    std::fprintf(stderr, "the temporary folder %s has no Windows path\n", dir.c_str());
    return 1;
  }
  std::printf("plain: export against reading every record file and writing the CSV; import against writing\n"
              "every changed record file straight to its name\n\n");
  for (int records : sizes) {
    if (!benchSection(dir, *win, records)) return 1;
    std::printf("\n");
  }
  if (!keep) fs::remove_all(dir);
  return 0;
}
