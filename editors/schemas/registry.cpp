// The registry: the rows of sections.def turned into the sections, their
// schemas and the window table.
#include "editors/schemas/registry.h"

#include "editors/schemas/window_table.h"

namespace kessik {

namespace schemas {
#define KESSIK_SECTION(schema, ...) extern const SchemaDef schema;
#include "editors/schemas/sections.def"
#undef KESSIK_SECTION
}  // namespace schemas

namespace {

struct WindowRow {
  Game game;
  const char* className;
  const char* caption;
  const char* menuName;
  const char* menuCaption;
  WindowSize size;
};

struct SectionRow {
  const SchemaDef* schema;
  const char* database;
  int number;
  std::vector<const char*> sampleMasks;
  std::vector<WindowRow> windows;
};

const std::vector<SectionRow>& rows() {
#define SAMPLE(...) std::vector<const char*>{__VA_ARGS__}
#define SINGL(cls, caption, menu, menuCaption, ...) WindowRow{Game::Singl, cls, caption, menu, menuCaption, {__VA_ARGS__}}
#define LMP(cls, caption, menu, menuCaption, ...) WindowRow{Game::Lmp, cls, caption, menu, menuCaption, {__VA_ARGS__}}
#define KESSIK_SECTION(schema, database, number, sample, ...) \
  SectionRow{&schemas::schema, database, number, sample, {__VA_ARGS__}},
  static const std::vector<SectionRow> all = {
#include "editors/schemas/sections.def"
  };
#undef KESSIK_SECTION
#undef LMP
#undef SINGL
#undef SAMPLE
  return all;
}

// The folder of a section: the database's name without its extension, then
// the number, each followed by a backslash.
std::string folderOf(const std::string& database, int number) {
  return database.substr(0, database.find('.')) + "\\" + std::to_string(number) + "\\";
}

struct Registry {
  std::vector<SectionEntry> sections;
  std::vector<WindowEntry> windows;  // the single-player windows first, each game in the rows' order
};

const Registry& registry() {
  static const Registry r = [] {
    Registry out;
    for (const SectionRow& row : rows()) {
      SectionEntry s;
      s.database = row.database;
      s.number = row.number;
      s.folder = folderOf(s.database, s.number);
      s.schema = buildSchema(*row.schema, s.folder);
      s.sample.masks = row.sampleMasks;
      out.sections.push_back(std::move(s));
    }
    for (Game game : {Game::Singl, Game::Lmp}) {
      for (const SectionRow& row : rows()) {
        for (const WindowRow& w : row.windows) {
          if (w.game != game) continue;
          out.windows.push_back({w.className, w.game, row.database, row.number, folderOf(row.database, row.number),
                                 w.caption, w.menuName, w.menuCaption, w.size});
        }
      }
    }
    return out;
  }();
  return r;
}

}  // namespace

const std::vector<SectionEntry>& sections() { return registry().sections; }

const Schema* findSchema(const std::string& schemaFolder) {
  for (const SectionEntry& s : sections())
    if (s.folder == schemaFolder) return &s.schema;
  return nullptr;
}

const SectionEntry* findSection(const std::string& database, int number) {
  for (const SectionEntry& s : sections())
    if (s.database == database && s.number == number) return &s;
  return nullptr;
}

const SectionEntry* sectionOf(const Schema& schema) {
  for (const SectionEntry& s : sections())
    if (s.folder == schema.folder) return &s;
  return nullptr;
}

const std::vector<WindowEntry>& windowTable() { return registry().windows; }

const WindowEntry* findWindow(const std::string& className) {
  for (const auto& e : windowTable())
    if (e.className == className) return &e;
  return nullptr;
}

}  // namespace kessik
