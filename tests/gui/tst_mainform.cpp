// The main window: its menus, tool bar and hints, opening each section
// editor at most once, the sources window hook, the text editor slots, the
// game launch and the stored geometry.
#include <QAction>
#include <QComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTableWidget>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include "app/main_form.h"
#include "dbfixtures.h"
#include "ui/qtext.h"
#include "editors/schemas/registry.h"
#include "editors/schemas/window_table.h"
#include "guienv.h"

using namespace kessik;
using guitest::Drive;

namespace {

// A stand-in child window that frees itself when closed.
QWidget* fakeChild(const QString& title, QWidget* parent) {
  auto* w = new QWidget(parent);
  w->setAttribute(Qt::WA_DeleteOnClose);
  w->setWindowTitle(title);
  w->resize(200, 120);
  return w;
}

QStringList captions(QMenu* menu) {
  QStringList out;
  for (QAction* a : menu->actions())
    if (!a->isSeparator()) out << a->text();
  return out;
}

}  // namespace

class TstMainForm : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    drive = std::make_unique<Drive>();
    script = std::make_unique<ScopedScriptedInteraction>();
  }
  void cleanup() {
    script.reset();
    drive.reset();
  }

  void menusToolBarAndHints() {
    TMainForm f;
    QCOMPARE(f.windowTitle(), qru("Редактор части ресурсов ЗМ "));
    QVERIFY(f.findChild<QMenuBar*>("Mai_nMenu"));
    QVERIFY(f.findChild<QStatusBar*>("MainStatusBar"));
    const struct {
      const char* name;
      const char* caption;
      const char* hint;
    } items[] = {
        {"ResursMenu", "Запаковка\\распаковка ресурсов...", ""},
        {"TextEditMenu", "Редактор текстов...", ""},
        {"ZmStartMenu", "Запустить ЗМ...", ""},
        {"ExitMenu", "Выход", "Типа это выход"},
        {"TextsOptMenu", "Параметры для редактора текстов...", ""},
        {"BasOptMenu", "Параметры для баз...", ""},
        {"ResOptMenu", "Пути к ресурсным файлам...", ""},
        {"IshMenu", "Исходники...", ""},
        {"CascadeWindMenu", "Каскадом", ""},
        {"TileWindMenu", "Мозайкой", ""},
        {"ArrangeIconsWindMenu", "Упорядочить свернутые", ""},
        {"ReadMeMenu", "Краткий ридми", "Документация"},
        {"AboutMenu", "О программе", "About"},
    };
    for (const auto& i : items) {
      QAction* a = f.item(i.name);
      QVERIFY2(a, i.name);
      // The captions as described, with the mark of the letter that chooses
      // the item from the keyboard.
      QCOMPARE(QString(a->text()).remove('&'), qru(i.caption));
      QCOMPARE(a->text().count('&'), 1);
      QCOMPARE(a->statusTip(), qru(i.hint));
    }
    const struct {
      const char* name;
      const char* caption;
    } menus[] = {{"FileMenu", "Файл"}, {"N1", "Параметры"}, {"BasaMenu", "Базы"}, {"N2", "Сингл"},
                 {"N3", "Мульти"}, {"WindowsMenu", "Окна"}, {"HelpMenu", "Справка"}};
    for (const auto& m : menus) {
      QMenu* menu = f.findChild<QMenu*>(m.name);
      QVERIFY2(menu, m.name);
      QCOMPARE(QString(menu->title()).remove('&'), qru(m.caption));
      QCOMPARE(menu->title().count('&'), 1);
    }
    QCOMPARE(f.findChild<QMenu*>("BasaMenu")->menuAction()->statusTip(),
             qru("Базы ЗМ из database.res и databaselmp.res"));
    QCOMPARE(captions(f.findChild<QMenu*>("N2")),
             QStringList({"acks.db", "items.idb", "levers.ldb", "perks.pdb", "prints.db", "quests.qdb", "spells.sdb",
                          "units.udb"}));
    QCOMPARE(captions(f.findChild<QMenu*>("N3")),
             QStringList({"items.idb", "levers.ldb", "perks.pdb", "prints.db", "spells.sdb", "units.udb"}));

    // Tool bar: four buttons with icons and their hints as tool tips.
    QToolBar* bar = f.findChild<QToolBar*>("MainBar");
    QVERIFY(bar);
    const std::pair<const char*, const char*> buttons[] = {{"RunZMSB", "Запустить ЗМ"},
                                                           {"ResSB", "Распаковка\\запаковка ресурсов"},
                                                           {"IshSB", "Распаковка\\запаковка баз"},
                                                           {"TextEdSB", "Редактор текстов"}};
    for (auto [name, hint] : buttons) {
      auto* b = bar->findChild<QToolButton*>(name);
      QVERIFY2(b, name);
      QCOMPARE(b->toolTip(), qru(hint));
      QCOMPARE(b->statusTip(), qru(hint));
      QVERIFY(!b->icon().isNull());
    }
    // Later windows are not there yet: their items are disabled.
    for (const char* name : {"IshMenu"})
      QVERIFY2(!f.item(name)->isEnabled(), name);
    QVERIFY(!bar->findChild<QToolButton*>("IshSB")->isEnabled());
    QVERIFY(f.item("ZmStartMenu")->isEnabled());
    QVERIFY(f.item("TextEditMenu")->isEnabled());
    QVERIFY(bar->findChild<QToolButton*>("TextEdSB")->isEnabled());

    // The hint of a hovered item shows in the status bar.
    QStatusTipEvent tip(qru("Типа это выход"));
    QApplication::sendEvent(&f, &tip);
    QCOMPARE(f.statusBar()->currentMessage(), qru("Типа это выход"));
  }

  void everySectionEditorHasItsItem() {
    TMainForm f;
    int singl = 0, lmp = 0;
    for (const WindowEntry& e : windowTable()) {
      QAction* a = f.item(QString::fromStdString(e.menuName));
      QVERIFY2(a, e.menuName.c_str());
      QCOMPARE(a->text(), toQ(e.menuCaption));
      QVERIFY(a->isCheckable());
      QVERIFY(!a->isChecked());
      // Sections without a schema are there but cannot be opened.
      QCOMPARE(a->isEnabled(), findSchema(e.schemaFolder) != nullptr);
      // The item sits under the game's menu, in the database's submenu
      // (levers.ldb directly).
      QWidget* owner = a->associatedObjects().isEmpty() ? nullptr
                                                          : qobject_cast<QWidget*>(a->associatedObjects().front());
      QMenu* menu = qobject_cast<QMenu*>(owner);
      QVERIFY(menu);
      QMenu* gameMenu = e.database == "levers.ldb" ? menu : qobject_cast<QMenu*>(menu->parent());
      QVERIFY(gameMenu);
      QCOMPARE(gameMenu->objectName(), QString(e.game == Game::Singl ? "N2" : "N3"));
      if (e.database != "levers.ldb") QCOMPARE(menu->title(), toQ(e.database));
      (e.game == Game::Singl ? singl : lmp)++;
    }
    QCOMPARE(singl, 26);
    QCOMPARE(lmp, 21);
  }

  void editorOpensOnceAndClosesAgain() {
    TMainForm f;
    std::map<std::string, int> made;
    bool refuse = false;
    f.makeSectionEditor = [&](const WindowEntry& e, QWidget* parent) -> QWidget* {
      ++made[e.className];
      if (refuse) return nullptr;  // the window closed at once (source folder missing)
      auto* w = fakeChild(toQ(e.caption), parent);
      w->setObjectName(QString::fromStdString(e.className));
      return w;
    };
    f.show();
    const WindowEntry& prints = *findWindow("TSinglPrintsDbR1F");
    const WindowEntry& lmpPrints = *findWindow("TPrintsDbR1F");
    QAction* item = f.item("PrintsMenu1");
    f.EditorItemClick(prints);
    QVERIFY(item->isChecked());
    QWidget* w = f.sectionEditor("TSinglPrintsDbR1F");
    QVERIFY(w);
    QCOMPARE(f.mdiArea()->subWindowList().size(), 1);
    QCOMPARE(f.mdiArea()->subWindowList().front()->windowTitle(), qru("Prints.db : Blood Prints (SINGL)"));
    // Choosing it again closes the window and removes the check mark.
    f.EditorItemClick(prints);
    QVERIFY(!item->isChecked());
    QTRY_VERIFY(f.sectionEditor("TSinglPrintsDbR1F") == nullptr);
    QTRY_COMPARE(f.mdiArea()->subWindowList().size(), 0);
    // Once more: a fresh window.
    f.EditorItemClick(prints);
    QVERIFY(item->isChecked());
    QCOMPARE(made["TSinglPrintsDbR1F"], 2);
    // The window closing itself (its close button) clears the check mark.
    f.sectionEditor("TSinglPrintsDbR1F")->close();
    QTRY_VERIFY(!item->isChecked());
    QTRY_COMPARE(f.mdiArea()->subWindowList().size(), 0);
    // A window that closes at once leaves its item unchecked.
    refuse = true;
    f.EditorItemClick(lmpPrints);
    QVERIFY(!f.item("Bas_Mult_Prints_Razd1Menu")->isChecked());
    QCOMPARE(f.mdiArea()->subWindowList().size(), 0);
  }

  void realSectionEditorInTheFrame() {
    const WindowEntry& prints = *findWindow("TSinglPrintsDbR1F");
    if (!findSchema(prints.schemaFolder)) QSKIP("no schema for prints.db yet");
    settings().DatabaseResIsh = "C:\\bases\\database\\";
    TMainForm f;
    f.show();
    QAction* item = f.item("PrintsMenu1");
    QVERIFY(item->isEnabled());
    // The source folder is missing: the editor says so and closes at once.
    item->trigger();
    QVERIFY(!item->isChecked());
    QCOMPARE((*script)->messages.size(), size_t(1));
    QCOMPARE((*script)->messages[0].icon, Icon::Error);
    QCOMPARE(f.mdiArea()->subWindowList().size(), 0);
    drive->write("bases/database/prints/1/0000001.zap", QByteArray());
    item->trigger();
    QVERIFY(item->isChecked());
    QCOMPARE(f.mdiArea()->subWindowList().size(), 1);
    QCOMPARE(f.mdiArea()->subWindowList().front()->windowTitle(), qru("Prints.db : Blood Prints (SINGL)"));
    QVERIFY(f.mdiArea()->findChild<QWidget*>("TSinglPrintsDbR1F"));
    item->trigger();
    QVERIFY(!item->isChecked());
    QTRY_COMPARE(f.mdiArea()->subWindowList().size(), 0);
  }

  // Quitting, or opening the sources window, with an edited record in an
  // editor asks about it first: Отмена keeps everything open, Нет drops the
  // edits and goes on.
  void editedRecordsAreAskedAboutFirst() {
    settings().DatabaseResIsh = "C:\\bases\\database\\";
    fixtures::writeHost("C:\\bases\\database\\prints\\1\\0000001.zap", fixtures::printsRecord("Swamp", 30));
    TMainForm f;
    int sourcesShown = 0;
    f.setSourcesWindow([&] {
      ++sourcesShown;
      return false;
    });
    f.show();
    f.item("PrintsMenu1")->trigger();
    QWidget* editor = f.sectionEditor("TSinglPrintsDbR1F");
    QVERIFY(editor);
    auto* files = editor->findChild<QComboBox*>("FilesBox");
    files->setCurrentIndex(0);
    emit files->activated(0);
    editor->findChild<QTableWidget*>("ValuesEd")->item(2, 1)->setText("3");
    const std::string question = "Сохранить изменения в записи «Swamp»?";

    (*script)->answers = {Answer::Cancel};
    f.item("IshMenu")->trigger();
    QCOMPARE((*script)->texts(), std::vector<std::string>{question});
    QCOMPARE(sourcesShown, 0);

    (*script)->clear();
    (*script)->answers = {Answer::Cancel};
    QVERIFY(!f.close());
    QCOMPARE((*script)->texts(), std::vector<std::string>{question});
    QVERIFY(f.isVisible() && f.sectionEditor("TSinglPrintsDbR1F"));
    QVERIFY(f.item("PrintsMenu1")->isChecked());
    // Its menu item, answered Отмена too, leaves it open and checked.
    (*script)->answers = {Answer::Cancel};
    f.item("PrintsMenu1")->trigger();
    QVERIFY(f.sectionEditor("TSinglPrintsDbR1F") && f.item("PrintsMenu1")->isChecked());

    (*script)->clear();
    (*script)->answers = {Answer::No};
    QVERIFY(f.close());
    QCOMPARE((*script)->texts(), std::vector<std::string>{question});
    QCOMPARE(fixtures::readHost("C:\\bases\\database\\prints\\1\\0000001.zap"), fixtures::printsRecord("Swamp", 30));
  }

  void sourcesWindowClosesAllSectionEditors() {
    TMainForm f;
    f.makeSectionEditor = [&](const WindowEntry& e, QWidget* parent) { return fakeChild(toQ(e.caption), parent); };
    f.setTextEditorFactory([](int slot, QWidget* parent) { return fakeChild(QString("text %1").arg(slot), parent); });
    f.show();
    f.EditorItemClick(*findWindow("TSinglItemsIdbR2F"));
    f.EditorItemClick(*findWindow("TUnitsUdbR3F"));
    f.TextEditMenuClick();
    bool changed = false;
    int shown = 0;
    f.setSourcesWindow([&] {
      ++shown;
      return changed;
    });
    QVERIFY(f.item("IshMenu")->isEnabled());
    QVERIFY(f.findChild<QToolButton*>("IshSB")->isEnabled());
    f.item("IshMenu")->trigger();
    QCOMPARE(shown, 1);
    QVERIFY(f.sectionEditor("TSinglItemsIdbR2F"));
    changed = true;
    QTest::mouseClick(f.findChild<QToolButton*>("IshSB"), Qt::LeftButton);
    QCOMPARE(shown, 2);
    QTRY_VERIFY(!f.sectionEditor("TSinglItemsIdbR2F") && !f.sectionEditor("TUnitsUdbR3F"));
    QVERIFY(!f.item("ItemsMenu2")->isChecked());
    QVERIFY(!f.item("LmpUnitsMenu3")->isChecked());
    // The text editor stays open.
    QTRY_COMPARE(f.mdiArea()->subWindowList().size(), 1);
    QVERIFY(f.TextEditors[0]);
  }

  void textEditorSlotsReuseTheLowestFree() {
    TMainForm f;
    std::vector<int> used;
    f.setTextEditorFactory([&](int slot, QWidget* parent) {
      used.push_back(slot);
      return fakeChild(QString("text %1").arg(slot), parent);
    });
    QVERIFY(f.item("TextEditMenu")->isEnabled());
    f.show();
    for (int i = 0; i < 3; ++i) f.TextEditMenuClick();
    QCOMPARE(used, std::vector<int>({0, 1, 2}));
    f.TextEditors[1]->close();
    QTRY_VERIFY(!f.TextEditors[1]);
    QTest::mouseClick(f.findChild<QToolButton*>("TextEdSB"), Qt::LeftButton);
    QCOMPARE(used.back(), 1);
    f.TextEditMenuClick();
    QCOMPARE(used.back(), 3);
    QCOMPARE(f.TextEditors.size(), size_t(4));
  }

  void resourcesWindowOpensAtMostOnce() {
    TMainForm f;
    int made = 0;
    f.setResourcesWindowFactory([&](QWidget* parent) {
      ++made;
      return fakeChild("res", parent);
    });
    f.show();
    QAction* item = f.item("ResursMenu");
    QVERIFY(item->isEnabled());
    item->trigger();
    QVERIFY(item->isChecked());
    QVERIFY(f.resourcesWindow());
    QTest::mouseClick(f.findChild<QToolButton*>("ResSB"), Qt::LeftButton);
    QVERIFY(!item->isChecked());
    QTRY_VERIFY(!f.resourcesWindow());
    item->trigger();
    QCOMPARE(made, 2);
    f.resourcesWindow()->close();
    QTRY_VERIFY(!item->isChecked());
  }

  void gameAndReadMe() {
    TMainForm f;
    settings().ZmPath = "C:\\Games\\ZM\\";
    settings().ProgramDir = "C:\\Kessik\\";
    std::vector<std::string> started, shown;
    f.startProgram = [&](const std::string& p) {
      started.push_back(p);
      return false;  // not started: nothing is reported
    };
    f.showTextFile = [&](const std::string& p) {
      shown.push_back(p);
      return true;
    };
    f.item("ZmStartMenu")->trigger();
    QTest::mouseClick(f.findChild<QToolButton*>("RunZMSB"), Qt::LeftButton);
    f.item("ReadMeMenu")->trigger();
    QCOMPARE(started, std::vector<std::string>(2, "C:\\Games\\ZM\\starter.exe"));
    QCOMPARE(shown, std::vector<std::string>({"C:\\Kessik\\readme.txt"}));
    QVERIFY((*script)->messages.empty());
  }

  void windowListAndArrangement() {
    TMainForm f;
    f.makeSectionEditor = [&](const WindowEntry& e, QWidget* parent) { return fakeChild(toQ(e.caption), parent); };
    f.resize(900, 700);
    f.show();
    f.EditorItemClick(*findWindow("TLeversF"));
    f.EditorItemClick(*findWindow("TLmpLeversF"));
    QMenu* windows = f.findChild<QMenu*>("WindowsMenu");
    QMetaObject::invokeMethod(windows, "aboutToShow");
    const QStringList listed = captions(windows);
    QCOMPARE(listed.size(), 5);
    // Numbered, the first nine chosen by their digit from the keyboard.
    QCOMPARE(listed[3], QString("&1 Levers.ldb (SINGL)"));
    QCOMPARE(listed[4], QString("&2 Levers.ldb (LMP)"));
    f.item("TileWindMenu")->trigger();
    const auto subs = f.mdiArea()->subWindowList(QMdiArea::CreationOrder);
    QVERIFY(!subs[0]->geometry().intersects(subs[1]->geometry()));
    f.item("CascadeWindMenu")->trigger();
    QVERIFY(subs[0]->pos() != subs[1]->pos());
    // Minimised children line up along the bottom.
    for (QMdiSubWindow* s : subs) s->showMinimized();
    f.item("ArrangeIconsWindMenu")->trigger();
    const int bottom = f.mdiArea()->viewport()->height();
    QCOMPARE(subs[0]->geometry().bottom() + 1, bottom);
    QCOMPARE(subs[1]->geometry().bottom() + 1, bottom);
    QCOMPARE(subs[0]->x(), 0);
    QCOMPARE(subs[1]->x(), subs[0]->width());
  }

  void geometryIsRestoredAndStored() {
    Settings& s = settings();
    s.MfHeight = 500;
    s.MfWidth = 700;
    s.MfTop = 15;
    s.MfLeft = 20;
    s.MfWstate = 3;
    {
      TMainForm f;
      f.FormShow();
      QCOMPARE(f.windowTitle(), qru("Редактор части ресурсов ЗМ "));
      QCOMPARE(f.size(), QSize(700, 500));
      QCOMPARE(f.pos(), QPoint(20, 15));
      f.resize(640, 480);
      f.move(33, 44);
      f.close();
    }
    const QByteArray ini = drive->read("Kessik.ini");
    QVERIFY(ini.contains("MfHeight=480\r\nMfWidth=640\r\nMfTop=44\r\nMfLeft=33\r\nMfWstate=3\r\n"));
    QVERIFY(ini.startsWith("[MainSettings]\r\nVer=1.8.1\r\n"));

    // Stored maximised: shown maximised, and stored so again.
    s.MfWstate = 1;
    {
      TMainForm f;
      f.FormShow();
      QTRY_VERIFY(f.isMaximized());
      f.ExitMenuClick();
      QVERIFY(!f.isVisible());
    }
    QVERIFY(drive->read("Kessik.ini").contains("MfWstate=1\r\n"));
    QCOMPARE(s.MfWstate, 1);
  }

 private:
  std::unique_ptr<Drive> drive;
  std::unique_ptr<ScopedScriptedInteraction> script;
};

QTEST_MAIN(TstMainForm)
#include "tst_mainform.moc"
