// The desktop around the described windows: Qt's texts in Russian on the
// real boxes and file dialogs, Return and Escape in every dialog, the menus
// and child windows from the keyboard, windows that resize and remember
// their size, and long work that shows it works.
#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>

#include "app/main_form.h"
#include "archives/pack_options.h"
#include "config/ini_file.h"
#include "config/settings.h"
#include "core/database.h"
#include "dbfixtures.h"
#include "editortest.h"
#include "editors/schemas/registry.h"
#include "editors/schemas/sample.h"
#include "editors/section_editor.h"
#include "editors/sound_editor.h"
#include "editors/template_dialogs.h"
#include "editors/value_dialogs.h"
#include "guienv.h"
#include "options/about_form.h"
#include "options/options_dialogs.h"
#include "sources/ish_form.h"
#include "texteditor/text_edit_form.h"
#include "ui/busy_work.h"
#include "ui/desktop_keys.h"
#include "ui/form_util.h"
#include "ui/interaction.h"
#include "ui/look.h"
#include "ui/qtext.h"
#include "ui/translation.h"
#include "ui/window_sizes.h"

using namespace kessik;
using namespace kessik::fixtures;
using guitest::Drive;

namespace {

// Runs `act` on the first modal window of type T once it is up (the code
// under test is inside its exec()).
template <class T>
void whenModal(std::function<void(T*)> act) {
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [poll, act] {
    auto* w = qobject_cast<T*>(QApplication::activeModalWidget());
    if (!w || !w->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    act(w);
  });
  poll->start(10);
}

// A key as the keyboard sends it: to the window, which hands it to its
// focused control (shortcuts first).
void press(QWidget* window, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QTest::keyClick(window->window()->windowHandle(), key, mods);
}

QString plain(QString caption) { return caption.remove('&'); }

QStringList buttonTexts(QMessageBox* box) {
  QStringList out;
  for (QAbstractButton* b : box->buttons()) out << plain(b->text());
  out.sort();
  return out;
}

// The ini's lines of the program's own section, to see that they stay.
std::string mainSection(const Drive& drive) {
  const QString all = QString::fromLatin1(drive.read("Kessik.ini"));
  return all.left(all.indexOf("[WindowSizes]")).trimmed().toStdString();
}

class Recorder : public Progress {
 public:
  bool shown = false;
  std::uint64_t last = 0;
  bool busyCursor = true;
  void show() override { shown = true; }
  void setPosition(std::uint64_t p) override {
    last = p;
    busyCursor = busyCursor && QApplication::overrideCursor() &&
                 QApplication::overrideCursor()->shape() == Qt::WaitCursor;
  }
};

const std::string kIsh = "C:\\src\\prints\\1\\";

}  // namespace

class TstDesktop : public QObject {
  Q_OBJECT

  std::unique_ptr<Drive> drive;
  std::unique_ptr<ScopedScriptedInteraction> script;

  void writePrints(const std::vector<std::string>& masks) {
    for (std::size_t i = 0; i < masks.size(); ++i) writeHost(kIsh + recordFileName(i + 1), printsRecord(masks[i], 30));
  }
  QString statusLine(TMainForm& f) { return f.findChild<QLabel*>("StatusLineLab")->text(); }

 private slots:
  void initTestCase() {
    // The translation the program loads at start, found where Qt keeps it.
    QVERIFY2(installQtTranslation(*qApp), qPrintable(qtTranslationFolders().join(", ")));
    // The kinds of entry in the file dialogs' list, which Qt's translation lacks.
    QCOMPARE(QCoreApplication::translate("QAbstractFileIconProvider", "Folder"), QString::fromUtf8("Папка"));
    installDesktopKeys(*qApp);
    applyProgramLook(*qApp);
  }
  void init() {
    drive = std::make_unique<Drive>();
    script = std::make_unique<ScopedScriptedInteraction>();
    settings().DatabaseResIsh = "C:\\src\\";
    settings().DatabaselmpResIsh = "C:\\lmp\\";
  }
  void cleanup() {
    BusyWork::setWindow(nullptr);
    BusyWork::setDelayMs(500);
    script.reset();
    drive.reset();
  }

