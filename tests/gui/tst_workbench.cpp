// The workbench in the real main window over a sample workspace: the table
// of a section opened from "Сервис" (cells as the editor shows them, sort,
// filter, typing with the editor's checks, "Сохранить всё", paste, revert,
// undo and redo, the editor and the table following each other's saves),
// and the search across the databases (scopes, masks only, exact, a hit
// opened in its editor, "Где используется", Escape).
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QtTest>

#include "app/main_form.h"
#include "core/database.h"
#include "editors/schemas/registry.h"
#include "editors/schemas/sample.h"
#include "editors/schemas/window_table.h"
#include "editors/section_editor.h"
#include "editortest.h"
#include "guienv.h"
#include "support/record_fixtures.h"
#include "ui/qtext.h"
#include "workbench/find_form.h"
#include "workbench/section_table.h"
#include "workbench/service_menu.h"

using namespace kessik;
using guitest::Drive;

namespace {

const char* const kWeapons = "TSinglItemsIdbR2F";

QString rel(const std::string& windowsPath) {  // "C:\a\b" -> "a/b"
  QString s = toQ(windowsPath.substr(3));
  s.replace('\\', '/');
  return s;
}

// A double click as the window system sends it: press and release, then
// the second press as a double click, and its release.
void doubleClick(QWidget* w, QPoint at) {
  QTest::mouseClick(w, Qt::LeftButton, {}, at);
  QTest::mouseDClick(w, Qt::LeftButton, {}, at);
  QTest::mouseRelease(w, Qt::LeftButton, {}, at);
}

int rowNamed(const Schema& schema, const char* name) {
  for (int r = 0; r < static_cast<int>(schema.rows.size()); ++r)
    if (schema.rows[r].name == name) return r;
  qFatal("no row %s", name);
}

}  // namespace

class TstWorkbench : public QObject {
  Q_OBJECT

  std::unique_ptr<Drive> drive_;
  std::unique_ptr<ScopedScriptedInteraction> script_;
  std::unique_ptr<TMainForm> main_;
  guitest::ScriptedDialogs dialogs_;
  guitest::EditorDriver ed_;
  SectionEditor* editor_ = nullptr;
  TSectionTableF* table_ = nullptr;

  const Schema& weapons() { return *findSchema("items\\2\\"); }
  SectionEditor* openEditor(const char* className = kWeapons) {
    main_->item(toQ(findWindow(className)->menuName))->trigger();
    editor_ = qobject_cast<SectionEditor*>(main_->sectionEditor(className));
    ed_.w = editor_;
    return editor_;
  }
  TSectionTableF* openTable() {
    main_->item("SectionTableMenu")->trigger();
    table_ = main_->serviceMenu()->table(editor_->entry().className);
    return table_;
  }
  QTableView* view() { return guitest::childOf<QTableView>(table_, "SectionTable"); }
  QAbstractItemModel* model() { return view()->model(); }
  QString cell(int line, int column) { return model()->index(line, column).data().toString(); }
  QString count() { return guitest::childOf<QLabel>(table_, "CountLabel")->text(); }
  std::vector<std::string> messages() { return (*script_)->texts(); }
  std::string file(int k) {
    return drive_->read(rel(editor_->IshPath + recordFileName(k))).toStdString();
  }
  // Types a text into a cell as the keyboard does: the cell current, the
  // table focused, the keys to whatever has the focus, then Return.
  void typeInto(int line, int column, const QString& text) {
    view()->setFocus();
    view()->setCurrentIndex(model()->index(line, column));
    for (QChar c : text) QTest::keyClick(QApplication::focusWidget(), c.toLatin1() ? c.toLatin1() : 'x');
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCoreApplication::processEvents();  // the cell takes its text once Return is handled
  }
  void clickButton(const char* name) { QTest::mouseClick(guitest::childOf<QPushButton>(table_, name), Qt::LeftButton); }
  void keyToTable(Qt::Key key, Qt::KeyboardModifiers mods = Qt::ControlModifier) {
    view()->setFocus();
    QTest::keyClick(QApplication::focusWidget(), key, mods);
  }
  TFindF* openFind() {
    main_->item("FindMenu")->trigger();
    return main_->serviceMenu()->findForm();
  }
  // Runs a search in the window and waits for its end; the hits' lines as
  // "Игра|Раздел|Файл|Маска|Поле|Значение".
  QStringList search(TFindF* f, const QString& text, int scope, bool masksOnly, bool exact) {
    guitest::childOf<QLineEdit>(f, "FindEd")->setText(text);
    guitest::childOf<QComboBox>(f, "ScopeBox")->setCurrentIndex(scope);
    guitest::childOf<QCheckBox>(f, "MasksOnlyCB")->setChecked(masksOnly);
    guitest::childOf<QCheckBox>(f, "ExactCB")->setChecked(exact);
    QTest::mouseClick(guitest::childOf<QPushButton>(f, "FindBut"), Qt::LeftButton);
    return results(f);
  }
  QStringList results(TFindF* f) {
    QStringList out;
    QDeadlineTimer deadline(10000);
    while (f->searching() && !deadline.hasExpired()) QTest::qWait(10);
    if (f->searching()) qFatal("the search did not end");
    auto* m = guitest::childOf<QTableView>(f, "ResultsView")->model();
    for (int r = 0; r < m->rowCount(); ++r) {
      QStringList cells;
      for (int c = 0; c < m->columnCount(); ++c) cells << m->index(r, c).data().toString();
      out << cells.join('|');
    }
    return out;
  }

