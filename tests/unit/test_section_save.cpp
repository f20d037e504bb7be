// Saving changed record files of a section all or nothing, under the lock of
// its database folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "core/database.h"
#include "core/section_save.h"
#include "support/power_cut.h"
#include "support/record_fixtures.h"
#include "support/testenv.h"

using namespace kessik;
using kessik::test::node;
namespace fs = std::filesystem;

namespace {

class SectionSaving : public kessik::test::TempDrive {
 protected:
  const std::string section = "C:\\src\\prints\\2\\";
  // Every entry below a folder with its bytes; folders end with "/".
  std::map<std::string, std::string> tree(const std::string& folder) const {
    std::map<std::string, std::string> out;
    const fs::path base = host(folder);
    if (!fs::exists(base)) return out;
    for (auto& e : fs::recursive_directory_iterator(base)) {
      const std::string rel = fs::relative(e.path(), base).generic_string();
      if (e.is_directory()) out[rel + "/"] = "";
      else out[rel] = readFile(folder + "\\" + rel);
    }
    return out;
  }
  std::string rec(int n, char fill) const { return node(1, node(1, std::string(static_cast<std::size_t>(n % 90), fill))); }
  void fill(int records) {
    for (int n = 1; n <= records; ++n) writeFile(section + recordFileName(n), rec(n, 'o'));
    writeFile(section + ".gitkeep", "kept");
    writeFile(section + "notes.txt", "notes");
    writeFile(section + "0000099.zap", "past a gap");
    writeFile(section + "old\\0000001.zap", "a folder of the user's");
    writeFile("C:\\src\\prints\\1\\0000001.zap", rec(1, 's'));
  }
};

// Few files are replaced one by one, many through a new section swapped in
// whole; either way the section ends up with exactly the new bytes of the
// files named and everything else as it was, synced before it is
// published, with nothing of ours left beside it.
TEST_F(SectionSaving, WritesTheNewBytesAndKeepsEverythingElse) {
  for (std::size_t changed : {std::size_t{1}, kFewRecordFiles, kFewRecordFiles + 1, std::size_t{40}}) {
    SCOPED_TRACE(changed);
    fs::remove_all(host("C:\\src"));
    fill(40);
    auto expected = tree("C:\\src");
    std::vector<RecordBytes> files;
    for (std::size_t k = 0; k < changed; ++k) {
      const int n = static_cast<int>(40 - k * 40 / changed);
      files.push_back({recordFileName(n), rec(n, 'n')});
      expected["prints/2/" + recordFileName(n)] = rec(n, 'n');
    }
    files.push_back({"0000041.zap", rec(41, 'x')});  // a new file
    expected["prints/2/0000041.zap"] = rec(41, 'x');

    kessik::test::PowerCutWatch watch;
    const SectionSave r = saveSectionRecords(section, files);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.written, files.size());
    EXPECT_TRUE(notes_.messages.empty()) << notes_.texts()[0];
    EXPECT_EQ(tree("C:\\src"), expected);
    EXPECT_EQ(watch.faults(), std::vector<std::string>{});
    EXPECT_GE(watch.publications(), files.size() > kFewRecordFiles ? 1 : static_cast<int>(files.size()));
  }
}

// A record that cannot be written beside itself stops the save before any
// record is replaced: the few files are staged whole first.
TEST_F(SectionSaving, AFileThatCannotBeStagedChangesNoRecord) {
  fill(3);
  // A folder stands where the new 0000004.zap would go.
  fs::create_directories(host(section + "0000004.zap") / "inside");
  const auto before = tree("C:\\src");
  const SectionSave r = saveSectionRecords(
      section, {{"0000001.zap", rec(1, 'n')}, {"0000002.zap", rec(2, 'n')}, {"0000004.zap", rec(4, 'n')}});
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.written, 0u);
  EXPECT_EQ(notes_.texts(), std::vector<std::string>{
                               "Error, SavingC:\\src\\prints\\2\\0000004.zap\n"
                               "Не удалось записать файл «C:\\src\\prints\\2\\0000004.zap»: это папка."});
  EXPECT_EQ(tree("C:\\src"), before);
}

