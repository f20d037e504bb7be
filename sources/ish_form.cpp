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
#include "sources/driver/workflow.h"
#include "util/cp1251.h"
#include "util/notify.h"
#include "util/paths.h"

namespace kessik {
namespace {

TIshF* gInstance = nullptr;

const QColor kReady(0, 128, 0);
const QColor kMissing(255, 0, 0);

void colour(QLabel* label, bool ready) {
  QPalette p = label->palette();
  p.setColor(QPalette::WindowText, ready ? kReady : kMissing);
  label->setPalette(p);
}

// The window as the workflow's host: its questions and messages are message
// dialogs, the archive tool runs under the RUNNING window, folders are
// deleted behind the deletion window, databases report to the progress
// window.
class WindowHost : public sources::SourcesHost {
 public:
  explicit WindowHost(Progress& progress) : progress_(progress) {}
  bool ask(Icon kind, const std::string& text) override {
    return messageDialog(kind, text, ButtonYes | ButtonNo) == Answer::Yes;
  }
  void show(Icon kind, const std::string& text) override { messageDialog(kind, text); }
  std::string unpackArchive(const std::string& archive, const std::string& folder) override {
    return unpackArchiveWithTool(archive, folder);
  }
  std::string packFolder(const std::string& archive, const std::string& folder) override {
    return packFolderWithTool(archive, folder);
  }
  std::string optimizeArchive(const std::string& archive) override { return optimizeArchiveWithTool(archive); }
  bool recreateFolder(const std::string& folder) override { return recreateFolderWithWaitWindow(folder); }
  bool emptyFolder(const std::string& folder) override { return emptyFolderWithWaitWindow(folder); }
  Progress& progress() override { return progress_; }

 private:
  Progress& progress_;
};

}  // namespace

struct TIshF::Game {
  bool lmp = false;
  bool* workReady = nullptr;
  bool* sourcesReady = nullptr;
  QLabel* dirLab = nullptr;
  QLabel* ishLab = nullptr;
  QPushButton *unpack = nullptr, *klep = nullptr, *fullGet = nullptr;
  QPushButton *delBase = nullptr, *resbild = nullptr, *fullMake = nullptr;
};

const std::vector<std::string>& TIshF::singlCheckList() { return sources::singlCheckList(); }
const std::vector<std::string>& TIshF::singlPackList() { return sources::singlPackList(); }
const std::vector<std::string>& TIshF::lmpCheckList() { return sources::lmpCheckList(); }
const std::vector<std::string>& TIshF::lmpUnpackList() { return sources::lmpUnpackList(); }

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
    g.workReady = lmp ? &LmpWorkReady : &SinglWorkReady;
    g.sourcesReady = lmp ? &LmpSourcesReady : &SinglSourcesReady;
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
  WindowHost host(progress());
  const sources::GameState state = sources::SourcesDriver(g.lmp ? sources::Game::Lmp : sources::Game::Singl, host).state();
  g.dirLab->setText(toQ(state.work));
  g.dirLab->setToolTip(toQ(state.work));
  g.ishLab->setText(toQ(state.root));
  g.ishLab->setToolTip(toQ(state.root));

  *g.workReady = state.workReady;
  colour(g.dirLab, state.workReady);
  g.klep->setEnabled(state.workReady);

  *g.sourcesReady = state.sourcesReady;
  colour(g.ishLab, state.sourcesReady);
  g.delBase->setEnabled(state.sourcesReady);
  g.resbild->setEnabled(state.sourcesReady);
  g.fullMake->setEnabled(state.sourcesReady);

  g.unpack->setEnabled(state.archiveThere);
  g.fullGet->setEnabled(state.archiveThere);
}

void TIshF::RefreshFbUtClick() {
  refreshGame(singl());
  refreshGame(lmp());
  settings().SourcesRoot = settings().DatabaseResIsh;
}

// ---- The steps: the workflow does them, the window asks, shows and refreshes ----

void TIshF::runStep(Game& g, const std::function<bool(sources::SourcesDriver&)>& step,
                    const std::function<std::string(const sources::GameState&)>& done) {
  WindowHost host(progress());
  sources::SourcesDriver driver(g.lmp ? sources::Game::Lmp : sources::Game::Singl, host);
  const sources::GameState state = driver.state();
  bool did = false;
  {
    BusyWork busy(state.archive);
    did = step(driver);
    // Steps that cut or built databases say how many records they carried.
    if (did) busy.done(done(state) + (driver.records() ? ", " + recordsText(driver.records()) : std::string()));
  }
  if (driver.sourcesChanged()) Changed = true;
  RefreshFbUtClick();
}

namespace {

std::string unpacked(const sources::GameState& g) {
  return ru("Распаковано: ") + fileNamePart(g.archive) + ru(" в ") + g.work;
}
std::string sourcesMade(const sources::GameState& g) { return ru("Сгенерирован исходник: ") + g.root; }
std::string databasesMade(const sources::GameState& g) { return ru("Сгенерированы базы: ") + g.work; }
std::string packed(const sources::GameState& g) { return ru("Запаковано: ") + g.archive; }
std::string fullyGot(const sources::GameState& g) {
  return ru("Полная распаковка: ") + fileNamePart(g.archive) + ru(" в ") + g.root;
}
std::string fullyMade(const sources::GameState& g) {
  return ru("Полная запаковка: ") + g.root + ru(" в ") + fileNamePart(g.archive);
}

}  // namespace

void TIshF::UnPackBasButClick() { runStep(singl(), [](auto& d) { return d.unpackArchiveButton(); }, unpacked); }
void TIshF::KlepIshButClick() { runStep(singl(), [this](auto& d) { return d.generateSourcesButton(Ask); }, sourcesMade); }
void TIshF::FullGetBaseButClick() { runStep(singl(), [](auto& d) { return d.fullGet(); }, fullyGot); }
void TIshF::DelBaseButClick() { runStep(singl(), [this](auto& d) { return d.generateDatabasesButton(Ask); }, databasesMade); }
void TIshF::ResbildnutBaseButClick() { runStep(singl(), [this](auto& d) { return d.packArchiveButton(Ask); }, packed); }
void TIshF::FullMakeBaseButClick() { runStep(singl(), [](auto& d) { return d.fullMake(); }, fullyMade); }
void TIshF::UnPackLmpBasButClick() { runStep(lmp(), [](auto& d) { return d.unpackArchiveButton(); }, unpacked); }
void TIshF::KlepIshLmpButClick() { runStep(lmp(), [this](auto& d) { return d.generateSourcesButton(Ask); }, sourcesMade); }
void TIshF::FullGetLmpBaseButClick() { runStep(lmp(), [](auto& d) { return d.fullGet(); }, fullyGot); }
void TIshF::DelBaseLmpButClick() { runStep(lmp(), [this](auto& d) { return d.generateDatabasesButton(Ask); }, databasesMade); }
void TIshF::ResbildnutBaseLmpButClick() { runStep(lmp(), [this](auto& d) { return d.packArchiveButton(Ask); }, packed); }
void TIshF::FullMakeLmpBaseButClick() { runStep(lmp(), [](auto& d) { return d.fullMake(); }, fullyMade); }

}  // namespace kessik
