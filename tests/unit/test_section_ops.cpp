// The section operations on real record files in a temporary source folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "core/database.h"
#include "editors/schemas/registry.h"
#include "editors/engine/section.h"
#include "support/record_fixtures.h"
#include "support/testenv.h"
#include "platform/files.h"

using namespace kessik;
using namespace kessik::test;
namespace fs = std::filesystem;

namespace {

const std::string kIsh = "C:\\src\\prints\\1\\";

std::string rec(const std::string& mask, std::int32_t value = 1) {
  return recordOf({{1, nameBytes(mask)}, {2, int32Bytes(value)}});
}

class SectionOps : public TempDrive {
 protected:
  const Schema& prints_ = *findSchema("prints\\1\\");

  void writeRecords(const std::vector<std::string>& masks) {
    for (std::size_t i = 0; i < masks.size(); ++i)
      writeFile(kIsh + recordFileName(i + 1), rec(masks[i], static_cast<std::int32_t>(i + 1)));
  }
  // The masks of the folder's record files 1, 2, ... as they are on disk.
  std::vector<std::string> masksOnDisk() {
    std::vector<std::string> out;
    for (std::uint64_t k = 1; hostExists(kIsh + recordFileName(k)); ++k) {
      TZapisBaziZm z = parsed(readFile(kIsh + recordFileName(k)));
      out.push_back(maskOf(z));
    }
    return out;
  }
  std::vector<std::string> masksOf(const ZapListT& list) {
    std::vector<std::string> out;
    for (const auto& e : list) out.push_back(e.mask);
    return out;
  }
};

using Masks = std::vector<std::string>;

}  // namespace

TEST_F(SectionOps, ScanStopsAtTheFirstGap) {
  EXPECT_FALSE(scanSection(prints_, kIsh).has_value());
  EXPECT_TRUE(notes_.messages.empty());

  writeFile(kIsh + "0000001.zap", rec("a"));
  writeFile(kIsh + "0000002.zap", rec("b"));
  writeFile(kIsh + "0000004.zap", rec("d"));
  auto list = scanSection(prints_, kIsh);
  ASSERT_TRUE(list);
  ASSERT_EQ(list->size(), 2u);
  EXPECT_EQ((*list)[1].file, "0000002.zap");
  EXPECT_EQ((*list)[1].mask, "b");
  EXPECT_EQ(nextFreeFileName(*list), "0000003.zap");
}

// Field 1 is read quietly; a record without it has the mask the record
// object's read gives, and its message comes once per scan.
TEST_F(SectionOps, ScanMaskOfARecordWithoutField1) {
  const std::string noFields("\x01\x00", 2);
  writeFile(kIsh + "0000001.zap", rec("a"));
  writeFile(kIsh + "0000002.zap", noFields);
  writeFile(kIsh + "0000003.zap", recordOf({{1, ""}, {2, int32Bytes(1)}}));
  writeFile(kIsh + "0000004.zap", noFields);
  for (int scan = 0; scan < 2; ++scan) {
    notes_.messages.clear();
    auto list = scanSection(prints_, kIsh);
    ASSERT_TRUE(list);
    EXPECT_EQ(masksOf(*list), (Masks{"a", "ERROR", "", "ERROR"}));
    std::vector<std::string> texts;
    for (const auto& m : notes_.messages) texts.push_back(m.text);
    EXPECT_EQ(texts, (std::vector<std::string>{cp("Неправильный номер поля базы!"),
                                               cp("ВНИМАНИЕ!!, встречается повтор маски!\n"
                                                  "«ERROR»: 0000002.zap, 0000004.zap")}));
  }
}

