// The settings dialogs and About, driven through their controls with the
// scripted interaction, and reached from the main window's menu.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "app/main_form.h"
#include "guienv.h"
#include "platform/verinfo.h"
#include "options/about_form.h"
#include "ui/text_viewer.h"
#include "options/options_dialogs.h"
#include "ui/qtext.h"

using namespace kessik;
using guitest::Drive;

namespace {

QString text(const char* utf8) { return QString::fromUtf8(utf8); }

void key(QWidget* w, Qt::Key k) { QTest::keyClick(w, k); }

// Acts on the modal dialog a call shows; a second timer rejects it should the
// first one miss, so nothing can hang.
template <class D, class Act>
void onModal(Act act) {
  QTimer::singleShot(0, [act] {
    if (auto* d = qobject_cast<D*>(QApplication::activeModalWidget())) act(d);
  });
  QTimer::singleShot(10000, [] {
    if (auto* d = qobject_cast<D*>(QApplication::activeModalWidget())) d->done(QDialog::Rejected);
  });
}

QString label(QWidget* parent, const char* name) {
  auto* l = parent->findChild<QLabel*>(name);
  return l ? l->text() : QString("<no %1>").arg(name);
}

}  // namespace

class TstSettings : public QObject {
  Q_OBJECT

  std::unique_ptr<Drive> drive;
  std::unique_ptr<ScopedScriptedInteraction> script;

  void setPaths() {
    Settings& s = settings();
    s.DefalDir = "C:\\start\\";
    s.AiinfoResPath = "C:\\res\\aiinfo.res";
    s.DatabaseResPath = "C:\\res\\database.res";
    s.DatabaselmpResPath = "C:\\res\\databaselmp.res";
    s.TextsResPath = "C:\\res\\texts.res";
    s.TextslmpResPath = "C:\\res\\textslmp.res";
    s.TexturesResPath = "C:\\res\\textures.res";
    s.DatabaseResIsh = "C:\\bases\\database\\";
    s.DatabaselmpResIsh = "C:\\bases\\databaselmp\\";
    s.TextsEdStart = "C:\\res\\texts_res\\";
  }

 private slots:
  void init() {
    drive = std::make_unique<Drive>();
    script = std::make_unique<ScopedScriptedInteraction>();
    setPaths();
  }
  void cleanup() {
    script.reset();
    drive.reset();
  }

  void dialogsLook() {
    TResPathsF paths;
    TBaseOptF base;
    TTextsOptF texts;
    TAboutForm about;
    const struct {
      QDialog* dialog;
      const char* caption;
      std::vector<std::pair<const char*, const char*>> buttons;
    } cases[] = {
        {&paths,
         "Пути к ресурсным файлам",
         {{"BrowseBut", "Обзор..."}, {"SavePathBut", "Запомнить путь"}, {"OkBut", "ОК"}, {"CancelBut", "Отмена"}}},
        {&base,
         "Параметры для баз",
         {{"Browse1But", "Обзор..."},
          {"Browse2But", "Обзор..."},
          {"Browse3But", "Обзор..."},
          {"Browse4But", "Обзор..."},
          {"OkBut", "ОК"},
          {"CancelBut", "Отмена"}}},
        {&texts,
         "Параметры для редактора текстов",
         {{"BrowseBut", "Обзор..."},
          {"TextsResBut", "texts.res"},
          {"TextslmpResBut", "textslmp.res"},
          {"OkBut", "ОК"},
          {"CancelBut", "Отмена"}}},
        {&about, "О программе", {{"LicenseBut", "Текст лицензии"}, {"OkButn", "Закрыть"}}},
    };
    for (const auto& c : cases) {
      QCOMPARE(c.dialog->windowTitle(), text(c.caption));
      QCOMPARE(c.dialog->minimumSize(), c.dialog->maximumSize());
      for (auto [name, caption] : c.buttons) {
        auto* b = c.dialog->findChild<QPushButton*>(name);
        QVERIFY2(b, name);
        QCOMPARE(b->text(), text(caption));
      }
    }
    QCOMPARE(label(&base, "DbResLab"), text("database.res"));
    QCOMPARE(label(&base, "DbLmpResLab"), text("databaselmp.res"));
    QCOMPARE(label(&base, "DbResIshLab"), text("Исходник database.res"));
    QCOMPARE(label(&base, "DbLmpResIshLab"), text("Исходник databaselmp.res"));
    for (const char* e : {"DbResEd", "DbLmpResEd", "DbResIshEd", "DbLmpResIshEd"}) QVERIFY2(base.findChild<QLineEdit*>(e), e);
    QCOMPARE(label(&texts, "PathLab"), text("Директория, с которой начнется осмотр:"));
    QVERIFY(texts.findChild<QLineEdit*>("PathEd"));
    QVERIFY(paths.findChild<QLineEdit*>("FilePathEd"));
    QCOMPARE(paths.FileNamesBox->count(), 14);
    QCOMPARE(paths.FileNamesBox->item(1)->text(), text("database.res"));
    QCOMPARE(paths.FileNamesBox->item(13)->text(), text("textures.res"));
    const std::string filter = ru("Ресурсные файлы ЗМ (*.res, *.mq)|*.res; *.mq|Все файлы (*.*)|*.*");
    QCOMPARE(paths.SDD1.filter, filter);
    QCOMPARE(base.OFD1.filter, filter);
    QCOMPARE(label(&about, "VerLab"), text("Версия :"));
    QCOMPARE(label(&about, "CraftedLab"), text("Crafted by:"));
  }

