// The sources workflow without a window: real database files, the stand-in
// archive tool as a child process (a tool that does nothing, too), and every
// question and message through the recording notifier.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>

#include "config/settings.h"
#include "core/database.h"
#include "core/node.h"
#include "platform/files.h"
#include "sources/driver/workflow.h"
#include "support/record_fixtures.h"
#include "support/testenv.h"
#include "util/cp1251.h"

#ifdef KESSIK_FAKE_RESBUILD

using namespace kessik;
using namespace kessik::test;
using namespace kessik::sources;

namespace {

const std::string kArchive = "C:\\game\\databaselmp.res";
const std::string kWork = "C:\\game\\databaselmp_res\\";
const std::string kRoot = "C:\\ish\\";

std::string node(std::uint8_t type, const std::string& payload) {
  ByteString out;
  appendNodeHeader(out, type, payload.size());
  return out + payload;
}

// A database of one section of two records whose masks tell the file.
std::string database(const std::string& file, const std::string& second = "b") {
  std::string records;
  for (const std::string& mask : {file + "-a", file + "-" + second})
    records += recordOf({{1, nameBytes(mask)}, {2, int32Bytes(7)}});
  return node(1, node(1, records)) + std::string(kDatabaseTrailer);
}

class SourcesDriverTest : public TempDrive {
 protected:
  void SetUp() override {
    TempDrive::SetUp();
    Settings& s = settings();
    s = Settings();
    s.ProgramDir = "C:\\prog\\";
    s.DatabaselmpResPath = kArchive;
    s.DatabaselmpResIsh = kRoot;
    s.DatabaseResIsh = "C:\\singl\\";
    ::setenv("KESSIK_RESBUILD", KESSIK_FAKE_RESBUILD, 1);
    log_ = (root_ / "calls.log").string();
    ::setenv("FAKERESBUILD_LOG", log_.c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("FAKERESBUILD_LOG");
    ::unsetenv("KESSIK_RESBUILD");
    TempDrive::TearDown();
  }

  // The archive of the six databases, and their sources from it.
  void gameWithSources() {
    for (const auto& f : lmpCheckList()) writeFile("C:\\pack\\" + f, database(f));
    createFolderTree("C:\\game\\");
    ASSERT_EQ(host_.packFolder(kArchive, "C:\\pack\\"), "");
    notes_.answers = {Answer::Yes};
    ASSERT_TRUE(driver_.fullGet());
    ASSERT_TRUE(driver_.sourcesChanged());
    driver_.clearChanged();
    notes_.messages.clear();
    std::remove(log_.c_str());
  }
  std::vector<std::string> toolCalls() const {
    std::ifstream in(log_);
    std::vector<std::string> ops;
    for (std::string line; std::getline(in, line);) ops.push_back(line.substr(line.find('|') + 1, 1));
    return ops;
  }
  // The databases the archive holds, unpacked with the tool.
  std::string unpackedFromArchive(const std::string& file) {
    EXPECT_EQ(host_.unpackArchive(kArchive, "C:\\check\\"), "");
    return readFile("C:\\check\\" + file);
  }

  std::string log_;
  PlainSourcesHost host_{"C:\\prog\\"};
  SourcesDriver driver_{Game::Lmp, host_};
};

}  // namespace

// The whole road: the archive into sources, an edited record file, and back
// into the archive, packed and optimized; nothing of the program's own is
// left beside the folders.
TEST_F(SourcesDriverTest, AnEditTravelsIntoTheArchive) {
  gameWithSources();
  EXPECT_EQ(readFile(kRoot + "items\\1\\0000002.zap"), recordOf({{1, nameBytes("items.idb-b")}, {2, int32Bytes(7)}}));
  writeFile(kRoot + "items\\1\\0000002.zap", recordOf({{1, nameBytes("items.idb-edited")}, {2, int32Bytes(7)}}));
  notes_.answers = {Answer::Yes};
  EXPECT_TRUE(driver_.fullMake());
  EXPECT_EQ(notes_.texts(), std::vector<std::string>{"Затереть старую databaselmp.res и сгенерить новую из исходника?"});
  EXPECT_EQ(toolCalls(), (std::vector<std::string>{"a", "o"}));
  EXPECT_EQ(readFile(kArchive).substr(0, 8), "FAKERES2");
  EXPECT_EQ(unpackedFromArchive("items.idb"), database("items.idb", "edited"));
  EXPECT_EQ(unpackedFromArchive("units.udb"), database("units.udb"));
  for (const char* stray : {"C:\\game\\databaselmp.res.old", "C:\\game\\tr1.res", "C:\\game\\databaselmp_res.~kessik"})
    EXPECT_FALSE(hostExists(stray)) << stray;
}

// "Полная запаковка" stops at the first step that fails, says which, and
// the archive stays as it was: a record file emptied (with or without a work
// folder left from an earlier run), a tool that writes nothing.
TEST_F(SourcesDriverTest, FullMakeStopsAtTheFirstFailureAndKeepsTheArchive) {
  struct Case {
    const char* name;
    std::function<void()> spoil;
    std::string stopped;  // the last message
    std::vector<std::string> calls;
  };
  const std::string items = kRoot + "items\\1\\0000001.zap";
  const Case cases[] = {
      {"a record file emptied",
       [&] {
         writeFile(items, "");
         removeWholeFolder(kWork);
       },
       "Полная запаковка остановлена на шаге «Сгенерировать базы»: база items.idb не собрана из папки "
       "C:\\ish\\items\\. Архив C:\\game\\databaselmp.res не изменён.",
       {}},
      {"a record file emptied, the work folder of an earlier run there",
       [&] { writeFile(items, ""); },
       "Полная запаковка остановлена на шаге «Сгенерировать базы»: база items.idb не собрана из папки "
       "C:\\ish\\items\\. Архив C:\\game\\databaselmp.res не изменён.",
       {}},
      {"a tool that writes nothing", [] { ::setenv("KESSIK_RESBUILD", "false", 1); },
       "Полная запаковка остановлена на шаге «Запаковать резбилдом»: папка C:\\game\\databaselmp_res\\ не "
       "запакована. Архив C:\\game\\databaselmp.res оставлен как был.",
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    gameWithSources();
    const std::string before = readFile(kArchive);
    c.spoil();
    notes_.answers = {Answer::Yes};
    EXPECT_FALSE(driver_.fullMake());
    ASSERT_FALSE(notes_.messages.empty());
    EXPECT_EQ(notes_.texts().back(), c.stopped);
    EXPECT_EQ(notes_.messages.back().icon, Icon::Error);
    EXPECT_EQ(toolCalls(), c.calls);
    EXPECT_EQ(readFile(kArchive), before);
    EXPECT_FALSE(hostExists(kArchive + ".old"));
  }
}

// The temporary archive cannot take the archive's name (a folder stands
// there): the step fails, says where the packed archive is, and nothing is
// optimized.
TEST_F(SourcesDriverTest, FullMakeStopsWhenTheNewArchiveCannotTakeItsName) {
  gameWithSources();
  deleteFile(kArchive);
  createFolderTree(kArchive + "\\");
  notes_.answers = {Answer::Yes};
  EXPECT_FALSE(driver_.fullMake());
  const auto texts = notes_.texts();
  ASSERT_EQ(texts.size(), 3u);  // the question, the tool's message, the stop
  EXPECT_NE(texts[1].find("Не удалось дать временному архиву C:\\game\\tr1.res имя C:\\game\\databaselmp.res"),
            std::string::npos)
      << texts[1];
  EXPECT_EQ(texts[2].rfind("Полная запаковка остановлена на шаге «Запаковать резбилдом»", 0), 0u) << texts[2];
  EXPECT_EQ(toolCalls(), std::vector<std::string>{"a"});
  EXPECT_TRUE(folderExists(kArchive + "\\"));
}

// A damaged database in the work folder is found before the source root is
// emptied: the old sources stay as they were.
TEST_F(SourcesDriverTest, GeneratingSourcesChecksEveryDatabaseFirst) {
  gameWithSources();
  writeFile(kRoot + "notes.txt", "mine");
  writeFile(kWork + "perks.pdb", "not a database at all");
  notes_.answers = {Answer::Yes};
  EXPECT_FALSE(driver_.generateSourcesButton(true));
  const auto texts = notes_.texts();
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[1], "База C:\\game\\databaselmp_res\\perks.pdb повреждена: её не удаётся разобрать как базу. "
                      "Исходник C:\\ish\\ не тронут.");
  EXPECT_EQ(texts[2], "Шаг «Сгенерировать исходник» не выполнен: база perks.pdb повреждена.");
  EXPECT_FALSE(driver_.sourcesChanged());
  EXPECT_EQ(readFile(kRoot + "notes.txt"), "mine");
  EXPECT_TRUE(hostExists(kRoot + "items\\1\\0000001.zap"));
}

// A tool that unpacks nothing stops "Полная распаковка" before the sources:
// the work folder and the sources stay as they were, nothing is left beside.
TEST_F(SourcesDriverTest, FullGetStopsWhenTheToolUnpacksNothing) {
  gameWithSources();
  writeFile(kRoot + "notes.txt", "mine");
  ::setenv("KESSIK_RESBUILD", "false", 1);
  notes_.answers = {Answer::Yes};
  EXPECT_FALSE(driver_.fullGet());
  EXPECT_EQ(notes_.texts(),
            (std::vector<std::string>{"После распаковки все незапакованные изменения будут утеряны. Вы уверены?",
                                      "Резбилд ничего не распаковал из C:\\game\\databaselmp.res. Папка "
                                      "C:\\game\\databaselmp_res\\ оставлена как была.",
                                      "Полная распаковка остановлена на шаге «Распаковать резбилдом»: архив "
                                      "C:\\game\\databaselmp.res не распакован. Исходник не тронут."}));
  EXPECT_FALSE(driver_.sourcesChanged());
  EXPECT_EQ(readFile(kRoot + "notes.txt"), "mine");
  for (const auto& f : lmpCheckList()) EXPECT_EQ(readFile(kWork + f), database(f));
  EXPECT_FALSE(hostExists("C:\\game\\databaselmp_res.~kessik"));
}

// Answered No, a step changes nothing; the one-go unpacking then makes the
// sources from the work folder as it is.
TEST_F(SourcesDriverTest, DeclinedStepsChangeNothing) {
  gameWithSources();
  writeFile(kWork + "extra.txt", "x");
  notes_.answers = {Answer::No};
  EXPECT_FALSE(driver_.packArchiveButton(true));
  notes_.answers = {Answer::No};
  EXPECT_FALSE(driver_.generateDatabasesButton(true));
  EXPECT_EQ(notes_.messages.size(), 2u);
  EXPECT_TRUE(toolCalls().empty());
  notes_.messages.clear();
  notes_.answers = {Answer::No};
  EXPECT_TRUE(driver_.fullGet());
  EXPECT_EQ(notes_.messages.size(), 1u);
  EXPECT_TRUE(toolCalls().empty());
  EXPECT_TRUE(driver_.sourcesChanged());
  EXPECT_EQ(readFile(kWork + "extra.txt"), "x");
}

#endif
