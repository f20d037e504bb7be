// The database work of kessik-db against the file system's floor, side by
// side in one run, each row a ratio of medians:
//
//   pack 20,000 records              against  cat of the same record files
//   unpack 20,000 records            against  tar -x of the same tree
//   import 100,000 changed records   against  writing the same record files plainly
//   export 100,000 records           against  plain reads of them and one CSV write
//
// and the peak resident memory of unpack, pack, import and export at 100,000
// records. Every figure is kessik-db run as a process (its start included, as
// for tar and cat); program and floor runs alternate, so that a machine
// whose load changes meanwhile weighs on both alike. Warm caches: each output
// is removed outside the timing, and nothing is dropped from the page cache.
//
//   bench_floor KESSIK_DB_EXE [--runs N] [--only database|sections] [--keep]
//
// BENCH_DIR chooses the disk (default: the temporary folder). The program's
// writes are durable (synced before they are published); the floors are
// not, so a second unpack floor, tar -x followed by a sync of the file
// system, shows what durability costs.
#include <fcntl.h>
#include <spawn.h>
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

#include "bench_support.h"
#include "core/database.h"
#include "core/node.h"
#include "editors/schemas/sample.h"
#include "editors/schemas/registry.h"
#include "editors/engine/sheet.h"
#include "platform/host.h"

extern char** environ;

namespace fs = std::filesystem;
using namespace kessik;
using kessik::bench::everyLifetimePlusOne;
using kessik::bench::generateDatabase;