  // Typing disables OK until the path is remembered (or Escape reverts it);
  // choosing another entry drops the typed text; Enter remembers, then
  // confirms; all fourteen keys are written.
  void pathsDialogEditedFlagEnterAndEscape() {
    TResPathsF d;
    d.show();
    QCOMPARE(d.FileNamesBox->currentRow(), 0);
    QCOMPARE(d.FilePathEd->text(), text("C:\\res\\aiinfo.res"));
    QVERIFY(d.OkBut->isEnabled() && !d.SavePathBut->isEnabled());

    QTest::keyClicks(d.FilePathEd, "x");
    QVERIFY(d.Edited && !d.OkBut->isEnabled() && d.SavePathBut->isEnabled());
    key(d.FilePathEd, Qt::Key_Escape);  // reverts, the dialog stays
    QVERIFY(d.isVisible() && !d.Edited);
    QCOMPARE(d.FilePathEd->text(), text("C:\\res\\aiinfo.res"));

    QTest::keyClicks(d.FilePathEd, "x");
    d.FileNamesBox->setCurrentRow(1);  // database.res: the typed text is dropped
    QCOMPARE(d.FilePathEd->text(), text("C:\\res\\database.res"));
    QVERIFY(!d.Edited);
    d.FileNamesBox->setCurrentRow(0);
    QCOMPARE(d.FilePathEd->text(), text("C:\\res\\aiinfo.res"));

    d.FileNamesBox->setCurrentRow(1);
    d.FilePathEd->setText("D:\\other\\database.res");
    key(d.FileNamesBox, Qt::Key_Return);  // remembers, wherever the focus is
    QVERIFY(d.isVisible() && !d.Edited && d.OkBut->isEnabled());
    QCOMPARE(d.Paths[1], std::string("D:\\other\\database.res"));
    QCOMPARE(settings().DatabaseResPath, std::string("C:\\res\\database.res"));  // not before OK
    key(d.FilePathEd, Qt::Key_Return);
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QCOMPARE(settings().DatabaseResPath, std::string("D:\\other\\database.res"));
    QCOMPARE(settings().DatabaseResDir, std::string("D:\\other\\database_res\\"));
    const QByteArray ini = drive->read("Kessik.ini");
    QVERIFY(ini.contains("DatabaseResPath=D:\\other\\database.res\r\n"));
    QVERIFY(ini.contains("TexturesResPath=C:\\res\\textures.res\r\n"));
    QVERIFY(ini.contains("SfxResPath=\r\n"));  // every one of the fourteen keys
  }

  // Cancelling after remembering several paths leaves all of them as they
  // were; Escape with nothing typed cancels.
  void pathsDialogCancelKeepsEverything() {
    const QByteArray before = drive->read("Kessik.ini");
    TResPathsF d;
    d.show();
    for (int row : {0, 11}) {
      d.FileNamesBox->setCurrentRow(row);
      d.FilePathEd->setText("Z:\\changed");
      d.SavePathButClick();
    }
    key(d.FileNamesBox, Qt::Key_Escape);
    QCOMPARE(d.result(), int(QDialog::Rejected));
    QVERIFY(!d.isVisible());
    QCOMPARE(settings().AiinfoResPath, std::string("C:\\res\\aiinfo.res"));
    QCOMPARE(settings().TextsResPath, std::string("C:\\res\\texts.res"));
    QCOMPARE(drive->read("Kessik.ini"), before);
  }

