// Unpacking a database into its source tree and packing it back.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "core/database.h"
#include "core/node.h"
#include "platform/host.h"
#include "support/record_fixtures.h"
#include "support/testenv.h"
#include "util/cp1251.h"

using namespace kessik;
using kessik::test::bytes;
using kessik::test::databaseFile;
using kessik::test::node;
using kessik::test::cp;
using kessik::test::hex;
namespace fs = std::filesystem;

namespace {

std::string record(std::size_t payloadSize, char fill) { return node(1, std::string(payloadSize, fill)); }

const std::string kTrailerHex = "00 00 02 0C 02 08 01 00 00 00";

}  // namespace

TEST(DatabaseNames, RecordFileName) {
  const std::pair<std::uint64_t, const char*> cases[] = {
      {0, "0000000.zap"},      {1, "0000001.zap"},         {10, "0000010.zap"},
      {123456, "0123456.zap"}, {1234567, "01234567.zap"},  {9999999, "09999999.zap"},
  };
  for (auto& [n, name] : cases) EXPECT_EQ(recordFileName(n), name) << n;
}

TEST(DatabaseNames, BaseName) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\x\\items.idb", "items"}, {"C:\\x\\a.b.c", "a"}, {"C:\\x\\noext", "noext"},
      {"C:\\x\\.db", ""},            {"items.idb", "items"}, {"C:\\x.y\\z", "z"},
  };
  for (auto& [path, base] : cases) EXPECT_EQ(baseName(path), base) << path;
}

class Database : public kessik::test::TempDrive {
 protected:
  // Every file under a Windows folder, by its path relative to it, with its
  // bytes; folders end with "/".
  std::map<std::string, std::string> tree(const std::string& folder) const {
    std::map<std::string, std::string> out;
    fs::path base = host(folder);
    if (!fs::exists(base)) return out;
    for (auto& e : fs::recursive_directory_iterator(base)) {
      std::string rel = fs::relative(e.path(), base).generic_string();
      if (e.is_directory()) out[rel + "/"] = "";
      else out[rel] = readFile(folder + "\\" + rel);
    }
    return out;
  }
};

TEST_F(Database, UnpackWritesTheTreeAndPackGivesTheSameBytes) {
  // Section 1: a short record, a 200-byte one (4-byte code), an empty one;
  // its payload needs a 4-byte code, and so does the database node. Section 2
  // is empty; section 3 has one record.
  const std::string r1 = record(3, 'a'), r2 = record(200, 'b'), r3 = node(1, ""), r4 = record(5, 'c');
  const std::string file = databaseFile(node(1, r1 + r2 + r3) + node(2, "") + node(3, r4));
  writeFile("C:\\r\\database_res\\prints.db", file);
  fs::create_directories(host("C:\\s\\"));

  ASSERT_TRUE(unpackDatabase("C:\\r\\database_res\\prints.db", "C:\\s\\"));
  EXPECT_TRUE(notes_.messages.empty());
  std::map<std::string, std::string> expected = {
      {"prints/", ""},        {"prints/1/", ""},  {"prints/1/0000001.zap", r1}, {"prints/1/0000002.zap", r2},
      {"prints/1/0000003.zap", r3}, {"prints/2/", ""}, {"prints/3/", ""}, {"prints/3/0000001.zap", r4},
  };
  EXPECT_EQ(tree("C:\\s"), expected);

  ASSERT_TRUE(packDatabase("C:\\s\\prints\\", "C:\\out\\new\\prints.db"));
  EXPECT_EQ(hex(readFile("C:\\out\\new\\prints.db")), hex(file));
  EXPECT_EQ(tree("C:\\s"), expected);  // packing never changes the tree
}

