// The RUNNING window and the sources window, with the stand-in archive tool
// as a real child process and drive C: mapped to a temporary folder.
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <sys/resource.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "config/settings.h"
#include "support/gui/scripted_interaction.h"
#include "archives/resbuild_form.h"
#include "dbfixtures.h"
#include "core/progress.h"
#include "platform/host.h"
#include "sources/ish_form.h"
#include "ui/del_form.h"
#include "util/cp1251.h"
#include "platform/files.h"

using namespace kessik;
using namespace kessik::fixtures;
namespace fs = std::filesystem;

namespace {

// A small database whose bytes tell which file it is.
std::string database(const std::string& seed, int sections = 2) {
  std::vector<std::string> payloads;
  for (int s = 1; s <= sections; ++s) {
    std::string records;
    for (int r = 1; r <= 2; ++r) records += node(1, node(1, seed + char('0' + s) + char('0' + r)) + node(2, "x"));
    payloads.push_back(records);
  }
  return databaseOf(payloads);
}

std::vector<std::string> readLines(const fs::path& p) {
  std::ifstream in(p);
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

// Processor time used by this process so far.
double cpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

bool isRed(QLabel* l) { return l->palette().color(QPalette::WindowText) == QColor(255, 0, 0); }
bool isGreen(QLabel* l) { return l->palette().color(QPalette::WindowText) == QColor(0, 128, 0); }

class FirstLines : public Progress {
 public:
  std::vector<std::string> lines;
  void setLine1(const std::string& t) override {
    if (lines.empty() || lines.back() != t) lines.push_back(t);
  }
};

const char* const kArchive = "C:\\game\\data\\database.res";
const char* const kLmpArchive = "C:\\game\\data\\databaselmp.res";
const char* const kWork = "C:\\game\\data\\database_res\\";
const char* const kLmpWork = "C:\\game\\data\\databaselmp_res\\";
const char* const kRoot = "C:\\ish\\";
const char* const kLmpRoot = "C:\\ishlmp\\";

}  // namespace

class TestSources : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  fs::path log_;
  TResbuildF* resbuild_ = nullptr;
  TIshF* ish_ = nullptr;