  // Browsing starts in the path's folder when it exists, else in DefalDir; the
  // chosen file's folder becomes DefalDir and the file shows as edited.
  void pathsDialogBrowse() {
    drive->write("res/aiinfo.res", "x");
    drive->write("new/a.res", "x");
    TResPathsF d;
    d.show();
    (*script)->files.push_back(std::string("C:\\new\\a.res"));
    d.BrowseButClick();
    QVERIFY((*script)->fileRequests.at(0).save);
    QCOMPARE((*script)->fileRequests.at(0).request.folder, std::string("C:\\res\\"));
    QCOMPARE(d.FilePathEd->text(), text("C:\\new\\a.res"));
    QVERIFY(d.Edited && !d.OkBut->isEnabled());
    QCOMPARE(settings().DefalDir, std::string("C:\\new\\"));
    QVERIFY(drive->read("Kessik.ini").contains("DefalDir=C:\\new\\\r\n"));
    d.FileNamesBox->setCurrentRow(3);  // figures.res: no path, so no folder
    d.BrowseButClick();
    QCOMPARE((*script)->fileRequests.at(1).request.folder, std::string("C:\\new\\"));
  }

  // The database options: refilled on every show, the title bar's close
  // refused, Escape cancels, OK writes the four keys as typed and closes
  // every record editor even when nothing changed.
  void baseOptions() {
    TBaseOptF d;
    int closed = 0;
    d.CloseRecordEditors = [&] { ++closed; };
    d.show();
    QCOMPARE(d.DbResEd->text(), text("C:\\res\\database.res"));
    QCOMPARE(d.DbLmpResIshEd->text(), text("C:\\bases\\databaselmp\\"));
    QVERIFY(!d.MayClose);
    QVERIFY(!d.close());
    QVERIFY(d.isVisible());

    d.DbResIshEd->setText("C:\\typed");
    key(d.DbResIshEd, Qt::Key_Escape);
    QVERIFY(!d.isVisible());
    QCOMPARE(d.result(), int(QDialog::Rejected));
    QCOMPARE(closed, 0);
    QCOMPARE(settings().DatabaseResIsh, std::string("C:\\bases\\database\\"));

    d.show();
    QCOMPARE(d.DbResIshEd->text(), text("C:\\bases\\database\\"));  // the cancelled change is gone
    QVERIFY(!d.MayClose);
    key(d.Browse1But, Qt::Key_Return);
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QCOMPARE(closed, 1);

    d.show();
    d.DbResIshEd->setText("C:\\typed");
    d.DbLmpResEd->setText("C:\\lmp\\x.res");
    d.OkButClick();
    QCOMPARE(closed, 2);
    QCOMPARE(settings().DatabaseResIsh, std::string("C:\\typed"));  // no backslash added
    QCOMPARE(settings().DatabaselmpResDir, std::string("C:\\lmp\\x_res\\"));
    const QByteArray ini = drive->read("Kessik.ini");
    QVERIFY(ini.contains("DatabaseResIsh=C:\\typed\r\n"));
    QVERIFY(ini.contains("DatabaselmpResPath=C:\\lmp\\x.res\r\n"));
    QVERIFY(ini.contains("DatabaseResPath=C:\\res\\database.res\r\n"));
  }

  // A host path typed into a settings dialog is kept in its Windows form,
  // through the drive map (C: is the test folder, Z: the host's root); a
  // Windows path stays as typed.
  void typedHostPathsBecomeWindowsPaths() {
    const QString onC = drive->host("bases/database/");
    TBaseOptF base;
    base.show();
    base.DbResIshEd->setText(onC);
    base.DbLmpResIshEd->setText("/home/me/game/bases/databaselmp/");
    base.DbResEd->setText(drive->host("res/database.res"));
    base.OkButClick();
    QCOMPARE(settings().DatabaseResIsh, std::string("C:\\bases\\database\\"));
    QCOMPARE(settings().DatabaselmpResIsh, std::string("Z:\\home\\me\\game\\bases\\databaselmp\\"));
    QCOMPARE(settings().DatabaseResPath, std::string("C:\\res\\database.res"));
    QVERIFY(drive->read("Kessik.ini").contains("DatabaseResIsh=C:\\bases\\database\\\r\n"));

    TTextsOptF texts;
    texts.show();
    texts.PathEd->setText("/srv/a:b");  // no Windows name holds ":"
    texts.OkButClick();
    QCOMPARE((*script)->messages.size(), std::size_t(1));
    QVERIFY(texts.isVisible());
    QCOMPARE(settings().TextsEdStart, std::string("C:\\res\\texts_res\\"));
    (*script)->clear();
    texts.PathEd->setText("/srv/texts");
    texts.OkButClick();
    QCOMPARE(settings().TextsEdStart, std::string("Z:\\srv\\texts\\"));

    TResPathsF paths;
    paths.show();
    paths.FilePathEd->setText(drive->host("res/aiinfo.res"));
    paths.SavePathButClick();
    paths.OkButClick();
    QCOMPARE(settings().AiinfoResPath, std::string("C:\\res\\aiinfo.res"));
    QVERIFY((*script)->messages.empty());
  }

