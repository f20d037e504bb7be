// The commands of kessik-db over a whole source root: check, diff, and the
// sheets of every section written to or applied from one folder.
#include <cstdio>
#include <string>
#include <vector>

#include "editors/schemas/tree.h"
#include "kessik_db.h"
#include "util/cp1251.h"
#include "platform/files.h"
#include "util/paths.h"

namespace kessik::tool {
namespace {

void say(std::FILE* to, const std::string& cp1251) {
  clearProgressLine();
  std::fprintf(to, "%s\n", cp1251ToUtf8(cp1251).c_str());
}

// The Windows folder of a host path that must be an existing folder.
std::optional<std::string> existingFolder(const std::string& hostPath) {
  auto folder = windowsPathOf(hostPath);
  if (!folder) return std::nullopt;
  std::string f = withTrailingBackslash(*folder);
  if (!folderExists(f)) {
    say(stderr, ru("Папки ") + f + ru(" нет."));
    return std::nullopt;
  }
  return f;
}

}  // namespace

int commandCheck(const std::vector<std::string>& args) {
  auto root = existingFolder(args[0]);
  if (!root) return ExitFailed;
  const auto sections = sectionsOfRoot(*root);
  if (sections.empty()) {
    sayNoKnownSection(*root);
    return ExitFailed;
  }
  const auto lines = checkTree(*root);
  for (const auto& line : lines) say(stdout, line);
  say(stderr, ru("Проверено разделов: ") + std::to_string(sections.size()) + ru("; замечаний: ") +
                  std::to_string(lines.size()) + ".");
  return lines.empty() ? ExitOk : ExitFailed;
}

int commandDiff(const std::vector<std::string>& args) {
  auto a = existingFolder(args[0]);
  auto b = a ? existingFolder(args[1]) : std::nullopt;
  // As diff(1): 0 the same, 1 different, 2 trouble.
  if (!a || !b) return ExitUsage;
  const auto lines = diffTrees(*a, *b);
  for (const auto& line : lines) say(stdout, line);
  return lines.empty() ? ExitOk : ExitFailed;
}

bool isSourceRootArgument(const std::string& hostPath) {
  auto folder = windowsPathOf(hostPath);
  return folder && isSourceRoot(withTrailingBackslash(*folder));
}

int exportWholeTree(const std::string& rootArg, const std::string& outputArg) {
  auto root = existingFolder(rootArg);
  auto out = windowsPathOf(outputArg);
  if (!root || !out) return ExitFailed;
  // The sheets are read from the root: they are written nowhere in it.
  if (isWithinFolder(*out, *root)) {
    say(stderr, ru("Папка ") + withTrailingBackslash(*out) + ru(" лежит внутри папки исходника ") + *root +
                    ru(", которую выгрузка читает. Выберите папку вне ее. Ничего не записано."));
    return ExitFailed;
  }
  TreeExport r = exportTree(*root, withTrailingBackslash(*out));
  for (const auto& p : r.problems) say(stderr, p);
  say(stdout, ru("Разделов записано: ") + std::to_string(r.sections) + ru(" в ") + withTrailingBackslash(*out) + ".");
  const bool unreadable = reportUnreadable(r.unreadable);
  return r.problems.empty() && !unreadable ? ExitOk : ExitFailed;
}

int importWholeTree(const std::string& rootArg, const std::string& sheetsArg) {
  auto root = existingFolder(rootArg);
  auto sheets = root ? existingFolder(sheetsArg) : std::nullopt;
  if (!root || !sheets) return ExitFailed;
  TreeImport r = importTree(*root, *sheets);
  if (!r.problems.empty()) {
    for (const auto& p : r.problems) say(stderr, p);
    say(stderr, ru("Ничего не записано: ошибок ") + std::to_string(r.problems.size()) + ".");
    return ExitFailed;
  }
  say(stdout, ru("Разделов: ") + std::to_string(r.sections) + ru("; изменено записей: ") + std::to_string(r.changed) +
                  ru(" из ") + std::to_string(r.lines) + ".");
  const bool skipped = reportSkipped(r.skipped);
  return r.writeFailed || skipped ? ExitFailed : ExitOk;
}

}  // namespace kessik::tool
