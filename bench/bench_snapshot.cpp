// Reading a section whole, without a window: a Weapons section of 20,000
// records read and decoded into the table's texts on one thread and on the
// reading threads, and the decoding alone (the records already in memory),
// which is what the section table and the search spend their processor time
// on. Prints the best and the median of several runs.
//
//   build/bench/bench_snapshot [runs] [records]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "core/database.h"
#include "core/record.h"
#include "editors/schemas/registry.h"
#include "editors/schemas/sample.h"
#include "platform/host.h"
#include "workbench/engine/snapshot.h"

using namespace kessik;

namespace {

struct Figures {
  double best = 0, median = 0, cpu = 0;
};

Figures measure(int runs, const std::function<void()>& step) {
  std::vector<std::pair<double, double>> ms;
  for (int i = 0; i < runs; ++i) {
    const auto t = std::chrono::steady_clock::now();
    const std::clock_t c = std::clock();
    step();
    ms.emplace_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count(),
                    (std::clock() - c) * 1000.0 / CLOCKS_PER_SEC);
  }
  std::sort(ms.begin(), ms.end());
  return {ms.front().first, ms[ms.size() / 2].first, ms[ms.size() / 2].second};
}

void report(const char* what, const Figures& f) {
  std::printf("%-44s best %7.1f ms  median %7.1f ms  processor %7.1f ms\n", what, f.best, f.median, f.cpu);
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const int n = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20000;
  const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("kessik-bench-snapshot-" + std::to_string(std::time(nullptr)));
  std::filesystem::create_directories(dir);
  setenv("KESSIK_DRIVES", ("C=" + dir.string()).c_str(), 1);
  platform::reloadDriveMap();

  const SectionEntry& section = *findSection("items.idb", 2);
  const Schema& schema = section.schema;
  const std::string folder = "C:\\" + section.folder;
  std::filesystem::create_directories(*platform::toHost(folder));
  std::vector<ByteString> records;
  for (int k = 1; k <= n; ++k) {
    records.push_back(sampleRecord(schema, 1 + k % 3, "Item" + std::to_string(k)).bytes);
    std::ofstream(*platform::toHost(folder + recordFileName(k)), std::ios::binary) << records.back();
  }
  std::printf("%d Weapons records, %zu rows each\n", n, schema.rows.size());

  std::size_t cells = 0;
  report("decode the records in memory", measure(runs, [&] {
           for (int k = 1; k <= n; ++k) {
             TZapisBaziZm record;
             cells += decodeSnapshotRecord(schema, records[k - 1], k, record).texts.size();
           }
         }));
  report("read the section on one thread", measure(runs, [&] { cells += readSnapshot(schema, folder, 1)->records.size(); }));
  report("read the section on the reading threads",
         measure(runs, [&] { cells += readSnapshot(schema, folder)->records.size(); }));
  std::filesystem::remove_all(dir);
  return cells > 0 ? 0 : 1;
}
