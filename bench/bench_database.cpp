// Unpacking and packing a generated database of 20,000 records (four
// sections of 5,000), measured against `tar -x` of the same source tree and
// `cat` of the same record files, in the same run on the same disk.
//
//   bench_database [KESSIK_DB_EXE] [--keep]
//
// With the path of kessik-db, the command-line tool is timed too (process
// start included, as tar and cat are). Each figure is the median of several
// runs with warm caches; the output trees are removed between runs, outside
// the timing.
#include <sys/wait.h>
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

#include "core/database.h"
#include "core/node.h"
#include "platform/host.h"
#include "bench_support.h"

namespace fs = std::filesystem;
using namespace kessik;

namespace {

constexpr int kSections = 4;
constexpr int kRecordsPerSection = 5000;
constexpr int kRuns = 7;

double seconds(const std::function<void()>& work) {
  auto t0 = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// The median of kRuns timings of work, each after an untimed prepare.
double median(const std::function<void()>& prepare, const std::function<void()>& work) {
  std::vector<double> t;
  for (int i = 0; i < kRuns; ++i) {
    prepare();
    t.push_back(seconds(work));
  }
  std::sort(t.begin(), t.end());
  return t[t.size() / 2];
}

void shell(const std::string& command) {
  int status = std::system(command.c_str());
  if (status != 0) {
    std::fprintf(stderr, "failed (%d): %s\n", status, command.c_str());
    std::exit(1);
  }
}

std::string shellQuoted(const fs::path& p) { return "'" + p.string() + "'"; }

std::string readAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void report(const char* what, double t, const char* against, double base) {
  std::printf("%-34s %8.1f ms   %-10s %8.1f ms   ratio %.2f\n", what, t * 1000, against, base * 1000, t / base);
}

}  // namespace

int main(int argc, char** argv) {
  std::string tool;
  bool keep = false;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--keep") keep = true;
    else tool = a;
  }
  const char* base = std::getenv("BENCH_DIR");
  std::string tmpl = (fs::path(base ? base : fs::temp_directory_path().string()) / "kessik-bench-XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) {
    std::perror("mkdtemp");
    return 1;
  }
  const fs::path dir = tmpl;
  ::setenv("KESSIK_DRIVES", ("C=" + dir.string()).c_str(), 1);
  platform::reloadDriveMap();
  for (const char* sub : {"db", "root", "tarroot", "out", "toolroot"}) fs::create_directories(dir / sub);

  const std::string database = kessik::bench::generateDatabase(kSections, kRecordsPerSection);
  {
    std::ofstream(dir / "db" / "units.udb", std::ios::binary).write(database.data(),
                                                                      static_cast<std::streamsize>(database.size()));
  }
  std::printf("database: %d records in %d sections, %zu bytes; folder %s\n", kSections * kRecordsPerSection,
              kSections, database.size(), dir.c_str());

  // Unpacking against tar -x of the very tree it writes.
  const double unpack = median([&] { fs::remove_all(dir / "root" / "units"); },
                               [&] { unpackDatabase("C:\\db\\units.udb", "C:\\root\\"); });
  shell("tar -cf " + shellQuoted(dir / "units.tar") + " -C " + shellQuoted(dir / "root") + " units");
  const double tarX = median([&] { fs::remove_all(dir / "tarroot" / "units"); },
                             [&] { shell("tar -xf " + shellQuoted(dir / "units.tar") + " -C " + shellQuoted(dir / "tarroot")); });

  // Packing against cat of the same record files into one file.
  const std::string unitsFolder = shellQuoted(dir / "root" / "units");
  const double pack = median([&] { fs::remove(dir / "out" / "units.udb"); },
                             [&] { packDatabase("C:\\root\\units\\", "C:\\out\\units.udb"); });
  const std::string catCommand =
      "cd " + unitsFolder + " && cat 1/*.zap 2/*.zap 3/*.zap 4/*.zap > " + shellQuoted(dir / "out" / "cat.out");
  const double cat = median([&] { fs::remove(dir / "out" / "cat.out"); }, [&] { shell(catCommand); });
  if (readAll(dir / "out" / "units.udb") != database) {
    std::fprintf(stderr, "the packed database differs from the original\n");
    return 1;
  }

  std::printf("\n");
  report("unpack (library)", unpack, "tar -x", tarX);
  report("pack (library)", pack, "cat", cat);
  if (!tool.empty()) {
    const double toolUnpack =
        median([&] { fs::remove_all(dir / "toolroot" / "units"); },
               [&] { shell(shellQuoted(tool) + " unpack " + shellQuoted(dir / "db" / "units.udb") + " " + shellQuoted(dir / "toolroot")); });
    const double toolPack = median([&] { fs::remove(dir / "out" / "tool.udb"); },
                                   [&] { shell(shellQuoted(tool) + " pack " + unitsFolder + " " + shellQuoted(dir / "out" / "tool.udb")); });
    if (readAll(dir / "out" / "tool.udb") != database) {
      std::fprintf(stderr, "kessik-db pack gave other bytes than the original\n");
      return 1;
    }
    report("kessik-db unpack (process)", toolUnpack, "tar -x", tarX);
    report("kessik-db pack (process)", toolPack, "cat", cat);
  }
  std::printf("\ntargets: unpack ratio <= 1.00 against tar -x, pack ratio <= 1.20 against cat\n");
  if (!keep) fs::remove_all(dir);
  return 0;
}
