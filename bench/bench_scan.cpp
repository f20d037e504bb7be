// Scanning a Blood Prints section of 1000 record files (what a section
// editor does when it opens and after every create, delete and sort),
// measured against `cat` of the same files in the same run on the same disk.
// A scan with a record-number rule (every record rewritten once, then read
// again) is timed too, and so is a section of the widest schema, Race Models
// (92 rows over 39 fields): its scan, and reading every record into the
// table's texts and checking and rebuilding it as "Сохранить" does.
//
//   bench_scan [--keep]
//
// Each figure is the median of several runs with warm caches.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "core/codecs.h"
#include "core/database.h"
#include "core/file_buf.h"
#include "core/record.h"
#include "editors/schemas/sample.h"
#include "editors/schemas/registry.h"
#include "editors/engine/section.h"
#include "platform/host.h"
#include "util/notify.h"

namespace fs = std::filesystem;
using namespace kessik;

namespace {

constexpr int kRecords = 1000;
constexpr int kRuns = 9;

std::string printsRecord(int n) {
  std::string group;
  appendItem(group, 1, std::string("\0\0\0\x3F", 4));
  appendItem(group, 2, std::string("\x2D\0\0\0", 4));
  appendItem(group, 3, std::string("\x1E\0\0\0", 4));
  std::string payload;
  appendItem(payload, 1, "Terrain" + std::to_string(n) + std::string(1, '\0'));
  appendItem(payload, 2, group);
  appendItem(payload, 3, group);
  std::string out;
  appendItem(out, 1, payload);
  return out;
}

double medianMs(const std::function<void()>& run) {
  std::vector<double> ms;
  for (int i = 0; i < kRuns; ++i) {
    auto t0 = std::chrono::steady_clock::now();
    run();
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
  }
  std::sort(ms.begin(), ms.end());
  return ms[ms.size() / 2];
}

class Quiet : public Notifier {
 public:
  Answer show(const Message& m) override { return defaultAnswer(m.buttons); }
};

}  // namespace

int main(int argc, char** argv) {
  const bool keep = argc > 1 && std::string(argv[1]) == "--keep";
  std::string tmpl = (fs::temp_directory_path() / "kessik-bench-scan-XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) return 1;
  const fs::path root = tmpl;
  ::setenv("KESSIK_DRIVES", ("C=" + root.string()).c_str(), 1);
  platform::reloadDriveMap();
  Quiet quiet;
  setNotifier(&quiet);

  const fs::path folder = root / "src" / "prints" / "1";
  fs::create_directories(folder);
  for (int k = 1; k <= kRecords; ++k)
    std::ofstream(folder / recordFileName(k), std::ios::binary) << printsRecord(k);

  const SectionEntry& section = *findSection("prints.db", 1);
  const Schema& schema = section.schema;
  const std::string ish = "C:\\src\\" + section.folder;
  std::size_t listed = 0;
  const double scan = medianMs([&] { listed = scanSection(schema, ish)->size(); });

  const std::string cat = "cat " + (folder / "*.zap").string() + " > /dev/null";
  const double catMs = medianMs([&] {
    if (std::system(cat.c_str()) != 0) std::fprintf(stderr, "cat failed\n");
  });

  // A record-number rule (as Materials and Quests have) over field 3: the
  // first scan rewrites every record.
  Schema numbered = schema;
  numbered.rows.push_back(makeRow("Index", fieldAt(3), Codec::Int32));
  numbered.recordNumber = RecordNumberRule{static_cast<int>(numbered.rows.size()) - 1, 0, ""};
  auto t0 = std::chrono::steady_clock::now();
  scanSection(numbered, ish);
  const double rewrite = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();

  // Race Models: sample records, each with its own mask.
  const Schema& race = findSection("units.udb", 2)->schema;
  const fs::path raceFolder = root / "src" / "units" / "2";
  fs::create_directories(raceFolder);
  std::size_t raceBytes = 0;
  for (int k = 1; k <= kRecords; ++k) {
    const ByteString bytes = sampleRecord(race, 1, "Race" + std::to_string(k)).bytes;
    raceBytes += bytes.size();
    std::ofstream(raceFolder / recordFileName(k), std::ios::binary) << bytes;
  }
  const std::string raceIsh = "C:\\src\\units\\2\\";
  std::size_t raceListed = 0;
  const double raceScan = medianMs([&] { raceListed = scanSection(race, raceIsh)->size(); });
  std::size_t shown = 0;
  const double raceLoad = medianMs([&] {
    TFileInString buffer;
    TZapisBaziZm record;
    CheckContext context;
    context.maskAllowed = [](const std::string&) { return true; };
    for (int k = 1; k <= kRecords; ++k) {
      loadRecordFile(raceIsh + recordFileName(k), buffer, record);
      RecordView view = decodeRecord(race, record);
      shown += view.texts.size();
      if (checkRows(race, view, context).empty()) encodeRecord(race, view, record);
    }
  });

  std::printf("records listed:                     %zu\n", listed);
  std::printf("scan of %d record files:          %8.2f ms (median of %d)\n", kRecords, scan, kRuns);
  std::printf("cat of the same files:              %8.2f ms (median of %d, process start included)\n", catMs,
              kRuns);
  std::printf("first scan with a record-number fix: %7.2f ms (every record rewritten)\n", rewrite);

  std::printf("Race Models, %d records (%zu bytes each on average):\n", kRecords, raceBytes / kRecords);
  std::printf("  scan:                             %8.2f ms (median of %d), %zu listed\n", raceScan, kRuns, raceListed);
  std::printf("  load, check and rebuild each:     %8.2f ms (median of %d), %.3f ms per record\n", raceLoad, kRuns,
              raceLoad / kRecords);

  setNotifier(nullptr);
  if (!keep) fs::remove_all(root);
  const bool ok = listed == static_cast<std::size_t>(kRecords) && raceListed == static_cast<std::size_t>(kRecords) &&
                  shown == static_cast<std::size_t>(kRuns) * kRecords * race.rows.size();
  return ok ? 0 : 1;
}
