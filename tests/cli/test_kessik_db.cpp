// kessik-db run as a child process: exit statuses, standard error texts, and
// the trees and files it writes.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/node.h"
#include "support/testenv.h"

extern char** environ;

namespace fs = std::filesystem;
using kessik::test::bytes;

namespace {

struct Outcome {
  int status = -1;
  std::string out, err;
};

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string node(std::uint8_t type, const std::string& payload) {
  std::string out;
  kessik::appendNodeHeader(out, type, payload.size());
  return out + payload;
}

class KessikDb : public kessik::test::TempDrive {
 protected:
  Outcome run(const std::vector<std::string>& args) {
    const fs::path out = root_ / "stdout.txt", err = root_ / "stderr.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> all{KESSIK_DB_EXE};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid;
    Outcome r;
    if (posix_spawn(&pid, KESSIK_DB_EXE, &actions, nullptr, argv.data(), environ) == 0) {
      int ws = 0;
      waitpid(pid, &ws, 0);
      r.status = WIFEXITED(ws) ? WEXITSTATUS(ws) : 128;
    }
    posix_spawn_file_actions_destroy(&actions);
    r.out = slurp(out);
    r.err = slurp(err);
    fs::remove(out);
    fs::remove(err);
    return r;
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
    Outcome r = run(args);
    EXPECT_EQ(r.status, 0) << args[0];
    EXPECT_NE(r.out.find("Usage: kessik-db"), std::string::npos);
    EXPECT_EQ(r.err, "");
  }
  EXPECT_NE(run({"--help"}).out.find("pack DATABASE_FOLDER DATABASE_FILE"), std::string::npos);

  const std::vector<std::string> usageErrors[] = {
      {}, {"frobnicate"}, {"unpack", "a.db"}, {"pack", "a", "b", "c"}, {"unpack", "--force", "a.db", "r"},
  };
  for (const auto& args : usageErrors) {
    Outcome r = run(args);
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

  Outcome u = run({p("res/units.udb"), p("src")});  // no command: a usage error
  EXPECT_EQ(u.status, 2);
  u = run({"unpack", p("res/units.udb"), p("src")});
  ASSERT_EQ(u.status, 0) << u.err;
  EXPECT_EQ(u.err, "");
  EXPECT_EQ(slurp(root_ / "src/units/1/0000001.zap"), r1);
  EXPECT_EQ(slurp(root_ / "src/units/1/0000002.zap"), r2);
  EXPECT_TRUE(fs::is_directory(root_ / "src/units/2"));

  Outcome k = run({"pack", p("src/units"), p("out/units.udb")});
  ASSERT_EQ(k.status, 0) << k.err;
  EXPECT_EQ(k.err, "");
  EXPECT_EQ(slurp(root_ / "out/units.udb"), file);
}

TEST_F(KessikDb, RefusalsExitOneWithTheirMessage) {
  put("res/prints.db", bytes("00 04 01 00") + std::string(kessik::kDatabaseTrailer));
  put("res/spells.sdb", node(1, node(1, node(1, "a")) + node(1, "")) + std::string(kessik::kDatabaseTrailer));
  put("res/.db", node(1, "") + std::string(kessik::kDatabaseTrailer));
  put("src/prints/1/0000001.zap", "old");
  const std::string win = "C:\\res\\";  // the child maps C: like the test does

  Outcome r = run({"unpack", p("res/prints.db"), p("src")});
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