  // A real question box: Russian buttons, Return on the focused "Нет" answers
  // No, and the focus is back in the window and control that asked.
  void questionBoxInRussianGivesFocusBack() {
    QWidget owner;
    auto* edit = new QLineEdit(&owner);
    owner.show();
    QVERIFY(QTest::qWaitForWindowActive(&owner));
    edit->setFocus();
    QStringList texts;
    whenModal<QMessageBox>([&](QMessageBox* box) {
      texts = buttonTexts(box);
      box->button(QMessageBox::No)->setFocus();
      press(box, Qt::Key_Return);
    });
    QtInteraction qt;
    const Answer a = qt.message({Icon::Question, ru("Вопрос"), ru("Удалить?(Да). Оставить?(Нет)"), ButtonYes | ButtonNo});
    QCOMPARE(texts, QStringList({qru("Да"), qru("Нет")}));
    QCOMPARE(a, Answer::No);
    QTRY_COMPARE(QApplication::focusWidget(), edit);

    // Yes, No and Cancel, all three in Russian; Escape cancels.
    whenModal<QMessageBox>([&](QMessageBox* box) {
      texts = buttonTexts(box);
      press(box, Qt::Key_Escape);
    });
    QCOMPARE(qt.message({Icon::Warning, ru("ВНИМАНИЕ!"), "x", ButtonYes | ButtonNo | ButtonCancel}), Answer::Cancel);
    QCOMPARE(texts, QStringList({qru("Да"), qru("Нет"), qru("Отмена")}));
  }

  // A caption longer than the text widens the box, so that the title bar can
  // show it whole.
  void longCaptionWidensBox() {
    const std::string caption = ru("Очень длинный заголовок окна сообщения, много длиннее его текста");
    int width = 0, needed = 0;
    whenModal<QMessageBox>([&](QMessageBox* box) {
      width = box->width();
      needed = box->fontMetrics().horizontalAdvance(box->windowTitle());
      press(box, Qt::Key_Return);
    });
    QtInteraction().message({Icon::Information, caption, ru("Да."), ButtonOk});
    QVERIFY2(width > needed, qPrintable(QString("%1 <= %2").arg(width).arg(needed)));
  }

