// kessik-db over a whole source root, run as a child process: check, diff,
// and the sheets of every section written to and applied from one folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "core/codecs.h"
#include "core/database.h"
#include "core/record.h"
#include "editors/engine/schema.h"
#include "editors/schemas/registry.h"
#include "util/cp1251.h"
#include "platform/host.h"
#include "support/child_process.h"
#include "support/testenv.h"

namespace fs = std::filesystem;
using kessik::test::ChildRun;
using kessik::test::fileContents;

namespace {

class Tree : public kessik::test::TempDrive {
 protected:
  void SetUp() override {
    TempDrive::SetUp();
    fs::create_directories(root_ / "prog");
    ASSERT_EQ(db({"sample", at("prog")}).status, 0);
  }
  ChildRun db(const std::vector<std::string>& args) { return kessik::test::runChild(KESSIK_DB_EXE, args, root_); }
  std::string at(const std::string& rel) const { return (root_ / rel).string(); }
  std::string root() const { return at("prog/bases/database"); }
  std::map<std::string, std::string> tree(const std::string& rel) const {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(root_ / rel))
      if (e.is_regular_file()) out[fs::relative(e.path(), root_ / rel).string()] = fileContents(e.path());
    return out;
  }
  void write(const std::string& rel, const std::string& bytes) const {
    fs::create_directories((root_ / rel).parent_path());
    std::ofstream(root_ / rel, std::ios::binary) << bytes;
  }
  static std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find('\n', start);
      out.push_back(text.substr(start, end - start));
      if (end == std::string::npos) break;
      start = end + 1;
    }
    return out;
  }
  static bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
  // The sheet with one cell of a record's line replaced (column 0 is "File").
  static std::string setCell(const std::string& csv, const std::string& file, std::size_t column,
                             const std::string& value) {
    const std::size_t start = csv.find("\r\n" + file + ",") + 2;
    const std::size_t end = csv.find("\r\n", start);
    std::vector<std::string> cells(1);
    bool quoted = false;
    for (std::size_t i = start; i < end; ++i) {
      char c = csv[i];
      if (c == '"') quoted = !quoted;
      if (c == ',' && !quoted) cells.emplace_back();
      else cells.back() += c;
    }
    cells.at(column) = value.find(',') == std::string::npos ? value : "\"" + value + "\"";
    std::string line;
    for (const auto& cell : cells) line += (line.empty() ? "" : ",") + cell;
    return csv.substr(0, start) + line + csv.substr(end);
  }
};

// A blood print record: the lifetime in field 2, item 2, as stored.
std::string bloodPrint(const std::string& mask, std::int32_t lifetime) {
  auto item = [](int type, const std::string& bytes) {
    std::string out;
    kessik::appendItem(out, static_cast<std::uint8_t>(type), bytes);
    return out;
  };
  auto i32 = [](std::int32_t v) { return kessik::encode(kessik::Codec::Int32, std::to_string(v)).bytes; };
  auto group = item(1, kessik::encode(kessik::Codec::Float32, "0,5").bytes) + item(2, i32(lifetime)) + item(3, i32(30));
  std::string payload = item(1, mask + std::string(1, '\0')) + item(2, group) + item(3, group);
  return item(1, payload);
}

}  // namespace