// However many records repeat a mask, the scan warns once, naming the
// repeated masks and their files (20 masks and 8 files a line at most).
TEST_F(SectionOps, RepeatedMasksWarnOncePerScan) {
  writeRecords({"x", "y", "x", "x"});
  auto list = scanSection(prints_, kIsh);
  ASSERT_EQ(list->size(), 4u);
  ASSERT_EQ(notes_.messages.size(), 1u);
  EXPECT_EQ(notes_.messages[0].text,
            cp("ВНИМАНИЕ!!, встречается повтор маски!\n«x»: 0000001.zap, 0000003.zap, 0000004.zap"));
  EXPECT_EQ(notes_.messages[0].icon, Icon::Warning);

  auto entries = [](int n, const std::function<std::string(int)>& mask) {
    ZapListT l;
    for (int i = 0; i < n; ++i) l.push_back({recordFileName(i + 1), mask(i)});
    return l;
  };
  EXPECT_EQ(repeatedMasksMessage(entries(3, [](int i) { return std::to_string(i); })), "");
  EXPECT_EQ(repeatedMasksMessage(entries(400, [](int) { return "same"; })),
            cp("ВНИМАНИЕ!!, встречается повтор маски!\n«same»: 0000001.zap, 0000002.zap, 0000003.zap, "
               "0000004.zap, 0000005.zap, 0000006.zap, 0000007.zap, 0000008.zap (и ещё 392)"));
  // 25 masks twice each: 20 lines, then the rest counted.
  const std::string many = repeatedMasksMessage(entries(50, [](int i) { return "m" + std::to_string(i % 25); }));
  EXPECT_EQ(std::count(many.begin(), many.end(), '\n'), 21);
  EXPECT_TRUE(many.starts_with(cp("ВНИМАНИЕ!!, встречается повтор маски!\n«m0»: 0000001.zap, 0000026.zap\n")));
  EXPECT_TRUE(many.ends_with(cp("«m19»: 0000020.zap, 0000045.zap\nи ещё 5")));

  notes_.messages.clear();
  Schema repeatable = prints_;
  repeatable.masks = MaskRule::Repeatable;
  scanSection(repeatable, kIsh);
  EXPECT_TRUE(notes_.messages.empty());
}

TEST_F(SectionOps, MaskRules) {
  ZapListT list = {{"0000001.zap", "a"}, {"0000002.zap", "b"}, {"0000003.zap", "dummy"}};
  EXPECT_FALSE(MaskUnique(list, "b"));
  EXPECT_TRUE(MaskUnique(list, "B"));
  EXPECT_TRUE(MaskUniqueExcept(list, "b", 1));   // a record keeps its own mask
  EXPECT_FALSE(MaskUniqueExcept(list, "b", 0));  // another record's mask is refused
  EXPECT_FALSE(maskAllowed(prints_, list, "dummy"));
  Schema quests = prints_;
  quests.freeMask = "dummy";
  EXPECT_TRUE(maskAllowed(quests, list, "dummy"));
  EXPECT_FALSE(maskAllowed(quests, list, "a"));
  EXPECT_TRUE(quests.masksMayRepeat());
  Schema repeatable = prints_;
  repeatable.masks = MaskRule::Repeatable;
  EXPECT_TRUE(maskAllowed(repeatable, list, "a"));
}

TEST_F(SectionOps, RecordNumberRuleIsAppliedByTheScan) {
  Schema s = prints_;
  s.rows.push_back(makeRow("Index", fieldAt(2), Codec::Int32));
  s.recordNumber = RecordNumberRule{static_cast<int>(s.rows.size()) - 1, -1, "must be "};
  writeFile(kIsh + "0000001.zap", rec("a", 0));
  writeFile(kIsh + "0000002.zap", rec("b", 5));
  scanSection(s, kIsh);
  EXPECT_EQ(readFile(kIsh + "0000001.zap"), rec("a", 0));
  EXPECT_EQ(readFile(kIsh + "0000002.zap"), rec("b", 1));
}

TEST_F(SectionOps, DeleteClosesTheGap) {
  struct Case {
    int records;
    int deleted;  // from 1
    Masks left;
  };
  const Case cases[] = {{4, 2, {"m1", "m3", "m4"}}, {4, 4, {"m1", "m2", "m3"}}, {1, 1, {}}};
  for (const auto& c : cases) {
    fs::remove_all(host("C:\\src"));
    Masks masks;
    for (int i = 1; i <= c.records; ++i) masks.push_back("m" + std::to_string(i));
    writeRecords(masks);
    EXPECT_TRUE(deleteRecord(kIsh, recordFileName(c.deleted)));
    EXPECT_EQ(masksOnDisk(), c.left) << c.records << "/" << c.deleted;
    EXPECT_FALSE(hostExists(kIsh + recordFileName(c.records)));
  }
}

