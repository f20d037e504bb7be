// The section commands of kessik-db: export a section as CSV, import a CSV
// into a section as the editor's "Сохранить" would, and write a sample
// workspace into a program folder. They work for every section that has a
// schema, with no code of their own per section.
#ifdef _WIN32
#include <algorithm>
#include <cctype>
#include <fcntl.h>
#include <io.h>
#endif

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_buf.h"
#include "platform/host.h"
#include "editors/schemas/sample.h"
#include "editors/schemas/registry.h"
#include "editors/engine/sheet.h"
#include "editors/schemas/window_table.h"
#include "kessik_db.h"
#include "util/cp1251.h"
#include "platform/files.h"
#include "util/paths.h"

namespace kessik::tool {

// The whole-tree forms of export and import (kessik_db_tree.cpp).
bool isSourceRootArgument(const std::string& hostPath);
int exportWholeTree(const std::string& rootArg, const std::string& outputArg);
int importWholeTree(const std::string& rootArg, const std::string& sheetsArg);

namespace {

void say(std::FILE* to, const std::string& cp1251) {
  clearProgressLine();
  std::string text = cp1251ToUtf8(cp1251);
  std::fprintf(to, "%s\n", text.c_str());
}

// Arguments of a section command: positional ones and the options it knows.
struct Parsed {
  std::vector<std::string> positional;
  std::string schema;  // --schema DB/N
  std::string output;  // -o FILE
  bool ok = true;
};

Parsed parseArgs(const char* command, const char* usage, const std::vector<std::string>& args, bool takesOutput,
                 std::size_t positionalCount) {
  Parsed p;
  bool options = true;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (options && a == "--") {
      options = false;
      continue;
    }
    bool isSchema = a == "--schema", isOutput = takesOutput && (a == "-o" || a == "--output");
    if (options && (isSchema || isOutput)) {
      if (i + 1 >= args.size()) {
        std::fprintf(stderr, "kessik-db %s: %s needs a value\n", command, a.c_str());
        p.ok = false;
        break;
      }
      (isSchema ? p.schema : p.output) = args[++i];
      continue;
    }
    if (options && a.size() > 1 && a[0] == '-') {
      std::fprintf(stderr, "kessik-db %s: unknown option %s\n", command, a.c_str());
      p.ok = false;
      break;
    }
    p.positional.push_back(a);
  }
  if (p.ok && p.positional.size() != positionalCount) {
    std::fprintf(stderr, "kessik-db %s: expected %zu arguments, got %zu\n", command, positionalCount,
                 p.positional.size());
    p.ok = false;
  }
  if (!p.ok) std::fprintf(stderr, "Usage: kessik-db %s %s\n", command, usage);
  return p;
}

// The schema folder named by --schema ("prints/1", "prints\1\") or by the
// section folder's last two names.
std::string schemaFolderOf(const std::string& option, const std::string& sectionFolder) {
  std::string name = option;
  for (char& c : name)
    if (c == '/') c = '\\';
  if (option.empty()) {
    std::string path = withoutTrailingBackslash(sectionFolder);
    std::string section = fileNamePart(path);
    std::string database = fileNamePart(withoutTrailingBackslash(folderPart(path)));
    name = database + "\\" + section;
  }
  return withTrailingBackslash(name);
}

std::string shownName(std::string folder) {
  folder = withoutTrailingBackslash(folder);
  for (char& c : folder)
    if (c == '\\') c = '/';
  return folder;
}

// The section's schema and Windows folder, or a message and nothing.
struct Target {
  const Schema* schema = nullptr;
  std::string folder;  // with a trailing backslash
};

std::optional<Target> targetOf(const std::string& hostFolder, const std::string& schemaOption) {
  auto folder = windowsPathOf(hostFolder);
  if (!folder) return std::nullopt;
  Target t;
  t.folder = withTrailingBackslash(*folder);
  std::string schemaFolder = schemaFolderOf(schemaOption, t.folder);
  t.schema = findSchema(schemaFolder);
  if (!t.schema && schemaOption.empty()) {
    say(stderr, ru("Схема раздела для папки ") + t.folder + ru(" не найдена: две последние части её пути (") +
                    shownName(schemaFolder) +
                    ru(") не называют известный раздел вида БАЗА/N. Укажите схему ключом --schema БАЗА/N "
                       "(список: kessik-db --help)."));
    return std::nullopt;
  }
  if (!t.schema) {
    say(stderr, ru("Схема раздела ") + shownName(schemaFolder) + ru(" неизвестна (список: kessik-db --help)."));
    return std::nullopt;
  }
  if (!folderExists(t.folder)) {
    say(stderr, ru("Проверьте наличие исходника! Отсутствует папка ") + t.folder + ".");
    return std::nullopt;
  }
  return t;
}

}  // namespace