// Refused before anything is touched: another run holds the database
// folder, the section folder is missing, a name is no file of the folder.
TEST_F(SectionSaving, RefusalsChangeNothing) {
  fill(20);
  const auto before = tree("C:\\src");
  std::vector<RecordBytes> many;
  for (int n = 1; n <= 20; ++n) many.push_back({recordFileName(n), rec(n, 'n')});
  struct Case {
    const char* name;
    std::string folder;
    std::vector<RecordBytes> files;
    std::string message;
  } cases[] = {
      {"missing folder", "C:\\src\\prints\\7\\", many, "Папки раздела C:\\src\\prints\\7\\ нет. Ничего не записано."},
      {"a path for a name", section, {{"..\\1\\0000001.zap", "x"}},
       "Имя файла записи «..\\1\\0000001.zap» не годится для папки C:\\src\\prints\\2\\. Ничего не записано."},
      {"a temporary name", section, {{"0000001.zap.~kessik", "x"}},
       "Имя файла записи «0000001.zap.~kessik» не годится для папки C:\\src\\prints\\2\\. Ничего не записано."},
      {"a name twice", section, {{"0000001.zap", "x"}, {"0000001.zap", "y"}},
       "Файл записи C:\\src\\prints\\2\\0000001.zap назван для записи дважды. Ничего не записано."},
      {"an empty record", section, {{"0000001.zap", "x"}, {"0000002.zap", ""}},
       "Запись C:\\src\\prints\\2\\0000002.zap пуста: такой записи не бывает. Ничего не записано."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    notes_.messages.clear();
    EXPECT_FALSE(saveSectionRecords(c.folder, c.files).ok);
    EXPECT_EQ(notes_.texts(), std::vector<std::string>{c.message});
    EXPECT_EQ(tree("C:\\src"), before);
  }

  notes_.messages.clear();
  {
    platform::FileLock unpacking(host("C:\\src\\prints.~kessik-lock"));
    ASSERT_EQ(unpacking.state(), platform::FileLock::State::Held);
    for (std::size_t n : {std::size_t{1}, many.size()}) {
      EXPECT_FALSE(saveSectionRecords(section, std::vector<RecordBytes>(many.begin(), many.begin() + n)).ok);
    }
  }
  const std::string busy =
      "Папка C:\\src\\prints\\ сейчас занята другим процессом (распаковка, запаковка, импорт или сохранение "
      "раздела). Дождитесь его конца. Ничего не записано.";
  EXPECT_EQ(notes_.texts(), std::vector<std::string>(2, busy));
  EXPECT_EQ(tree("C:\\src"), before);
}

// What an interrupted save of a section leaves inside its database folder
// is put right by the next save of it and by the next pack: the section
// holds the old records or the new ones, and nothing of ours stays.
TEST_F(SectionSaving, LeftoversOfAnInterruptedSaveAreSettled) {
  const std::string oldRecord = rec(3, 'o'), newRecord = rec(4, 'n');
  struct Case {
    const char* name;
    std::map<std::string, std::string> files;  // below C:\src\prints\, "/" ends a folder
    std::string sectionTwo;                    // what record 1 of section 2 holds after
  } cases[] = {
      {"a new section cut short",
       {{"2/0000001.zap", oldRecord}, {"2.~kessik/0000001.zap", newRecord}, {"2.~kessik/0000002.zap", ""}}, oldRecord},
      {"the old section set aside, the new one not yet in place",
       {{"2.~kessik-old/0000001.zap", oldRecord}, {"2.~kessik/0000001.zap", newRecord}}, oldRecord},
      {"the new section in place, the old one beside it",
       {{"2/0000001.zap", newRecord}, {"2.~kessik/0000001.zap", oldRecord}}, newRecord},
  };
  for (const Case& c : cases) {
    for (const char* next : {"save", "pack"}) {
      SCOPED_TRACE(std::string(c.name) + ", then " + next);
      fs::remove_all(host("C:\\src"));
      writeFile("C:\\src\\prints\\1\\0000001.zap", rec(1, 's'));
      for (auto& [rel, data] : c.files) {
        std::string win = "C:\\src\\prints\\" + rel;
        std::replace(win.begin(), win.end(), '/', '\\');
        writeFile(win, data);
      }
      if (std::string(next) == "save") {
        ASSERT_TRUE(saveSectionRecords(section, {{"0000002.zap", rec(9, 'x')}}).ok);
      } else {
        ASSERT_TRUE(packDatabase("C:\\src\\prints\\", "C:\\o.db"));
        EXPECT_EQ(readFile("C:\\o.db"), kessik::test::databaseFile(node(1, rec(1, 's')) + node(2, c.sectionTwo)));
      }
      EXPECT_EQ(readFile(section + "0000001.zap"), c.sectionTwo);
      for (const char* stray : {"prints\\2.~kessik", "prints\\2.~kessik-old", "prints.~kessik-lock"})
        EXPECT_FALSE(hostExists(std::string("C:\\src\\") + stray)) << stray;
    }
  }
  EXPECT_TRUE(notes_.messages.empty()) << notes_.texts()[0];
}

}  // namespace
