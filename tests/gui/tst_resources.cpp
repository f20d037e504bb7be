// The pack and unpack option dialogs and the resources window, with the
// stand-in archive tool as a real child process and drive C: mapped to a
// temporary folder.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <cstdlib>
#include <fstream>

#include "archives/resbuild_form.h"
#include "guienv.h"
#include "archives/pack_options.h"
#include "archives/resurs_form.h"
#include "app/main_form.h"
#include <QAction>
#include <QMdiArea>
#include <QToolButton>
#include "ui/qtext.h"
#include "platform/files.h"

using namespace kessik;
using guitest::cp;
using guitest::Drive;

namespace {

// Runs a modal call while a timer acts on the dialog it shows; a second timer
// rejects the dialog should the first one miss, so nothing can hang.
template <class D, class Act, class Call>
auto onModal(Act act, Call call) {
  QTimer::singleShot(0, [act] {
    if (auto* d = qobject_cast<D*>(QApplication::activeModalWidget())) act(d);
  });
  QTimer::singleShot(10000, [] {
    if (auto* d = qobject_cast<D*>(QApplication::activeModalWidget())) d->reject();
  });
  return call();
}

QString text(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace

class TstResources : public QObject {
  Q_OBJECT

  std::unique_ptr<Drive> drive;
  std::unique_ptr<ScopedScriptedInteraction> script;
  std::unique_ptr<TResbuildF> resbuild;
  QString log;

  // The calls the stand-in tool got: "folder|op|archive|*" per line, with the
  // folder as a Windows path below C:.
  QStringList calls() const {
    QStringList out;
    QFile f(log);
    if (!f.open(QIODevice::ReadOnly)) return out;
    const QString root = drive->host("");
    for (QString line : QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts)) {
      if (line.startsWith(root)) line = "C:\\" + line.mid(root.size()).replace('/', '\\');
      out << line;
    }
    return out;
  }
  // Packs a folder of the test drive into an archive with the stand-in tool.
  void makeArchive(const QString& folderRel, const std::string& archive) {
    QDir().mkpath(QFileInfo(drive->host(QString::fromStdString(archive.substr(3)).replace('\\', '/'))).path());
    QCOMPARE(packFolderWithTool(archive, "C:\\" + folderRel.toStdString()), std::string());
    QFile::remove(log);
  }

 private slots:
  void initTestCase() { resbuild = std::make_unique<TResbuildF>(); }
  void cleanupTestCase() { resbuild.reset(); }

  void init() {
    drive = std::make_unique<Drive>();
    script = std::make_unique<ScopedScriptedInteraction>();
    settings().DefalDir = "C:\\start\\";
    log = drive->host("calls.log");
    ::setenv("KESSIK_RESBUILD", KESSIK_FAKE_RESBUILD, 1);
    ::setenv("FAKERESBUILD_LOG", log.toUtf8().constData(), 1);
  }
  void cleanup() {
    unpackWithOptionsHook = nullptr;
    packWithOptionsHook = nullptr;
    script.reset();
    drive.reset();
  }

  void optionDialogsLook() {
    TRBUnPackOptF u;
    TRbPackOptF p;
    QCOMPARE(u.windowTitle(), text("RESBUILD - распаковка"));
    QCOMPARE(p.windowTitle(), text("RESBUILD - запаковка"));
    const struct {
      QDialog* dialog;
      std::vector<std::pair<const char*, const char*>> controls;
    } cases[] = {
        {&u,
         {{"FileNameLab", "Файл для распаковки"},
          {"BrowseFileBut", "Обзор..."},
          {"DirNameLab", "Папка куда все будет распаковано"},
          {"BrowseDirBut", "Обзор..."},
          {"GnrNamBut", "Сгенерить имя папки"},
          {"ReWriteCB", "Очистить целевую папку перед распаковкой"},
          {"OkBut", "ОК"},
          {"CancelBut", "Отмена"}}},
        {&p,
         {{"DirNameLab", "Папка для  запаковки"},
          {"BrowseDirBut", "Обзор..."},
          {"FileNameLab", "Файл - цель запаковки"},
          {"BrowseFileBut", "Обзор..."},
          {"OptimizeCB", "Оптимизировть"},
          {"GnrNamBut", "Сгенерить имя файла"},
          {"ReWriteCB", "Перезаписать ресурсный файл"},
          {"OkBut", "ОК"},
          {"CancelBut", "Отмена"}}},
    };
    for (const auto& c : cases) {
      QCOMPARE(c.dialog->minimumSize(), c.dialog->maximumSize());
      QVERIFY(c.dialog->findChild<QLineEdit*>("FileNameEd"));
      QVERIFY(c.dialog->findChild<QLineEdit*>("DirNameEd"));
      for (auto [name, caption] : c.controls) {
        QWidget* w = c.dialog->findChild<QWidget*>(name);
        QVERIFY2(w, name);
        QString shown = w->property("text").toString();
        QCOMPARE(shown, text(caption));
      }
    }
    const std::string filter = ru("Ресурсные файлы ЗМ (*.res, *.mq)|*.res; *.mq|Все файлы (*.*)|*.*");
    QCOMPARE(u.OFD1.filter, filter);
    QCOMPARE(p.SFD1.filter, filter);
    QCOMPARE(p.SFD1.title, ru("Укажите файл для запаковки"));
  }

  // On show the edits are filled from the path given by the naming rules;
  // the browse buttons start in the edit's folder or in DefalDir, and a
  // chosen folder is remembered in the configuration at once.
  void unpackOptionsFillAndBrowse() {
    drive->write("game/res/texts.res", "x");
    TRBUnPackOptF u;
    u.ArchivePath = "C:\\game\\res\\texts.res";
    u.FormShow();
    QCOMPARE(u.FileNameEd->text(), text("C:\\game\\res\\texts.res"));
    QCOMPARE(u.DirNameEd->text(), text("C:\\game\\res\\texts_res\\"));
    QVERIFY(!u.ReWriteCB->isChecked());

    // Cancelled file choice in an existing folder: the file name is offered,
    // and the folder edit is generated again all the same.
    u.DirNameEd->setText("C:\\elsewhere\\");
    u.BrowseFileButClick();
    QCOMPARE((*script)->fileRequests.size(), size_t(1));
    QCOMPARE((*script)->fileRequests[0].request.folder, std::string("C:\\game\\res\\"));
    QCOMPARE((*script)->fileRequests[0].request.fileName, std::string("texts.res"));
    QCOMPARE(u.DirNameEd->text(), text("C:\\game\\res\\texts_res\\"));
    // A file in a missing folder: the dialog starts in DefalDir.
    u.FileNameEd->setText("C:\\nowhere\\speech");
    (*script)->files.push_back(std::string("C:\\game\\res\\speech"));
    u.BrowseFileButClick();
    QCOMPARE((*script)->fileRequests[1].request.folder, std::string("C:\\start\\"));
    QCOMPARE((*script)->fileRequests[1].request.fileName, std::string());
    QCOMPARE(u.FileNameEd->text(), text("C:\\game\\res\\speech"));
    QCOMPARE(u.DirNameEd->text(), text("C:\\game\\res\\speech_noext\\"));
    u.DirNameEd->clear();
    u.GnrNamButClick();
    QCOMPARE(u.DirNameEd->text(), text("C:\\game\\res\\speech_noext\\"));

    (*script)->folders.push_back(std::string("C:\\out"));
    u.BrowseDirButClick();
    QCOMPARE((*script)->folderRequests.at(0).title, ru("Выберите директорию, в которую будут распакованы файлы"));
    QCOMPARE((*script)->folderRequests.at(0).initialFolder, std::string("C:\\start"));  // DirNameEd is missing
    QCOMPARE(u.DirNameEd->text(), text("C:\\out\\"));
    QCOMPARE(settings().DefalDir, std::string("C:\\out\\"));
    QVERIFY(drive->read("Kessik.ini").contains("DefalDir=C:\\out\\\r\n"));
  }

  // In the pack options dialog, choosing a folder named texts_res fills the
  // file edit with texts.res beside it.
  void packOptionsFillAndBrowse() {
    drive->write("game/res/texts_res/a.txt", "a");
    TRbPackOptF p;
    p.FolderPath = "C:\\mymod\\";
    p.FormShow();
    QCOMPARE(p.DirNameEd->text(), text("C:\\mymod\\"));
    QCOMPARE(p.FileNameEd->text(), text("C:\\mymod.res"));
    QVERIFY(p.OptimizeCB->isChecked());
    QVERIFY(!p.ReWriteCB->isChecked());

    (*script)->folders.push_back(std::string("C:\\game\\res\\texts_res"));
    p.BrowseDirButClick();
    QCOMPARE((*script)->folderRequests.at(0).title, ru("Выберите директорию, файлы из которой будут запакованы"));
    QCOMPARE(p.DirNameEd->text(), text("C:\\game\\res\\texts_res\\"));
    QCOMPARE(p.FileNameEd->text(), text("C:\\game\\res\\texts.res"));
    QVERIFY(drive->read("Kessik.ini").contains("DefalDir=C:\\game\\res\\texts_res\\\r\n"));
    // The folder exists now: the chooser starts there.
    p.BrowseDirButClick();
    QCOMPARE((*script)->folderRequests.at(1).initialFolder, std::string("C:\\game\\res\\texts_res"));

    (*script)->files.push_back(std::string("C:\\game\\res\\other.mq"));
    p.BrowseFileButClick();
    QVERIFY((*script)->fileRequests.at(0).save);
    QCOMPARE((*script)->fileRequests.at(0).request.folder, std::string("C:\\game\\res\\"));
    QCOMPARE((*script)->fileRequests.at(0).request.fileName, std::string("texts.res"));
    QCOMPARE(p.FileNameEd->text(), text("C:\\game\\res\\other.mq"));
    QCOMPARE(settings().DefalDir, std::string("C:\\game\\res\\texts_res\\"));  // file choices do not change it
    p.GnrNamButClick();
    QCOMPARE(p.FileNameEd->text(), text("C:\\game\\res\\texts.res"));
  }

  // The whole road through the entry points: unpack an archive into a folder
  // of one's choice (clearing what was there), change a file, pack it back
  // with optimizing on.
  void unpackChangePackThroughTheDialogs() {
    drive->write("src/texts/a.txt", "old");
    drive->write("src/b.txt", "b");
    makeArchive("src", "C:\\res\\texts.res");
    drive->write("work/stale.txt", "stale");

    const std::string dir = onModal<TRBUnPackOptF>(
        [](TRBUnPackOptF* d) {
          d->DirNameEd->setText("C:\\work\\");
          d->ReWriteCB->setChecked(true);
          d->OkBut->click();
        },
        [] { return unpackWithOptions("C:\\res\\texts.res"); });
    QCOMPARE(dir, std::string("C:\\work\\"));
    QCOMPARE(drive->read("work/texts/a.txt"), QByteArray("old"));
    QVERIFY(!drive->exists("work/stale.txt"));
    QCOMPARE(calls(), QStringList({"C:\\work|e|C:\\res\\texts.res|*"}));

    drive->write("work/texts/a.txt", "new");
    QFile::remove(log);
    const std::string archive = onModal<TRbPackOptF>(
        [](TRbPackOptF* d) {
          QVERIFY(d->OptimizeCB->isChecked());
          QCOMPARE(d->FileNameEd->text(), text("C:\\work.res"));
          d->FileNameEd->setText("C:\\res\\texts.res");
          d->ReWriteCB->setChecked(true);
          d->OkBut->click();
        },
        [] { return packWithOptions("C:\\work\\"); });
    QCOMPARE(archive, std::string("C:\\res\\texts.res"));
    // Rewriting: the old archive is out of the way, so the tool writes a
    // temporary archive that then takes the name; optimizing follows.
    // (Optimizing runs in the program's current folder.)
    const QStringList made = calls();
    QCOMPARE(made.size(), 2);
    QCOMPARE(made[0], QString("C:\\work|a|C:\\res\\tr1.res|*"));
    QVERIFY2(made[1].endsWith("|o|C:\\res\\texts.res|*"), qPrintable(made[1]));
    const QByteArray packed = drive->read("res/texts.res");
    QCOMPARE(packed.left(8), QByteArray("FAKERES2"));
    QVERIFY(packed.contains("texts/a.txt") && packed.contains("new") && !packed.contains("old"));
    QVERIFY(!drive->exists("res/texts.res.old") && !drive->exists("res/tr1.res"));
    QVERIFY((*script)->messages.empty());
  }

  // Cancel returns nothing; a destination whose parent is missing ends the
  // dialog as cancelled without running the tool.
  void unpackOptionsCancelAndMissingParent() {
    drive->write("res/a.res", "x");
    QCOMPARE(onModal<TRBUnPackOptF>([](TRBUnPackOptF* d) { d->CancelBut->click(); },
                                    [] { return unpackWithOptions("C:\\res\\a.res"); }),
             std::string());
    QCOMPARE(onModal<TRBUnPackOptF>(
                 [](TRBUnPackOptF* d) {
                   d->DirNameEd->setText("C:\\no\\such\\place\\");
                   d->OkBut->click();
                 },
                 [] { return unpackWithOptions("C:\\res\\a.res"); }),
             std::string());
    QVERIFY(calls().isEmpty());
    QVERIFY(!drive->exists("no"));
    QVERIFY((*script)->messages.empty());
  }

  // Clearing the destination folder before unpacking would delete an archive
  // that lies in it: refused, nothing deleted, the dialog stays open.
  void unpackOptionsKeepsAnArchiveInsideTheFolder() {
    drive->write("src/a.txt", "a");
    makeArchive("src", "C:\\mods\\pack.res");
    TRBUnPackOptF u;
    u.ArchivePath = "C:\\mods\\pack.res";
    u.FormShow();
    u.DirNameEd->setText("C:\\mods");
    u.ReWriteCB->setChecked(true);
    u.OkButClick();
    QCOMPARE((*script)->messages.size(), size_t(1));
    QCOMPARE((*script)->messages[0].caption, ru("Ошибка!"));
    QVERIFY(drive->exists("mods/pack.res"));
    QVERIFY(calls().isEmpty());
    QCOMPARE(u.result(), 0);
  }

  // Rewriting an archive from a folder that is not there keeps the old
  // archive: only the tool's refusal is shown (and optimizing then works on
  // the old archive).
  void packOptionsRewriteKeepsTheOldArchiveWhenNothingWasPacked() {
    drive->write("src/a.txt", "a");
    makeArchive("src", "C:\\res\\keep.res");
    const QByteArray before = drive->read("res/keep.res");
    TRbPackOptF p;
    p.FolderPath = "C:\\gone\\";
    p.FormShow();
    p.FileNameEd->setText("C:\\res\\keep.res");
    p.ReWriteCB->setChecked(true);
    p.OptimizeCB->setChecked(false);
    p.OkButClick();
    QCOMPARE((*script)->texts(),
             std::vector<std::string>{"Нету папки, из которой надо брать файлы для паковки :(. Запаковки не было."});
    QCOMPARE(drive->read("res/keep.res"), before);
    QVERIFY(!drive->exists("res/keep.res.old"));
    QCOMPARE(p.result(), int(QDialog::Accepted));
  }

  // Without rewriting, an existing read-only archive is made writable and
  // packed into in place ("added to").
  void packOptionsAddsToAnExistingArchive() {
    drive->write("src/a.txt", "a");
    makeArchive("src", "C:\\res\\add.res");
    QFile::setPermissions(drive->host("res/add.res"), QFile::ReadOwner);
    drive->write("more/b.txt", "b");
    TRbPackOptF p;
    p.FolderPath = "C:\\more\\";
    p.FormShow();
    p.FileNameEd->setText("C:\\res\\add.res");
    p.OptimizeCB->setChecked(false);
    p.OkButClick();
    QCOMPARE(calls(), QStringList({"C:\\more|a|C:\\res\\add.res|*"}));
    QVERIFY(QFileInfo(drive->host("res/add.res")).isWritable());
  }
  // ---- The resources window ----

  void resourcesWindowLooks() {
    TResursForm w;
    QCOMPARE(w.windowTitle(), text("Запаковка\\распаковка ресурсов"));
    QCOMPARE(w.minimumSize(), w.maximumSize());
    for (auto [name, caption] : {std::pair{"FileNameHead", "Имя файла:"}, std::pair{"PackHead", "Запаковка:"},
                                 std::pair{"UnpackHead", "Распаковка:"}}) {
      auto* l = w.findChild<QLabel*>(name);
      QVERIFY2(l, name);
      QCOMPARE(l->text(), text(caption));
      QCOMPARE(l->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    }
    const char* rows[] = {"aiinfo",   "texts", "speech",  "figures",     "gfx",      "materials", "menus",
                          "outro",    "redress", "sfx",   "databaselmp", "textslmp", "textures",  "database"};
    int lastY = -1;
    for (const char* r : rows) {
      const QString name = QString(r) + ".res";
      auto* p = w.findChild<QPushButton*>(QString(r) + "Pbut");
      auto* u = w.findChild<QPushButton*>(QString(r) + "Ubut");
      QVERIFY2(p && u, r);
      QCOMPARE(p->text(), name);
      QCOMPARE(u->text(), name);
      QVERIFY(p->y() > lastY && p->y() == u->y() && p->x() < u->x());
      lastY = p->y();
      bool labelled = false;
      for (QLabel* l : w.findChildren<QLabel*>()) labelled |= l->text() == name && l->y() >= p->y() && l->y() < p->y() + p->height();
      QVERIFY2(labelled, r);
    }
    QCOMPARE(w.PackDir->objectName(), QString("PackDir"));
    QCOMPARE(w.PackDir->text(), text("ДРУГОЙ"));
    QCOMPARE(w.UnpFil->text(), text("ДРУГОЙ"));
    QVERIFY(w.PackDir->y() > lastY && w.PackDir->x() == w.findChild<QPushButton*>("databasePbut")->x());
    QCOMPARE(w.OptimizeBut->text(), text("ОПТИМИЗАЦИЯ"));
    QCOMPARE(w.OptStandResCB->text(), text("Оптимизировать стандартные ресурсы после"));
    QCOMPARE(w.Label15->text(), text("запаковки."));
    QCOMPARE(w.Label15->objectName(), QString("Label15"));
    QCOMPARE(w.CloseBut->text(), text("Закрыть"));
    QCOMPARE(w.OpenDialog1.filter, ru("Ресурсные файлы ЗМ (*.res, *.mq)|*.res; *.mq|Все файлы (*.*)|*.*"));
  }

  // The road: unpack a standard archive, change a file, pack it back
  // with optimizing on; the tool is asked for each step in the right folder.
  void standardUnpackChangePackOptimize() {
    drive->write("src/a.txt", "old");
    drive->write("src/sub/b.txt", "b");
    makeArchive("src", "C:\\res\\texts.res");
    Settings& s = settings();
    s.TextsResPath = "C:\\res\\texts.res";
    s.OptStandRes = true;
    TResursForm w;
    w.FormShow();
    auto* unpack = w.findChild<QPushButton*>("textsUbut");
    auto* pack = w.findChild<QPushButton*>("textsPbut");
    QVERIFY(unpack->isEnabled() && !pack->isEnabled());
    QVERIFY(!w.findChild<QPushButton*>("speechUbut")->isEnabled());
    QVERIFY(w.OptStandResCB->isChecked());

    unpack->click();
    QCOMPARE(calls(), QStringList({"C:\\res\\texts_res|e|C:\\res\\texts.res|*"}));
    QCOMPARE(drive->read("res/texts_res/a.txt"), QByteArray("old"));
    QVERIFY(pack->isEnabled());  // filled again
    QVERIFY((*script)->messages.empty());

    drive->write("res/texts_res/a.txt", "new");
    QFile::remove(log);
    (*script)->answers.push_back(Answer::Yes);  // delete the old archive
    pack->click();
    QCOMPARE((*script)->messages.size(), size_t(1));
    const Message& q = (*script)->messages[0];
    QCOMPARE(q.text, ru("Файл C:\\res\\texts.res\r уже существует. Удалить?(Да). Дополнить?(Нет)"));
    QCOMPARE(q.caption, ru("ВНИМАНИЕ!"));
    QCOMPARE(q.icon, Icon::Warning);
    QCOMPARE(q.buttons, unsigned(ButtonYes | ButtonNo | ButtonCancel));
    const QStringList made = calls();
    QCOMPARE(made.size(), 2);
    QCOMPARE(made[0], QString("C:\\res\\texts_res|a|C:\\res\\tr1.res|*"));
    QVERIFY2(made[1].endsWith("|o|C:\\res\\texts.res|*"), qPrintable(made[1]));
    const QByteArray packed = drive->read("res/texts.res");
    QCOMPARE(packed.left(8), QByteArray("FAKERES2"));
    QVERIFY(packed.contains("new") && !packed.contains("old") && packed.contains("sub/b.txt"));
    QVERIFY(!drive->exists("res/tr1.res") && !drive->exists("res/texts.res.old"));
  }

  // Unpacking over an existing folder asks first: No does nothing, Yes
  // empties and recreates the folder before the tool runs.
  void standardUnpackOverAnExistingFolder() {
    drive->write("src/a.txt", "a");
    makeArchive("src", "C:\\res\\speech.res");
    settings().SpeechResPath = "C:\\res\\speech.res";
    drive->write("res/speech_res/mine.txt", "mine");
    TResursForm w;
    w.FormShow();
    (*script)->answers.push_back(Answer::No);
    w.UnpackButClick(2);
    QCOMPARE((*script)->texts(), std::vector<std::string>{"Директория C:\\res\\speech_res\\ уже существует. Удалить?"});
    QCOMPARE((*script)->messages[0].buttons, unsigned(ButtonYes | ButtonNo));
    QCOMPARE((*script)->messages[0].caption, ru("ВНИМАНИЕ!"));
    QVERIFY(drive->exists("res/speech_res/mine.txt"));
    QVERIFY(calls().isEmpty());

    (*script)->answers.push_back(Answer::Yes);
    w.UnpackButClick(2);
    QVERIFY(!drive->exists("res/speech_res/mine.txt"));
    QCOMPARE(drive->read("res/speech_res/a.txt"), QByteArray("a"));
    QCOMPARE(calls(), QStringList({"C:\\res\\speech_res|e|C:\\res\\speech.res|*"}));

    // The archive has gone since the window was filled: the folder is not
    // offered for deletion; the unpack says what is wrong.
    QFile::remove(drive->host("res/speech.res"));
    (*script)->clear();
    w.UnpackButClick(2);
    QCOMPARE((*script)->texts(), std::vector<std::string>{
                                     "Файла, указанного для распаковки не существует :(. Распаковки не было."});
    QVERIFY(drive->exists("res/speech_res/a.txt"));
    // A folder that cannot be made (its parent is missing) stops silently.
    settings().SfxResPath = "C:\\gone\\sfx.res";
    (*script)->clear();
    w.UnpackButClick(9);
    QVERIFY((*script)->messages.empty());
    QVERIFY(!drive->exists("gone"));
  }

  // An unpack folder that is a link to a folder elsewhere: answered Yes, the
  // link is removed as a link and the archive goes into a real folder; what
  // the link pointed to is left alone. The same through the unpack options.
  void unpackFolderThatIsALink() {
    drive->write("src/a.txt", "a");
    makeArchive("src", "C:\\res\\speech.res");
    settings().SpeechResPath = "C:\\res\\speech.res";
    drive->write("elsewhere/keep.txt", "keep");
    const auto link = std::filesystem::path(drive->host("res/speech_res").toStdString());
    const auto target = std::filesystem::path(drive->host("elsewhere").toStdString());
    auto expectRealFolder = [&](const char* road) {
      QVERIFY2(!std::filesystem::is_symlink(link) && std::filesystem::is_directory(link), road);
      QCOMPARE(drive->read("res/speech_res/a.txt"), QByteArray("a"));
      QVERIFY2(QDir(drive->host("elsewhere")).entryList(QDir::Files) == QStringList({"keep.txt"}), road);
    };

    std::filesystem::create_directory_symlink(target, link);
    TResursForm w;
    w.FormShow();
    (*script)->answers.push_back(Answer::Yes);
    w.UnpackButClick(2);
    expectRealFolder("standard unpack");

    std::filesystem::remove_all(link);
    std::filesystem::create_directory_symlink(target, link);
    TRBUnPackOptF u;
    u.ArchivePath = "C:\\res\\speech.res";
    u.FormShow();
    u.DirNameEd->setText("C:\\res\\speech_res");
    u.ReWriteCB->setChecked(true);
    u.OkButClick();
    expectRealFolder("unpack options");
  }

  // Packing over an existing archive: No adds to it in place, Cancel does
  // nothing; without OptStandRes nothing is optimized. A missing archive is
  // packed anew from its folder without a question.
  void standardPackAnswers() {
    drive->write("res/gfx_res/a.txt", "a");
    settings().GfxResPath = "C:\\res\\gfx.res";
    settings().OptStandRes = false;
    TResursForm w;
    w.PackButClick(4);
    QVERIFY((*script)->messages.empty());
    QCOMPARE(calls(), QStringList({"C:\\res\\gfx_res|a|C:\\res\\tr1.res|*"}));
    QVERIFY(drive->exists("res/gfx.res"));

    QFile::remove(log);
    (*script)->answers.push_back(Answer::Cancel);
    w.PackButClick(4);
    QVERIFY(calls().isEmpty());
    (*script)->answers.push_back(Answer::No);
    w.PackButClick(4);
    QCOMPARE(calls(), QStringList({"C:\\res\\gfx_res|a|C:\\res\\gfx.res|*"}));
  }

  // After a standard pack the buttons show what is there now: the archive
  // packed anew can be unpacked at once.
  void standardPackRefreshesTheButtons() {
    drive->write("res/gfx_res/a.txt", "a");
    settings().GfxResPath = "C:\\res\\gfx.res";
    settings().OptStandRes = true;
    TResursForm w;
    w.FormShow();
    auto* unpack = w.findChild<QPushButton*>("gfxUbut");
    QVERIFY(!unpack->isEnabled());
    w.findChild<QPushButton*>("gfxPbut")->click();
    QVERIFY(drive->exists("res/gfx.res"));
    QVERIFY(unpack->isEnabled());
  }

  // After the archive tool's error box the keyboard focus is back where it
  // was, in the window the work came from.
  void focusReturnsAfterTheToolsErrorBox() {
    drive->write("res/gfx_res/a.txt", "a");
    settings().GfxResPath = "C:\\res\\gfx.res";
    settings().OptStandRes = false;
    ::setenv("KESSIK_RESBUILD", "/no/such/resbuild-tool", 1);
    TResursForm w;
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto* pack = w.findChild<QPushButton*>("gfxPbut");
    pack->setFocus();
    QCOMPARE(QApplication::focusWidget(), pack);
    QTest::keyClick(pack, Qt::Key_Space);
    QCOMPARE((*script)->messages.size(), size_t(1));
    QCOMPARE((*script)->messages[0].caption, ru("Ошибка!"));
    QTRY_VERIFY(w.isActiveWindow());
    QCOMPARE(QApplication::focusWidget(), pack);
  }

  // Clicking the words "запаковки." toggles the check box and writes
  // OptStandRes; filling the window writes nothing.
  void optimizeAfterPackSetting() {
    settings().OptStandRes = true;
    TResursForm w;
    w.FormShow();
    QVERIFY(!drive->read("Kessik.ini").contains("OptStandRes"));
    QTest::mouseClick(w.Label15, Qt::LeftButton);
    QVERIFY(!w.OptStandResCB->isChecked());
    QVERIFY(!settings().OptStandRes);
    QVERIFY(drive->read("Kessik.ini").contains("OptStandRes=0\r\n"));
    w.OptStandResCB->click();
    QVERIFY(settings().OptStandRes);
    QVERIFY(drive->read("Kessik.ini").contains("OptStandRes=1\r\n"));
  }

  // The other archive and other folder choices: DefalDir is remembered and
  // the option dialogs get the chosen path; optimizing runs the tool.
  void otherArchiveFolderAndOptimize() {
    std::vector<std::string> unpacked, packed;
    unpackWithOptionsHook = [&](const std::string& a) {
      unpacked.push_back(a);
      return std::string();
    };
    packWithOptionsHook = [&](const std::string& f) {
      packed.push_back(f);
      return std::string();
    };
    TResursForm w;
    w.UnpFilClick();  // cancelled: nothing happens
    QVERIFY(unpacked.empty());
    (*script)->files.push_back(std::string("C:\\mods\\my.mq"));
    w.UnpFilClick();
    QCOMPARE((*script)->fileRequests.at(1).request.title, ru("Откройте файл для распаковки"));
    QCOMPARE((*script)->fileRequests.at(1).request.folder, std::string("C:\\start\\"));
    QCOMPARE(unpacked, std::vector<std::string>{"C:\\mods\\my.mq"});
    QCOMPARE(settings().DefalDir, std::string("C:\\mods\\"));
    QVERIFY(drive->read("Kessik.ini").contains("DefalDir=C:\\mods\\\r\n"));

    (*script)->folders.push_back(std::string("C:\\mods\\my_mq"));
    w.PackDirClick();
    QCOMPARE((*script)->folderRequests.at(0).title, ru("Выберите директорию, файлы из которой будут запакованы"));
    QCOMPARE((*script)->folderRequests.at(0).initialFolder, std::string("C:\\mods"));
    QCOMPARE(packed, std::vector<std::string>{"C:\\mods\\my_mq\\"});
    QCOMPARE(settings().DefalDir, std::string("C:\\mods\\my_mq\\"));

    drive->write("src/a.txt", "a");
    makeArchive("src", "C:\\other\\o.res");
    (*script)->files.push_back(std::string("C:\\other\\o.res"));
    w.OptimizeButClick();
    QCOMPARE((*script)->fileRequests.back().request.title, ru("Откройте файл для оптимизации"));
    QCOMPARE(settings().DefalDir, std::string("C:\\other\\"));
    QCOMPARE(calls().size(), 1);
    QVERIFY(calls()[0].endsWith("|o|C:\\other\\o.res|*"));
    QCOMPARE(drive->read("other/o.res").left(8), QByteArray("FAKERES2"));
  }

  // The main window's item and tool button open and close the window at most
  // once; the check mark follows it, also when the window closes itself.
  void openedAndClosedFromTheMainWindow() {
    TMainForm f;
    f.show();
    QAction* item = f.item("ResursMenu");
    auto* button = f.findChild<QToolButton*>("ResSB");
    QVERIFY(item->isEnabled() && button->isEnabled());
    item->trigger();
    QVERIFY(item->isChecked());
    auto* w = f.findChild<TResursForm*>();
    QVERIFY(w && w->isVisible());
    QCOMPARE(f.mdiArea()->subWindowList().size(), 1);
    button->click();
    QVERIFY(!item->isChecked());
    QTRY_VERIFY(!f.findChild<TResursForm*>());
    button->click();
    QVERIFY(item->isChecked());
    w = f.findChild<TResursForm*>();
    QVERIFY(w);
    w->CloseBut->click();
    QTRY_VERIFY(!f.findChild<TResursForm*>());
    QVERIFY(!item->isChecked());
    QTRY_COMPARE(f.mdiArea()->subWindowList().size(), 0);
  }
};

QTEST_MAIN(TstResources)
#include "tst_resources.moc"