// More sections than cores, written on several threads, and enough records
// for the early flushes to run meanwhile (and for the old tree's removal to
// be shared out when it is unpacked again): the tree is whole, and the bar
// moves only forward, only from the calling thread, up to the end of the
// database node.
TEST_F(Database, UnpackOnThreadsReportsProgressInOrder) {
  class Recording : public Progress {
   public:
    void setMaximum(std::uint64_t m) override { maximum = m; }
    void setPosition(std::uint64_t p) override {
      positions.push_back(p);
      if (std::this_thread::get_id() != caller) strayThread = true;
    }
    std::thread::id caller = std::this_thread::get_id();
    std::uint64_t maximum = 0;
    std::vector<std::uint64_t> positions;
    bool strayThread = false;
  } progress;
  const int sections = static_cast<int>(std::max(2u, std::thread::hardware_concurrency())) * 2 + 1;
  std::string nodes;
  std::map<std::string, std::string> expected = {{"units/", ""}};
  for (int s = 1; s <= sections; ++s) {
    const std::string sec = std::to_string(s);
    std::string records;
    expected["units/" + sec + "/"] = "";
    for (int r = 1; r <= 300 * s; ++r) {
      const std::string rec = record(static_cast<std::size_t>((r * 37 + s) % 180), static_cast<char>(s));
      records += rec;
      expected["units/" + sec + "/" + recordFileName(static_cast<std::uint64_t>(r))] = rec;
    }
    nodes += node(static_cast<std::uint8_t>(s), records);
  }
  const std::string file = databaseFile(nodes);
  writeFile("C:\\r\\units.udb", file);
  fs::create_directories(host("C:\\s\\"));

  ASSERT_TRUE(unpackDatabase("C:\\r\\units.udb", "C:\\s\\", progress));
  EXPECT_EQ(tree("C:\\s"), expected);
  EXPECT_FALSE(progress.strayThread);
  ASSERT_FALSE(progress.positions.empty());
  EXPECT_TRUE(std::is_sorted(progress.positions.begin(), progress.positions.end()));
  EXPECT_EQ(progress.positions.back(), file.size() - kDatabaseTrailer.size());
  EXPECT_EQ(progress.maximum, file.size());

  // Again over the tree: the old one, removed by several threads, is gone
  // whole.
  ASSERT_TRUE(unpackDatabase("C:\\r\\units.udb", "C:\\s\\"));
  EXPECT_EQ(tree("C:\\s"), expected);
}

TEST_F(Database, UnpackReplacesTheOldFolderOnly) {
  writeFile("C:\\r\\items.idb", databaseFile(node(5, record(1, 'x'))));
  writeFile("C:\\s\\items\\1\\0000009.zap", "old");
  writeFile("C:\\s\\items\\notes.txt", "old");
  writeFile("C:\\s\\items2\\keep.zap", "keep");
  writeFile("C:\\s\\keep.txt", "keep");
  // Names beginning with "." are no part of the database (a mod kept in
  // git): they stay where they were at every level, in a folder of their own
  // when the new tree has none there.
  writeFile("C:\\s\\items\\.git\\HEAD", "head");
  writeFile("C:\\s\\items\\5\\.gitkeep", "five");
  writeFile("C:\\s\\items\\9\\.gitkeep", "nine");

  for (int run = 1; run <= 2; ++run) {
    SCOPED_TRACE(run);
    ASSERT_TRUE(unpackDatabase("C:\\r\\items.idb", "C:\\s\\"));
    EXPECT_TRUE(notes_.messages.empty()) << notes_.texts()[0];
    // A section of type 5 goes to "5\" wherever it stands.
    EXPECT_EQ(tree("C:\\s\\items"),
              (std::map<std::string, std::string>{{".git/", ""},
                                                  {".git/HEAD", "head"},
                                                  {"5/", ""},
                                                  {"5/.gitkeep", "five"},
                                                  {"5/0000001.zap", record(1, 'x')},
                                                  {"9/", ""},
                                                  {"9/.gitkeep", "nine"}}));
    EXPECT_FALSE(hostExists("C:\\s\\items.~kessik"));
    EXPECT_FALSE(hostExists("C:\\s\\items.~kessik-old"));
  }
  EXPECT_EQ(readFile("C:\\s\\items2\\keep.zap"), "keep");
  EXPECT_EQ(readFile("C:\\s\\keep.txt"), "keep");
  ASSERT_TRUE(packDatabase("C:\\s\\items\\", "C:\\o.db"));
  EXPECT_TRUE(notes_.messages.empty()) << notes_.texts()[0];
}

TEST_F(Database, FirstByteOtherThanOneWarnsAndUnpacks) {
  std::string file = databaseFile(node(1, record(2, 'q')));
  file[0] = 0x02;
  writeFile("C:\\r\\acks.db", file);
  fs::create_directories(host("C:\\s"));
  ASSERT_TRUE(unpackDatabase("C:\\r\\acks.db", "C:\\s\\"));
  ASSERT_EQ(notes_.messages.size(), 1u);
  EXPECT_EQ(notes_.messages[0].icon, Icon::Warning);
  EXPECT_EQ(notes_.texts()[0], "База начинается не на <01>. Нестандартно...");
  EXPECT_TRUE(hostExists("C:\\s\\acks\\1\\0000001.zap"));
}