  void baseOptionsBrowse() {
    drive->write("res/database.res", "x");
    drive->write("bases/database/x", "");
    TBaseOptF d;
    d.FormShow();
    (*script)->files.push_back(std::string("C:\\other\\database.res"));
    d.Browse1ButClick();
    QCOMPARE((*script)->fileRequests.at(0).request.folder, std::string("C:\\res\\"));
    QCOMPARE((*script)->fileRequests.at(0).request.fileName, std::string("database.res"));
    QCOMPARE(d.DbResEd->text(), text("C:\\other\\database.res"));
    d.DbLmpResEd->setText("C:\\nowhere\\databaselmp.res");
    d.Browse2ButClick();  // its folder is missing: DefalDir, nothing chosen
    QCOMPARE((*script)->fileRequests.at(1).request.folder, std::string("C:\\start\\"));
    QCOMPARE((*script)->fileRequests.at(1).request.fileName, std::string());
    QCOMPARE(settings().DefalDir, std::string("C:\\start\\"));  // not changed here

    (*script)->folders.push_back(std::string("C:\\newsrc"));
    d.Browse3ButClick();
    QCOMPARE((*script)->folderRequests.at(0).title, ru("Выберите директорию"));
    QCOMPARE((*script)->folderRequests.at(0).initialFolder, std::string("C:\\bases\\database"));
    QCOMPARE(d.DbResIshEd->text(), text("C:\\newsrc\\"));
    d.Browse4ButClick();
    QCOMPARE((*script)->folderRequests.at(1).initialFolder, std::string("C:\\start"));
  }

  // The text options: a typed folder gets its backslash on OK; the two
  // buttons fill in the folders of the configured text archives.
  void textsOptions() {
    TTextsOptF d;
    d.show();
    QCOMPARE(d.PathEd->text(), text("C:\\res\\texts_res\\"));
    d.TextslmpResButClick();
    QCOMPARE(d.PathEd->text(), text("C:\\res\\textslmp_res\\"));
    d.TextsResButClick();
    QCOMPARE(d.PathEd->text(), text("C:\\res\\texts_res\\"));
    d.PathEd->setText("C:\\games\\texts");
    key(d.TextsResBut, Qt::Key_Return);
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QCOMPARE(settings().TextsEdStart, std::string("C:\\games\\texts\\"));
    QVERIFY(drive->read("Kessik.ini").contains("TextsEdStart=C:\\games\\texts\\\r\n"));

    d.show();
    d.PathEd->setText("C:\\elsewhere\\");
    key(d.PathEd, Qt::Key_Escape);
    QCOMPARE(d.result(), int(QDialog::Rejected));
    QCOMPARE(settings().TextsEdStart, std::string("C:\\games\\texts\\"));

    (*script)->folders.push_back(std::string("C:\\picked"));
    d.FormShow();
    d.BrowseButClick();
    QCOMPARE((*script)->folderRequests.at(0).title, ru("Выберите директорию"));
    QCOMPARE((*script)->folderRequests.at(0).initialFolder, std::string("C:\\start"));  // PathEd is missing
    QCOMPARE(d.PathEd->text(), text("C:\\picked\\"));
  }