  // The real file dialog: Russian, in the requested folder (or the nearest
  // one that exists), the filter labels as the program gives them, and
  // "Все файлы (*.*)" listing a file without an extension.
  void fileDialogFiltersAndFolder() {
    drive->write("files/speech", "x");
    drive->write("files/a.res", "x");
    const std::string filter = ru("Ресурсные файлы ЗМ (*.res, *.mq)|*.res; *.mq|Все файлы (*.*)|*.*");
    for (const char* folder : {"C:\\files\\", "C:\\files\\gone\\deeper\\"}) {
      QString directory, accept;
      QStringList labels, listed;
      whenModal<QFileDialog>([&](QFileDialog* d) {
        directory = d->directory().absolutePath();
        auto* types = d->findChild<QComboBox*>("fileTypeCombo");
        for (int i = 0; types && i < types->count(); ++i) labels << types->itemText(i);
        QPushButton* acceptButton = d->findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Open);
        accept = acceptButton->text();
        d->selectNameFilter(d->nameFilters().value(1));
        auto* view = d->findChild<QListView*>("listView");
        // The folder is read in the background.
        for (int waited = 0; waited < 5000 && view->model()->rowCount(view->rootIndex()) < 2; waited += 20)
          QTest::qWait(20);
        for (int r = 0; r < view->model()->rowCount(view->rootIndex()); ++r)
          listed << view->model()->index(r, 0, view->rootIndex()).data().toString();
        // Typed as the user would: the name without an extension.
        QTest::keyClicks(d->findChild<QLineEdit*>("fileNameEdit"), "speech");
        acceptButton->click();
        if (d->isVisible()) d->reject();
      });
      const auto chosen = QtInteraction().openFile({"", folder, filter, ""});
      QCOMPARE(directory, QDir(drive->host("files")).absolutePath());
      QCOMPARE(labels, QStringList({qru("Ресурсные файлы ЗМ (*.res, *.mq)"), qru("Все файлы (*.*)")}));
      QCOMPARE(plain(accept), qru("Открыть"));
      QVERIFY2(listed.contains("speech"), qPrintable(listed.join(",")));
      QCOMPARE(QString::fromStdString(chosen.value_or("-")), QString("C:\\files\\speech"));
    }
  }

  // Return on a focused "Отмена" cancels (it used to press OK: the unpack
  // options deleted the target folder, the template window wrote the
  // template); Escape cancels too; Return elsewhere keeps the dialog's rule.
  void returnOnFocusedCancelCancels() {
    drive->write("out/keep.txt", "mine");
    drive->write("game/texts.res", "archive");
    drive->write("shab/old.zap", "x");
    TShablonimF shab;
    TCheckShablF check(nullptr, &shab);
    TAskFnForm ask;
    TUncAskF unc;
    TValueSelectorF sel;
    TRBUnPackOptF unpack;
    TRbPackOptF pack;
    TResPathsF paths;
    TBaseOptF bases;
    TTextsOptF texts;
    TASoundEditorF sounds;
    TNewFilterAskF filter("*|all", 1);
    struct Case {
      QDialog* dialog;
      const char* cancel;
      std::function<void()> prepare;  // after showing
    };
    const Case cases[] = {
        {&shab, "CancelBut", [&] { shab.ShabNamEd->setText("new"); }},
        {&check, "CancelBut", [&] { check.ShabList->setCurrentRow(0); }},
        {&ask, "CancelButn", [&] { ask.Edit1->setText("Marsh"); }},
        {&unc, "CancelBut", [] {}},
        {&sel, "CancelBut", [] {}},
        {&unpack, "CancelBut",
         [&] {
           unpack.DirNameEd->setText("C:\\out\\");
           unpack.ReWriteCB->setChecked(true);
         }},
        {&pack, "CancelBut", [] {}},
        {&paths, "CancelBut", [] {}},
        {&bases, "CancelBut", [] {}},
        {&texts, "CancelBut", [] {}},
        {&sounds, "CacelBut", [] {}},
        {&filter, "CancelBut", [&] { filter.FilterEd->setText("new*"); }},
    };
    shab.ShabFolder = "C:\\shab\\";
    unpack.ArchivePath = "C:\\game\\texts.res";
    pack.FolderPath = "C:\\out\\";
    for (bool escape : {false, true}) {
      for (const Case& c : cases) {
        const QString name = c.dialog->objectName() + (escape ? " Escape" : " Return");
        c.dialog->setResult(-1);
        c.dialog->show();
        QVERIFY2(QTest::qWaitForWindowActive(c.dialog), qPrintable(name));
        c.prepare();
        auto* cancel = c.dialog->findChild<QPushButton*>(c.cancel);
        QVERIFY2(cancel, qPrintable(name));
        cancel->setFocus();
        press(c.dialog, escape ? Qt::Key_Escape : Qt::Key_Return);
        QVERIFY2(!c.dialog->isVisible(), qPrintable(name));
        QVERIFY2(c.dialog->result() == QDialog::Rejected, qPrintable(name));
      }
    }
    QCOMPARE(drive->read("out/keep.txt"), QByteArray("mine"));
    QVERIFY(shab.ShabFile.empty());
    QVERIFY(ask.AskResult.empty());
    QVERIFY(filter.Mask.empty());
    QVERIFY((*script)->messages.empty());
  }

  // Where no button has the focus, Return is the dialog's own rule; on another
  // focused button it presses that one: About opens the licence and stays.
  void returnPressesTheFocusedButton() {
    TShablonimF shab;
    shab.ShabFolder = "C:\\shab\\";
    shab.show();
    QVERIFY(QTest::qWaitForWindowActive(&shab));
    QTest::keyClicks(shab.ShabNamEd, "fresh");
    press(&shab, Qt::Key_Return);
    QCOMPARE(shab.result(), int(QDialog::Accepted));
    QCOMPARE(shab.ShabFile, std::string("C:\\shab\\fresh.zap"));

    TAboutForm about;
    std::vector<std::string> shown;
    about.ShowTextFile = [&](const std::string& f) {
      shown.push_back(f);
      return true;
    };
    about.show();
    QVERIFY(QTest::qWaitForWindowActive(&about));
    about.LicenseBut->setFocus();
    press(&about, Qt::Key_Return);
    QCOMPARE(shown.size(), std::size_t(1));
    QVERIFY(about.isVisible());
    about.OkButn->setFocus();
    press(&about, Qt::Key_Return);
    QVERIFY(!about.isVisible());

    // The database options: Return in an edit is "ОК" (their Enter rule).
    TBaseOptF bases;
    bases.show();
    QVERIFY(QTest::qWaitForWindowActive(&bases));
    bases.DbResEd->setFocus();
    bases.DbResEd->setText("C:\\x.res");
    press(&bases, Qt::Key_Return);
    QCOMPARE(bases.result(), int(QDialog::Accepted));
    QCOMPARE(settings().DatabaseResPath, std::string("C:\\x.res"));
  }

  // The template chooser takes Return on an entry and a double click on one
  // as "ОК".
  void templateChooserReturnAndDoubleClick() {
    drive->write("shab/a.zap", "x");
    drive->write("shab/b.zap", "x");
    TShablonimF shab;
    shab.ShabFolder = "C:\\shab\\";
    TCheckShablF check(nullptr, &shab);
    for (bool doubleClick : {false, true}) {
      shab.ShabFile.clear();
      check.show();
      QVERIFY(QTest::qWaitForWindowActive(&check));
      check.ShabList->setFocus();
      QListWidgetItem* b = check.ShabList->findItems("b", Qt::MatchExactly).value(0);
      QVERIFY(b);
      if (doubleClick) {
        const QRect r = check.ShabList->visualItemRect(b);
        QTest::mouseClick(check.ShabList->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(check.ShabList->viewport(), Qt::LeftButton, {}, r.center());
      } else {
        check.ShabList->setCurrentItem(b, QItemSelectionModel::NoUpdate);
        press(&check, Qt::Key_Return);
      }
      QCOMPARE(check.result(), int(QDialog::Accepted));
      QCOMPARE(shab.ShabFile, std::string("C:\\shab\\b.zap"));
    }
  }

  // Alt and the underlined letter open a menu (Alt and the Latin initial
  // too); Alt alone makes the menu bar take the keyboard.
  void menusFromTheKeyboard() {
    TMainForm f;
    f.show();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    QMenu* file = f.findChild<QMenu*>("FileMenu");
    QMenu* help = f.findChild<QMenu*>("HelpMenu");
    QCOMPARE(file->title(), qru("&Файл"));
    QTest::keyPress(f.windowHandle(), Qt::Key_Alt, Qt::AltModifier);
    QTest::keyRelease(f.windowHandle(), Qt::Key_Alt, Qt::NoModifier);
    QTRY_COMPARE(f.menuBar()->activeAction(), file->menuAction());
    QTest::keyClick(f.windowHandle(), Qt::Key_Down);
    QTRY_VERIFY(file->isVisible());
    QTest::keyClick(file, Qt::Key_Escape);
    QTest::keyClick(f.windowHandle(), Qt::Key_Escape);
    QTRY_VERIFY(!file->isVisible());
    const struct {
      int key;
      const char* text;
      QMenu* menu;
    } keys[] = {{0x0424, "ф", file}, {Qt::Key_F, "f", file}, {0x0421, "с", help}, {Qt::Key_S, "s", help}};
    // Return then takes the menu's first item.
    int readMe = 0;
    f.showTextFile = [&](const std::string&) { return ++readMe > 0; };
    for (const auto& k : keys) {
      QTest::sendKeyEvent(QTest::Click, f.windowHandle(), Qt::Key(k.key), qru(k.text), Qt::AltModifier);
      QTRY_VERIFY2(k.menu->isVisible(), qPrintable(k.menu->title()));
      QTest::keyClick(k.menu, Qt::Key_Escape);
      QTest::keyClick(k.menu, Qt::Key_Escape);
      QTRY_VERIFY(!k.menu->isVisible());
      if (k.menu != help) continue;
      const int before = readMe;
      QTest::sendKeyEvent(QTest::Click, f.windowHandle(), Qt::Key(k.key), qru(k.text), Qt::AltModifier);
      QTRY_VERIFY(help->isVisible());
      QTest::keyClick(help, Qt::Key_Return);
      QTRY_COMPARE(readMe, before + 1);
    }
  }

  // Ctrl+Tab and Ctrl+Shift+Tab go round the child windows, Ctrl+W closes
  // the active one, F5 reads an editor's lists again with its record kept.
  void childWindowsFromTheKeyboard() {
    writePrints({"Swamp", "Sand"});
    TMainForm f;
    f.show();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    f.EditorItemClick(*findWindow("TSinglPrintsDbR1F"));
    auto* editor = qobject_cast<SectionEditor*>(f.sectionEditor("TSinglPrintsDbR1F"));
    QVERIFY(editor);
    guitest::pickEntry(editor->findChild<QComboBox*>("FilesBox"), 1);
    editor->setRowText(2, "7");
    auto* other = new QWidget;
    other->setAttribute(Qt::WA_DeleteOnClose);
    other->setWindowTitle("other");
    f.addChildWindow(other);
    QMdiArea* area = f.mdiArea();
    area->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(other->parentWidget()));
    QCOMPARE(area->activeSubWindow()->widget(), other);
    press(&f, Qt::Key_Tab, Qt::ControlModifier);
    QTRY_COMPARE(area->activeSubWindow()->widget(), editor);
    press(&f, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QTRY_COMPARE(area->activeSubWindow()->widget(), other);
    press(&f, Qt::Key_Tab, Qt::ControlModifier);
    QTRY_COMPARE(area->activeSubWindow()->widget(), editor);

    writePrints({"Swamp", "Sand", "Marsh"});
    press(&f, Qt::Key_F5);
    QCOMPARE(editor->findChild<QComboBox*>("FilesBox")->count(), 3);
    QCOMPARE(editor->CurFile, std::string("0000002.zap"));
    QCOMPARE(editor->findChild<QComboBox*>("FilesBox")->currentIndex(), 1);
    QCOMPARE(editor->rowText(2), std::string("7"));

    // The shown record's file now holds another record: its edit cannot be
    // saved there, and is dropped only after a question (No keeps all).
    writePrints({"Swamp", "Marsh", "Sand"});
    (*script)->answers = {Answer::No};
    press(&f, Qt::Key_F5);
    QCOMPARE((*script)->messages.size(), std::size_t(1));
    QCOMPARE((*script)->messages[0].buttons, unsigned(ButtonYes | ButtonNo));
    QCOMPARE(editor->CurFile, std::string("0000002.zap"));
    QCOMPARE(editor->rowText(2), std::string("7"));
    (*script)->answers = {Answer::Yes};
    press(&f, Qt::Key_F5);
    QCOMPARE((*script)->messages.size(), std::size_t(2));
    QCOMPARE(editor->findChild<QComboBox*>("FilesBox")->currentIndex(), -1);
    QVERIFY(!editor->windowTitle().endsWith('*'));

    // Nothing edited now: Ctrl+W closes without a question.
    QPointer<QWidget> gone = editor;
    press(&f, Qt::Key_W, Qt::ControlModifier);
    QTRY_VERIFY(!gone);
    QCOMPARE((*script)->messages.size(), std::size_t(2));
    QVERIFY(!f.item("PrintsMenu1")->isChecked());
  }

  // An editor opens at its size, can be made larger and maximised: the table
  // grows with it, the value column takes the width, the buttons stay under
  // the table; the size of its class is kept in a section of its own.
  void editorResizesAndRemembersItsSize() {
    writePrints({"Swamp", "Sand"});
    drive->write("Kessik.ini", "[MainSettings]\r\nVer=1.8.1\r\nMfWidth=800\r\n");
    const std::string before = mainSection(*drive);
    TMainForm f;
    f.resize(1200, 900);
    f.show();
    f.EditorItemClick(*findWindow("TSinglPrintsDbR1F"));
    auto* editor = qobject_cast<SectionEditor*>(f.sectionEditor("TSinglPrintsDbR1F"));
    QVERIFY(editor);
    auto* frame = qobject_cast<QMdiSubWindow*>(editor->parentWidget());
    auto* table = editor->findChild<QTableWidget*>("ValuesEd");
    QCOMPARE(editor->size(), QSize(597, 246));
    QVERIFY(frame->windowFlags() & Qt::WindowMaximizeButtonHint);

    frame->showMaximized();
    QTRY_VERIFY(editor->width() > 800 && editor->height() > 500);
    const int dw = editor->width() - 597, dh = editor->height() - 246;
    QCOMPARE(table->size(), QSize(561 + dw, 161 + dh));
    QCOMPARE(table->columnWidth(0) + table->columnWidth(1), 180 + 375 + dw);
    QVERIFY(table->columnWidth(1) >= 375 + dw / 2);
    auto* save = editor->findChild<QPushButton*>("SaveBut");
    QVERIFY(save->geometry().top() > table->geometry().bottom());
    QVERIFY(editor->rect().contains(editor->findChild<QPushButton*>("DeleteBut")->geometry()));

    frame->showNormal();
    QTRY_COMPARE(editor->size(), QSize(597, 246));
    frame->resize(frame->size() + QSize(100, 60));
    QTRY_COMPARE(editor->size(), QSize(697, 306));
    editor->close();
    QTRY_VERIFY(!f.sectionEditor("TSinglPrintsDbR1F"));
    TAnIniFile ini;
    QVERIFY(ini.LoadFromFile("C:\\Kessik.ini"));
    QCOMPARE(ini.ReadString("WindowSizes", "TSinglPrintsDbR1F"), std::string("697,306"));
    QCOMPARE(mainSection(*drive), before);

    f.EditorItemClick(*findWindow("TSinglPrintsDbR1F"));
    editor = qobject_cast<SectionEditor*>(f.sectionEditor("TSinglPrintsDbR1F"));
    QVERIFY(editor);
    QCOMPARE(editor->size(), QSize(697, 306));
    QCOMPARE(editor->findChild<QTableWidget*>("ValuesEd")->size(), QSize(661, 221));
  }

  // Long field names are never drawn condensed: cut short with their whole
  // text as a tool tip, and given room when the window is wider. The row
  // button stays within the visible cell and the text ends before it.
  void longNamesAndTheRowButton() {
    const char* cls = "TSinglUnitsUdbR3F";
    const WindowEntry& e = *findWindow(cls);
    const Schema& schema = *findSchema(e.schemaFolder);
    writeSampleSection(schema);
    TMainForm f;
    f.resize(1600, 1000);
    f.show();
    f.EditorItemClick(e);
    auto* editor = qobject_cast<SectionEditor*>(f.sectionEditor(cls));
    QVERIFY(editor);
    auto* table = editor->findChild<QTableWidget*>("ValuesEd");
    const int column1 = table->columnWidth(0);
    int widest = 0;
    for (int r = 0; r < table->rowCount(); ++r) {
      QTableWidgetItem* name = table->item(r, 0);
      QVERIFY(!name->data(Qt::FontRole).isValid());
      const int need = table->fontMetrics().horizontalAdvance(name->text()) + 8;
      widest = std::max(widest, need);
      if (need > column1) QCOMPARE(name->toolTip(), name->text());
    }
    QVERIFY2(widest > column1, "a section with a name longer than its column");
    auto* frame = qobject_cast<QMdiSubWindow*>(editor->parentWidget());
    frame->resize(frame->size() + QSize(2 * (widest - column1) + 20, 0));
    QTRY_COMPARE(table->columnWidth(0), widest);
    for (int r = 0; r < table->rowCount(); ++r) QVERIFY(table->item(r, 0)->toolTip().isEmpty());

    guitest::pickEntry(editor->findChild<QComboBox*>("FilesBox"), 0);
    int buttonRow = -1;
    for (int r = 0; r < static_cast<int>(schema.rows.size()) && buttonRow < 0; ++r)
      if (schema.rows[r].button != RowButton::None) buttonRow = r;
    QVERIFY(buttonRow >= 0);
    table->setCurrentCell(buttonRow, 1);
    auto* button = table->viewport()->findChild<QToolButton*>("ValuesEdEditButton");
    QTRY_VERIFY(button->isVisible());
    QVERIFY(button->geometry().right() < table->viewport()->width());
    const QRect cell = table->visualRect(table->model()->index(buttonRow, 1));
    QCOMPARE(table->property("kessikRowButtonRow").toInt(), buttonRow);
    QCOMPARE(cell.right() - table->property("kessikRowButtonCovers").toInt(), button->geometry().left() - 1);
  }

  // A main window stored on a larger screen comes up on this one.
  void mainWindowStoredOnLargerScreen() {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    Settings& s = settings();
    s.MfLeft = screen.width() + 300;
    s.MfTop = 40;
    s.MfWidth = screen.width() * 2;
    s.MfHeight = screen.height() + 500;
    s.MfWstate = 3;
    TMainForm f;
    f.FormShow();
    QVERIFY(screen.contains(f.frameGeometry()));
    QCOMPARE(fitOnScreen(QRect(10, 20, 300, 200), screen), QRect(10, 20, 300, 200));
    QCOMPARE(fitOnScreen(QRect(-50, -50, 300, 200), QRect(0, 0, 1024, 768)), QRect(0, 0, 300, 200));
  }

  // Long work: the busy cursor, the progress window past the delay, and a
  // status-bar line at the end that says what was done; a step that fails
  // says nothing there.
  void longWorkShowsItWorks() {
    writePrints({"beta", "Alpha", "alpha", "Gamma", "delta"});
    TMainForm f;
    f.show();
    f.EditorItemClick(*findWindow("TSinglPrintsDbR1F"));
    auto* editor = qobject_cast<SectionEditor*>(f.sectionEditor("TSinglPrintsDbR1F"));
    QVERIFY(editor);
    Recorder window;
    BusyWork::setWindow(&window);
    BusyWork::setDelayMs(0);
    QTest::mouseClick(editor->findChild<QPushButton*>("SortBut"), Qt::LeftButton);
    QVERIFY(window.shown);
    QCOMPARE(window.last, std::uint64_t(5));
    QVERIFY(window.busyCursor);
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY2(QRegularExpression(qru("^Prints\\.db : Blood Prints \\(SINGL\\): отсортировано 5 записей, \\d+,\\d с$"))
                 .match(statusLine(f))
                 .hasMatch(),
             qPrintable(statusLine(f)));

    // The sources window: generating the sources says so; a database that
    // cannot be read leaves no line.
    s_sources(f);
  }

  void countsAndTimes() {
    QCOMPARE(toQ(countText(20000)), QString("20 000"));
    QCOMPARE(toQ(countText(999)), QString("999"));
    QCOMPARE(toQ(countText(1234567)), QString("1 234 567"));
    QCOMPARE(toQ(recordsText(1)), qru("1 запись"));
    QCOMPARE(toQ(recordsText(3)), qru("3 записи"));
    QCOMPARE(toQ(recordsText(12)), qru("12 записей"));
    QCOMPARE(toQ(recordsText(22)), qru("22 записи"));
    QCOMPARE(toQ(recordsText(20000)), qru("20 000 записей"));
    QCOMPARE(toQ(secondsText(1.23)), qru("1,2 с"));
    QCOMPARE(toQ(secondsText(0.04)), qru("0,0 с"));
    QCOMPARE(toQ(secondsText(61.96)), qru("62,0 с"));
  }

 private:
  void writeSampleSection(const Schema& schema);
  void s_sources(TMainForm& f);
};