// Malformed files: one error naming the file (and the offset where there is
// one); the old database folder is left as it was, and nothing else is
// touched.
TEST_F(Database, MalformedFilesLeaveTheOldFolderAlone) {
  const std::string good = databaseFile(node(1, record(3, 'a') + record(4, 'b')) + node(2, record(1, 'c')));
  const std::string truncated = good.substr(0, good.size() - 3);
  // A section claiming 10 bytes where 6 remain in the database node.
  const std::string sectionPast = bytes("01 10 01 14 01 02 41 01 02 42") + std::string(kDatabaseTrailer);
  // A section of 5 bytes whose second record claims 5 where none remain.
  const std::string recordPast = bytes("01 0E 01 0A 01 02 41 01 0A") + std::string(kDatabaseTrailer);
  const std::string repeated = databaseFile(node(1, record(1, 'a')) + node(2, "") + node(1, record(1, 'b')));
  struct Case {
    const char* name;
    std::string file;
    std::string message;  // UTF-8; the whole text
  } cases[] = {
      {"first byte 00", bytes("00 04 01 00") + std::string(kDatabaseTrailer),
       "Первый байт файла C:\\r\\prints.db равен 00h. Нестандартная база или вообще не база. Нераспакован."},
      {"one byte too many", good + "x", "ДЛ файла неправильное!"},
      {"no trailer", node(1, node(1, "")),
       "ДЛ файла неправильное! Файл C:\\r\\prints.db обрезан: по заголовку в нем 14 байт, а он кончается на "
       "смещении 4 (4h). Нераспакован."},
      {"truncated", truncated,
       "ДЛ файла неправильное! Файл C:\\r\\prints.db обрезан: по заголовку в нем 30 байт, а он кончается на "
       "смещении 27 (1Bh). Нераспакован."},
      {"empty", "", "Файл C:\\r\\prints.db пустой (0 байт), смещение 0. Это не база. Нераспакован."},
      {"size code cut", bytes("01 01 00"),
       "Файл C:\\r\\prints.db обрезан: заголовок базы по смещению 0 не помещается в 3 байт файла. Нераспакован."},
      {"section past the database", sectionPast,
       "Файл C:\\r\\prints.db: раздел по смещению 2 (2h) вылезает за конец базы (ДЛ раздела неправильное). "
       "Нераспакован."},
      {"record past its section", recordPast,
       "Файл C:\\r\\prints.db: запись по смещению 7 (7h) в разделе 1 вылезает за конец раздела (ДЛ записи "
       "неправильное). Нераспакован."},
      {"repeated section", repeated,
       "Файл C:\\r\\prints.db: раздел 1 по смещению 9 (9h) встречается второй раз. Нестандартная база. "
       "Нераспакован."},
  };
  ASSERT_EQ(good.size(), 30u);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    notes_.messages.clear();
    writeFile("C:\\r\\prints.db", c.file);
    writeFile("C:\\s\\prints\\1\\0000001.zap", "old");
    writeFile("C:\\s\\other\\0000001.zap", "keep");

    EXPECT_FALSE(unpackDatabase("C:\\r\\prints.db", "C:\\s\\"));
    ASSERT_EQ(notes_.messages.size(), 1u);
    EXPECT_EQ(notes_.messages[0].icon, Icon::Error);
    EXPECT_EQ(notes_.messages[0].caption, "Error");
    EXPECT_EQ(notes_.texts()[0], c.message);
    EXPECT_EQ(tree("C:\\s\\prints"), (std::map<std::string, std::string>{{"1/", ""}, {"1/0000001.zap", "old"}}));
    EXPECT_EQ(tree("C:\\s").size(), 5u);  // no temporary folder beside it
    EXPECT_EQ(readFile("C:\\s\\other\\0000001.zap"), "keep");
    EXPECT_EQ(readFile("C:\\r\\prints.db"), c.file);
  }
}

TEST(DatabaseLayout, SpansStayInsideTheData) {
  const std::string file = databaseFile(node(3, record(130, 'z') + record(0, 'y')) + node(7, ""));
  LayoutResult r = readDatabaseLayout(file);
  ASSERT_EQ(r.fault, LayoutFault::None);
  ASSERT_EQ(r.layout.sections.size(), 2u);
  EXPECT_EQ(r.layout.sections[0].number, 3);
  ASSERT_EQ(r.layout.sections[0].records.size(), 2u);
  EXPECT_EQ(r.layout.sections[0].records[0].size, 135u);
  EXPECT_EQ(r.layout.sections[0].records[1].size, 2u);
  EXPECT_EQ(r.layout.sections[1].number, 7);
  EXPECT_TRUE(r.layout.sections[1].records.empty());
  // A 4-byte size code near 2^32 must not wrap into a small node.
  EXPECT_EQ(readDatabaseLayout(bytes("01 10 01 FF FF FF FF 41 01 00") + std::string(kDatabaseTrailer)).fault,
            LayoutFault::SectionPastEnd);
  EXPECT_EQ(readDatabaseLayout(bytes("01 FF FF FF FF") + std::string(kDatabaseTrailer)).fault,
            LayoutFault::LengthMismatch);
}

