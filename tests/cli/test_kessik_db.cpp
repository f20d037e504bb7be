// kessik-db run as a child process: exit statuses, standard error texts, and
// the trees and files it writes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/node.h"
#include "util/crashpoint.h"
#include "support/child_process.h"
#include "support/testenv.h"

namespace fs = std::filesystem;
using kessik::test::bytes;

namespace {

std::string node(std::uint8_t type, const std::string& payload) {
  std::string out;
  kessik::appendNodeHeader(out, type, payload.size());
  return out + payload;
}

class KessikDb : public kessik::test::TempDrive {
 protected:
  kessik::test::ChildRun run(const std::vector<std::string>& args) {
    return kessik::test::runChild(KESSIK_DB_EXE, args, root_);
  }
  std::string p(const std::string& rel) const { return (root_ / rel).string(); }
  void put(const std::string& rel, const std::string& data) const {
    fs::create_directories((root_ / rel).parent_path());
    std::ofstream(root_ / rel, std::ios::binary) << data;
  }
};

TEST_F(KessikDb, HelpAndUsageErrors) {
  const std::vector<std::string> helps[] = {{"--help"}, {"-h"}, {"unpack", "--help"}, {"pack", "-h"}};
  for (const auto& args : helps) {
    kessik::test::ChildRun r = run(args);
    EXPECT_EQ(r.status, 0) << args[0];
    EXPECT_NE(r.out.find("Usage: kessik-db"), std::string::npos);
    EXPECT_EQ(r.err, "");
  }
  EXPECT_NE(run({"--help"}).out.find("pack DATABASE_FOLDER DATABASE_FILE"), std::string::npos);

  // After "--" a path may be called "-h" or "--help".
  fs::create_directories(root_ / "-h/1");
  put("-h/1/0000001.zap", node(1, "a"));
  kessik::test::ChildRun packed = kessik::test::runChild(
      "/bin/sh", {"-c", "cd \"$1\" && exec \"$0\" pack -- -h --help", KESSIK_DB_EXE, root_.string()}, root_);
  EXPECT_EQ(packed.status, 0) << packed.err;
  EXPECT_EQ(packed.out, "");
  EXPECT_EQ(kessik::test::fileContents(root_ / "--help"), node(1, node(1, node(1, "a"))) + std::string(kessik::kDatabaseTrailer));

  const std::vector<std::string> usageErrors[] = {
      {}, {"frobnicate"}, {"unpack", "a.db"}, {"pack", "a", "b", "c"}, {"unpack", "--force", "a.db", "r"},
  };
  for (const auto& args : usageErrors) {
    kessik::test::ChildRun r = run(args);
    EXPECT_EQ(r.status, 2) << (args.empty() ? "(none)" : args[0]);
    EXPECT_NE(r.err.find("Usage: kessik-db"), std::string::npos);
    EXPECT_EQ(r.out, "");
  }
}

TEST_F(KessikDb, UnpackAndPackRoundTrip) {
  const std::string r1 = node(1, std::string(300, 'x')), r2 = node(1, "ab");
  const std::string file = node(1, node(1, r1 + r2) + node(2, "")) + std::string(kessik::kDatabaseTrailer);
  put("res/units.udb", file);
  fs::create_directories(root_ / "src");

  kessik::test::ChildRun u = run({p("res/units.udb"), p("src")});  // no command: a usage error
  EXPECT_EQ(u.status, 2);
  u = run({"unpack", p("res/units.udb"), p("src")});
  ASSERT_EQ(u.status, 0) << u.err;
  EXPECT_EQ(u.err, "");
  EXPECT_EQ(kessik::test::fileContents(root_ / "src/units/1/0000001.zap"), r1);
  EXPECT_EQ(kessik::test::fileContents(root_ / "src/units/1/0000002.zap"), r2);
  EXPECT_TRUE(fs::is_directory(root_ / "src/units/2"));

  kessik::test::ChildRun k = run({"pack", p("src/units"), p("out/units.udb")});
  ASSERT_EQ(k.status, 0) << k.err;
  EXPECT_EQ(k.err, "");
  EXPECT_EQ(kessik::test::fileContents(root_ / "out/units.udb"), file);
}

TEST_F(KessikDb, RefusalsExitOneWithTheirMessage) {
  put("res/prints.db", bytes("00 04 01 00") + std::string(kessik::kDatabaseTrailer));
  put("res/spells.sdb", node(1, node(1, node(1, "a")) + node(1, "")) + std::string(kessik::kDatabaseTrailer));
  put("res/.db", node(1, "") + std::string(kessik::kDatabaseTrailer));
  put("src/prints/1/0000001.zap", "old");
  const std::string win = "C:\\res\\";  // the child maps C: like the test does

  kessik::test::ChildRun r = run({"unpack", p("res/prints.db"), p("src")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Первый байт файла " + win + "prints.db равен 00h. Нестандартная база или вообще не база. "
                   "Нераспакован.\n");
  EXPECT_EQ(kessik::test::fileContents(root_ / "src/prints/1/0000001.zap"), "old");  // the old tree stays

  r = run({"unpack", p("res/spells.sdb"), p("src")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Файл " + win + "spells.sdb: раздел 1 по смещению 7 (7h) встречается второй раз. "
                   "Нестандартная база. Нераспакован.\n");
  EXPECT_FALSE(fs::exists(root_ / "src/spells"));

  r = run({"unpack", p("res/.db"), p("src")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("пустое имя до точки"), std::string::npos);

  r = run({"unpack", p("res/missing.db"), p("src")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Ошибка! Типа не могу открыть файл, т.к. открывать то нечего. Проверьте пути.\n");

  r = run({"pack", p("nothing"), p("out.db")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Папки исходника C:\\nothing\\ нет. База C:\\out.db не запакована.\n");
  EXPECT_FALSE(fs::exists(root_ / "out.db"));

  r = run({"pack", p("src/prints"), ""});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Путь пустой (аргумент \"\"). Ничего не сделано.\n");

  // A host name cp1251 cannot hold has no Windows path.
  put("res/日本.db", node(1, "") + std::string(kessik::kDatabaseTrailer));
  r = run({"unpack", p("res/日本.db"), p("src")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("не переводится в путь Windows"), std::string::npos);
}

// Runs the child with KESSIK_CRASH_AT set: it ends at that point as a kill
// would end it there.
class CrashAt {
 public:
  explicit CrashAt(const std::string& point) { ::setenv("KESSIK_CRASH_AT", point.c_str(), 1); }
  ~CrashAt() { ::unsetenv("KESSIK_CRASH_AT"); }
};

std::map<std::string, std::string> treeOf(const fs::path& dir) {
  std::map<std::string, std::string> out;
  for (const auto& e : fs::recursive_directory_iterator(dir))
    out[fs::relative(e.path(), dir).generic_string()] = e.is_regular_file() ? kessik::test::fileContents(e.path()) : "/";
  return out;
}

// Killed at any record of the new tree, unpack leaves the old tree in place;
// killed at any record of the new file, pack leaves the old file. The next
// run removes what the killed one left and does its work whole.
TEST_F(KessikDb, KilledUnpackAndPackLeaveTheOldOrTheNew) {
  const std::string oldDb = node(1, node(1, node(1, "o1") + node(1, "o2"))) + std::string(kessik::kDatabaseTrailer);
  const std::string newDb = node(1, node(1, node(1, "n1") + node(1, std::string(300, 'n'))) + node(2, node(1, "n3")) +
                                        node(3, node(1, "n4") + node(1, "n5"))) +
                            std::string(kessik::kDatabaseTrailer);
  put("res/old/prints.db", oldDb);
  put("res/prints.db", newDb);
  fs::create_directories(root_ / "src");
  ASSERT_EQ(run({"unpack", p("res/old/prints.db"), p("src")}).status, 0);
  const auto oldTree = treeOf(root_ / "src");

  for (int n = 1; n <= 5; ++n) {
    SCOPED_TRACE("unpack killed after record " + std::to_string(n));
    {
      CrashAt crash("unpack-record:" + std::to_string(n));
      EXPECT_EQ(run({"unpack", p("res/prints.db"), p("src")}).status, kessik::kCrashExitStatus);
    }
    std::map<std::string, std::string> oldPrints;
    for (auto& [k, v] : oldTree)
      if (k.rfind("prints/", 0) == 0) oldPrints[k.substr(7)] = v;
    EXPECT_EQ(treeOf(root_ / "src/prints"), oldPrints);
    // Packing what is there gives the old database and clears the leftovers.
    kessik::test::ChildRun k = run({"pack", p("src/prints"), p("out/prints.db")});
    ASSERT_EQ(k.status, 0) << k.err;
    EXPECT_EQ(kessik::test::fileContents(root_ / "out/prints.db"), oldDb);
    EXPECT_EQ(treeOf(root_ / "src"), oldTree);
  }
  {
    CrashAt crash("unpack-record:3");
    EXPECT_EQ(run({"unpack", p("res/prints.db"), p("src")}).status, kessik::kCrashExitStatus);
  }
  ASSERT_EQ(run({"unpack", p("res/prints.db"), p("src")}).status, 0);
  EXPECT_EQ(kessik::test::fileContents(root_ / "src/prints/3/0000002.zap"), node(1, "n5"));
  EXPECT_EQ(treeOf(root_ / "src").count("prints.~kessik"), 0u);

  for (int n = 1; n <= 5; ++n) {
    SCOPED_TRACE("pack killed after record " + std::to_string(n));
    {
      CrashAt crash("pack-record:" + std::to_string(n));
      EXPECT_EQ(run({"pack", p("src/prints"), p("out/prints.db")}).status, kessik::kCrashExitStatus);
    }
    EXPECT_EQ(kessik::test::fileContents(root_ / "out/prints.db"), oldDb);
  }
  EXPECT_TRUE(fs::exists(root_ / "out/prints.db.~kessik"));  // what a kill leaves
  kessik::test::ChildRun k = run({"pack", p("src/prints"), p("out/prints.db")});
  ASSERT_EQ(k.status, 0) << k.err;
  EXPECT_EQ(kessik::test::fileContents(root_ / "out/prints.db"), newDb);
  EXPECT_EQ(treeOf(root_ / "out"), (std::map<std::string, std::string>{{"prints.db", newDb}}));
}

// Out of memory is a refusal with a message, never an abort, and the old
// tree stays: a file the format allows, too large for the memory given.
// A file whose first bytes already refuse it is refused before it is read
// whole, however large.
TEST_F(KessikDb, TooLittleMemoryIsARefusal) {
  put("src/prints/1/0000001.zap", "old");
  const std::uint64_t size = 1u << 30;
  std::string header;
  kessik::appendNodeHeader(header, 1, size - 5 - kessik::kDatabaseTrailer.size());
  struct Case {
    const char* name;
    std::string head;
    std::string err;
  } cases[] = {
      {"a header that fits", header, "Не хватает памяти для распаковки файла C:\\res\\prints.db. Нераспакован.\n"},
      {"first byte 00", std::string(1, '\0') + header.substr(1),
       "Первый байт файла C:\\res\\prints.db равен 00h. Нестандартная база или вообще не база. Нераспакован.\n"},
      {"a length that does not fit", header.substr(0, 1) + std::string("\x01\x10\x00\x00", 4),
       "ДЛ файла неправильное!\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    put("res/prints.db", c.head);
    fs::resize_file(root_ / "res/prints.db", size);  // sparse
    kessik::test::ChildRun r = kessik::test::runChild(
        "/bin/sh", {"-c", "ulimit -v 400000 && exec \"$0\" \"$@\"", KESSIK_DB_EXE, "unpack", p("res/prints.db"), p("src")},
        root_);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(treeOf(root_ / "src"), (std::map<std::string, std::string>{
                                         {"prints", "/"}, {"prints/1", "/"}, {"prints/1/0000001.zap", "old"}}));
  }
}

// The sections are written on several threads: a record that cannot be
// written (here: larger than the file size limit) stops them all, the message
// names that record, and the old tree stays with nothing of ours beside it.
TEST_F(KessikDb, AWriteFailureInOneSectionLeavesTheOldTree) {
  put("src/prints/1/0000001.zap", "old");
  std::string sections;
  for (int s = 1; s <= 5; ++s) {
    std::string records;
    for (int r = 1; r <= 40; ++r) records += node(1, std::string(20, static_cast<char>('a' + s)));
    if (s == 3) records.insert(0, node(1, "first")) += node(1, std::string(5000, 'x'));
    sections += node(static_cast<std::uint8_t>(s), records);
  }
  put("res/prints.db", node(1, sections) + std::string(kessik::kDatabaseTrailer));
  // An ignored SIGXFSZ makes the write fail instead of ending the process.
  kessik::test::ChildRun r = kessik::test::runChild(
      "/bin/sh", {"-c", "trap '' XFSZ; ulimit -f 2 && exec \"$0\" \"$@\"", KESSIK_DB_EXE, "unpack", p("res/prints.db"),
                  p("src")},
      root_);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Ошибка записи файла C:\\src\\prints\\3\\0000042.zap. Нераспакован.\n");
  EXPECT_EQ(treeOf(root_ / "src"), (std::map<std::string, std::string>{
                                       {"prints", "/"}, {"prints/1", "/"}, {"prints/1/0000001.zap", "old"}}));
}

}  // namespace
