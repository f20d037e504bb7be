// kessik-db find: the search across the databases without a display. Every
// section of a source root (or one, by --schema) is read by its schema and
// each cell that holds the text is printed as
//   prints/1/0000001.zap «blood»: Name: blood
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "editors/schemas/registry.h"
#include "editors/engine/section.h"
#include "kessik_db.h"
#include "platform/files.h"
#include "util/cp1251.h"
#include "util/paths.h"
#include "workbench/engine/tree_search.h"

namespace kessik::tool {
namespace {

void say(std::FILE* to, const std::string& cp1251) {
  clearProgressLine();
  std::fprintf(to, "%s\n", cp1251ToUtf8(cp1251).c_str());
}

constexpr const char* kUsage = "SOURCE_ROOT TEXT [--schema DB/N] [--masks] [--exact]";

// Exit status of find, as grep's: 0 found, 1 not found, 2 trouble.
enum FindExit : int { Found = 0, NotFound = 1, Trouble = 2 };

}  // namespace

int commandFind(const std::vector<std::string>& args) {
  std::vector<std::string> positional;
  std::string schemaOption;
  SearchQuery query;
  bool options = true;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (options && a == "--") {
      options = false;
    } else if (options && a == "--masks") {
      query.masksOnly = true;
    } else if (options && a == "--exact") {
      query.exact = true;
    } else if (options && a == "--schema") {
      if (i + 1 >= args.size()) {
        std::fprintf(stderr, "kessik-db find: --schema needs a value\nUsage: kessik-db find %s\n", kUsage);
        return ExitUsage;
      }
      schemaOption = args[++i];
    } else if (options && a.size() > 1 && a[0] == '-') {
      std::fprintf(stderr, "kessik-db find: unknown option %s\nUsage: kessik-db find %s\n", a.c_str(), kUsage);
      return ExitUsage;
    } else {
      positional.push_back(a);
    }
  }
  if (positional.size() != 2) {
    std::fprintf(stderr, "kessik-db find: expected 2 arguments, got %zu\nUsage: kessik-db find %s\n",
                 positional.size(), kUsage);
    return ExitUsage;
  }
  auto text = utf8ToCp1251(positional[1]);
  if (!text || text->empty()) {
    say(stderr, text ? ru("Текст поиска пуст.") : ru("Текст поиска нельзя записать в кодировке Windows-1251."));
    return ExitUsage;
  }
  query.text = *text;

  auto rootPath = windowsPathOf(positional[0]);
  if (!rootPath) return Trouble;
  const std::string root = withTrailingBackslash(*rootPath);
  if (!folderExists(root)) {
    say(stderr, ru("Папки ") + root + ru(" нет."));
    return Trouble;
  }
  std::vector<SearchSection> sections = searchSectionsOfRoot(root);
  if (!schemaOption.empty()) {
    std::string folder = schemaOption;
    for (char& c : folder)
      if (c == '/') c = '\\';
    folder = withTrailingBackslash(folder);
    const Schema* schema = findSchema(folder);
    if (!schema) {
      say(stderr, ru("Схема раздела ") + schemaOption + ru(" неизвестна (список: kessik-db --help)."));
      return Trouble;
    }
    std::erase_if(sections, [&](const SearchSection& s) { return s.schema != schema; });
    if (sections.empty()) {
      say(stderr, ru("Проверьте наличие исходника! Отсутствует папка ") + sectionSourceFolder(root, *schema) + ".");
      return Trouble;
    }
  } else if (sections.empty()) {
    sayNoKnownSection(root);
    return Trouble;
  }

  TreeSearch search(sections, query);
  Progress& progress = terminalProgress();
  progress.show();
  progress.setStage(ru("Поиск..."));
  search.start();
  std::vector<SearchHit> hits;
  std::uint64_t found = 0;
  bool more = true;
  while (more) {
    search.wait(std::chrono::milliseconds(100));
    more = search.take(hits);
    if (search.total()) progress.setMaximum(search.total());
    progress.setPosition(search.done());
    for (const SearchHit& h : hits) say(stdout, hitLine(search.sections()[h.section], h));
    found += hits.size();
    hits.clear();
  }
  progress.close();
  clearProgressLine();
  return found ? Found : NotFound;
}

}  // namespace kessik::tool
