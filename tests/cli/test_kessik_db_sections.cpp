// kessik-db export, import and sample run as a child process: what they
// print, their exit statuses, and the files they leave.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/database.h"
#include "editors/schemas/sample.h"
#include "editors/schemas/registry.h"
#include "editors/engine/sheet.h"
#include "editors/engine/soundlist.h"
#include "editors/schemas/window_table.h"
#include "support/child_process.h"
#include "support/record_fixtures.h"
#include "support/testenv.h"

namespace fs = std::filesystem;
using kessik::test::ChildRun;
using kessik::test::fileContents;

namespace {

// The sections kessik-db knows: one per window whose schema is built, as
// "database/prints/1" below a program folder's "bases/".
std::vector<std::string> knownSectionFolders() {
  std::vector<std::string> out;
  for (const auto& w : kessik::windowTable()) {
    if (!kessik::findSchema(w.schemaFolder)) continue;
    std::string folder = w.schemaFolder;
    for (char& c : folder)
      if (c == '\\') c = '/';
    out.push_back(std::string(w.game == kessik::Game::Singl ? "database/" : "databaselmp/") + folder);
  }
  return out;
}

std::size_t knownSchemaCount() {
  std::set<std::string> folders;
  for (const auto& w : kessik::windowTable())
    if (kessik::findSchema(w.schemaFolder)) folders.insert(w.schemaFolder);
  return folders.size();
}

class Sections : public kessik::test::TempDrive {
 protected:
  ChildRun db(const std::vector<std::string>& args) { return kessik::test::runChild(KESSIK_DB_EXE, args, root_); }
  std::string at(const std::string& rel) const { return (root_ / rel).string(); }
  std::map<std::string, std::string> tree(const std::string& rel) const {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(root_ / rel))
      if (e.is_regular_file()) out[e.path().string()] = fileContents(e.path());
    return out;
  }
  void write(const std::string& rel, const std::string& text) const {
    fs::create_directories((root_ / rel).parent_path());
    std::ofstream(root_ / rel, std::ios::binary) << text;
  }
};

TEST_F(Sections, HelpListsCommandsAndSchemas) {
  ChildRun r = db({"--help"});
  EXPECT_EQ(r.status, 0);
  for (const char* line : {"  export SECTION_FOLDER [--schema DB/N] [-o FILE] ", "  import SECTION_FOLDER FILE [--schema DB/N] ",
                           "  sample PROGRAM_FOLDER ", "  unpack DATABASE_FILE SOURCE_ROOT ",
                           "  prints/1    Blood Prints (prints.db: SINGL, LMP)", "  prints/2    Foot Prints",
                           "  levers/1    Levers (levers.ldb: SINGL, LMP)"})
    EXPECT_NE(r.out.find(line), std::string::npos) << line;

  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"export"}, {"export", "a", "b"}, {"export", "a", "--frob"}, {"export", "a", "-o"},
           {"import", "a"}, {"import", "a", "b", "--schema"}, {"sample"}}) {
    ChildRun u = db(args);
    EXPECT_EQ(u.status, 2) << args.size();
    EXPECT_NE(u.err.find("Usage: kessik-db " + args[0]), std::string::npos) << u.err;
  }
}