bool reportUnreadable(const std::vector<std::string>& unreadable) {
  if (unreadable.empty()) return false;
  for (const std::string& line : unreadable) say(stderr, line);
  say(stderr, ru("Записей с непрочитанными значениями: ") + std::to_string(unreadable.size()) +
                  ru(". В их ячейках пометка «<не прочитано: ...>», а не значение; импорт такие ячейки не "
                     "запишет."));
  return true;
}

void sayNoKnownSection(const std::string& root) {
  say(stderr, ru("В папке ") + root + ru(" нет ни одного известного раздела (например ") + sections().front().folder +
                  ").");
}

bool reportSkipped(const std::vector<std::string>& skipped) {
  if (skipped.empty()) return false;
  for (const std::string& line : skipped) say(stderr, line);
  say(stderr, ru("Пропущено записей: ") + std::to_string(skipped.size()) + ru(" (оставлены как были)."));
  return true;
}

int commandExport(const std::vector<std::string>& args) {
  const char* usage = "SECTION_FOLDER [--schema DB/N] [-o FILE]";
  Parsed p = parseArgs("export", usage, args, true, 1);
  if (!p.ok) return ExitUsage;
  if (p.schema.empty() && isSourceRootArgument(p.positional[0])) {
    if (p.output.empty()) {
      std::fprintf(stderr, "kessik-db export: a source root is written as one CSV per section: give -o FOLDER\n");
      return ExitUsage;
    }
    return exportWholeTree(p.positional[0], p.output);
  }
  auto target = targetOf(p.positional[0], p.schema);
  if (!target) return ExitFailed;
  SheetExport r;
  if (p.output.empty()) {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);  // the CR LF line ends go out as they are
#endif
    r = exportSectionCsv(
        *target->schema, target->folder,
        [](std::string_view piece) { return std::fwrite(piece.data(), 1, piece.size(), stdout) == piece.size(); },
        terminalProgress());
    std::fflush(stdout);
    if (!r.ok || std::ferror(stdout)) return ExitFailed;
  } else {
    auto out = windowsPathOf(p.output);
    if (!out) return ExitFailed;
    // The sheet is read from the section folder: it is written nowhere in
    // it (over a record file least of all).
    if (isWithinFolder(*out, target->folder)) {
      say(stderr, ru("Файл ") + *out + ru(" лежит внутри папки раздела ") + target->folder +
                      ru(", которую выгрузка читает. Выберите файл вне ее. Ничего не записано."));
      return ExitFailed;
    }
    const std::string folder = folderPart(*out);
    if (!folder.empty()) createFolderTree(folder);
    auto host = platform::toHost(*out);
    std::optional<platform::ReplacingFile> file;
    if (host) file.emplace(*host);
    if (!file || !file->isOpen()) {
      const auto why = file ? file->error() : platform::failureOf(platform::Failure::NoDrive);
      say(stderr, "Error, Saving" + *out + platform::failureLine(platform::FileDeed::Write, *out, why));
      return ExitFailed;
    }
    r = exportSectionCsv(
        *target->schema, target->folder, [&](std::string_view piece) { return file->write(piece); },
        terminalProgress());
    if (!r.ok || !file->commit()) {
      // A sheet cut short by a write that failed says so; a refusal of the
      // export itself has said what it had to.
      if (file->error().reason == platform::Failure::None) return ExitFailed;
      say(stderr, "Error, Saving" + *out + platform::failureLine(platform::FileDeed::Write, *out, file->error()));
      return ExitFailed;
    }
  }
  return reportUnreadable(r.unreadable) ? ExitFailed : ExitOk;
}

