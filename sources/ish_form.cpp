#include "sources/ish_form.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>

#include "config/settings.h"
#include "ui/busy_work.h"
#include "ui/del_form.h"
#include "ui/form_util.h"
#include "ui/progress_form.h"
#include "ui/qtext.h"
#include "archives/resbuild_form.h"
#include "archives/driver/resources.h"
#include "core/database.h"
#include "core/progress.h"
#include "util/cp1251.h"
#include "platform/files.h"
#include "util/notify.h"
#include "util/paths.h"

namespace kessik {
namespace {

TIshF* gInstance = nullptr;

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

const QColor kReady(0, 128, 0);
const QColor kMissing(255, 0, 0);

bool askYes(Icon kind, const std::string& text) {
  return messageDialog(kind, text, ButtonYes | ButtonNo) == Answer::Yes;
}

void colour(QLabel* label, bool ready) {
  QPalette p = label->palette();
  p.setColor(QPalette::WindowText, ready ? kReady : kMissing);
  label->setPalette(p);
}

std::string folderOf(const std::string& path) { return path.empty() ? path : withTrailingBackslash(path); }

}  // namespace

struct TIshF::Game {
  bool lmp = false;
  // Recomputed by every refresh.
  std::string archive, work, root;
  const std::vector<std::string>* checkList = nullptr;
  const std::vector<std::string>* unpackList = nullptr;
  const std::vector<std::string>* packList = nullptr;
  bool* workReady = nullptr;
  bool* sourcesReady = nullptr;
  QLabel* dirLab = nullptr;
  QLabel* ishLab = nullptr;
  QPushButton *unpack = nullptr, *klep = nullptr, *fullGet = nullptr;
  QPushButton *delBase = nullptr, *resbild = nullptr, *fullMake = nullptr;
};

const std::vector<std::string>& TIshF::singlCheckList() {
  static const std::vector<std::string> l{"items.idb", "perks.pdb",  "acks.db",    "prints.db",
                                          "levers.ldb", "quests.qdb", "spells.sdb", "units.udb"};
  return l;
}
const std::vector<std::string>& TIshF::singlPackList() {
  static const std::vector<std::string> l{"acks.db",   "items.idb",  "levers.ldb", "perks.pdb",
                                          "prints.db", "quests.qdb", "spells.sdb", "units.udb"};
  return l;
}
const std::vector<std::string>& TIshF::lmpCheckList() {
  static const std::vector<std::string> l{"items.idb", "perks.pdb", "prints.db", "levers.ldb", "spells.sdb",
                                          "units.udb"};
  return l;
}
const std::vector<std::string>& TIshF::lmpUnpackList() {
  static const std::vector<std::string> l{"items.idb", "levers.ldb", "perks.pdb", "prints.db", "spells.sdb",
                                          "units.udb"};
  return l;
}

TIshF::TIshF(QWidget* parent) : QDialog(parent) {
  setObjectName("TIshF");
  setWindowTitle(qru("Исходники"));
  setFixedClientSize(this, 620, 386);
  games_.resize(2);

  auto makeGroup = [this](Game& g, bool lmp, int top) {
    g.lmp = lmp;
    auto* box = new QGroupBox(QString::fromLatin1(lmp ? "databaselmp.res" : "database.res"), this);
    box->setObjectName(lmp ? "LmpBox" : "SinglBox");
    box->setGeometry(8, top, 604, 168);
    auto label = [box](const char* name, const char* utf8, int y) {
      auto* l = new QLabel(QString::fromUtf8(utf8), box);
      if (name) l->setObjectName(name);
      l->setGeometry(10, y, 584, 17);
      return l;
    };
    label(nullptr, "Распакованная база лежит по пути:", 20);
    g.dirLab = label(lmp ? "databaselmpdirLab" : "databasedirLab", "", 37);
    label(nullptr, "Исходники лежат по пути:", 58);
    g.ishLab = label(lmp ? "IshLmpDirLab" : "IshDirLab", "", 75);
    g.unpack = addButton(box, lmp ? "UnPackLmpBasBut" : "UnPackBasBut", "Распаковать резбилдом", 10, 100, 190);
    g.klep = addButton(box, lmp ? "KlepIshLmpBut" : "KlepIshBut", "Сгенерировать исходник", 207, 100, 190);
    g.fullGet = addButton(box, lmp ? "FullGetLmpBaseBut" : "FullGetBaseBut", "Полная распаковка", 404, 100, 190);
    g.delBase = addButton(box, lmp ? "DelBaseLmpBut" : "DelBaseBut", "Сгенерировать базы", 10, 132, 190);
    g.resbild =
        addButton(box, lmp ? "ResbildnutBaseLmpBut" : "ResbildnutBaseBut", "Запаковать резбилдом", 207, 132, 190);
    g.fullMake = addButton(box, lmp ? "FullMakeLmpBaseBut" : "FullMakeBaseBut", "Полная запаковка", 404, 132, 190);
    if (lmp) {
      g.checkList = &lmpCheckList();
      g.unpackList = &lmpUnpackList();
      g.packList = &lmpUnpackList();
      g.workReady = &LmpWorkReady;
      g.sourcesReady = &LmpSourcesReady;
    } else {
      g.checkList = &singlCheckList();
      g.unpackList = &singlCheckList();
      g.packList = &singlPackList();
      g.workReady = &SinglWorkReady;
      g.sourcesReady = &SinglSourcesReady;
    }
    return box;
  };
  SinglBox = makeGroup(games_[0], false, 8);
  LmpBox = makeGroup(games_[1], true, 182);

  Game& s = games_[0];
  databasedirLab = s.dirLab;
  IshDirLab = s.ishLab;
  UnPackBasBut = s.unpack;
  KlepIshBut = s.klep;
  FullGetBaseBut = s.fullGet;
  DelBaseBut = s.delBase;
  ResbildnutBaseBut = s.resbild;
  FullMakeBaseBut = s.fullMake;
  Game& m = games_[1];
  databaselmpdirLab = m.dirLab;
  IshLmpDirLab = m.ishLab;
  UnPackLmpBasBut = m.unpack;
  KlepIshLmpBut = m.klep;
  FullGetLmpBaseBut = m.fullGet;
  DelBaseLmpBut = m.delBase;
  ResbildnutBaseLmpBut = m.resbild;
  FullMakeLmpBaseBut = m.fullMake;

  RefreshFbUt = addButton(this, "RefreshFbUt", "Обновить", 8, 355, 100);
  CloseBut = addButton(this, "CloseBut", "Закрыть", 512, 355, 100);

  connect(UnPackBasBut, &QPushButton::clicked, this, [this] { UnPackBasButClick(); });
  connect(KlepIshBut, &QPushButton::clicked, this, [this] { KlepIshButClick(); });
  connect(FullGetBaseBut, &QPushButton::clicked, this, [this] { FullGetBaseButClick(); });
  connect(DelBaseBut, &QPushButton::clicked, this, [this] { DelBaseButClick(); });
  connect(ResbildnutBaseBut, &QPushButton::clicked, this, [this] { ResbildnutBaseButClick(); });
  connect(FullMakeBaseBut, &QPushButton::clicked, this, [this] { FullMakeBaseButClick(); });
  connect(UnPackLmpBasBut, &QPushButton::clicked, this, [this] { UnPackLmpBasButClick(); });
  connect(KlepIshLmpBut, &QPushButton::clicked, this, [this] { KlepIshLmpButClick(); });
  connect(FullGetLmpBaseBut, &QPushButton::clicked, this, [this] { FullGetLmpBaseButClick(); });
  connect(DelBaseLmpBut, &QPushButton::clicked, this, [this] { DelBaseLmpButClick(); });
  connect(ResbildnutBaseLmpBut, &QPushButton::clicked, this, [this] { ResbildnutBaseLmpButClick(); });
  connect(FullMakeLmpBaseBut, &QPushButton::clicked, this, [this] { FullMakeLmpBaseButClick(); });
  connect(RefreshFbUt, &QPushButton::clicked, this, [this] { RefreshFbUtClick(); });
  connect(CloseBut, &QPushButton::clicked, this, [this] { CloseButClick(); });
  connect(new QShortcut(QKeySequence(Qt::Key_F5), this), &QShortcut::activated, this, [this] { RefreshFbUtClick(); });

  if (!gInstance) gInstance = this;
}

TIshF::~TIshF() {
  if (gInstance == this) gInstance = nullptr;
}

TIshF* TIshF::instance() { return gInstance; }

TIshF::Game& TIshF::singl() { return games_[0]; }
TIshF::Game& TIshF::lmp() { return games_[1]; }

Progress& TIshF::progress() {
  if (ProgressSink) return *ProgressSink;
  if (TShowProcessF* p = TShowProcessF::instance()) return *p;
  return noProgress();
}

bool TIshF::showChanged() {
  Changed = false;
  exec();
  return Changed;
}

void TIshF::showEvent(QShowEvent* event) {
  centreOnScreen(this);
  QDialog::showEvent(event);
  FormShow();
}

void TIshF::FormShow() {
  RefreshFbUtClick();
  Ask = true;
}

void TIshF::CloseButClick() { accept(); }

// ---- 1. Refresh ----

void TIshF::refreshGame(Game& g) {
  Settings& s = settings();
  g.archive = g.lmp ? s.DatabaselmpResPath : s.DatabaseResPath;
  g.work = folderNameForArchive(g.archive);
  (g.lmp ? s.DatabaselmpResDir : s.DatabaseResDir) = g.work;
  g.root = folderOf(g.lmp ? s.DatabaselmpResIsh : s.DatabaseResIsh);
  g.dirLab->setText(toQ(g.work));
  g.dirLab->setToolTip(toQ(g.work));
  g.ishLab->setText(toQ(g.root));
  g.ishLab->setToolTip(toQ(g.root));

  bool work = folderExists(g.work);
  for (const auto& f : *g.checkList) work = work && fileExists(g.work + f);
  *g.workReady = work;
  colour(g.dirLab, work);
  g.klep->setEnabled(work);

  bool sources = !g.root.empty() && folderExists(g.root);
  for (const auto& f : *g.checkList) sources = sources && folderExists(g.root + baseName(f) + "\\");
  *g.sourcesReady = sources;
  colour(g.ishLab, sources);
  g.delBase->setEnabled(sources);
  g.resbild->setEnabled(sources);
  g.fullMake->setEnabled(sources);

  bool archive = fileExists(g.archive);
  g.unpack->setEnabled(archive);
  g.fullGet->setEnabled(archive);
}

void TIshF::RefreshFbUtClick() {
  refreshGame(singl());
  refreshGame(lmp());
  settings().SourcesRoot = settings().DatabaseResIsh;
}

// ---- 2. Unpack the archive into the work folder ----

bool TIshF::unpackArchiveStep(Game& g) {
  if (!askYes(Icon::Warning, ru(kAskUnpackArchive))) return false;
  // A work folder that is a link to a folder elsewhere is removed as a link.
  if (folderExists(g.work)) recreateFolderWithWaitWindow(g.work);
  else createFolder(g.work);
  if (!folderExists(g.work) || isSymbolicLink(g.work)) {
    messageDialog(Icon::Error, ru("Не удалось создать папку ") + g.work);
    return false;
  }
  const bool unpacked = unpackArchiveWithTool(g.archive, g.work).empty();
  RefreshFbUtClick();
  return unpacked;
}

// ---- 3. Generate the sources from the work folder ----

// What the root would take with it when emptied: the first of the archive,
// the work folder, the other game's root and the program's folder that lies
// in it (or is it), or the whole drive; empty when none.
std::string TIshF::heldByRoot(const Game& g) {
  if (g.root.empty()) return {};
  if (withoutTrailingBackslash(g.root).size() <= 2) return ru("весь диск");
  const Settings& s = settings();
  const std::string otherRoot = folderOf(g.lmp ? s.DatabaseResIsh : s.DatabaselmpResIsh);
  const std::string root = withTrailingBackslash(g.root);
  for (const std::string& path : {g.archive, g.work, otherRoot, s.ProgramDir}) {
    if (path.empty()) continue;
    if (compareIgnoringCase(withTrailingBackslash(path), root) == 0 || archives::liesInFolder(path, root))
      return path;
  }
  return {};
}

bool TIshF::generateSourcesStep(Game& g) {
  if (!*g.workReady) {
    messageDialog(Icon::Error, ru(kNoWorkFolder));
    return false;
  }
  // A root that is a link would be emptied and filled through the link, in a
  // folder the settings do not name: it is refused, nothing is touched.
  if (!g.root.empty() && isSymbolicLink(g.root)) {
    messageDialog(Icon::Error, ru("Папка исходника ") + g.root +
                                   ru(" является символьной ссылкой. Исходник не сгенерирован: через ссылку "
                                      "ничего не удаляется и не записывается. Укажите в настройках настоящую папку."));
    return false;
  }
  // Emptying the root must not take the archive, its work folder, the other
  // game's sources or the program with it: such a root is refused.
  if (const std::string held = heldByRoot(g); !held.empty()) {
    messageDialog(Icon::Error, ru("Папка исходника ") + g.root + ru(" содержит ") + held +
                                   ru(". Исходник не сгенерирован: очистка папки удалила бы это. Укажите в "
                                      "настройках отдельную папку для исходника."));
    return false;
  }
  bool justCreated = false;
  if (!folderExists(g.root)) {
    justCreated = !g.root.empty() && createFolderTree(g.root);
    if (!justCreated) {
      messageDialog(Icon::Error, ru("Не удалось создать папку ") + g.root);
      return false;
    }
  }
  if (!justCreated && Ask && !askYes(Icon::Warning, ru(g.lmp ? kAskDropLmpSources : kAskDropSinglSources))) return false;
  // Everything in the root goes, behind the deletion window (a large tree
  // takes a while); links in it are removed as links, so nothing outside the
  // root is touched.
  emptyFolderWithWaitWindow(g.root);
  bool all = true;
  for (const auto& f : *g.unpackList) all = unpackDatabase(g.work + f, g.root, progress()) && all;
  RefreshFbUtClick();
  Changed = true;
  return all;
}

// ---- 4. Generate the database files from the sources ----

bool TIshF::generateDatabasesStep(Game& g) {
  if (!*g.sourcesReady) {
    messageDialog(Icon::Error, ru(kNoSources));
    return false;
  }
  if (!folderExists(folderPart(g.archive))) {
    messageDialog(Icon::Error, ru(kNoArchiveFolder));
    return false;
  }
  if (folderExists(g.work)) {
    if (Ask && !askYes(Icon::Question, ru(kAskUpdateWorkFolder))) return false;
  } else {
    createFolder(g.work);
    if (!folderExists(g.work)) {
      messageDialog(Icon::Error, ru("Не удалось создать папку ") + g.work);
      return false;
    }
  }
  bool all = true;
  for (const auto& f : *g.packList) all = packDatabase(g.root + baseName(f) + "\\", g.work + f, progress()) && all;
  RefreshFbUtClick();
  return all;
}

// ---- 5. Pack the work folder into the archive and optimize it ----

bool TIshF::packArchiveStep(Game& g) {
  if (Ask && !askYes(Icon::Question, ru(kAskPackArchive))) return false;
  // The old archive waits beside until a new one exists: should the tool fail,
  // it takes its place again.
  std::string aside;
  if (fileExists(g.archive)) {
    setPlainAttributes(g.archive);
    aside = archives::moveAside(g.archive);
    if (aside.empty()) deleteFile(g.archive);
  }
  const bool packed = packFolderWithTool(g.archive, g.work).empty();
  const bool optimized = optimizeArchiveWithTool(g.archive).empty();
  const bool made = fileExists(g.archive);
  if (!aside.empty()) {
    if (made) deleteFile(aside);
    else renameFile(aside, g.archive);
  }
  return packed && optimized && made;
}

// ---- 6. and 7. Both steps in one go ----

bool TIshF::fullGet(Game& g) {
  Ask = false;
  const bool unpacked = unpackArchiveStep(g);
  const bool generated = generateSourcesStep(g);
  Ask = true;
  return unpacked && generated;
}

bool TIshF::fullMake(Game& g) {
  if (!askYes(Icon::Warning,
              ru("Затереть старую ") + fileNamePart(g.archive) + ru(" и сгенерить новую из исходника?"))) {
    return false;
  }
  Ask = false;
  const bool generated = generateDatabasesStep(g);
  const bool packed = packArchiveStep(g);
  Ask = true;
  return generated && packed;
}

// A step as its button runs it: the busy cursor while it works, and when it
// has done its work a line in the main window's status bar.
void TIshF::runStep(Game& g, bool (TIshF::*step)(Game&), Done done) {
  BusyWork busy(g.archive);
  if (!(this->*step)(g)) return;
  const std::string archive = fileNamePart(g.archive);
  switch (done) {
    case Done::Unpacked: busy.done(ru("Распаковано: ") + archive + ru(" в ") + g.work); break;
    case Done::Sources: busy.done(ru("Сгенерирован исходник: ") + g.root); break;
    case Done::Databases: busy.done(ru("Сгенерированы базы: ") + g.work); break;
    case Done::Packed: busy.done(ru("Запаковано: ") + g.archive); break;
    case Done::FullGet: busy.done(ru("Полная распаковка: ") + archive + ru(" в ") + g.root); break;
    case Done::FullMake: busy.done(ru("Полная запаковка: ") + g.root + ru(" в ") + archive); break;
  }
}

void TIshF::UnPackBasButClick() { runStep(singl(), &TIshF::unpackArchiveStep, Done::Unpacked); }
void TIshF::KlepIshButClick() { runStep(singl(), &TIshF::generateSourcesStep, Done::Sources); }
void TIshF::FullGetBaseButClick() { runStep(singl(), &TIshF::fullGet, Done::FullGet); }
void TIshF::DelBaseButClick() { runStep(singl(), &TIshF::generateDatabasesStep, Done::Databases); }
void TIshF::ResbildnutBaseButClick() { runStep(singl(), &TIshF::packArchiveStep, Done::Packed); }
void TIshF::FullMakeBaseButClick() { runStep(singl(), &TIshF::fullMake, Done::FullMake); }
void TIshF::UnPackLmpBasButClick() { runStep(lmp(), &TIshF::unpackArchiveStep, Done::Unpacked); }
void TIshF::KlepIshLmpButClick() { runStep(lmp(), &TIshF::generateSourcesStep, Done::Sources); }
void TIshF::FullGetLmpBaseButClick() { runStep(lmp(), &TIshF::fullGet, Done::FullGet); }
void TIshF::DelBaseLmpButClick() { runStep(lmp(), &TIshF::generateDatabasesStep, Done::Databases); }
void TIshF::ResbildnutBaseLmpButClick() { runStep(lmp(), &TIshF::packArchiveStep, Done::Packed); }
void TIshF::FullMakeLmpBaseButClick() { runStep(lmp(), &TIshF::fullMake, Done::FullMake); }

}  // namespace kessik