TEST_F(Sections, SampleExportImportRoundTrip) {
  fs::create_directories(root_ / "prog");
  ChildRun s = db({"sample", at("prog")});
  ASSERT_EQ(s.status, 0) << s.err;
  const std::vector<std::string> sections = knownSectionFolders();
  const std::size_t schemas = knownSchemaCount();
  EXPECT_EQ(s.out, "Образец в C:\\prog\\: записей " + std::to_string(3 * sections.size()) + ", шаблонов " +
                       std::to_string(schemas + 2) + "; уже было и не тронуто: 0.\n");
  // Sound element templates the sound list editor reads.
  for (const char* name : {"sample1.zap", "sample2.zap"}) {
    const kessik::SoundTemplateRead t =
        kessik::readSoundTemplate(fileContents(root_ / "prog/shablons/ASounds" / name));
    EXPECT_TRUE(t.ok) << name << ": " << t.error;
  }
  const auto before = tree("prog");
  EXPECT_EQ(before.count(at("prog/shablons/prints/2/sample.zap")), 1u);

  // The schema from the folder's last two names, or from --schema.
  ChildRun e = db({"export", at("prog/bases/databaselmp/prints/2/")});
  ASSERT_EQ(e.status, 0) << e.err;
  EXPECT_EQ(e.out.substr(0, e.out.find("\r\n")),
            "File,TerrainType,Clear Weather Opacity,Clear Weather Lifetime,Clear Weather Fadeout,"
            "Weather Precipitation Opacity,Weather Precipitation Lifetime,Weather Precipitation Fadeout,"
            "Unknown1 Opacity,Unknown1 Lifetime,Unknown1 Fadeout");
  fs::copy(root_ / "prog/bases/databaselmp/prints/2", root_ / "copy");
  ChildRun named = db({"export", at("copy"), "--schema", "prints/2", "-o", at("out/sheet.csv")});
  ASSERT_EQ(named.status, 0) << named.err;
  EXPECT_EQ(named.out, "");
  EXPECT_EQ(fileContents(root_ / "out/sheet.csv"), e.out);
  ChildRun unknown = db({"export", at("copy")});
  EXPECT_EQ(unknown.status, 1);
  EXPECT_NE(unknown.err.find("Схема раздела для папки C:\\copy\\ не найдена"), std::string::npos) << unknown.err;
  ChildRun wrong = db({"export", at("copy"), "--schema", "prints/9"});
  EXPECT_EQ(wrong.status, 1);
  EXPECT_EQ(wrong.err, "Схема раздела prints/9 неизвестна (список: kessik-db --help).\n");
  EXPECT_EQ(wrong.out, "");

  // Every section: an untouched export imports without changing a byte.
  for (const std::string& section : sections) {
    const std::string folder = at("prog/bases/" + section);
    ASSERT_EQ(db({"export", folder, "-o", at("s.csv")}).status, 0) << section;
    ChildRun i = db({"import", folder, at("s.csv")});
    EXPECT_EQ(i.status, 0) << section << ": " << i.err;
    EXPECT_EQ(i.out, "Изменено записей: 0 из 3.\n") << section;
  }
  EXPECT_EQ(tree("prog"), before);

  // A second sample writes nothing.
  ChildRun again = db({"sample", at("prog")});
  EXPECT_EQ(again.status, 0);
  EXPECT_EQ(again.out, "Образец в C:\\prog\\: записей 0, шаблонов 0; уже было и не тронуто: " +
                           std::to_string(sections.size() + schemas + 2) + ".\n");
  EXPECT_EQ(tree("prog"), before);
  // A folder that is not there yet is made.
  ChildRun fresh = db({"sample", at("new/prog")});
  EXPECT_EQ(fresh.status, 0) << fresh.err;
  EXPECT_EQ(tree("new/prog").size(), before.size());
}

