// kessik-db run as a child process: exit statuses, standard error texts, and
// the trees and files it writes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/node.h"
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
  EXPECT_TRUE(fs::is_empty(root_ / "src/prints"));

  r = run({"unpack", p("res/spells.sdb"), p("src")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Файл " + win + "spells.sdb: раздел 1 по смещению 7 (7h) встречается второй раз. "
                   "Нестандартная база. Нераспакован.\n");
  EXPECT_TRUE(fs::is_empty(root_ / "src/spells"));

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

  // A host name cp1251 cannot hold has no Windows path.
  put("res/日本.db", node(1, "") + std::string(kessik::kDatabaseTrailer));
  r = run({"unpack", p("res/日本.db"), p("src")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("не переводится в путь Windows"), std::string::npos);
}

}  // namespace
