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

#include "editors/schemas/registry.h"
#include "editors/schemas/window_table.h"
#include "support/child_process.h"
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
                       std::to_string(schemas) + "; уже было и не тронуто: 0.\n");
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
                           std::to_string(sections.size() + schemas) + ".\n");
  EXPECT_EQ(tree("prog"), before);
  EXPECT_EQ(db({"sample", at("missing")}).status, 1);
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

}  // namespace