void TstDesktop::writeSampleSection(const Schema& schema) {
  for (int k = 1; k <= 2; ++k)
    writeHost(settings().DatabaseResIsh + schema.folder + recordFileName(k), sampleRecord(schema, k).bytes);
}

void TstDesktop::s_sources(TMainForm& f) {
  Settings& s = settings();
  s.DatabaseResPath = "C:\\game\\database.res";
  s.DatabaseResIsh = "C:\\ish\\";
  s.DatabaselmpResPath = "C:\\game\\databaselmp.res";
  s.DatabaselmpResIsh = "C:\\ishlmp\\";
  const std::string work = "C:\\game\\database_res\\";
  auto fill = [&](bool broken) {
    for (const std::string& name : TIshF::singlCheckList())
      writeHost(work + name, broken && name == "units.udb" ? std::string("broken") : databaseOf({node(1, node(1, "m"))}));
  };
  TIshF ish(&f);
  ish.show();
  fill(false);
  ish.RefreshFbUtClick();
  QTest::mouseClick(ish.KlepIshBut, Qt::LeftButton);
  // Eight databases of one record each.
  QVERIFY2(statusLine(f).startsWith(qru("Сгенерирован исходник: C:\\ish\\, 8 записей, ")), qPrintable(statusLine(f)));
  f.findChild<QLabel*>("StatusLineLab")->clear();
  fill(true);
  (*script)->answers = {Answer::Yes};
  ish.RefreshFbUtClick();
  QTest::mouseClick(ish.KlepIshBut, Qt::LeftButton);
  QVERIFY(!(*script)->messages.empty());
  QCOMPARE(statusLine(f), QString());
}

QTEST_MAIN(TstDesktop)
#include "tst_desktop.moc"