TEST_F(Tree, CheckListsWhatTheEditorWouldNotKeep) {
  ChildRun clean = db({"check", root()});
  EXPECT_EQ(clean.status, 0) << clean.out << clean.err;
  EXPECT_EQ(clean.out, "");

  const std::string prints = "prog/bases/database/prints/1/";
  write(prints + "0000002.zap", bloodPrint("Sand", 44));   // 44 shows as 2, and 2 is written as 30
  write(prints + "0000003.zap", bloodPrint("Sand", 15));   // a mask that is there already
  write(prints + "0000006.zap", bloodPrint("Far", 15));    // past the gap at 4
  write("prog/bases/database/prints/2/0000001.zap", std::string("\x01\x10\x02", 3));  // cut short
  ChildRun r = db({"check", root()});
  EXPECT_EQ(r.status, 1);
  const auto out = lines(r.out);
  EXPECT_TRUE(has(r.out, "prints\\1\\0000002.zap: Clear Weather Lifetime: значение «2» после правки запишется как 1E 00 00 00, а хранится 2C 00 00 00"))
      << r.out;
  EXPECT_TRUE(has(r.out, "prints\\1\\: маска «Sand» повторяется: 0000002.zap, 0000003.zap")) << r.out;
  EXPECT_TRUE(has(r.out, "prints\\1\\: пропуск в нумерации: нет файла 0000004.zap, записи после него (до 0000006.zap) редактор не видит"))
      << r.out;
  EXPECT_TRUE(has(r.out, "prints\\2\\0000001.zap")) << r.out;
  EXPECT_TRUE(has(r.err, "замечаний: " + std::to_string(out.size()))) << r.err;

  // A record file that is no whole record (pack refuses it), and a record
  // whose own number is not its file's (the editor rewrites it).
  write("prog/bases/database/prints/2/0000001.zap", fileContents(root_ / (prints + "0000001.zap")) + "\x01\x00");
  const kessik::Schema& materials = *kessik::findSchema("items\\1\\");
  ASSERT_TRUE(materials.recordNumber);
  const int numberField = materials.rows[materials.recordNumber->row].place.field;
  kessik::TZapisBaziZm record;
  record.Parse(fileContents(root_ / "prog/bases/database/items/1/0000002.zap"));
  record.SetField(numberField, kessik::encode(kessik::Codec::Int32, "7").bytes);
  record.Rebuild();
  write("prog/bases/database/items/1/0000002.zap", record.Bytes);
  r = db({"check", root()});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.out, "prints\\2\\0000001.zap: в файле ")) << r.out;
  EXPECT_TRUE(has(r.out, ": это не одна целая запись\n")) << r.out;
  EXPECT_TRUE(has(r.out, "items\\1\\0000002.zap: " + kessik::cp1251ToUtf8(materials.rows[materials.recordNumber->row].name) +
                             ": хранится «7», а по номеру файла должно быть " +
                             std::to_string(2 + materials.recordNumber->offset) +
                             "; редактор перепишет его, когда откроет раздел"))
      << r.out;

  EXPECT_EQ(db({"check", at("nothing")}).status, 1);
  EXPECT_EQ(db({"check", at("prog")}).status, 1);  // no section directly below
}

TEST_F(Tree, DiffMatchesByMaskAndListsChangedRows) {
  fs::copy(root_ / "prog/bases/database", root_ / "other", fs::copy_options::recursive);
  ChildRun same = db({"diff", root(), at("other")});
  EXPECT_EQ(same.status, 0) << same.out << same.err;
  EXPECT_EQ(same.out, "");

  // Change a value, move a record to another number, drop one, add one.
  const std::string folder = "other/prints/1/";
  const std::string first = fileContents(root_ / folder / "0000001.zap");
  const std::string second = fileContents(root_ / folder / "0000002.zap");
  write(folder + "0000001.zap", second);
  write(folder + "0000002.zap", first);
  fs::remove(root_ / folder / "0000003.zap");
  write(folder + "0000003.zap", bloodPrint("Frost", 15));
  ChildRun changed = db({"export", at("other/prints/2"), "-o", at("p2.csv")});
  ASSERT_EQ(changed.status, 0);
  write("p2.csv", setCell(fileContents(root_ / "p2.csv"), "0000001.zap", 2, "0,75"));
  ASSERT_EQ(db({"import", at("other/prints/2"), at("p2.csv")}).status, 0);

  ChildRun d = db({"diff", root(), at("other")});
  EXPECT_EQ(d.status, 1) << d.err;
  EXPECT_TRUE(has(d.out, "prints/1: удалена запись 0000003.zap «Snow»")) << d.out;
  EXPECT_TRUE(has(d.out, "prints/1: добавлена запись 0000003.zap «Frost»")) << d.out;
  EXPECT_TRUE(has(d.out, "prints/2: 0000001.zap")) << d.out;
  EXPECT_TRUE(has(d.out, "Clear Weather Opacity: ")) << d.out;
  EXPECT_TRUE(has(d.out, " -> 0,75")) << d.out;
  // Records 1 and 2 swapped places but are the same records.
  EXPECT_FALSE(has(d.out, "prints/1: 0000001.zap")) << d.out;
  EXPECT_EQ(db({"diff", root(), at("missing")}).status, 2);
}