// Refusals that leave everything as it was, the old database folder included.
TEST_F(Database, RefusalsTouchNothing) {
  const std::string file = databaseFile(node(1, record(1, 'n')));
  fs::create_directories(host("C:\\outside"));
  writeFile("C:\\outside\\precious.zap", "precious");
  writeFile("C:\\r\\prints.db", file);
  writeFile("C:\\r\\.db", file);
  writeFile("C:\\r\\units.udb", file);
  writeFile("C:\\r\\con.db", file);
  writeFile("C:\\r\\LPT1.db", file);
  writeFile("C:\\s\\units", "a file");
  writeFile("C:\\s\\quests\\1\\0000001.zap", "old");
  writeFile("C:\\s\\quests\\quests.qdb", file);
  fs::create_directories(host("C:\\s"));
  std::error_code linkError;  // a host without symbolic links skips that case
  fs::create_directory_symlink(host("C:\\outside"), host("C:\\s\\prints"), linkError);

  struct Case {
    const char* name;
    std::string database;
    std::string message;
  } cases[] = {
      {"link named like the database", "C:\\r\\prints.db",
       "Папка C:\\s\\prints\\ - это ссылка, а не папка. Удалите ее сами, если она не нужна. Нераспакован."},
      {"empty base name", "C:\\r\\.db",
       "У файла C:\\r\\.db пустое имя до точки, папка базы совпала бы с папкой исходников. Нераспакован."},
      {"a file in the folder's place", "C:\\r\\units.udb", "На месте папки C:\\s\\units\\ лежит файл. Нераспакован."},
      {"database file inside its own folder", "C:\\s\\quests\\quests.qdb",
       "Файл C:\\s\\quests\\quests.qdb лежит внутри папки C:\\s\\quests\\, которую распаковка удаляет. Перенесите "
       "его. Нераспакован."},
      {"missing database file", "C:\\r\\quests.qdb",
       "Ошибка! Типа не могу открыть файл, т.к. открывать то нечего. Проверьте пути."},
      // Windows would take such a folder for a device, whatever this host does.
      {"a device name", "C:\\r\\con.db",
       "Имя файла C:\\r\\con.db дало бы папку con, а это имя устройства Windows (CON, PRN, AUX, NUL, COM1-COM9, "
       "LPT1-LPT9). Переименуйте файл. Нераспакован."},
      {"a device name with digits", "C:\\r\\LPT1.db",
       "Имя файла C:\\r\\LPT1.db дало бы папку LPT1, а это имя устройства Windows (CON, PRN, AUX, NUL, COM1-COM9, "
       "LPT1-LPT9). Переименуйте файл. Нераспакован."},
  };
  // Everything the test laid out (on Windows C:\\ also holds the system).
  auto everything = [&] {
    auto all = tree("C:\\s");
    for (const char* f : {"C:\\r", "C:\\outside"})
      for (auto& [k, v] : tree(f)) all[std::string(f) + "\\" + k] = v;
    return all;
  };
  auto before = everything();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (linkError && c.database == "C:\\r\\prints.db") continue;
    notes_.messages.clear();
    EXPECT_FALSE(unpackDatabase(c.database, "C:\\s\\"));
    ASSERT_EQ(notes_.texts(), std::vector<std::string>{c.message});
    EXPECT_EQ(everything(), before);
  }
  EXPECT_TRUE(linkError || fs::is_symlink(host("C:\\s\\prints")));

  notes_.messages.clear();
  EXPECT_FALSE(unpackDatabase("C:\\r\\prints.db", "C:\\nosuchroot\\"));
  EXPECT_EQ(notes_.texts(), std::vector<std::string>{
                                "Не удалось создать папку C:\\nosuchroot\\prints\\ (есть ли папка исходников?). "
                                "Нераспакован."});
  EXPECT_FALSE(hostExists("C:\\nosuchroot"));
}