int commandImport(const std::vector<std::string>& args) {
  const char* usage = "SECTION_FOLDER FILE [--schema DB/N]";
  Parsed p = parseArgs("import", usage, args, false, 2);
  if (!p.ok) return ExitUsage;
  if (p.schema.empty() && isSourceRootArgument(p.positional[0])) return importWholeTree(p.positional[0], p.positional[1]);
  auto target = targetOf(p.positional[0], p.schema);
  if (!target) return ExitFailed;
  auto csvPath = windowsPathOf(p.positional[1]);
  if (!csvPath) return ExitFailed;
  TFileInString csv;
  if (!csv.LoadFromFile(*csvPath)) return ExitFailed;

  ImportOutcome r = importSectionCsv(*target->schema, target->folder, csv.data(), *csvPath, false, terminalProgress());
  if (!r.problems.empty()) {
    for (const SheetProblem& problem : r.problems) say(stderr, problemLine(problem));
    if (r.changed == 0) say(stderr, ru("Ничего не записано: ошибок ") + std::to_string(r.problems.size()) + ".");
    return ExitFailed;
  }
  say(stdout, ru("Изменено записей: ") + std::to_string(r.changed) + ru(" из ") + std::to_string(r.lines) + ".");
  std::vector<std::string> skipped;
  for (const SheetProblem& problem : r.skipped) skipped.push_back(problemLine(problem));
  const bool skippedAny = reportSkipped(skipped);
  return r.writeFailed || skippedAny ? ExitFailed : ExitOk;
}

int commandSample(const std::vector<std::string>& args) {
  auto dir = windowsPathOf(args[0]);
  if (!dir) return ExitFailed;
  const std::string programDir = withTrailingBackslash(*dir);
  if (!createFolderTree(programDir)) {
    say(stderr, ru("Папку программы ") + programDir + ru(" не удалось создать. Ничего не сделано."));
    return ExitFailed;
  }
  SampleReport r = writeSampleWorkspace(programDir);
  for (const std::string& problem : r.problems) say(stderr, problem);
  say(stdout, ru("Образец в ") + programDir + ru(": записей ") + std::to_string(r.records) + ru(", шаблонов ") +
                  std::to_string(r.templates) + ru("; уже было и не тронуто: ") + std::to_string(r.kept) + ".");
  return r.problems.empty() ? ExitOk : ExitFailed;
}

void printSchemaList(std::FILE* out) {
  std::fputs("\nSchemas (for export, import and sample):\n", out);
  std::vector<std::string> done;
  for (const WindowEntry& w : windowTable()) {
    if (!findSchema(w.schemaFolder)) continue;
    bool seen = false;
    for (const auto& d : done) seen = seen || d == w.schemaFolder;
    if (seen) continue;
    done.push_back(w.schemaFolder);
    // The caption says "Prints.db : Blood Prints (SINGL)": the section's name
    // stands between the colon and the game.
    std::string name = w.caption;
    if (auto colon = name.find(" : "); colon != std::string::npos) name = name.substr(colon + 3);
    if (auto game = name.rfind(" ("); game != std::string::npos) name = name.substr(0, game);
    // A one-section database ("Levers.ldb (SINGL)") names the database
    // itself: the section is the database's name without its extension.
    auto lower = [](std::string t) {
      for (char& c : t) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      return t;
    };
    if (lower(name) == lower(w.database)) name = name.substr(0, name.rfind('.'));
    std::string games;
    for (const WindowEntry& g : windowTable()) {
      if (g.schemaFolder != w.schemaFolder) continue;
      if (!games.empty()) games += ", ";
      games += g.game == Game::Singl ? "SINGL" : "LMP";
    }
    std::string line = "  " + shownName(w.schemaFolder);
    line.resize(std::max<std::size_t>(line.size() + 1, 14), ' ');
    line += cp1251ToUtf8(name) + " (" + w.database + ": " + games + ")";
    std::fprintf(out, "%s\n", line.c_str());
  }
}

}  // namespace kessik::tool