  void fillWork(const char* work, const std::vector<std::string>& files) {
    for (const auto& f : files) writeHost(std::string(work) + f, database(f));
  }

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    ::setenv("KESSIK_DRIVES", ("C=" + dir_.path().toStdString()).c_str(), 1);
    platform::reloadDriveMap();
    ::setenv("KESSIK_RESBUILD", KESSIK_FAKE_RESBUILD, 1);
    log_ = fs::path(dir_.path().toStdString()) / "calls.log";
    Settings& s = settings();
    s.ProgramDir = "C:\\prog\\";
    s.DatabaseResPath = kArchive;
    s.DatabaselmpResPath = kLmpArchive;
    s.DatabaseResIsh = kRoot;
    s.DatabaselmpResIsh = kLmpRoot;
    resbuild_ = new TResbuildF;
    ish_ = new TIshF;
  }

  void init() {
    std::error_code ec;
    for (auto& e : fs::directory_iterator(dir_.path().toStdString())) fs::remove_all(e.path(), ec);
    ::setenv("KESSIK_RESBUILD", KESSIK_FAKE_RESBUILD, 1);
    ::setenv("FAKERESBUILD_LOG", log_.c_str(), 1);
    ::unsetenv("FAKERESBUILD_DELAY_MS");
  }

  void cleanupTestCase() {
    delete ish_;
    delete resbuild_;
  }

  void runningWindowLooks() {
    QCOMPARE(resbuild_->windowTitle(), QString("RUNNING RESBUILD..."));
    QVERIFY(!(resbuild_->windowFlags() & Qt::WindowCloseButtonHint));
    QCOMPARE(resbuild_->InfoLab->text(), QString::fromUtf8("Подождите немного, типа работает резбилд..."));
    QCOMPARE(resbuild_->minimumSize(), resbuild_->maximumSize());
  }

  // The window keeps its event loop going while the tool runs (a timer fires
  // many times during a tool run of 400 ms), and waiting does not keep the
  // processor busy.
  void runningWindowWaitsWithoutBlocking() {
    ScopedScriptedInteraction script;
    writeHost("C:\\src\\a.txt", "a");
    fs::create_directories(host("C:\\out"));
    ::setenv("FAKERESBUILD_DELAY_MS", "400", 1);
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(20);
    // Minimized and restored while the tool runs: the job is not started again.
    QTimer::singleShot(100, resbuild_, [this] {
      resbuild_->setWindowState(Qt::WindowMinimized);
      resbuild_->setWindowState(Qt::WindowNoState);
    });
    QElapsedTimer clock;
    clock.start();
    const double cpuBefore = cpuSeconds();
    QCOMPARE(packFolderWithTool("C:\\out\\a.res", "C:\\src\\"), std::string());
    QVERIFY(clock.elapsed() >= 400);
    const double cpu = cpuSeconds() - cpuBefore;
    QVERIFY2(cpu < 0.1, std::to_string(cpu).c_str());  // a busy wait would use most of the 400 ms
    QVERIFY2(ticks >= 5, std::to_string(ticks).c_str());
    QVERIFY(fileExists("C:\\out\\a.res"));
    QVERIFY(script->messages.empty());
    QVERIFY(!resbuild_->isVisible());
    QTest::qWait(1200);  // past the window's fallback start
    QCOMPARE(readLines(log_).size(), size_t(1));
  }

  // A tool that cannot be started is reported, naming the program.
  void toolNotStartedIsReported() {
    ScopedScriptedInteraction script;
    writeHost("C:\\a.res", "x");
    ::setenv("KESSIK_RESBUILD", "/no/such/resbuild-tool", 1);
    std::string result = unpackArchiveWithTool("C:\\a.res", "C:\\a_res\\");
    QVERIFY(result.find("/no/such/resbuild-tool") != std::string::npos);
    QCOMPARE(script->messages.size(), size_t(1));
    QCOMPARE(script->messages[0].text, result);
    QCOMPARE(script->messages[0].caption, ru("Ошибка!"));

    resbuild_->Operation = archives::ResbuildOperation::Optimize;
    resbuild_->FirstPath = "C:\\a.res";
    resbuild_->ShowErrors = false;
    resbuild_->exec();
    QVERIFY(resbuild_->Result.find("/no/such/resbuild-tool") != std::string::npos);
    QCOMPARE(script->messages.size(), size_t(1));
  }

  void refreshShowsReadiness() {
    ScopedScriptedInteraction script;
    ish_->FormShow();
    QVERIFY(isRed(ish_->databasedirLab) && isRed(ish_->IshDirLab));
    QVERIFY(isRed(ish_->databaselmpdirLab) && isRed(ish_->IshLmpDirLab));
    for (auto* b : ish_->findChildren<QPushButton*>()) {
      bool always = b == ish_->RefreshFbUt || b == ish_->CloseBut;
      QCOMPARE(b->isEnabled(), always);
    }
    QCOMPARE(ish_->databasedirLab->text(), QString::fromLatin1(kWork));
    QCOMPARE(ish_->IshLmpDirLab->text(), QString::fromLatin1(kLmpRoot));
    QCOMPARE(settings().SourcesRoot, std::string(kRoot));

    // SINGL: archive there, work folder without quests.qdb. LMP: six files
    // are enough, neither acks.db nor quests.qdb is needed.
    writeHost(kArchive, "x");
    std::vector<std::string> files = TIshF::singlCheckList();
    files.erase(std::find(files.begin(), files.end(), "quests.qdb"));
    fillWork(kWork, files);
    fillWork(kLmpWork, TIshF::lmpCheckList());
    for (const auto& f : TIshF::singlCheckList()) fs::create_directories(host(kRoot + baseNameOf(f)));
    ish_->RefreshFbUtClick();
    QVERIFY(ish_->UnPackBasBut->isEnabled() && ish_->FullGetBaseBut->isEnabled());
    QVERIFY(!ish_->UnPackLmpBasBut->isEnabled() && !ish_->FullGetLmpBaseBut->isEnabled());
    QVERIFY(!ish_->KlepIshBut->isEnabled() && isRed(ish_->databasedirLab));
    QVERIFY(ish_->KlepIshLmpBut->isEnabled() && isGreen(ish_->databaselmpdirLab));
    QVERIFY(isGreen(ish_->IshDirLab));
    QVERIFY(ish_->DelBaseBut->isEnabled() && ish_->ResbildnutBaseBut->isEnabled() && ish_->FullMakeBaseBut->isEnabled());
    QVERIFY(!ish_->DelBaseLmpBut->isEnabled() && isRed(ish_->IshLmpDirLab));
    QVERIFY(ish_->SinglSourcesReady && !ish_->SinglWorkReady && ish_->LmpWorkReady && !ish_->LmpSourcesReady);
  }

  // Generating the sources empties the whole root (links removed as links,
  // what they point to left alone) and unpacks the eight databases in order.
  void generateSourcesEmptiesRootAndKeepsOrder() {
    ScopedScriptedInteraction script;
    fillWork(kWork, TIshF::singlCheckList());
    writeHost("C:\\ish\\junk.txt", "j");
    writeHost("C:\\ish\\old\\x.zap", "j");
    writeHost("C:\\outside\\keep.txt", "keep");
    fs::create_directory_symlink(host("C:\\outside"), host("C:\\ish\\link"));
    FirstLines lines;
    ish_->ProgressSink = &lines;
    ish_->FormShow();
    ish_->Changed = false;
    script->answers = {Answer::Yes};
    ish_->KlepIshButClick();
    ish_->ProgressSink = nullptr;
    QCOMPARE(script->texts(), std::vector<std::string>{"Внимание, старый исходник базы сингла будет удален! Продолжить?"});
    QCOMPARE(script->messages[0].icon, Icon::Warning);
    QVERIFY(ish_->Changed);
    QVERIFY(!fs::exists(fs::symlink_status(host("C:\\ish\\link"))));
    QVERIFY(!fs::exists(host("C:\\ish\\junk.txt")) && !fs::exists(host("C:\\ish\\old")));
    QCOMPARE(readHost("C:\\outside\\keep.txt"), std::string("keep"));
    std::vector<std::string> expected;
    for (const char* f : {"items.idb", "perks.pdb", "acks.db", "prints.db", "levers.ldb", "quests.qdb", "spells.sdb",
                          "units.udb"}) {
      expected.push_back(std::string(kWork) + f);
    }
    QCOMPARE(lines.lines, expected);
    QVERIFY(fileExists("C:\\ish\\prints\\2\\0000002.zap"));
    QVERIFY(ish_->SinglSourcesReady && ish_->DelBaseBut->isEnabled());

    // Answered No: nothing changes.
    script->clear();
    script->answers = {Answer::No};
    ish_->Changed = false;
    writeHost("C:\\ish\\junk.txt", "j");
    ish_->KlepIshButClick();
    QVERIFY(!ish_->Changed && fileExists("C:\\ish\\junk.txt"));
  }

  // Emptying the root runs behind the folder deletion window, which keeps the
  // root itself.
  void emptyingTheRootShowsTheDeletionWindow() {
    ScopedScriptedInteraction script;
    TDelForm del;
    QSignalSpy finished(&del, &QDialog::finished);
    fillWork(kWork, TIshF::singlCheckList());
    writeHost("C:\\ish\\old\\x.zap", "j");
    ish_->FormShow();
    script->answers = {Answer::Yes};
    ish_->KlepIshButClick();
    QCOMPARE(finished.count(), 1);
    QCOMPARE(del.DelPath, std::string(kRoot));
    QVERIFY(del.Deleted && !del.KeepFolder);
    QVERIFY(!fs::exists(host("C:\\ish\\old")));
    QVERIFY(fileExists("C:\\ish\\prints\\2\\0000002.zap"));
  }

  // A source root that is itself a link is refused: nothing is deleted or
  // written through it.
  void linkedRootIsRefused() {
    ScopedScriptedInteraction script;
    fillWork(kWork, TIshF::singlCheckList());
    writeHost("C:\\elsewhere\\keep.txt", "keep");
    fs::create_directory_symlink(host("C:\\elsewhere"), host("C:\\ish"));
    ish_->FormShow();
    ish_->Changed = false;
    script->answers = {Answer::Yes};
    ish_->KlepIshButClick();
    QCOMPARE(script->messages.size(), size_t(1));
    QCOMPARE(script->messages[0].icon, Icon::Error);
    QVERIFY(script->messages[0].text.find(kRoot) != std::string::npos);
    QVERIFY(!ish_->Changed);
    QVERIFY(fs::is_symlink(host("C:\\ish")));
    std::vector<std::string> there;
    for (const auto& e : fs::directory_iterator(host("C:\\elsewhere"))) there.push_back(e.path().filename().string());
    QCOMPARE(there, std::vector<std::string>{"keep.txt"});
  }

  // A root that holds the archive, the work folder, the other game's sources
  // or the program (or is a whole drive) would take them with it when
  // emptied: it is refused before anything is deleted.
  void rootHoldingWhatEmptyingWouldDeleteIsRefused() {
    struct Case {
      const char* name;
      const char* root;
      const char* lmpRoot;
    };
    const Case cases[] = {
        {"the archive's folder", "C:\\game\\data\\", kLmpRoot},
        {"the folder above the work folder", "C:\\game\\", kLmpRoot},
        {"the work folder itself", kWork, kLmpRoot},
        {"the other game's root inside", "C:\\ishlmp", "C:\\ishlmp\\lmp\\"},
        {"the other game's root, the same", kLmpRoot, kLmpRoot},
        {"the program's folder", "C:\\prog\\", kLmpRoot},
        {"a whole drive", "C:\\", kLmpRoot},
    };
    for (const Case& c : cases) {
      init();
      ScopedScriptedInteraction script;
      settings().DatabaseResIsh = c.root;
      settings().DatabaselmpResIsh = c.lmpRoot;
      writeHost(kArchive, "x");
      fillWork(kWork, TIshF::singlCheckList());
      writeHost("C:\\ishlmp\\lmp\\keep.txt", "k");
      writeHost("C:\\prog\\Kessik.ini", "k");
      ish_->FormShow();
      ish_->Changed = false;
      script->answers = {Answer::Yes, Answer::Yes};
      ish_->KlepIshButClick();
      QVERIFY2(script->messages.size() == 1 && script->messages[0].icon == Icon::Error, c.name);
      QVERIFY2(script->messages[0].text.find(ru("Исходник не сгенерирован")) != std::string::npos, c.name);
      QVERIFY2(!ish_->Changed, c.name);
      QVERIFY2(fileExists(kArchive) && fileExists("C:\\ishlmp\\lmp\\keep.txt") &&
                   fileExists("C:\\prog\\Kessik.ini"),
               c.name);
      for (const auto& f : TIshF::singlCheckList()) QVERIFY2(fileExists(kWork + f), c.name);
    }
    settings().DatabaseResIsh = kRoot;
    settings().DatabaselmpResIsh = kLmpRoot;
  }

  // "Полная распаковка" answered No still regenerates the sources from the
  // work folder as it is, without the second question.
  void fullGetAnsweredNo() {
    ScopedScriptedInteraction script;
    writeHost(kLmpArchive, "x");
    fillWork(kLmpWork, TIshF::lmpCheckList());
    writeHost("C:\\ishlmp\\junk.txt", "j");
    ish_->FormShow();
    ish_->Changed = false;
    script->answers = {Answer::No};
    ish_->FullGetLmpBaseButClick();
    QCOMPARE(script->texts(),
             std::vector<std::string>{"После распаковки все незапакованные изменения будут утеряны. Вы уверены?"});
    QVERIFY(ish_->Changed && ish_->Ask);
    QVERIFY(!fileExists("C:\\ishlmp\\junk.txt"));
    for (const auto& f : TIshF::lmpCheckList()) QVERIFY(folderExists(kLmpRoot + baseNameOf(f)));
    QVERIFY(!folderExists("C:\\ishlmp\\acks\\"));
    QVERIFY(readLines(log_).empty());  // the tool did not run
  }

  // Unpacking the archive replaces a work folder that is a link by a real
  // folder and leaves what the link pointed to alone.
  void unpackArchiveReplacesLinkedWorkFolder() {
    ScopedScriptedInteraction script;
    fillWork("C:\\pack\\", TIshF::singlCheckList());
    fs::create_directories(host("C:\\game\\data"));
    QCOMPARE(packFolderWithTool(kArchive, "C:\\pack\\"), std::string());
    writeHost("C:\\elsewhere\\precious.txt", "p");
    fs::create_directory_symlink(host("C:\\elsewhere"), host(std::string(kWork).substr(0, strlen(kWork) - 1)));
    ish_->FormShow();
    script->answers = {Answer::Yes};
    ish_->UnPackBasButClick();
    QCOMPARE(script->messages.size(), size_t(1));
    QCOMPARE(readHost("C:\\elsewhere\\precious.txt"), std::string("p"));
    QVERIFY(!fs::is_symlink(host(std::string(kWork).substr(0, strlen(kWork) - 1))));
    for (const auto& f : TIshF::singlCheckList()) QCOMPARE(readHost(std::string(kWork) + f), database(f));
    QVERIFY(ish_->SinglWorkReady && ish_->KlepIshBut->isEnabled());
  }

  // "Полная запаковка" for the multiplayer game packs databaselmp.res from
  // databaselmp_res\ and optimizes it.
  void fullMakeLmp() {
    ScopedScriptedInteraction script;
    writeHost(kLmpArchive, "old");
    fillWork(kLmpWork, TIshF::lmpCheckList());
    ish_->FormShow();
    ish_->KlepIshLmpButClick();  // the root is new: no question
    QVERIFY(script->messages.empty());
    fs::remove_all(host(kLmpWork));
    fs::remove(log_);
    script->answers = {Answer::Yes};
    ish_->FullMakeLmpBaseButClick();
    QCOMPARE(script->texts(), std::vector<std::string>{"Затереть старую databaselmp.res и сгенерить новую из исходника?"});
    auto calls = readLines(log_);
    QCOMPARE(calls.size(), size_t(2));
    QCOMPARE(calls[0], host("C:\\game\\data\\databaselmp_res").string() + "|a|C:\\game\\data\\tr1.res|*");
    QCOMPARE(calls[1], fs::current_path().string() + "|o|" + kLmpArchive + "|*");
    QCOMPARE(readHost(kLmpArchive).substr(0, 8), std::string("FAKERES2"));
    QVERIFY(!fileExists("C:\\game\\data\\databaselmp.res.old"));
    // Unpacked again, the archive holds the six databases as they were.
    QCOMPARE(unpackArchiveWithTool(kLmpArchive, "C:\\again\\"), std::string());
    for (const auto& f : TIshF::lmpCheckList()) QCOMPARE(readHost("C:\\again\\" + f), database(f));
    QVERIFY(!fileExists("C:\\again\\acks.db"));
  }

  // A database that cannot be built stops "Полная запаковка" there: the
  // tool does not run, the archive stays as it was, and the window says at
  // which step it stopped.
  void fullMakeStopsAtAFailedDatabase() {
    ScopedScriptedInteraction script;
    writeHost(kLmpArchive, "old");
    fillWork(kLmpWork, TIshF::lmpCheckList());
    ish_->FormShow();
    ish_->KlepIshLmpButClick();
    writeHost("C:\\ishlmp\\items\\1\\0000001.zap", "");
    fs::remove(log_);
    script->clear();
    script->answers = {Answer::Yes};
    ish_->FullMakeLmpBaseButClick();
    QCOMPARE(script->texts().back(),
             "Полная запаковка остановлена на шаге «Сгенерировать базы»: база items.idb не собрана из папки "
             "C:\\ishlmp\\items\\. Архив C:\\game\\data\\databaselmp.res не изменён.");
    QVERIFY(readLines(log_).empty());
    QCOMPARE(readHost(kLmpArchive), std::string("old"));
  }

  // When the tool cannot make the new archive, the old one comes back.
  void failedPackKeepsOldArchive() {
    ScopedScriptedInteraction script;
    writeHost(kArchive, "old archive");
    fillWork(kWork, TIshF::singlCheckList());
    for (const auto& f : TIshF::singlCheckList()) fs::create_directories(host(kRoot + baseNameOf(f) + "\\1"));
    ish_->FormShow();
    ::setenv("KESSIK_RESBUILD", "/no/such/resbuild-tool", 1);
    script->answers = {Answer::Yes};
    ish_->ResbildnutBaseButClick();
    QCOMPARE(script->messages.size(), size_t(3));  // question, pack error, the step stopped
    QVERIFY(script->messages[1].text.find("/no/such/resbuild-tool") != std::string::npos);
    QCOMPARE(script->texts()[2], "Шаг «Запаковать резбилдом» не выполнен: папка C:\\game\\data\\database_res\\ "
                                 "не запакована. Архив C:\\game\\data\\database.res оставлен как был.");
    QCOMPARE(readLines(log_).size(), size_t(0));  // nothing optimized
    QCOMPARE(readHost(kArchive), std::string("old archive"));
    QVERIFY(!fileExists(std::string(kArchive) + ".old"));
  }

  void generateDatabasesRefusals() {
    ScopedScriptedInteraction script;
    ish_->FormShow();
    ish_->DelBaseButClick();
    // Each refusal names the folder it looked in, and what is missing there.
    QCOMPARE(script->texts(), std::vector<std::string>{"Собрать из исходника базу невозможно, т.к. папка с исходником "
                                                       "отсутствует, или в ней присутствуют не все необходимые файлы\n"
                                                       "Папка исходника: C:\\ish\\ (её нет)"});
    QCOMPARE(script->messages[0].icon, Icon::Error);
    script->clear();
    ish_->KlepIshButClick();
    QCOMPARE(script->texts(), std::vector<std::string>{"Получить исходник невозможно, т.к. папка с распаковкой базы "
                                                       "отсутствует, или в ней присутствуют не все необходимые файлы\n"
                                                       "Папка с распаковкой базы: C:\\game\\data\\database_res\\ (её нет)"});
    script->clear();
    fillWork(kWork, {"acks.db", "units.udb"});
    for (const auto& f : TIshF::singlCheckList())
      if (f != "perks.pdb" && f != "levers.ldb") fs::create_directories(host(kRoot + baseNameOf(f)));
    ish_->KlepIshButClick();
    ish_->DelBaseButClick();
    QCOMPARE(script->texts(),
             (std::vector<std::string>{"Получить исходник невозможно, т.к. папка с распаковкой базы отсутствует, или в "
                                       "ней присутствуют не все необходимые файлы\nПапка с распаковкой базы: "
                                       "C:\\game\\data\\database_res\\ (нет: items.idb, perks.pdb, prints.db, "
                                       "levers.ldb, quests.qdb, spells.sdb)",
                                       "Собрать из исходника базу невозможно, т.к. папка с исходником отсутствует, или в "
                                       "ней присутствуют не все необходимые файлы\nПапка исходника: C:\\ish\\ (нет: "
                                       "perks\\, levers\\)"}));
    script->clear();
    fs::remove_all(host("C:\\game"));
    for (const auto& f : TIshF::singlCheckList()) fs::create_directories(host(kRoot + baseNameOf(f)));
    ish_->FormShow();
    ish_->DelBaseButClick();
    QCOMPARE(script->texts(), std::vector<std::string>{"Путь к папке, показывающий где лежат папки с распакованными "
                                                       "базами неправильный. Такой папки не существует!\n"
                                                       "C:\\game\\data\\"});
    // With the work folder there, the question; only Yes packs.
    fillWork(kWork, {"acks.db"});
    script->clear();
    script->answers = {Answer::No};
    ish_->DelBaseButClick();
    QCOMPARE(script->messages.size(), size_t(1));
    QCOMPARE(script->messages[0].icon, Icon::Question);
    QCOMPARE(readHost(std::string(kWork) + "acks.db"), database("acks.db"));
    script->answers = {Answer::Yes};
    ish_->DelBaseButClick();
    QCOMPARE(readHost(std::string(kWork) + "acks.db"), node(1, "") + std::string(kDatabaseTrailer));
    QVERIFY(ish_->SinglWorkReady);
  }

 private:
  static std::string baseNameOf(const std::string& f) { return f.substr(0, f.find('.')); }
};

QTEST_MAIN(TestSources)
#include "tst_sources.moc"