TEST_F(Database, PackFollowsTheGapRules) {
  const std::string a = record(1, 'a'), b = record(2, 'b'), c = record(3, 'c');
  struct Case {
    const char* name;
    std::map<std::string, std::string> files;  // relative to C:\p\, "/" ends a folder
    std::string expectedHex;
  } cases[] = {
      {"empty folder", {}, "01 00 " + kTrailerHex},
      {"empty section folder", {{"1/", ""}}, "01 04 01 00 " + kTrailerHex},
      {"records up to the first gap",
       {{"1/0000001.zap", a}, {"1/0000002.zap", b}, {"1/0000004.zap", c}},
       "01 12 01 0E 01 02 61 01 04 62 62 " + kTrailerHex},
      {"sections up to the first gap", {{"1/0000001.zap", a}, {"3/0000001.zap", c}}, "01 0A 01 06 01 02 61 " + kTrailerHex},
      {"numbered from 0000001", {{"1/0000000.zap", a}, {"1/0000002.zap", b}}, "01 04 01 00 " + kTrailerHex},
      {"a folder is no record", {{"1/0000001.zap/", ""}}, "01 04 01 00 " + kTrailerHex},
      {"bytes packed as they are", {{"1/0000001.zap", bytes("07 04 7A 7B")}}, "01 0C 01 08 07 04 7A 7B " + kTrailerHex},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    fs::remove_all(host("C:\\p"));
    fs::create_directories(host("C:\\p"));
    for (auto& [rel, data] : k.files) {
      if (rel.back() == '/') fs::create_directories(root_ / "p" / rel);
      else writeFile("C:\\p\\" + rel.substr(0, 1) + "\\" + rel.substr(2), data);
    }
    ASSERT_TRUE(packDatabase("C:\\p\\", "C:\\o.db"));
    EXPECT_EQ(hex(readFile("C:\\o.db")), k.expectedHex);
    EXPECT_TRUE(notes_.messages.empty());
  }
}

TEST_F(Database, PackSizeCodeWidths) {
  // 127 bytes of records: 1-byte section code; 128: 4-byte.
  for (std::size_t payload : {125u, 126u}) {
    SCOPED_TRACE(payload);
    fs::remove_all(host("C:\\p"));
    const std::string r = record(payload, 'w');  // payload + 2 bytes
    writeFile("C:\\p\\1\\0000001.zap", r);
    ASSERT_TRUE(packDatabase("C:\\p", "C:\\o.db"));
    std::string sectionHeader = payload == 125 ? "01 FE" : "01 01 01 00 00";
    std::string dbHeader = payload == 125 ? "01 03 01 00 00" : "01 0B 01 00 00";
    EXPECT_EQ(hex(readFile("C:\\o.db")), dbHeader + " " + sectionHeader + " " + hex(r) + " " + kTrailerHex);
  }
}

TEST_F(Database, PackTakesTenSectionsAndSaysSo) {
  for (int i = 1; i <= 11; ++i) writeFile("C:\\p\\" + std::to_string(i) + "\\0000001.zap", record(0, 0));
  ASSERT_TRUE(packDatabase("C:\\p\\", "C:\\o.db"));
  std::string expected = "01 50";
  for (int i = 1; i <= 10; ++i) expected += " " + hex(std::string(1, static_cast<char>(i))) + " 04 01 00";
  EXPECT_EQ(hex(readFile("C:\\o.db")), expected + " " + kTrailerHex);
  ASSERT_EQ(notes_.messages.size(), 1u);
  EXPECT_EQ(notes_.messages[0].icon, Icon::Warning);
  EXPECT_EQ(notes_.texts()[0], "В папке C:\\p\\ больше 10 разделов. Разделы с 11-го в базу не попали.");
}

TEST_F(Database, PackRefusesAMissingFolder) {
  writeFile("C:\\o.db", "old");
  EXPECT_FALSE(packDatabase("C:\\nope\\", "C:\\o.db"));
  EXPECT_EQ(notes_.texts(), std::vector<std::string>{"Папки исходника C:\\nope\\ нет. База C:\\o.db не запакована."});
  EXPECT_EQ(readFile("C:\\o.db"), "old");
}