TEST_F(SectionOps, SortRenumbersByMaskIgnoringCase) {
  writeRecords({"beta", "Alpha", "alpha", "Gamma"});
  writeFile(kIsh + "0000006.zap", rec("after a gap"));
  writeFile(kIsh + "notes.txt", "keep me");
  auto list = scanSection(prints_, kIsh);
  ASSERT_TRUE(sortSection(kIsh, *list));
  EXPECT_EQ(masksOnDisk(), (Masks{"Alpha", "alpha", "beta", "Gamma"}));
  // Records keep their contents; files outside the list stay.
  EXPECT_EQ(readFile(kIsh + "0000003.zap"), rec("beta", 1));
  EXPECT_EQ(readFile(kIsh + "0000006.zap"), rec("after a gap"));
  EXPECT_EQ(readFile(kIsh + "notes.txt"), "keep me");
  EXPECT_FALSE(hostExists("C:\\src\\prints\\1_old"));
  EXPECT_TRUE(notes_.messages.empty());
  EXPECT_EQ(masksOf(*scanSection(prints_, kIsh)), (Masks{"Alpha", "alpha", "beta", "Gamma"}));
}

TEST_F(SectionOps, SortNeverLosesRecords) {
  // An old empty backup folder is replaced.
  writeRecords({"b", "a"});
  writeFile("C:\\src\\prints\\1_old\\readme.txt", "old");
  ASSERT_TRUE(sortSection(kIsh, *scanSection(prints_, kIsh)));
  EXPECT_EQ(masksOnDisk(), (Masks{"a", "b"}));
  EXPECT_FALSE(hostExists("C:\\src\\prints\\1_old"));

  // A backup that holds records (an interrupted sort) is never deleted.
  writeFile("C:\\src\\prints\\1_old\\0000001.zap", rec("lost"));
  EXPECT_FALSE(sortSection(kIsh, *scanSection(prints_, kIsh)));
  ASSERT_EQ(notes_.messages.size(), 1u);
  EXPECT_NE(notes_.messages[0].text.find("C:\\src\\prints\\1_old\\"), std::string::npos);
  EXPECT_EQ(readFile("C:\\src\\prints\\1_old\\0000001.zap"), rec("lost"));
  EXPECT_EQ(masksOnDisk(), (Masks{"a", "b"}));
  fs::remove_all(host("C:\\src\\prints\\1_old"));

  // A move that fails halfway leaves the rest in the backup folder and says so.
  notes_.messages.clear();
  writeRecords({"c", "b", "a"});
  auto list = scanSection(prints_, kIsh);
  fs::remove(host(kIsh + "0000002.zap"));  // gone behind the window's back
  EXPECT_FALSE(sortSection(kIsh, *list));
  ASSERT_FALSE(notes_.messages.empty());
  EXPECT_NE(notes_.messages.back().text.find("C:\\src\\prints\\1_old\\"), std::string::npos);
  EXPECT_EQ(readFile(kIsh + "0000001.zap"), rec("a", 3));
  EXPECT_EQ(readFile("C:\\src\\prints\\1_old\\0000001.zap"), rec("c", 1));
}

TEST_F(SectionOps, CreateFromTemplateAndSaveAsTemplate) {
  const std::string tmpl = "C:\\prog\\shablons\\prints\\1\\swamp2.zap";
  TZapisBaziZm z = parsed(recordOf({{1, nameBytes("Swamp")}, {2, "\x11\x22"}, {5, "keep"}}));
  ASSERT_TRUE(saveRecordAsTemplate(z, tmpl));
  EXPECT_EQ(readFile(tmpl), recordOf({{1, nameBytes("swamp2")}, {2, "\x11\x22"}, {5, "keep"}}));
  EXPECT_EQ(maskOf(z), "Swamp");  // the record itself is unchanged

  ASSERT_TRUE(createRecordFromTemplate(tmpl, "Marsh", kIsh + "0000001.zap"));
  EXPECT_EQ(readFile(kIsh + "0000001.zap"), recordOf({{1, nameBytes("Marsh")}, {2, "\x11\x22"}, {5, "keep"}}));

  writeFile("C:\\prog\\shablons\\prints\\1\\empty.zap", std::string("\x01\x00", 2));
  EXPECT_FALSE(createRecordFromTemplate("C:\\prog\\shablons\\prints\\1\\empty.zap", "X", kIsh + "0000002.zap"));
  EXPECT_FALSE(hostExists(kIsh + "0000002.zap"));
  EXPECT_EQ(notes_.messages.size(), 1u);

  EXPECT_EQ(templateNameOf("C:\\t\\a.b.zap"), "a.b");
  EXPECT_EQ(sectionSourceFolder("C:\\src", prints_), "C:\\src\\prints\\1\\");
  EXPECT_EQ(sectionTemplateFolder("C:\\prog\\", prints_), "C:\\prog\\shablons\\prints\\1\\");
  EXPECT_EQ(backupFolderOf(kIsh), "C:\\src\\prints\\1_old\\");
}