namespace {

int gRuns = 5;

struct Run {
  double seconds = 0;
  long peakKb = 0;
};

// Runs a program (argv[0] is its path) with standard output to a file or
// /dev/null; the time it took and its peak resident memory.
Run spawn(const std::vector<std::string>& args, const std::string& outFile = "/dev/null") {
  posix_spawn_file_actions_t io;
  posix_spawn_file_actions_init(&io);
  posix_spawn_file_actions_addopen(&io, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&io, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<std::string> copy = args;
  std::vector<char*> argv;
  for (auto& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);
  Run r;
  pid_t pid;
  const auto t0 = std::chrono::steady_clock::now();
  if (posix_spawn(&pid, argv[0], &io, nullptr, argv.data(), environ) != 0) {
    std::fprintf(stderr, "cannot start %s\n", argv[0]);
    std::exit(1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  posix_spawn_file_actions_destroy(&io);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::string line;
    for (const auto& a : args) line += a + " ";
    std::fprintf(stderr, "failed (%d): %s\n", status, line.c_str());
    std::exit(1);
  }
  return r;
}

Run shell(const std::string& command) { return spawn({"/bin/sh", "-c", command}); }

// kessik-db run under GNU time, which reports its peak resident memory. (A
// child's own figure from wait4 would be this benchmark's: a spawned child
// shares the parent's memory until its exec, and the kernel keeps that peak.)
fs::path gScratch;
Run program(std::vector<std::string> args, const std::string& outFile = "/dev/null") {
  static const bool haveTime = ::access("/usr/bin/time", X_OK) == 0;
  if (!haveTime) return spawn(args, outFile);
  const fs::path report = gScratch / "time.out";
  args.insert(args.begin(), {"/usr/bin/time", "-f", "%M", "-o", report.string()});
  Run r = spawn(args, outFile);
  std::ifstream in(report);
  in >> r.peakKb;
  return r;
}

double timed(const std::function<void()>& work) {
  const auto t0 = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

std::string q(const fs::path& p) { return "'" + p.string() + "'"; }

double medianOf(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

struct Figure {
  std::string work, floor;
  double program = 0, floorTime = 0, goal = 0;
  long peakKb = 0;
};

// Runs the program and the floor alternately, each after its untimed
// preparation and a sync of the file systems, so that no run pays for the
// writes an earlier one left in the page cache (a sync in the program would
// otherwise write out the floor's files too); the medians and the program's
// largest peak memory.
Figure compare(const std::string& work, const std::string& floorName, double goal, const std::function<void()>& prepare,
               const std::function<Run()>& program, const std::function<void()>& floorPrepare,
               const std::function<double()>& floor) {
  Figure row{work, floorName, 0, 0, goal, 0};
  std::vector<double> p, f;
  for (int i = 0; i < gRuns; ++i) {
    prepare();
    ::sync();
    Run r = program();
    p.push_back(r.seconds);
    row.peakKb = std::max(row.peakKb, r.peakKb);
    floorPrepare();
    ::sync();
    f.push_back(floor());
  }
  row.program = medianOf(p);
  row.floorTime = medianOf(f);
  std::fprintf(stderr, "  %s: %.0f ms against %.0f ms\n", work.c_str(), row.program * 1000, row.floorTime * 1000);
  return row;
}

// An output of the run before goes out of the way, untimed. Removed only at
// the end: where the file system discards freed blocks at once, removing
// files that are on the disk costs milliseconds each.
void setAside(const fs::path& p) {
  static int n = 0;
  std::error_code ec;
  if (fs::exists(p, ec)) fs::rename(p, gScratch / "aside" / std::to_string(++n), ec);
}

std::string readAll(const fs::path& p) {
  std::string data;
  platform::readWholeFile(p, data);
  return data;
}

void writeAll(const fs::path& p, const std::string& data) {
  std::ofstream(p, std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size()));
}

// Every record file of a section read with a plain open, read and close.
std::vector<std::string> readRecords(const fs::path& section, int records) {
  std::vector<std::string> out(static_cast<std::size_t>(records));
  for (int k = 1; k <= records; ++k) out[k - 1] = readAll(section / recordFileName(k));
  return out;
}

void plainWrite(const fs::path& p, const std::string& data) {
  int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0 || ::write(fd, data.data(), data.size()) != static_cast<ssize_t>(data.size())) {
    std::fprintf(stderr, "cannot write %s\n", p.c_str());
    std::exit(1);
  }
  ::close(fd);
}

}  // namespace

int main(int argc, char** argv) {
  std::string tool;
  bool keep = false;
  std::string only;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--keep")
      keep = true;
    else if (a == "--runs" && i + 1 < argc)
      gRuns = std::max(1, std::atoi(argv[++i]));
    else if (a == "--only" && i + 1 < argc)
      only = argv[++i];
    else
      tool = a;
  }
  if (tool.empty() || (!only.empty() && only != "database" && only != "sections")) {
    std::fprintf(stderr, "usage: bench_floor KESSIK_DB_EXE [--runs N] [--only database|sections] [--keep]\n");
    return 2;
  }
  const bool databases = only != "sections", sections = only != "database";
  tool = fs::absolute(tool).string();
  const char* base = std::getenv("BENCH_DIR");
  std::string tmpl = (fs::path(base ? base : fs::temp_directory_path().string()) / "kessik-floor-XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) {
    std::perror("mkdtemp");
    return 1;
  }
  const fs::path dir = tmpl;
  gScratch = dir;
  for (const char* sub : {"db", "root", "tarroot", "out", "big", "bigroot", "aside"}) fs::create_directories(dir / sub);
  std::vector<Figure> rows;
  long importKb = 0, exportKb = 0;
  std::size_t csvSize = 0;
  Run bigUnpack, bigPack;
  std::string bigDatabase;

  if (databases) {
    // --- pack and unpack: 20,000 records in four sections -------------------
    const std::string database = generateDatabase(4, 5000);
    writeAll(dir / "db" / "units.udb", database);
    std::fprintf(stderr, "database of 20,000 records, %zu bytes, in %s\n", database.size(), dir.c_str());
    spawn({tool, "unpack", (dir / "db" / "units.udb").string(), (dir / "root").string()});
    const fs::path units = dir / "root" / "units";
    shell("tar -cf " + q(dir / "units.tar") + " -C " + q(dir / "root") + " units");

    rows.push_back(compare(
        "pack, 20,000 records", "cat", 0.9, [&] { fs::remove(dir / "out" / "units.udb"); },
        [&] {
          return program({tool, "pack", units.string(), (dir / "out" / "units.udb").string()});
        },
        [&] { fs::remove(dir / "out" / "cat.out"); },
        [&] {
          return shell("cd " + q(units) + " && exec cat 1/*.zap 2/*.zap 3/*.zap 4/*.zap > " +
                       q(dir / "out" / "cat.out"))
              .seconds;
        }));
    if (readAll(dir / "out" / "units.udb") != database) {
      std::fprintf(stderr, "kessik-db pack gave other bytes than the original\n");
      return 1;
    }
    rows.push_back(compare(
        "unpack, 20,000 records", "tar -x", 0.7, [&] { setAside(dir / "root" / "units"); },
        [&] {
          return program({tool, "unpack", (dir / "db" / "units.udb").string(), (dir / "root").string()});
        },
        [&] { setAside(dir / "tarroot" / "units"); },
        [&] { return shell("exec tar -xf " + q(dir / "units.tar") + " -C " + q(dir / "tarroot")).seconds; }));
    {
      Figure synced = compare(
          "unpack, 20,000 records", "tar -x; sync", 0, [&] { setAside(dir / "root" / "units"); },
          [&] {
            return program({tool, "unpack", (dir / "db" / "units.udb").string(), (dir / "root").string()});
          },
          [&] { setAside(dir / "tarroot" / "units"); },
          [&] {
            return shell("tar -xf " + q(dir / "units.tar") + " -C " + q(dir / "tarroot") + " && exec sync -f " +
                         q(dir / "tarroot"))
                .seconds;
          });
      rows.push_back(synced);
    }

    // --- memory of unpack and pack at 100,000 records -------------------------
    bigDatabase = generateDatabase(4, 25000);
    writeAll(dir / "big" / "units.udb", bigDatabase);
    bigUnpack = program({tool, "unpack", (dir / "big" / "units.udb").string(), (dir / "bigroot").string()});
    bigPack = program({tool, "pack", (dir / "bigroot" / "units").string(), (dir / "big" / "again.udb").string()});
    if (readAll(dir / "big" / "again.udb") != bigDatabase) {
      std::fprintf(stderr, "kessik-db pack of 100,000 records gave other bytes than the original\n");
      return 1;
    }
  }

  if (sections) {
    // --- import and export: a Foot Prints section of 100,000 records ---------
    const int records = 100000;
    const Schema& schema = findSection("prints.db", 2)->schema;
    const fs::path section = dir / "prints" / "2";
    const fs::path plain = dir / "plain";
    fs::create_directories(section);
    fs::create_directories(plain);
    for (int k = 1; k <= records; ++k) {
      const std::string bytes = sampleRecord(schema, k).bytes;
      plainWrite(section / recordFileName(k), bytes);
      plainWrite(plain / recordFileName(k), bytes);
    }
    spawn({tool, "export", section.string()}, (dir / "a.csv").string());
    const std::string csvA = readAll(dir / "a.csv");
    writeAll(dir / "b.csv", everyLifetimePlusOne(csvA));
    csvSize = csvA.size();
    std::fprintf(stderr, "section of %d records, CSV %zu bytes\n", records, csvSize);

    // Every run changes every record: the two sheets take turns.
    int turn = 0;
    std::vector<std::string> newBytes;
    rows.push_back(compare(
        "import, 100,000 records changed", "plain writes", 1.5, [] {},
        [&] {
          return program({tool, "import", section.string(), (dir / (turn++ % 2 ? "a.csv" : "b.csv")).string()});
        },
        [&] { newBytes = readRecords(section, records); },
        [&] {
          return timed([&] {
            for (int k = 1; k <= records; ++k) plainWrite(plain / recordFileName(k), newBytes[k - 1]);
          });
        }));
    importKb = rows.back().peakKb;
    newBytes.clear();
    newBytes.shrink_to_fit();

    std::string csv;
    rows.push_back(compare(
        "export, 100,000 records", "plain reads + CSV", 1.3, [&] { fs::remove(dir / "out.csv"); },
        [&] {
          return program({tool, "export", section.string(), "-o", (dir / "out.csv").string()});
        },
        [&] {
          csv = readAll(dir / "out.csv");
          fs::remove(dir / "plain.csv");
        },
        [&] {
          return timed([&] {
            std::string one;
            std::size_t total = 0;
            for (int k = 1; k <= records; ++k) {
              platform::readWholeFile(section / recordFileName(k), one);
              total += one.size();
            }
            plainWrite(dir / "plain.csv", csv);
            if (total == 0) std::exit(1);
          });
        }));

    exportKb = rows.back().peakKb;
  }

  std::printf("\nkessik-db against the floor, median of %d runs each (warm caches):\n\n", gRuns);
  std::printf("%-34s %10s  %-18s %10s  %6s  %s\n", "work", "kessik-db", "floor", "floor", "ratio", "goal");
  for (const Figure& r : rows) {
    char goal[16] = "";
    if (r.goal > 0) std::snprintf(goal, sizeof goal, "<= %.1f", r.goal);
    std::printf("%-34s %7.0f ms  %-18s %7.0f ms  %6.2f  %s\n", r.work.c_str(), r.program * 1000, r.floor.c_str(),
                r.floorTime * 1000, r.program / r.floorTime, goal);
  }
  std::printf("\npeak resident memory at 100,000 records:\n");
  if (databases)
    std::printf("  unpack %.1f MB (%.0f ms), pack %.1f MB (%.0f ms) of a database of %zu bytes\n",
                bigUnpack.peakKb / 1024.0, bigUnpack.seconds * 1000, bigPack.peakKb / 1024.0, bigPack.seconds * 1000,
                bigDatabase.size());
  if (sections)
    std::printf("  import %.1f MB, export %.1f MB of a section whose CSV is %zu bytes\n", importKb / 1024.0,
                exportKb / 1024.0, csvSize);
  if (!keep) fs::remove_all(dir);
  return 0;
}