// Packing never changes the source tree: a database file inside the folder
// (over a record, as a new record, anywhere below) is refused.
TEST_F(Database, PackRefusesAFileInsideTheFolder) {
  writeFile("C:\\p\\1\\0000001.zap", record(1, 'a'));
  writeFile("C:\\p\\1\\0000002.zap", record(1, 'b'));
  const auto before = tree("C:\\p");
  for (const char* file : {"C:\\p\\1\\0000001.zap", "C:\\p\\1\\0000003.zap", "C:\\p\\2\\0000001.zap",
                           "C:\\p\\o.db", "C:\\p\\x\\y\\o.db", "C:\\p", "C:\\p.~kessik\\o.db",
                           "C:\\p.~kessik-old\\1\\0000001.zap"}) {
    SCOPED_TRACE(file);
    notes_.messages.clear();
    EXPECT_FALSE(packDatabase("C:\\p\\", file));
    EXPECT_EQ(notes_.texts(), std::vector<std::string>{"Файл " + std::string(file) +
                                                       " лежит внутри папки C:\\p\\, которую запаковка читает и не "
                                                       "меняет. Выберите файл вне ее. База не запакована."});
    EXPECT_EQ(tree("C:\\p"), before);
    EXPECT_FALSE(hostExists("C:\\p.~kessik"));
    EXPECT_FALSE(hostExists("C:\\p.~kessik-old"));
  }
  EXPECT_TRUE(packDatabase("C:\\p\\", "C:\\p2\\o.db"));  // a neighbour whose name begins alike
}

// What an interrupted unpack leaves beside the database folder, and how the
// next unpack or pack puts it right: the folder holds the old tree or the new
// one, and nothing of ours stays beside it.
TEST_F(Database, InterruptedUnpackLeftoversAreSettled) {
  const std::string oldRecord = record(1, 'o'), newRecord = record(2, 'n');
  const std::string oldFile = databaseFile(node(1, oldRecord));
  const std::string newFile = databaseFile(node(1, newRecord));
  using Tree = std::map<std::string, std::string>;
  const Tree oldTree = {{"1/", ""}, {"1/0000001.zap", oldRecord}};
  struct Case {
    const char* name;
    std::map<std::string, std::string> files;  // under C:\s\, "/" ends a folder
    std::string packed;                        // what pack then writes
  } cases[] = {
      {"a new tree cut short beside the old one",
       {{"prints/1/0000001.zap", oldRecord}, {"prints.~kessik/1/0000001.zap", newRecord}, {"prints.~kessik/1/0000002.zap", ""}},
       oldFile},
      {"the old tree set aside, the whole new one not yet in place",
       {{"prints.~kessik-old/1/0000001.zap", oldRecord}, {"prints.~kessik/1/0000001.zap", newRecord}}, oldFile},
      {"the new tree in place, the old one not yet removed",
       {{"prints/1/0000001.zap", newRecord}, {"prints.~kessik-old/1/0000001.zap", oldRecord},
        {"prints.~kessik-old/.keep", "kept"}, {"prints.~kessik-old/1/.gitkeep", "kept too"}},
       newFile},
      {"a leftover that is a file", {{"prints/1/0000001.zap", oldRecord}, {"prints.~kessik", "junk"}}, oldFile},
  };
  for (const Case& c : cases) {
    for (const char* next : {"pack", "unpack"}) {
      SCOPED_TRACE(std::string(c.name) + ", then " + next);
      fs::remove_all(host("C:\\s"));
      fs::create_directories(host("C:\\s"));
      for (auto& [rel, data] : c.files) {
        std::string win = "C:\\s\\" + rel;
        std::replace(win.begin(), win.end(), '/', '\\');
        writeFile(win, data);
      }
      writeFile("C:\\r\\prints.db", newFile);
      if (std::string(next) == "pack") {
        ASSERT_TRUE(packDatabase("C:\\s\\prints\\", "C:\\o.db"));
        EXPECT_EQ(hex(readFile("C:\\o.db")), hex(c.packed));
      } else {
        ASSERT_TRUE(unpackDatabase("C:\\r\\prints.db", "C:\\s\\"));
        EXPECT_EQ(readFile("C:\\s\\prints\\1\\0000001.zap"), newRecord);
      }
      EXPECT_FALSE(hostExists("C:\\s\\prints.~kessik"));
      EXPECT_FALSE(hostExists("C:\\s\\prints.~kessik-old"));
      // What deleting a folder keeps on purpose outlives the old tree.
      if (c.files.count("prints.~kessik-old/.keep")) {
        EXPECT_EQ(readFile("C:\\s\\prints\\.keep"), "kept");
        EXPECT_EQ(readFile("C:\\s\\prints\\1\\.gitkeep"), "kept too");
      }
    }
  }
  EXPECT_TRUE(notes_.messages.empty()) << notes_.texts()[0];
}

