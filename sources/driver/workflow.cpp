#include "sources/driver/workflow.h"

#include "archives/driver/resbuild.h"
#include "archives/driver/resources.h"
#include "config/settings.h"
#include "core/database.h"
#include "core/file_buf.h"
#include "platform/files.h"
#include "util/cp1251.h"
#include "util/paths.h"

namespace kessik::sources {
namespace {

const char* const kAskUnpackArchive = "После распаковки все незапакованные изменения будут утеряны. Вы уверены?";
const char* const kNoWorkFolder =
    "Получить исходник невозможно, т.к. папка с распаковкой базы отсутствует, или в ней присутствуют не все "
    "необходимые файлы";
const char* const kAskDropSinglSources = "Внимание, старый исходник базы сингла будет удален! Продолжить?";
const char* const kAskDropLmpSources = "Внимание, старый исходник базы мульти будет удален! Продолжить?";
const char* const kNoSources =
    "Собрать из исходника базу невозможно, т.к. папка с исходником отсутствует, или в ней присутствуют не все "
    "необходимые файлы";
const char* const kNoArchiveFolder =
    "Путь к папке, показывающий где лежат папки с распакованными базами неправильный. Такой папки не существует!";
const char* const kAskUpdateWorkFolder =
    "Уже существует папка с распакованной базой. Она будет обновлена при продолжении. Продолжить?";
const char* const kAskPackArchive = "Вы запустили запаковку базы резбилдом. Уверены что хотите продолжить?";

// The button captions, by which a one-go operation names the step it
// stopped at.
const char* const kUnpackStep = "Распаковать резбилдом";
const char* const kSourcesStep = "Сгенерировать исходник";
const char* const kDatabasesStep = "Сгенерировать базы";
const char* const kPackStep = "Запаковать резбилдом";

std::string folderOf(const std::string& path) { return path.empty() ? path : withTrailingBackslash(path); }

// A folder of the program's own beside the folder: "...\database_res.~kessik\".
std::string besideFolder(const std::string& folder) { return withoutTrailingBackslash(folder) + ".~kessik\\"; }

StepResult refused() { return {Outcome::Refused, {}}; }
StepResult declined() { return {Outcome::Declined, {}}; }
StepResult failed(std::string what) { return {Outcome::Failed, std::move(what)}; }

// "\nПапка ...: C:\x\ (нет: a, b)" naming where the step looked and what it
// did not find there.
std::string whereLooked(const char* whatFolder, const std::string& folder, const std::vector<std::string>& names,
                        bool folders) {
  std::string text = "\n" + ru(whatFolder) + folder;
  if (folder.empty() || !folderExists(folder)) return text + ru(" (её нет)");
  std::string missing;
  for (const auto& n : names) {
    const std::string name = folders ? baseName(n) + "\\" : n;
    if (folders ? folderExists(folder + name) : fileExists(folder + name))
      continue;
    missing += (missing.empty() ? "" : ", ") + name;
  }
  return missing.empty() ? text : text + ru(" (нет: ") + missing + ")";
}

}  // namespace

const std::vector<std::string>& singlCheckList() {
  static const std::vector<std::string> l{"items.idb", "perks.pdb",  "acks.db",    "prints.db",
                                          "levers.ldb", "quests.qdb", "spells.sdb", "units.udb"};
  return l;
}
const std::vector<std::string>& singlPackList() {
  static const std::vector<std::string> l{"acks.db",   "items.idb",  "levers.ldb", "perks.pdb",
                                          "prints.db", "quests.qdb", "spells.sdb", "units.udb"};
  return l;
}
const std::vector<std::string>& lmpCheckList() {
  static const std::vector<std::string> l{"items.idb", "perks.pdb", "prints.db", "levers.ldb", "spells.sdb",
                                          "units.udb"};
  return l;
}
const std::vector<std::string>& lmpUnpackList() {
  static const std::vector<std::string> l{"items.idb", "levers.ldb", "perks.pdb", "prints.db", "spells.sdb",
                                          "units.udb"};
  return l;
}

// ---- The host without windows ----

PlainSourcesHost::PlainSourcesHost(std::string programDir) : programDir_(std::move(programDir)) {}

bool PlainSourcesHost::ask(Icon kind, const std::string& text) {
  return messageDialog(kind, text, ButtonYes | ButtonNo) == Answer::Yes;
}

void PlainSourcesHost::show(Icon kind, const std::string& text) { messageDialog(kind, text); }

namespace {
std::string runShown(archives::ResbuildOperation op, const std::string& programDir, const std::string& first,
                     const std::string& second) {
  archives::HostToolRunner runner(programDir);
  std::string result = archives::runOperation(op, first, second, runner);
  if (!result.empty()) messageBoxEx(result, ru("Ошибка!"), Icon::Error);
  return result;
}
}  // namespace

std::string PlainSourcesHost::unpackArchive(const std::string& archive, const std::string& folder) {
  return runShown(archives::ResbuildOperation::Unpack, programDir_, archive, folder);
}
std::string PlainSourcesHost::packFolder(const std::string& archive, const std::string& folder) {
  return runShown(archives::ResbuildOperation::Pack, programDir_, archive, folder);
}
std::string PlainSourcesHost::optimizeArchive(const std::string& archive) {
  return runShown(archives::ResbuildOperation::Optimize, programDir_, archive, {});
}

bool PlainSourcesHost::recreateFolder(const std::string& folder) {
  deleteFolderTree(folder, true);
  if (isSymbolicLink(folder)) deleteFile(withoutTrailingBackslash(folder));
  createFolder(folder);
  return folderExists(folder) && !isSymbolicLink(folder);
}

bool PlainSourcesHost::emptyFolder(const std::string& folder) { return deleteFolderTree(folder, false); }

// ---- The workflow ----

SourcesDriver::SourcesDriver(Game game, SourcesHost& host) : game_(game), host_(host) {}

const std::vector<std::string>& SourcesDriver::checkList() const {
  return game_ == Game::Lmp ? lmpCheckList() : singlCheckList();
}
const std::vector<std::string>& SourcesDriver::unpackList() const {
  return game_ == Game::Lmp ? lmpUnpackList() : singlCheckList();
}
const std::vector<std::string>& SourcesDriver::packList() const {
  return game_ == Game::Lmp ? lmpUnpackList() : singlPackList();
}

GameState SourcesDriver::state() const {
  Settings& s = settings();
  const bool lmp = game_ == Game::Lmp;
  GameState g;
  g.archive = lmp ? s.DatabaselmpResPath : s.DatabaseResPath;
  g.work = folderNameForArchive(g.archive);
  (lmp ? s.DatabaselmpResDir : s.DatabaseResDir) = g.work;
  g.root = folderOf(lmp ? s.DatabaselmpResIsh : s.DatabaseResIsh);
  g.archiveThere = fileExists(g.archive);
  g.workReady = folderExists(g.work);
  for (const auto& f : checkList()) g.workReady = g.workReady && fileExists(g.work + f);
  g.sourcesReady = !g.root.empty() && folderExists(g.root);
  for (const auto& f : checkList()) g.sourcesReady = g.sourcesReady && folderExists(g.root + baseName(f) + "\\");
  return g;
}

// What the root would take with it when emptied: the first of the archive,
// the work folder, the other game's root and the program's folder that lies
// in it (or is it), or the whole drive; empty when none.
std::string SourcesDriver::heldByRoot(const GameState& g) const {
  if (g.root.empty()) return {};
  if (withoutTrailingBackslash(g.root).size() <= 2) return ru("весь диск");
  const Settings& s = settings();
  const std::string otherRoot = folderOf(game_ == Game::Lmp ? s.DatabaseResIsh : s.DatabaselmpResIsh);
  const std::string root = withTrailingBackslash(g.root);
  for (const std::string& path : {g.archive, g.work, otherRoot, s.ProgramDir}) {
    if (path.empty()) continue;
    if (compareIgnoringCase(withTrailingBackslash(path), root) == 0 || archives::liesInFolder(path, root))
      return path;
  }
  return {};
}

// ---- 2. The archive into the work folder ----

StepResult SourcesDriver::unpackArchive() {
  if (!host_.ask(Icon::Warning, ru(kAskUnpackArchive))) return declined();
  const GameState g = state();
  // The tool unpacks beside the work folder: the work folder is replaced only
  // by what the tool really put there.
  const std::string fresh = besideFolder(g.work);
  if (pathExists(withoutTrailingBackslash(fresh)) && !removeWholeFolder(fresh)) {
    host_.show(Icon::Error, ru("Не удалось удалить папку ") + fresh +
                                ru(", оставшуюся от прерванной распаковки. Распаковки не было."));
    return refused();
  }
  const std::string what = ru("архив ") + g.archive + ru(" не распакован");
  if (!host_.unpackArchive(g.archive, fresh).empty()) {
    removeWholeFolder(fresh);
    return failed(what);
  }
  std::vector<std::string> unpacked;
  for (const auto& e : listFolder(fresh).entries)
    if (e.name != "." && e.name != "..") unpacked.push_back(e.name);
  if (unpacked.empty()) {
    removeWholeFolder(fresh);
    host_.show(Icon::Error, ru("Резбилд ничего не распаковал из ") + g.archive + ru(". Папка ") + g.work +
                                ru(" оставлена как была."));
    return failed(what);
  }
  // A work folder that is a link to a folder elsewhere is removed as a link.
  bool emptyWork;
  if (pathExists(withoutTrailingBackslash(g.work))) {
    emptyWork = host_.recreateFolder(g.work);
  } else {
    createFolder(g.work);
    emptyWork = folderExists(g.work);
  }
  if (!emptyWork) {
    removeWholeFolder(fresh);
    host_.show(Icon::Error, ru("Не удалось создать папку ") + g.work);
    return failed(what);
  }
  for (const auto& name : unpacked) {
    const std::string from = fresh + name, to = g.work + name;
    if (fileExists(to)) deleteFile(to);
    if (!(folderExists(from) ? renameFolder(from, to) : renameFile(from, to))) {
      host_.show(Icon::Error, ru("Не удалось перенести ") + from + ru(" в папку ") + g.work +
                                  ru(". Распакованное осталось в папке ") + fresh + ".");
      return failed(what);
    }
  }
  removeWholeFolder(fresh);
  return {};
}

// ---- 3. The sources from the work folder ----

// Every database file of the work folder reads as a database: a damaged one
// is found before the source root is emptied.
bool SourcesDriver::checkDatabases(const GameState& g, std::string& what) {
  for (const auto& f : unpackList()) {
    TFileInString file;
    const std::string path = g.work + f;
    what = ru("база ") + f + ru(" не прочитана");
    if (!file.LoadFromFile(path) || file.ReadFailed()) return false;
    if (readDatabaseLayout(file.data()).fault != LayoutFault::None) {
      host_.show(Icon::Error, ru("База ") + path + ru(" повреждена: её не удаётся разобрать как базу. Исходник ") +
                                  g.root + ru(" не тронут."));
      what = ru("база ") + f + ru(" повреждена");
      return false;
    }
  }
  return true;
}

StepResult SourcesDriver::generateSources(bool ask) {
  const GameState g = state();
  if (!g.workReady) {
    host_.show(Icon::Error, ru(kNoWorkFolder) + whereLooked("Папка с распаковкой базы: ", g.work, checkList(), false));
    return refused();
  }
  // A root that is a link would be emptied and filled through the link, in a
  // folder the settings do not name: it is refused, nothing is touched.
  if (!g.root.empty() && isSymbolicLink(g.root)) {
    host_.show(Icon::Error, ru("Папка исходника ") + g.root +
                                ru(" является символьной ссылкой. Исходник не сгенерирован: через ссылку "
                                   "ничего не удаляется и не записывается. Укажите в настройках настоящую папку."));
    return refused();
  }
  // Emptying the root must not take the archive, its work folder, the other
  // game's sources or the program with it: such a root is refused.
  if (const std::string held = heldByRoot(g); !held.empty()) {
    host_.show(Icon::Error, ru("Папка исходника ") + g.root + ru(" содержит ") + held +
                                ru(". Исходник не сгенерирован: очистка папки удалила бы это. Укажите в "
                                   "настройках отдельную папку для исходника."));
    return refused();
  }
  bool justCreated = false;
  if (!folderExists(g.root)) {
    justCreated = !g.root.empty() && createFolderTree(g.root);
    if (!justCreated) {
      host_.show(Icon::Error, ru("Не удалось создать папку ") + g.root);
      return refused();
    }
  }
  if (!justCreated && ask && !host_.ask(Icon::Warning, ru(game_ == Game::Lmp ? kAskDropLmpSources : kAskDropSinglSources)))
    return declined();
  std::string what;
  if (!checkDatabases(g, what)) return failed(what);
  // Everything in the root goes (links in it are removed as links, so
  // nothing outside the root is touched).
  host_.emptyFolder(g.root);
  changed_ = true;
  for (const auto& f : unpackList())
    if (!unpackDatabase(g.work + f, g.root, host_.progress(), &records_)) return failed(ru("база ") + f + ru(" не распакована"));
  return {};
}

// ---- 4. The database files from the sources ----

StepResult SourcesDriver::generateDatabases(bool ask) {
  const GameState g = state();
  if (!g.sourcesReady) {
    host_.show(Icon::Error, ru(kNoSources) + whereLooked("Папка исходника: ", g.root, checkList(), true));
    return refused();
  }
  if (!folderExists(folderPart(g.archive))) {
    host_.show(Icon::Error, ru(kNoArchiveFolder) + "\n" + folderPart(g.archive));
    return refused();
  }
  if (folderExists(g.work)) {
    if (ask && !host_.ask(Icon::Question, ru(kAskUpdateWorkFolder))) return declined();
  } else {
    createFolder(g.work);
    if (!folderExists(g.work)) {
      host_.show(Icon::Error, ru("Не удалось создать папку ") + g.work);
      return refused();
    }
  }
  for (const auto& f : packList())
    if (!packDatabase(g.root + baseName(f) + "\\", g.work + f, host_.progress(), &records_))
      return failed(ru("база ") + f + ru(" не собрана из папки ") + g.root + baseName(f) + "\\");
  return {};
}

// ---- 5. The work folder into the archive ----

StepResult SourcesDriver::packArchive(bool ask) {
  if (ask && !host_.ask(Icon::Question, ru(kAskPackArchive))) return declined();
  const GameState g = state();
  // The old archive waits beside until the new one is packed and optimized.
  std::string aside;
  if (fileExists(g.archive)) {
    setPlainAttributes(g.archive);
    aside = archives::moveAside(g.archive);
    if (aside.empty()) {
      host_.show(Icon::Error, ru("Не удалось отложить старый архив ") + g.archive +
                                  ru(" (переименовать его рядом). Запаковки не было."));
      return refused();
    }
  }
  auto putBack = [&](std::string what, const char* unwritten) {
    if (fileExists(g.archive)) deleteFile(g.archive);
    if (!aside.empty() && !renameFile(aside, g.archive)) {
      host_.show(Icon::Error, ru("Не удалось вернуть старому архиву его имя: он лежит под именем ") + aside + ".");
    } else if (unwritten) {
      host_.show(Icon::Error, ru(unwritten) + g.archive + ".");
    }
    return failed(std::move(what));
  };
  const std::string packed = host_.packFolder(g.archive, g.work);
  if (!packed.empty() || !fileExists(g.archive))
    return putBack(ru("папка ") + g.work + ru(" не запакована"), packed.empty() ? "Резбилд не записал архив " : nullptr);
  const std::string optimized = host_.optimizeArchive(g.archive);
  if (!optimized.empty() || !fileExists(g.archive))
    return putBack(ru("архив не оптимизирован"), optimized.empty() ? "Резбилд не оставил после оптимизации архив " : nullptr);
  if (!aside.empty()) deleteFile(aside);
  return {};
}

// ---- The buttons ----

void SourcesDriver::sayStopped(const char* step, const StepResult& r, const std::string& operation,
                               const std::string& keeps) {
  std::string text = operation + ru(" остановлена на шаге «") + ru(step) + ru("»");
  if (!r.what.empty()) text += ": " + r.what;
  text += ".";
  if (!keeps.empty()) text += " " + keeps;
  host_.show(Icon::Error, text);
}

namespace {
// A step of its own that failed midway says what did not get done.
bool sayFailed(SourcesHost& host, const char* step, const StepResult& r, const std::string& keeps = {}) {
  if (r.outcome != Outcome::Failed) return r.done();
  std::string text = ru("Шаг «") + ru(step) + ru("» не выполнен: ") + r.what + ".";
  if (!keeps.empty()) text += " " + keeps;
  host.show(Icon::Error, text);
  return false;
}
}  // namespace

bool SourcesDriver::unpackArchiveButton() { return unpackArchive().done(); }

bool SourcesDriver::generateSourcesButton(bool ask) { return sayFailed(host_, kSourcesStep, generateSources(ask)); }

bool SourcesDriver::generateDatabasesButton(bool ask) {
  return sayFailed(host_, kDatabasesStep, generateDatabases(ask), ru("Следующие базы не собирались."));
}

bool SourcesDriver::packArchiveButton(bool ask) {
  const std::string archive = state().archive;
  return sayFailed(host_, kPackStep, packArchive(ask), ru("Архив ") + archive + ru(" оставлен как был."));
}

bool SourcesDriver::fullGet() {
  const std::string operation = ru("Полная распаковка");
  // Answered No, the archive is not unpacked and the sources are made from
  // the work folder as it is.
  StepResult r = unpackArchive();
  if (r.outcome == Outcome::Refused || r.outcome == Outcome::Failed) {
    sayStopped(kUnpackStep, r, operation, ru("Исходник не тронут."));
    return false;
  }
  r = generateSources(false);
  if (!r.done()) {
    sayStopped(kSourcesStep, r, operation, {});
    return false;
  }
  return true;
}

bool SourcesDriver::fullMake() {
  const std::string archive = state().archive;
  if (!host_.ask(Icon::Warning, ru("Затереть старую ") + fileNamePart(archive) + ru(" и сгенерить новую из исходника?")))
    return false;
  const std::string operation = ru("Полная запаковка");
  StepResult r = generateDatabases(false);
  if (!r.done()) {
    sayStopped(kDatabasesStep, r, operation, ru("Архив ") + archive + ru(" не изменён."));
    return false;
  }
  r = packArchive(false);
  if (!r.done()) {
    sayStopped(kPackStep, r, operation, ru("Архив ") + archive + ru(" оставлен как был."));
    return false;
  }
  return true;
}

}  // namespace kessik::sources