  // About shows the program's own version data (the same on every host) and
  // opens the licence text beside the program; a file without a translation
  // table shows "n/a" on every line.
  void aboutWindow() {
    const platform::TVerInfoFromFile& own = platform::programVersionInfo();
    QCOMPARE(own.ProductVersion, std::string("1.8.1"));
    TAboutForm about;
    std::vector<std::string> shown;
    about.ShowTextFile = [&](const std::string& f) {
      shown.push_back(f);
      return false;  // not checked
    };
    about.show();
    QCOMPARE(about.ProgaNamLab->text(), toQ(own.ProductName));
    QCOMPARE(about.DescrLab->text(), toQ(own.FileDescription));
    QCOMPARE(about.FileVerLab->text(), toQ(own.FileVersion));
    QCOMPARE(about.CopyrightLab->text(), toQ(own.LegalCopyright));
    QCOMPARE(about.CraftedByLab->text(), toQ(own.CraftedBy));
    QCOMPARE(about.CommentLab->text(), toQ(own.Comments));
    for (QLabel* l : {about.ProgaNamLab, about.DescrLab, about.FileVerLab, about.CraftedByLab})
      QVERIFY(!l->text().isEmpty() && l->text() != "n/a");
    about.LicenseBut->click();
    QCOMPARE(shown, std::vector<std::string>{"C:\\HG_closed_MH-editor-utility_license.txt"});
    about.OkButn->click();
    QVERIFY(!about.isVisible());

    platform::TVerInfoFromFile bare;
    bare.fill(std::nullopt, [](const std::string&) { return std::optional<std::string>("x"); });
    TAboutForm empty;
    empty.VerInfo = &bare;
    empty.FormShow();
    for (QLabel* l : {empty.ProgaNamLab, empty.DescrLab, empty.FileVerLab, empty.CopyrightLab, empty.CraftedByLab,
                      empty.CommentLab})
      QCOMPARE(l->text(), QString("n/a"));
  }

  // Without Notepad the licence opens in the program's own viewer, which can
  // be read while About is up and stays open when About goes.
  void licenceInTheOwnViewer() {
    drive->write("HG_closed_MH-editor-utility_license.txt", "Licence text");
    QWidget main;
    auto* about = new TAboutForm(&main);
    about->show();
    about->LicenseBut->click();
    QCOMPARE(about->findChildren<TTextViewerF*>().size(), qsizetype(1));
    delete about;
    const auto viewers = main.findChildren<TTextViewerF*>();
    QCOMPARE(viewers.size(), qsizetype(1));
    QVERIFY(viewers[0]->isVisible());
    QCOMPARE(viewers[0]->TextMemo->toPlainText(), QString("Licence text"));
  }

  // The main window opens each of these from its menu item.
  void openedFromTheMainMenu() {
    TMainForm f;
    TTextsOptF texts(&f);
    TBaseOptF base(&f);
    for (const char* name : {"ResursMenu", "TextsOptMenu", "BasOptMenu", "ResOptMenu", "AboutMenu"})
      QVERIFY2(f.item(name)->isEnabled(), name);
    QVERIFY(f.findChild<QWidget*>("ResSB")->isEnabled());

    onModal<TTextsOptF>([](TTextsOptF* d) { d->CancelBut->click(); });
    f.item("TextsOptMenu")->trigger();
    QCOMPARE(texts.result(), int(QDialog::Rejected));

    // OK in the database options closes the open section editors.
    QWidget* editor = nullptr;
    f.makeSectionEditor = [&](const WindowEntry&, QWidget* parent) {
      editor = new QWidget(parent);
      editor->setAttribute(Qt::WA_DeleteOnClose);
      return editor;
    };
    const WindowEntry& prints = *findWindow("TSinglPrintsDbR1F");
    f.EditorItemClick(prints);
    QVERIFY(f.sectionEditor("TSinglPrintsDbR1F"));
    onModal<TBaseOptF>([](TBaseOptF* d) { d->OkBut->click(); });
    f.item("BasOptMenu")->trigger();
    QCOMPARE(base.result(), int(QDialog::Accepted));
    QTRY_VERIFY(!f.sectionEditor("TSinglPrintsDbR1F"));

    QString pathsTitle;
    onModal<TResPathsF>([&](TResPathsF* d) {
      pathsTitle = d->windowTitle();
      d->CancelBut->click();
    });
    f.item("ResOptMenu")->trigger();
    QCOMPARE(pathsTitle, text("Пути к ресурсным файлам"));
    QVERIFY(!f.findChild<TResPathsF*>());  // freed after use

    // The licence viewer opens over the modal About, so it can be read at
    // once, and stays when About goes.
    drive->write("HG_closed_MH-editor-utility_license.txt", "Licence text");
    bool overAbout = false;
    onModal<TAboutForm>([&](TAboutForm* d) {
      d->LicenseBut->click();
      overAbout = d->findChildren<TTextViewerF*>().size() == 1;
      d->OkButn->click();
    });
    f.item("AboutMenu")->trigger();
    QVERIFY(overAbout);
    QVERIFY(!f.findChild<TAboutForm*>());
    const auto viewers = f.findChildren<TTextViewerF*>();
    QCOMPARE(viewers.size(), qsizetype(1));
    QCOMPARE(viewers[0]->TextMemo->toPlainText(), QString("Licence text"));
  }
};

QTEST_MAIN(TstSettings)
#include "tst_settings.moc"