// A run that works on a database folder holds its lock: another unpack or
// pack of it refuses and deletes nothing, also not the live run's folders
// beside it. A lock file nobody holds (a killed run's) blocks nothing and
// goes with the next run.
TEST_F(Database, ARunOnTheSameFolderRefusesWhileTheLockIsHeld) {
  const std::string oldRecord = record(1, 'o'), newRecord = record(2, 'n');
  writeFile("C:\\r\\prints.db", databaseFile(node(1, newRecord)));
  writeFile("C:\\s\\prints\\1\\0000001.zap", oldRecord);
  writeFile("C:\\s\\prints.~kessik\\1\\0000001.zap", newRecord);  // the live run's
  writeFile("C:\\o.db", "old");
  auto all = [&] {
    auto t = tree("C:\\s");
    t.erase("prints.~kessik-lock");
    return t;
  };
  const auto before = all();
  {
    platform::FileLock live(host("C:\\s\\prints.~kessik-lock"));
    ASSERT_EQ(live.state(), platform::FileLock::State::Held);
    EXPECT_FALSE(unpackDatabase("C:\\r\\prints.db", "C:\\s\\"));
    EXPECT_FALSE(packDatabase("C:\\s\\prints\\", "C:\\o.db"));
    const std::string busy =
        "Папка C:\\s\\prints\\ уже распаковывается или запаковывается другим процессом. Дождитесь его конца.";
    EXPECT_EQ(notes_.texts(), (std::vector<std::string>{busy + " Нераспакован.",
                                                        busy + " База C:\\o.db не запакована."}));
    EXPECT_EQ(all(), before);
    EXPECT_EQ(readFile("C:\\o.db"), "old");
  }
  notes_.messages.clear();
  writeFile("C:\\s\\prints.~kessik-lock", "");  // left by a killed run
  ASSERT_TRUE(packDatabase("C:\\s\\prints\\", "C:\\o.db"));
  EXPECT_EQ(readFile("C:\\o.db"), databaseFile(node(1, oldRecord)));
  ASSERT_TRUE(unpackDatabase("C:\\r\\prints.db", "C:\\s\\"));
  EXPECT_TRUE(notes_.messages.empty()) << notes_.texts()[0];
  EXPECT_EQ(tree("C:\\s"), (std::map<std::string, std::string>{
                                {"prints/", ""}, {"prints/1/", ""}, {"prints/1/0000001.zap", newRecord}}));
}

// A record file that is no whole record node would make another database
// than the tree shows (two records in one file unpack as two; a cut one
// swallows the records after it): packing refuses it by name, wherever it
// stands, and keeps the old database file. A file of 0 bytes is what an
// interrupted write leaves.
TEST_F(Database, PackRefusesRecordFilesThatAreNoWholeRecord) {
  struct Case {
    const char* name;
    std::string bytes;
    std::string why;  // UTF-8
  } cases[] = {
      {"empty", "", "пустой (0 байт), а запись базы не бывает пустой"},
      {"two records in one", record(1, 'x') + record(2, 'y'),
       "не годится в базу: в файле 7 байт, а по заголовку записи 3: это не одна целая запись"},
      {"cut short", record(200, 'z').substr(0, 150),
       "не годится в базу: в файле 150 байт, а по заголовку записи 205: это не одна целая запись"},
      {"header cut", bytes("01 05 01"), "не годится в базу: заголовок записи не помещается в 3 байт файла"},
  };
  writeFile("C:\\p\\1\\0000001.zap", record(1, 'a'));
  for (int n = 1; n <= 300; ++n) writeFile("C:\\p\\2\\" + recordFileName(n), record(n % 150, 'b'));
  writeFile("C:\\o.db", "old");
  for (const Case& c : cases) {
    for (int place : {1, 258, 300}) {
      SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(place));
      notes_.messages.clear();
      const std::string path = "C:\\p\\2\\" + recordFileName(place);
      writeFile(path, c.bytes);
      EXPECT_FALSE(packDatabase("C:\\p\\", "C:\\o.db"));
      EXPECT_EQ(notes_.texts(), std::vector<std::string>{"Файл записи C:\\p\\2\\" + recordFileName(place) + " " +
                                                         c.why + ". Исправьте или удалите его. База C:\\o.db не "
                                                         "запакована."});
      EXPECT_EQ(readFile("C:\\o.db"), "old");
      EXPECT_FALSE(hostExists("C:\\o.db.~kessik"));
      writeFile(path, record(place % 150, 'b'));
    }
  }
  // Past the first gap nothing is read, so nothing is judged.
  fs::remove_all(host("C:\\p"));
  writeFile("C:\\p\\1\\0000001.zap", record(1, 'a'));
  writeFile("C:\\p\\1\\0000003.zap", "junk");
  EXPECT_TRUE(packDatabase("C:\\p\\", "C:\\o.db"));
  EXPECT_EQ(readFile("C:\\o.db"), databaseFile(node(1, record(1, 'a'))));
}