TEST_F(Tree, WholeTreeSheetsApplyAllOrNothing) {
  ChildRun e = db({"export", root(), "-o", at("sheets")});
  ASSERT_EQ(e.status, 0) << e.err;
  EXPECT_TRUE(fs::exists(root_ / "sheets/prints/1.csv"));
  EXPECT_TRUE(fs::exists(root_ / "sheets/quests/2.csv"));
  EXPECT_EQ(db({"export", root()}).status, 2);  // a root needs -o

  const auto before = tree("prog/bases");
  ChildRun same = db({"import", root(), at("sheets")});
  EXPECT_EQ(same.status, 0) << same.err;
  EXPECT_TRUE(has(same.out, "изменено записей: 0 из ")) << same.out;
  EXPECT_EQ(tree("prog/bases"), before);

  // One good change and one refused sheet: nothing is written.
  write("sheets/prints/1.csv", setCell(fileContents(root_ / "sheets/prints/1.csv"), "0000001.zap", 1, "Renamed"));
  const std::string p2 = fileContents(root_ / "sheets/prints/2.csv");
  write("sheets/prints/2.csv", setCell(p2, "0000001.zap", 2, "x"));
  write("sheets/prints/9.csv", "File\r\n");
  ChildRun bad = db({"import", root(), at("sheets")});
  EXPECT_EQ(bad.status, 1);
  EXPECT_TRUE(has(bad.err, "0000001.zap: Clear Weather Opacity: ")) << bad.err;
  EXPECT_TRUE(has(bad.err, "prints/9")) << bad.err;
  EXPECT_TRUE(has(bad.err, "Ничего не записано")) << bad.err;
  EXPECT_EQ(tree("prog/bases"), before);

  fs::remove(root_ / "sheets/prints/9.csv");
  write("sheets/prints/2.csv", setCell(p2, "0000001.zap", 2, "0,75"));
  ChildRun good = db({"import", root(), at("sheets")});
  EXPECT_EQ(good.status, 0) << good.err;
  EXPECT_TRUE(has(good.out, "изменено записей: 2 из ")) << good.out;
}

// Imports hold the lock of every database folder they write, as unpack and
// pack do: while another run holds one (here an unpack of prints.db), an
// import of a section or of the whole tree that touches it refuses and
// writes nothing, and a tree import that does not touch it goes on.
TEST_F(Tree, ImportsRefuseWhileAnotherRunHoldsTheDatabase) {
  ASSERT_EQ(db({"export", root(), "-o", at("sheets")}).status, 0);
  write("sheets/prints/1.csv", setCell(fileContents(root_ / "sheets/prints/1.csv"), "0000001.zap", 1, "Renamed"));
  const auto before = tree("prog/bases");
  {
    kessik::platform::FileLock unpacking(root_ / "prog/bases/database/prints.~kessik-lock");
    ASSERT_EQ(unpacking.state(), kessik::platform::FileLock::State::Held);
    const std::string busy =
        "Папка C:\\prog\\bases\\database\\prints\\ сейчас занята другим процессом (распаковка, запаковка, импорт или "
        "сохранение раздела). Дождитесь его конца.";
    ChildRun whole = db({"import", root(), at("sheets")});
    EXPECT_EQ(whole.status, 1);
    EXPECT_EQ(whole.err, "C:\\sheets\\prints\\1.csv: " + busy + "\nНичего не записано: ошибок 1.\n");
    ChildRun one = db({"import", at("prog/bases/database/prints/1"), at("sheets/prints/1.csv")});
    EXPECT_EQ(one.status, 1);
    EXPECT_EQ(one.err, "C:\\prog\\bases\\database\\prints\\1\\: File: " + busy + " Ничего не записано.\n" +
                           "Ничего не записано: ошибок 1.\n");
    auto now = tree("prog/bases");
    now.erase("database/prints.~kessik-lock");  // the holder's own
    EXPECT_TRUE(now == before);

    fs::remove_all(root_ / "sheets/prints");
    write("sheets/quests/1.csv", setCell(fileContents(root_ / "sheets/quests/1.csv"), "0000001.zap", 1, "Other"));
    ChildRun elsewhere = db({"import", root(), at("sheets")});
    EXPECT_EQ(elsewhere.status, 0) << elsewhere.err;
  }
}