TEST_F(Sections, ImportRefusesAndWritesNothingOrSaysWhatChanged) {
  fs::create_directories(root_ / "prog");
  ASSERT_EQ(db({"sample", at("prog")}).status, 0);
  const std::string folder = at("prog/bases/database/prints/1");
  ChildRun e = db({"export", folder});
  ASSERT_EQ(e.status, 0);
  const auto before = tree("prog/bases");

  std::string bad = e.out;
  bad.replace(bad.find("Sand,"), 4, "Snow");                // a mask clash made by the import
  bad.replace(bad.find("Grass,\"0,25\""), 12, "Grass,\"x\"");  // a float32 refused
  write("bad.csv", bad);
  ChildRun r = db({"import", folder, at("bad.csv")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err,
            "0000001.zap: Clear Weather Opacity: Выделенное поле имеет неправильный формат.\n"
            "0000002.zap: TerrainType: Неправильная маска - такая уже есть. Маска берется из выделенного поля.\n"
            "Ничего не записано: ошибок 2.\n");
  EXPECT_EQ(tree("prog/bases"), before);

  std::string good = e.out;
  good.replace(good.find("Sand,"), 4, "Dune");
  write("good.csv", good);
  r = db({"import", folder, at("good.csv")});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Изменено записей: 1 из 3.\n");
  EXPECT_NE(db({"export", folder}).out.find("\r\n0000002.zap,Dune,"), std::string::npos);

  ChildRun missing = db({"import", folder, at("none.csv")});
  EXPECT_EQ(missing.status, 1);
}

TEST_F(Sections, SpellsImportKeepsTheirMaskRules) {
  fs::create_directories(root_ / "prog");
  ASSERT_EQ(db({"sample", at("prog")}).status, 0);

  // S_ lists: a prototype may repeat.
  const std::string list = at("prog/bases/databaselmp/spells/3");
  std::string sheet = db({"export", list}).out;
  ASSERT_NE(sheet.find("\r\n0000002.zap,Heal,"), std::string::npos) << sheet;
  sheet.replace(sheet.find("\r\n0000002.zap,Heal,"), 19, "\r\n0000002.zap,Fireball,");
  write("list.csv", sheet);
  ChildRun r = db({"import", list, at("list.csv")});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Изменено записей: 1 из 3.\n");
  EXPECT_NE(db({"export", list}).out.find("\r\n0000002.zap,Fireball,"), std::string::npos);

  // Spell Prototypes: masks are unique, the target is one character.
  const std::string protos = at("prog/bases/database/spells/1");
  const auto before = tree("prog/bases/database/spells/1");
  sheet = db({"export", protos}).out;
  ASSERT_NE(sheet.find(",A,10,"), std::string::npos) << sheet;
  sheet.replace(sheet.find(",A,10,"), 6, ",AB,10,");
  sheet.replace(sheet.find("\r\n0000002.zap,Heal,"), 19, "\r\n0000002.zap,Fireball,");
  write("protos.csv", sheet);
  r = db({"import", protos, at("protos.csv")});
  EXPECT_EQ(r.status, 1);
  // Both records that would carry the mask are named.
  EXPECT_EQ(r.err,
            "0000001.zap: Name: Неправильная маска - такая уже есть. Маска берется из выделенного поля.\n"
            "0000001.zap: Target: Выделенное поле имеет неправильный формат. Не больше 1 символа (любого), либо без "
            "символов.\n"
            "0000002.zap: Name: Неправильная маска - такая уже есть. Маска берется из выделенного поля.\n"
            "Ничего не записано: ошибок 3.\n");
  EXPECT_EQ(tree("prog/bases/database/spells/1"), before);
}

// An import killed between writing a record's temporary file and putting it
// in place: every record file is whole (old or new), the section still packs,
// and the next import removes the temporary file and finishes the work.
TEST_F(Sections, KilledImportLeavesWholeRecords) {
  fs::create_directories(root_ / "prog");
  ASSERT_EQ(db({"sample", at("prog")}).status, 0);
  const std::string folder = at("prog/bases/database/prints/1");
  const std::string sheet = db({"export", folder}).out;
  std::string changed = sheet;
  for (const char* mask : {"Grass,", "Sand,", "Snow,"}) {
    const std::size_t pos = changed.find(mask);
    ASSERT_NE(pos, std::string::npos) << mask;
    changed.insert(pos + std::string(mask).size() - 1, "X");
  }
  write("changed.csv", changed);
  const auto before = tree("prog/bases/database/prints/1");

  ::setenv("KESSIK_CRASH_AT", "save-temp:2", 1);
  ChildRun killed = db({"import", folder, at("changed.csv")});
  ::unsetenv("KESSIK_CRASH_AT");
  EXPECT_EQ(killed.status, 86);
  const auto after = tree("prog/bases/database/prints/1");
  EXPECT_NE(after.at(at("prog/bases/database/prints/1/0000001.zap")),
            before.at(at("prog/bases/database/prints/1/0000001.zap")));
  for (const char* kept : {"0000002.zap", "0000003.zap"}) {
    const std::string path = at(std::string("prog/bases/database/prints/1/") + kept);
    EXPECT_EQ(after.at(path), before.at(path)) << kept;
  }
  EXPECT_EQ(after.count(at("prog/bases/database/prints/1/0000002.zap.~kessik")), 1u);
  ChildRun pack = db({"pack", at("prog/bases/database/prints"), at("prints.db")});
  EXPECT_EQ(pack.status, 0) << pack.err;

  ChildRun again = db({"import", folder, at("changed.csv")});
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(again.out, "Изменено записей: 2 из 3.\n");
  EXPECT_EQ(tree("prog/bases/database/prints/1").size(), 3u);
  EXPECT_EQ(db({"export", folder}).out, changed);
}

// A record the export could not read whole is listed and the export exits
// 1; an import of such a sheet leaves that record alone, says so and exits
// 1. The sheet is never written into the section it reads.
TEST_F(Sections, UnreadableRecordsAreListedAndNeverWrittenBack) {
  fs::create_directories(root_ / "prog");
  ASSERT_EQ(db({"sample", at("prog")}).status, 0);
  const std::string folder = at("prog/bases/database/prints/2");
  const std::string whole = fileContents(root_ / "prog/bases/database/prints/2/0000002.zap");
  kessik::TZapisBaziZm record;
  record.Parse(whole);
  write("prog/bases/database/prints/2/0000002.zap",
        kessik::test::recordOf({{1, record.GetField(1)}, {2, record.GetField(2)}}));  // fields 3 and 4 missing

  ChildRun e = db({"export", folder, "-o", at("sheet.csv")});
  EXPECT_EQ(e.status, 1);
  const std::string missingField =
      "C:\\prog\\bases\\database\\prints\\2\\0000002.zap: Неправильный номер поля базы!\n";  // the record's own
  EXPECT_EQ(e.err,
            missingField + missingField +
            "C:\\prog\\bases\\database\\prints\\2\\0000002.zap: не прочитано: Weather Precipitation Opacity, "
            "Weather Precipitation Lifetime, Weather Precipitation Fadeout, Unknown1 Opacity, Unknown1 Lifetime, "
            "Unknown1 Fadeout\n"
            "Записей с непрочитанными значениями: 1. В их ячейках пометка «<не прочитано: ...>», а не значение; "
            "импорт такие ячейки не запишет.\n");
  const std::string sheet = fileContents(root_ / "sheet.csv");
  EXPECT_NE(sheet.find("<не прочитано: в записи нет поля 3"), std::string::npos);
  ChildRun out = db({"export", folder});
  EXPECT_EQ(out.status, 1);
  EXPECT_EQ(out.out, sheet);

  // Over a record file of the section, or anywhere in it: refused.
  const auto before = tree("prog/bases");
  for (const char* target : {"prog/bases/database/prints/2/0000001.zap", "prog/bases/database/prints/2/s.csv"}) {
    ChildRun onto = db({"export", folder, "-o", at(target)});
    EXPECT_EQ(onto.status, 1) << target;
    EXPECT_NE(onto.err.find(", которую выгрузка читает. Выберите файл вне ее. Ничего не записано."), std::string::npos)
        << onto.err;
  }
  ChildRun inside = db({"export", at("prog/bases/database"), "-o", at("prog/bases/database/sheets")});
  EXPECT_EQ(inside.status, 1);
  EXPECT_NE(inside.err.find(", которую выгрузка читает. Выберите папку вне ее. Ничего не записано."), std::string::npos)
      << inside.err;
  EXPECT_EQ(tree("prog/bases"), before);

  // Mended meanwhile: the sheet's marks are no values.
  write("prog/bases/database/prints/2/0000002.zap", whole);
  ChildRun i = db({"import", folder, at("sheet.csv")});
  EXPECT_EQ(i.status, 1);
  EXPECT_EQ(i.out, "Изменено записей: 0 из 3.\n");
  EXPECT_EQ(i.err,
            "0000002.zap: Weather Precipitation Opacity: в ячейке пометка выгрузки о непрочитанном значении, а не "
            "значение; запись пропущена\nПропущено записей: 1 (оставлены как были).\n");
  EXPECT_EQ(fileContents(root_ / "prog/bases/database/prints/2/0000002.zap"), whole);
}

// An import that changes many records builds the section anew beside its
// folder and swaps it in whole: killed at any pass of its work, it leaves
// the old section or the new one, never a mix; the next import or pack puts
// right what it left beside the folder, and nothing of ours stays.
TEST_F(Sections, KilledSectionImportLeavesTheOldSectionOrTheNew) {
  const kessik::Schema& schema = *kessik::findSchema("prints\\2\\");
  const int records = 30;
  for (int k = 1; k <= records; ++k)
    write("src/prints/2/" + kessik::recordFileName(static_cast<std::uint64_t>(k)), kessik::sampleRecord(schema, k).bytes);
  write("src/prints/2/.gitkeep", "kept");
  write("src/prints/2/notes.txt", "notes");
  write("src/prints/1/0000001.zap", kessik::sampleRecord(*kessik::findSchema("prints\\1\\"), 1).bytes);
  const std::string folder = at("src/prints/2");
  const std::string sheet = db({"export", folder}).out;
  // The lifetime of the first 20 records raised by one: 20 changed, 10 not.
  kessik::CsvParse p = kessik::parseCsv(sheet);
  std::string changed = kessik::csvLine(p.lines[0]);
  for (std::size_t l = 1; l < p.lines.size(); ++l) {
    if (l <= 20) p.lines[l][3] = std::to_string(std::stoi(p.lines[l][3]) + 1);
    changed += kessik::csvLine(p.lines[l]);
  }
  write("changed.csv", changed);
  fs::copy(root_ / "src", root_ / "pristine", fs::copy_options::recursive);
  ChildRun clean = db({"import", folder, at("changed.csv")});
  ASSERT_EQ(clean.status, 0) << clean.err;
  ASSERT_EQ(clean.out, "Изменено записей: 20 из 30.\n");
  const auto newTree = tree("src");
  const auto newSection = tree("src/prints/2");
  auto restore = [&] {
    fs::remove_all(root_ / "src");
    fs::copy(root_ / "pristine", root_ / "src", fs::copy_options::recursive);
  };
  restore();
  const auto oldTree = tree("src");
  const auto oldSection = tree("src/prints/2");
  ASSERT_TRUE(oldTree != newTree);
  auto names = [&](const std::string& rel) {
    std::set<std::string> out;
    for (const auto& e : fs::directory_iterator(root_ / rel)) out.insert(e.path().filename().string());
    return out;
  };

  // Every pass point of the road: each unchanged file linked, each changed
  // record written, the new section synced, the new section in place.
  std::vector<std::string> points;
  for (int n = 1; n <= 12; ++n) points.push_back("section-link:" + std::to_string(n));
  for (int n = 1; n <= 20; ++n) points.push_back("import-record:" + std::to_string(n));
  points.push_back("section-synced:1");
  points.push_back("tree-swapped:1");
  for (std::size_t k = 0; k < points.size(); ++k) {
    SCOPED_TRACE(points[k]);
    restore();
    ::setenv("KESSIK_CRASH_AT", points[k].c_str(), 1);
    ChildRun killed = db({"import", folder, at("changed.csv")});
    ::unsetenv("KESSIK_CRASH_AT");
    ASSERT_EQ(killed.status, 86) << killed.err;
    // The section itself is whole at once; what the kill left beside it
    // goes with the next run.
    const bool swapped = points[k] == "tree-swapped:1";
    EXPECT_TRUE(tree("src/prints/2") == (swapped ? newSection : oldSection));
    // The next run puts right what the killed one left: an import (which
    // then changes nothing more, or everything) or a pack.
    if (k % 2 == 0) {
      ChildRun again = db({"import", folder, at("changed.csv")});
      ASSERT_EQ(again.status, 0) << again.err;
      EXPECT_EQ(again.out, swapped ? "Изменено записей: 0 из 30.\n" : "Изменено записей: 20 из 30.\n");
      EXPECT_TRUE(tree("src") == newTree);
    } else {
      ChildRun pack = db({"pack", at("src/prints"), at("prints.db")});
      ASSERT_EQ(pack.status, 0) << pack.err;
      EXPECT_TRUE(tree("src") == (swapped ? newTree : oldTree));
    }
    EXPECT_EQ(names("src/prints"), (std::set<std::string>{"1", "2"}));
    EXPECT_EQ(names("src"), std::set<std::string>{"prints"});
  }
}

}  // namespace