// The lock's name taken by something that is no lock file (a folder, a
// link) is refused, not passed over: a run that took no lock could change a
// folder another run works on.
TEST_F(Database, ALockNameTakenBySomethingElseIsRefused) {
  writeFile("C:\\r\\prints.db", databaseFile(node(1, record(1, 'n'))));
  writeFile("C:\\s\\prints\\1\\0000001.zap", record(1, 'o'));
  writeFile("C:\\o.db", "old");
  for (const char* taken : {"folder", "link"}) {
    SCOPED_TRACE(taken);
    fs::remove_all(host("C:\\s\\prints.~kessik-lock"));
    std::error_code ec;
    if (std::string(taken) == "folder") fs::create_directories(host("C:\\s\\prints.~kessik-lock"), ec);
    else fs::create_symlink(host("C:\\elsewhere"), host("C:\\s\\prints.~kessik-lock"), ec);
    if (ec) continue;  // a host without symbolic links
    notes_.messages.clear();
    EXPECT_FALSE(unpackDatabase("C:\\r\\prints.db", "C:\\s\\"));
    EXPECT_FALSE(packDatabase("C:\\s\\prints\\", "C:\\o.db"));
    const std::string blocked =
        "Файл блокировки C:\\s\\prints.~kessik-lock для папки C:\\s\\prints\\ не создать: на его месте лежит "
        "папка или ссылка, или имя слишком длинное. Уберите то, что там лежит.";
    EXPECT_EQ(notes_.texts(),
              (std::vector<std::string>{blocked + " Нераспакован.", blocked + " База C:\\o.db не запакована."}));
    EXPECT_EQ(readFile("C:\\s\\prints\\1\\0000001.zap"), record(1, 'o'));
    EXPECT_EQ(readFile("C:\\o.db"), "old");
    EXPECT_FALSE(hostExists("C:\\elsewhere"));
  }
}

// A killed pack leaves its temporary file beside the database; the next pack
// of the same file takes it away instead of writing another beside it.
TEST_F(Database, PackRemovesATemporaryFileLeftBeside) {
  writeFile("C:\\p\\1\\0000001.zap", record(1, 'a'));
  writeFile("C:\\w\\prints.db.~kessik", std::string(1000, 'x'));
  writeFile("C:\\w\\prints.db.~kessik1", "y");
  ASSERT_TRUE(packDatabase("C:\\p\\", "C:\\w\\prints.db"));
  EXPECT_EQ(tree("C:\\w"), (std::map<std::string, std::string>{
                               {"prints.db", databaseFile(node(1, record(1, 'a')))}}));
}

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>

// Only a regular file no larger than a database can be is read, and the
// refusal comes before the old database folder is touched.
TEST_F(Database, UnpackRefusesWhatIsNoDatabaseFileBeforeTouchingTheFolder) {
  writeFile("C:\\s\\prints\\1\\0000001.zap", "old");
  fs::create_directories(host("C:\\r"));
  ASSERT_EQ(::mkfifo(host("C:\\r\\prints.db").c_str(), 0644), 0);
  // Sparse: no disk is spent and nothing is read.
  writeFile("C:\\r\\units.udb", "");
  ASSERT_EQ(::truncate(host("C:\\r\\units.udb").c_str(), static_cast<off_t>(kMaxDatabaseFileSize + 1)), 0);
  writeFile("C:\\s\\units\\1\\0000001.zap", "old");
  EXPECT_FALSE(unpackDatabase("C:\\r\\prints.db", "C:\\s\\"));
  EXPECT_FALSE(unpackDatabase("C:\\r\\units.udb", "C:\\s\\"));
  EXPECT_EQ(notes_.texts(),
            (std::vector<std::string>{
                "Файл C:\\r\\prints.db - не обычный файл (канал, устройство или сокет), базы в нем быть не может. "
                "Нераспакован.",
                "Файл C:\\r\\units.udb размером 2147483663 байт больше любой базы (база не бывает больше 2147483662 "
                "байт). Нераспакован."}));
  EXPECT_EQ(tree("C:\\s"), (std::map<std::string, std::string>{{"prints/", ""},
                                                              {"prints/1/", ""},
                                                              {"prints/1/0000001.zap", "old"},
                                                              {"units/", ""},
                                                              {"units/1/", ""},
                                                              {"units/1/0000001.zap", "old"}}));
}
#endif
