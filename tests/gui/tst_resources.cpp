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

#include "archives/resbuildform.h"
#include "guienv.h"
#include "resources/packoptions.h"
#include "ui/qtext.h"
#include "util/files.h"

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
};

QTEST_MAIN(TstResources)
#include "tst_resources.moc"