 private slots:
  void init() {
    drive_ = std::make_unique<Drive>();
    script_ = std::make_unique<ScopedScriptedInteraction>();
    Settings& s = settings();
    s.DatabaseResIsh = "C:\\bases\\database\\";
    s.DatabaselmpResIsh = "C:\\bases\\databaselmp\\";
    SampleReport r = writeSampleWorkspace("C:\\");
    QVERIFY(r.problems.empty());
    main_ = std::make_unique<TMainForm>();
    main_->resize(1200, 900);
    main_->show();
    QVERIFY(QTest::qWaitForWindowActive(main_.get()));
    dialogs_.install();
    QApplication::clipboard()->clear();
  }
  void cleanup() {
    main_.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    script_.reset();
    drive_.reset();
  }

  void tableFromTheMenuShowsTheEditorsTexts() {
    QAction* item = main_->item("SectionTableMenu");
    QVERIFY(item);
    QCOMPARE(QString(item->text()).remove('&'), qru("Таблица раздела"));
    QCOMPARE(item->shortcut(), QKeySequence("Ctrl+T"));
    QCOMPARE(QString(main_->findChild<QMenu*>("ServiceMenu")->title()).remove('&'), qru("Сервис"));
    QVERIFY(!item->isEnabled());  // no section editor is active
    QVERIFY(openEditor());
    QVERIFY(item->isEnabled());
    QVERIFY(openTable());
    auto* frame = qobject_cast<QMdiSubWindow*>(table_->parentWidget());
    QVERIFY(frame);
    QCOMPARE(frame->windowTitle(), qru("Таблица: ") + toQ(findWindow(kWeapons)->caption));
    QVERIFY(table_->minimumSize() != table_->maximumSize());  // resizable
    QVERIFY(!item->isEnabled());  // the table, not an editor, is active now

    const Schema& schema = weapons();
    QCOMPARE(model()->columnCount(), static_cast<int>(schema.rows.size()) + 1);
    QCOMPARE(model()->headerData(0, Qt::Horizontal).toString(), qru("Файл"));
    for (int r = 0; r < static_cast<int>(schema.rows.size()); ++r)
      QCOMPARE(model()->headerData(r + 1, Qt::Horizontal).toString(), toQ(schema.rows[r].name));
    QCOMPARE(model()->rowCount(), kSampleRecords);
    for (int k = 0; k < kSampleRecords; ++k) {
      ed_.pick("FilesBox", k);
      QCOMPARE(cell(k, 0), toQ(recordFileName(k + 1)));
      for (int r = 0; r < static_cast<int>(schema.rows.size()); ++r) QCOMPARE(cell(k, r + 1), ed_.cell(r));
    }
    QCOMPARE(count(), qru("Записей: 3, показано: 3, изменено: 0"));

    // From the editor again, by its keys: the same window comes forward.
    TSectionTableF* first = table_;
    first->parentWidget()->showMinimized();
    main_->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(editor_->parentWidget()));
    QVERIFY(item->isEnabled());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_T, Qt::ControlModifier);
    QCOMPARE(main_->mdiArea()->currentSubWindow(), first->parentWidget());
    QVERIFY(!first->parentWidget()->isMinimized());
    QCOMPARE(main_->mdiArea()->findChildren<TSectionTableF*>().size(), qsizetype(1));
    QVERIFY(messages().empty());
  }

  void sortAndFilter() {
    openEditor();
    openTable();
    const int price = rowNamed(weapons(), "General Price") + 1;
    const int name = rowNamed(weapons(), "Name") + 1;
    // Prices as numbers; a click on the header sorts, a second turns it.
    QStringList prices;
    for (int l = 0; l < 3; ++l) prices << cell(l, price);
    QHeaderView* header = view()->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(name) + 5, 5));
    QCOMPARE(QStringList({cell(0, name), cell(1, name), cell(2, name)}),
             QStringList({"BattleAxe", "Dagger", "ShortSword"}));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(name) + 5, 5));
    QCOMPARE(cell(0, name), QString("ShortSword"));

    auto* filter = guitest::childOf<QLineEdit>(table_, "FilterEd");
    filter->setFocus();
    QTest::keyClicks(filter, "dag");
    QCOMPARE(model()->rowCount(), 1);
    QCOMPARE(cell(0, name), QString("Dagger"));
    QCOMPARE(count(), qru("Записей: 3, показано: 1, изменено: 0"));
    filter->clear();
    QTest::keyClicks(filter, "name=*a*e");
    QCOMPARE(model()->rowCount(), 1);
    QCOMPARE(cell(0, name), QString("BattleAxe"));
    filter->clear();
    QTest::keyClicks(filter, "General Price>0");
    QCOMPARE(model()->rowCount(), 3);
    filter->clear();
    QTest::keyClicks(filter, "General Price<0");
    QCOMPARE(model()->rowCount(), 0);
    filter->clear();
    QCOMPARE(model()->rowCount(), 3);
  }

  void typingIsCheckedAndSaveAllWritesWhatTheEditorWould() {
    openEditor();
    const Schema& schema = weapons();
    const int price = rowNamed(schema, "General Price");
    const int name = rowNamed(schema, "Name");
    // What the editor writes for the same edit: the reference.
    const std::string original = file(2);
    ed_.pick("FilesBox", 1);
    ed_.setCell(price, "7,5");
    ed_.click("SaveBut");
    const std::string byEditor = file(2);
    QVERIFY(byEditor != original);
    drive_->write(rel(editor_->IshPath + "0000002.zap"), QByteArray::fromStdString(original));
    ed_.pick("FilesBox", 0);

    openTable();
    (*script_)->messages.clear();
    // Refused at once with the editor's message, naming the row; the cell
    // keeps its text.
    const QString before = cell(1, price + 1);
    typeInto(1, price + 1, "7.5");
    QCOMPARE(messages().size(), size_t(1));
    QVERIFY(messages()[0].rfind("Выделенное поле имеет неправильный формат.", 0) == 0);
    QVERIFY(QString::fromStdString(messages()[0]).contains(toQ(schema.rows[price].name) + ": «7.5»"));
    QVERIFY((*script_)->beeps > 0);
    QCOMPARE(cell(1, price + 1), before);
    // The mask of another record.
    typeInto(1, name + 1, "Dagger");
    QCOMPARE(messages().size(), size_t(2));
    QVERIFY(messages()[1].rfind("Неправильная маска - такая уже есть.", 0) == 0);
    QCOMPARE(count(), qru("Записей: 3, показано: 3, изменено: 0"));

    typeInto(1, price + 1, "7,5");
    QCOMPARE(messages().size(), size_t(2));
    QCOMPARE(cell(1, price + 1), QString("7,5"));
    QVERIFY(model()->index(1, price + 1).data(Qt::BackgroundRole).isValid());  // marked
    QVERIFY(!model()->index(1, name + 1).data(Qt::BackgroundRole).isValid());
    QCOMPARE(count(), qru("Записей: 3, показано: 3, изменено: 1"));
    QCOMPARE(file(2), original);  // nothing written yet

    clickButton("SaveAllBut");
    QVERIFY(messages().size() == 2);
    QCOMPARE(file(2), byEditor);
    QCOMPARE(count(), qru("Записей: 3, показано: 3, изменено: 0"));
    QVERIFY(!model()->index(1, price + 1).data(Qt::BackgroundRole).isValid());
    // A save is not undone.
    keyToTable(Qt::Key_Z);
    QCOMPARE(cell(1, price + 1), QString("7,5"));
    QCOMPARE(file(2), byEditor);
  }

  void saveAllIsAllOrNothing() {
    openEditor();
    // Record 3 carries record 2's mask: neither can be saved with it.
    TZapisBaziZm third;
    third.Parse(file(3));
    setMask(third, "BattleAxe");
    third.Rebuild();
    drive_->write(rel(editor_->IshPath + "0000003.zap"), QByteArray::fromStdString(third.Bytes));
    openTable();
    const int price = rowNamed(weapons(), "General Price") + 1;
    const int name = rowNamed(weapons(), "Name") + 1;
    const std::string first = file(1);
    typeInto(0, price, "1,25");
    typeInto(2, price, "2,25");
    QCOMPARE(count(), qru("Записей: 3, показано: 3, изменено: 2"));
    (*script_)->messages.clear();
    clickButton("SaveAllBut");
    QCOMPARE(messages().size(), size_t(1));
    QVERIFY2(messages()[0].rfind("Ничего не записано", 0) == 0, messages()[0].c_str());
    QVERIFY(QString::fromStdString(messages()[0]).contains(qru("0000003.zap «BattleAxe», Name: Неправильная маска")));
    QCOMPARE(file(1), first);
    QCOMPARE(file(3), third.Bytes);
    // The failing cell is marked and says why; the current cell is on it.
    QVERIFY(!model()->index(2, name).data(Qt::ToolTipRole).toString().isEmpty());
    QCOMPARE(view()->currentIndex(), model()->index(2, name));
    QCOMPARE(count(), qru("Записей: 3, показано: 3, изменено: 2"));
    // Giving it a mask of its own lets everything through.
    typeInto(2, name, "Mace");
    clickButton("SaveAllBut");
    QCOMPARE(messages().size(), size_t(1));
    QVERIFY(file(1) != first);
    TZapisBaziZm saved;
    saved.Parse(file(3));
    QCOMPARE(maskOf(saved), std::string("Mace"));
  }

  void pasteCopyUndoRedoAndRevert() {
    openEditor();
    openTable();
    const int price = rowNamed(weapons(), "General Price") + 1;
    const int weight = price + 1;
    QCOMPARE(rowNamed(weapons(), "General Weight") + 1, weight);
    const QString p0 = cell(0, price), w1 = cell(1, weight);
    QApplication::clipboard()->setText("1,5\t2,5\r\n3,5\tabc\r\n");
    view()->setCurrentIndex(model()->index(0, price));
    (*script_)->messages.clear();
    keyToTable(Qt::Key_V);
    QCOMPARE(cell(0, price), QString("1,5"));
    QCOMPARE(cell(0, weight), QString("2,5"));
    QCOMPARE(cell(1, price), QString("3,5"));
    QCOMPARE(cell(1, weight), w1);  // refused, listed once
    QCOMPARE(messages().size(), size_t(1));
    QVERIFY(QString::fromStdString(messages()[0]).contains("0000002.zap"));
    QVERIFY(QString::fromStdString(messages()[0]).contains("«abc»"));
    QCOMPARE(count(), qru("Записей: 3, показано: 3, изменено: 2"));

    // Copy a block back out.
    view()->selectionModel()->select(QItemSelection(model()->index(0, price), model()->index(1, weight)),
                                     QItemSelectionModel::ClearAndSelect);
    keyToTable(Qt::Key_C);
    QCOMPARE(QApplication::clipboard()->text(), "1,5\t2,5\n3,5\t" + w1 + "\n");

    // The paste is one step.
    keyToTable(Qt::Key_Z);
    QCOMPARE(cell(0, price), p0);
    QCOMPARE(cell(1, price), cell(1, price));
    QCOMPARE(count(), qru("Записей: 3, показано: 3, изменено: 0"));
    keyToTable(Qt::Key_Y);
    QCOMPARE(cell(0, weight), QString("2,5"));
    keyToTable(Qt::Key_Z);
    keyToTable(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(cell(1, price), QString("3,5"));

    // One value into every selected cell.
    QApplication::clipboard()->setText("9");
    view()->selectionModel()->select(QItemSelection(model()->index(0, price), model()->index(2, price)),
                                     QItemSelectionModel::ClearAndSelect);
    keyToTable(Qt::Key_V);
    for (int l = 0; l < 3; ++l) QCOMPARE(cell(l, price), QString("9"));

    // "Отменить правки" drops every edit, and can be undone too.
    const std::string first = file(1);
    clickButton("RevertBut");
    QCOMPARE(cell(0, price), p0);
    QCOMPARE(count(), qru("Записей: 3, показано: 3, изменено: 0"));
    keyToTable(Qt::Key_Z);
    QCOMPARE(cell(0, price), QString("9"));
    QCOMPARE(file(1), first);
  }

  void doubleClickShowsTheRecordInItsEditor() {
    openEditor();
    openTable();
    const int price = rowNamed(weapons(), "General Price");
    ed_.pick("FilesBox", 0);
    ed_.setCell(price, "3,25");  // an edit in the editor: asked about first
    view()->scrollTo(model()->index(2, price + 1));
    const QRect cellRect = view()->visualRect(model()->index(2, price + 1));
    (*script_)->answers = {Answer::Cancel};
    doubleClick(view()->viewport(), cellRect.center());

    QCOMPARE(messages(), std::vector<std::string>{"Сохранить изменения в записи «ShortSword»?"});
    QCOMPARE(editor_->loadedIndex(), 0);
    QCOMPARE(ed_.cell(price), QString("3,25"));
    (*script_)->answers = {Answer::No};
    doubleClick(view()->viewport(), cellRect.center());
    QCOMPARE(editor_->loadedIndex(), 2);
    QCOMPARE(ed_.table()->currentRow(), price);
    QCOMPARE(main_->mdiArea()->currentSubWindow()->widget(), static_cast<QWidget*>(editor_));

    // An editor closed meanwhile is opened again.
    editor_->close();
    QTRY_VERIFY(!main_->sectionEditor(kWeapons));
    view()->scrollTo(model()->index(1, 1));
    doubleClick(view()->viewport(), view()->visualRect(model()->index(1, 1)).center());
    auto* again = qobject_cast<SectionEditor*>(main_->sectionEditor(kWeapons));
    QVERIFY(again);
    QCOMPARE(again->loadedIndex(), 1);
  }

  void editorAndTableFollowEachOthersSaves() {
    openEditor();
    openTable();
    const int price = rowNamed(weapons(), "General Price");
    ed_.pick("FilesBox", 2);
    ed_.setCell(price, "11,5");
    ed_.click("SaveBut");
    QCOMPARE(cell(2, price + 1), QString("11,5"));

    typeInto(2, price + 1, "12,5");
    typeInto(0, 1, "Knife");
    clickButton("SaveAllBut");
    QCOMPARE(ed_.cell(price), QString("12,5"));
    QCOMPARE(ed_.items("MaskiBox")[0], QString("Knife"));

    // A record created in the editor appears in the table; a table edit stays.
    typeInto(1, price + 1, "4,5");
    dialogs_.prompts = {std::string("Sabre")};
    dialogs_.templates = {editor_->ShabPath + "sample.zap"};
    ed_.click("CreateBut");
    QCOMPARE(model()->rowCount(), 4);
    QCOMPARE(cell(3, 1), QString("Sabre"));
    QCOMPARE(cell(1, price + 1), QString("4,5"));
    QCOMPARE(count(), qru("Записей: 4, показано: 4, изменено: 1"));
  }

  void closingWithEditsAsks() {
    openEditor();
    openTable();
    typeInto(0, 1, "Knife");
    QPointer<TSectionTableF> t = table_;
    (*script_)->answers = {Answer::Cancel};
    table_->parentWidget()->close();
    QVERIFY(t);
    QCOMPARE(messages().back(), std::string("Сохранить изменения в таблице раздела (изменено записей: 1)?"));
    (*script_)->answers = {Answer::No};
    table_->parentWidget()->close();
    QTRY_VERIFY(!t);
    QCOMPARE(ed_.items("MaskiBox")[0], QString("ShortSword"));

    // The source trees rebuilt: the tables go with the editors, unasked,
    // and write nothing into the new tree.
    openEditor();
    openTable();
    t = table_;
    typeInto(0, 1, "Knife");
    const std::string before = file(1);
    (*script_)->messages.clear();
    main_->closeAllSectionEditors();
    QTRY_VERIFY(!t);
    QVERIFY(messages().empty());
    QCOMPARE(drive_->read(rel(settings().DatabaseResIsh + "items\\2\\0000001.zap")).toStdString(), before);
  }

  void sizeIsRemembered() {
    openEditor();
    openTable();
    auto* frame = qobject_cast<QMdiSubWindow*>(table_->parentWidget());
    frame->resize(700, 400);
    QTRY_VERIFY(table_->size() != kSectionTableSize);
    const QSize client = table_->size();
    frame->close();
    QTRY_VERIFY(!main_->serviceMenu()->table(kWeapons));
    QVERIFY(drive_->read("Kessik.ini")
                .contains(QString("[WindowSizes]\r\nTSectionTableF=%1,%2\r\n").arg(client.width()).arg(client.height()).toLatin1()));
    main_->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(editor_->parentWidget()));
    openTable();
    QCOMPARE(table_->size(), client);
    QCOMPARE(table_->parentWidget()->size(), QSize(700, 400));
  }

  void searchScopesMasksOnlyExactAndOpeningAHit() {
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : main_.get(), Qt::Key_F,
                    Qt::ControlModifier | Qt::ShiftModifier);
    TFindF* f = main_->serviceMenu()->findForm();
    QVERIFY(f);
    QCOMPARE(QApplication::focusWidget(), guitest::childOf<QLineEdit>(f, "FindEd"));
    QCOMPARE(main_->item("FindMenu")->shortcut(), QKeySequence("Ctrl+Shift+F"));
    auto* scope = guitest::childOf<QComboBox>(f, "ScopeBox");
    QCOMPARE(scope->itemText(0), qru("Все базы"));
    QCOMPARE(scope->itemText(1), qru("Сингл"));
    QCOMPARE(scope->itemText(2), qru("Мульт"));
    QCOMPARE(scope->itemText(3), toQ(windowTable()[0].caption));
    auto* view = guitest::childOf<QTableView>(f, "ResultsView");
    QStringList headers;
    for (int c = 0; c < view->model()->columnCount(); ++c) headers << view->model()->headerData(c, Qt::Horizontal).toString();
    QCOMPARE(headers, QStringList({qru("Игра"), qru("Раздел"), qru("Файл"), qru("Маска"), qru("Поле"), qru("Значение")}));

    QCOMPARE(search(f, "sand", 0, true, false).size(), 6);  // three prints sections, two games
    const QStringList singl = search(f, "sand", 1, true, false);
    QCOMPARE(singl.size(), 3);
    QCOMPARE(singl[0], qru("Сингл|Prints.db : Blood Prints (SINGL)|0000002.zap|Sand|TerrainType|Sand"));
    int footPrints = -1;
    for (std::size_t i = 0; i < windowTable().size(); ++i)
      if (windowTable()[i].className == "TPrintsDbR2F") footPrints = static_cast<int>(i);
    QCOMPARE(search(f, "sand", 3 + footPrints, true, false),
             QStringList({qru("Мульт|Prints.db : Foot Prints (LMP)|0000002.zap|Sand|TerrainType|Sand")}));
    QCOMPARE(search(f, "sand", 0, true, true).size(), 0);  // with letter case
    QCOMPARE(search(f, "Sand", 0, true, true).size(), 6);
    QVERIFY(search(f, "Sand", 0, false, false).size() >= 6);  // every cell, not masks alone

    // A hit opens its record in its editor, the row selected.
    const QStringList hits = search(f, "Dagger", 1, false, true);
    QCOMPARE(hits.size(), 1);
    doubleClick(view->viewport(), view->visualRect(view->model()->index(0, 1)).center());
    auto* editor = qobject_cast<SectionEditor*>(main_->sectionEditor(kWeapons));
    QVERIFY(editor);
    QCOMPARE(editor->loadedIndex(), 2);
    QCOMPARE(editor->findChild<QTableWidget*>("ValuesEd")->currentRow(), rowNamed(weapons(), "Name"));
  }

  void usagesAndEscape() {
    // A briefing that gives the dagger.
    const std::string briefings = settings().DatabaseResIsh + "quests\\2\\";
    auto list = test::itemsOf({{1, test::nameBytes("Torch")}, {1, test::nameBytes("Dagger")}});
    TZapisBaziZm rec;
    rec.Parse(drive_->read(rel(briefings + "0000001.zap")).toStdString());
    rec.SetField(4, list);
    rec.Rebuild();
    drive_->write(rel(briefings + "0000001.zap"), QByteArray::fromStdString(rec.Bytes));

    openEditor();
    QVERIFY(main_->item("UsagesMenu")->isEnabled());
    ed_.pick("FilesBox", 2);
    main_->item("UsagesMenu")->trigger();
    TFindF* f = main_->serviceMenu()->findForm();
    QVERIFY(f);
    QVERIFY(guitest::childOf<QCheckBox>(f, "ExactCB")->isChecked());
    const QStringList hits = results(f);
    QVERIFY2(hits.contains(qru("Сингл|Quests.qdb : Briefings (SINGL)|0000001.zap|") +
                           QString::fromStdString(cp1251ToUtf8(maskOfFile(briefings + "0000001.zap"))) +
                           "|Give Items    (LIST)|Torch,Dagger"),
             qPrintable(hits.join('\n')));
    QVERIFY(hits.contains(qru("Сингл|Items.idb : Weapons (SINGL)|0000003.zap|Dagger|Name|Dagger")));
    QVERIFY(hits.contains(qru("Мульт|Items.idb : Weapons (LMP)|0000003.zap|Dagger|Name|Dagger")));

    // Escape stops a search at once; what was found stays.
    guitest::childOf<QLineEdit>(f, "FindEd")->setText("a");
    guitest::childOf<QCheckBox>(f, "ExactCB")->setChecked(false);
    guitest::childOf<QLineEdit>(f, "FindEd")->setFocus();
    QTest::mouseClick(guitest::childOf<QPushButton>(f, "FindBut"), Qt::LeftButton);
    QVERIFY(f->searching());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(!f->searching());
    QVERIFY(guitest::childOf<QLabel>(f, "FoundLabel")->text().contains(qru("остановлен")));
  }

 private:
  std::string maskOfFile(const std::string& path) {
    TZapisBaziZm z;
    z.Parse(drive_->read(rel(path)).toStdString());
    return maskOf(z);
  }
};

QTEST_MAIN(TstWorkbench)
#include "tst_workbench.moc"
