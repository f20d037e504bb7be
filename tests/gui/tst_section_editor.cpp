// The section editor window on real record files, driven by its widgets'
// objectNames, with scripted messages and dialogs.
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include <sys/stat.h>

#include "config/settings.h"
#include "support/gui/scripted_interaction.h"
#include "core/codecs.h"
#include "core/database.h"
#include "editors/dialog_hooks.h"
#include "editors/schemas/registry.h"
#include "editors/section_editor.h"
#include "platform/host.h"
#include "editortest.h"
#include "util/cp1251.h"

using namespace kessik;
namespace fs = std::filesystem;

namespace {

const std::string kIsh = "C:\\src\\prints\\1\\";
const std::string kShab = "C:\\prog\\shablons\\prints\\1\\";

std::string item(int type, const std::string& payload) {
  std::string out;
  appendItem(out, static_cast<std::uint8_t>(type), payload);
  return out;
}
std::string i32(std::int32_t v) {
  std::string out(4, '\0');
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
  return out;
}
std::string f32(float f) {
  std::uint32_t u;
  std::memcpy(&u, &f, 4);
  return i32(static_cast<std::int32_t>(u));
}
std::string group(float o, int life, int fade) { return item(1, f32(o)) + item(2, i32(life)) + item(3, i32(fade)); }
std::string prints(const std::string& mask, int life = 30) {
  return item(1, item(1, mask + std::string(1, '\0')) + item(2, group(0.5f, life, 45)) + item(3, group(1.0f, 15, 15)));
}

fs::path host(const std::string& win) { return *platform::toHost(win); }
void writeHost(const std::string& win, const std::string& data) {
  fs::create_directories(host(win).parent_path());
  std::ofstream(host(win), std::ios::binary) << data;
}
std::string readHost(const std::string& win) {
  std::ifstream in(host(win), std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

QString q(const char* utf8) { return QString::fromUtf8(utf8); }

// The first line of a message (a refusal adds a line per failing row).
std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

// Types each character as a key press carrying its text (any script).
void typeText(QWidget* w, const QString& text) {
  for (QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(w, &release);
  }
}

}  // namespace

class TstSectionEditor : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  std::unique_ptr<ScopedScriptedInteraction> script_;
  guitest::ScriptedDialogs dialogs_;
  std::deque<std::optional<std::string>>& prompts_ = dialogs_.prompts;
  std::deque<std::optional<std::string>>& templates_ = dialogs_.templates;
  std::deque<std::optional<std::string>>& templateSaves_ = dialogs_.templateSaves;
  std::deque<std::optional<std::string>>& raws_ = dialogs_.raws;
  std::deque<std::string>& choices_ = dialogs_.choices;
  std::vector<std::string>& asked_ = dialogs_.asked;
  QPointer<SectionEditor> w_;

  SectionEditor* open(const std::string& className = "TSinglPrintsDbR1F") {
    QWidget* w = createSectionEditor(*findWindow(className), nullptr);
    w_ = qobject_cast<SectionEditor*>(w);
    return w_;
  }
  template <class T>
  T* child(const char* name) {
    return guitest::childOf<T>(w_, name);
  }
  // The line editor of the value cell being edited, nullptr when none is.
  QLineEdit* openEditor() {
    for (auto* e : table()->viewport()->findChildren<QLineEdit*>("ValuesEdEditor"))
      if (e->isVisible()) return e;
    return nullptr;
  }
  QTableWidget* table() { return child<QTableWidget>("ValuesEd"); }
  void pickFile(int index) { guitest::pickEntry(child<QComboBox>("FilesBox"), index); }
  void click(const char* name) { QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton); }
  void setCell(int row, const char* utf8) { table()->item(row, 1)->setText(q(utf8)); }
  QString cell(int row) { return table()->item(row, 1)->text(); }
  QStringList items(const char* box) {
    QStringList out;
    auto* b = child<QComboBox>(box);
    for (int i = 0; i < b->count(); ++i) out << b->itemText(i);
    return out;
  }
  void writeRecords(const std::vector<std::string>& masks) {
    for (std::size_t i = 0; i < masks.size(); ++i) writeHost(kIsh + recordFileName(i + 1), prints(masks[i]));
  }

  // A create, delete or sort that fails leaves the window as it was: the
  // loaded record with its edit, the lists, CurFile and CurMask; the next
  // "Сохранить" writes into the record's own file. (Create and sort ask about
  // the edit first; the cases answer Да.)
  struct Failing {
    const char* name;
    std::function<void()> prepare;  // before the window opens
    std::function<void()> act;      // with record 1 loaded and edited
    std::size_t messages;           // how many the failure shows
  };
  void expectUnchangedAfter(const Failing& c) {
    if (w_) w_->close();
    QCoreApplication::processEvents();
    fs::remove_all(dir_.path().toStdString());
    fs::create_directories(dir_.path().toStdString());
    writeRecords({"Swamp", "Sand"});
    c.prepare();
    QVERIFY2(open(), c.name);
    pickFile(0);
    setCell(2, "3");
    c.act();
    QCOMPARE((*script_)->messages.size(), c.messages);
    QCOMPARE(w_->CurFile, std::string("0000001.zap"));
    QCOMPARE(w_->CurMask, std::string("Swamp"));
    QCOMPARE(items("MaskiBox"), QStringList({"Swamp", "Sand"}));
    QCOMPARE(items("FilesBox"), QStringList({"0000001.zap", "0000002.zap"}));
    QCOMPARE(child<QComboBox>("FilesBox")->currentIndex(), 0);
    QCOMPARE(cell(0), q("Swamp"));
    QCOMPARE(cell(2), q("3"));
    (*script_)->clear();
    click("SaveBut");
    QVERIFY2((*script_)->messages.empty(), c.name);
    QCOMPARE(readHost(kIsh + "0000001.zap"), item(1, item(1, std::string("Swamp") + '\0') +
                                                        item(2, group(0.5f, 45, 45)) + item(3, group(1.0f, 15, 15))));
    QCOMPARE(readHost(kIsh + "0000002.zap"), prints("Sand"));
    QVERIFY2(!fs::is_regular_file(host(kIsh + "0000003.zap")), c.name);
  }

 private slots:
  void init() {
    QVERIFY(dir_.isValid());
    fs::remove_all(dir_.path().toStdString());
    fs::create_directories(dir_.path().toStdString());
    ::setenv("KESSIK_DRIVES", ("C=" + dir_.path().toStdString()).c_str(), 1);
    platform::reloadDriveMap();
    settings().DatabaseResIsh = "C:\\src\\";
    settings().DatabaselmpResIsh = "C:\\lmp\\";
    settings().ProgramDir = "C:\\prog\\";
    script_ = std::make_unique<ScopedScriptedInteraction>();
    dialogs_.install();
  }
  void cleanup() {
    if (w_) w_->close();
    QCoreApplication::processEvents();
    script_.reset();
  }

  void layoutAndListing() {
    writeRecords({"Swamp", "Sand"});
    writeHost(kIsh + "0000004.zap", prints("after a gap"));
    QVERIFY(open());
    QCOMPARE(w_->objectName(), q("TSinglPrintsDbR1F"));
    QCOMPARE(w_->windowTitle(), q("Prints.db : Blood Prints (SINGL)"));
    QCOMPARE(w_->size(), QSize(597, 246));
    QCOMPARE(table()->width(), 561);
    QCOMPARE(table()->columnWidth(0), 180);
    QCOMPARE(table()->columnWidth(1), 375);
    QCOMPARE(table()->horizontalHeaderItem(0)->text(), q("Имя поля"));
    QCOMPARE(table()->horizontalHeaderItem(1)->text(), q("Значение"));
    QCOMPARE(table()->item(5, 0)->text(), q("Weather Precipitation Lifetime"));
    QVERIFY(!(table()->item(0, 0)->flags() & Qt::ItemIsEditable));
    QCOMPARE(child<QLabel>("Label1")->text(), q("Маска:"));
    QCOMPARE(child<QLabel>("Label2")->text(), q("Файл записи:"));
    // The buttons stand left to right in their order, under the table.
    const char* order[] = {"SortBut", "ZashablonitBut", "SaveBut", "CloseBut", "CreateBut", "DeleteBut"};
    const char* texts[] = {"Отсортировать", "Зашаблонить", "Сохранить", "Закрыть", "Создать", "Удалить"};
    int x = -1;
    for (int i = 0; i < 6; ++i) {
      auto* b = child<QPushButton>(order[i]);
      QCOMPARE(b->text(), q(texts[i]));
      QVERIFY(b->x() > x);
      QVERIFY(b->geometry().bottom() < 246);
      QVERIFY(b->y() > table()->geometry().bottom());
      x = b->x();
    }
    QCOMPARE(items("MaskiBox"), QStringList({"Swamp", "Sand"}));
    QCOMPARE(items("FilesBox"), QStringList({"0000001.zap", "0000002.zap"}));
    QCOMPARE(child<QComboBox>("MaskiBox")->currentIndex(), -1);
    QVERIFY(!child<QPushButton>("SaveBut")->isEnabled());
    QVERIFY(!child<QPushButton>("DeleteBut")->isEnabled());
    QVERIFY(!child<QPushButton>("ZashablonitBut")->isEnabled());
    QVERIFY(child<QPushButton>("CreateBut")->isEnabled());
    QCOMPARE(settings().SourcesRoot, std::string("C:\\src\\"));
    QCOMPARE(w_->IshPath, kIsh);
    QCOMPARE(w_->ShabPath, kShab);
    QVERIFY(isSectionEditorOpen("TSinglPrintsDbR1F"));
    QVERIFY(!isSectionEditorOpen("TPrintsDbR1F"));

    QSignalSpy closed(w_.data(), &SectionEditor::closed);
    click("CloseBut");
    QCOMPARE(closed.count(), 1);
    QVERIFY(!isSectionEditorOpen("TSinglPrintsDbR1F"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!w_);
  }

  void missingSourceFolder() {
    QVERIFY(!createSectionEditor(*findWindow("TPrintsDbR1F"), nullptr));
    QCOMPARE((*script_)->texts(),
             std::vector<std::string>{"Проверьте наличие исходника! Отсутствует папка с исходником данного раздела!\n"
                                      "C:\\lmp\\prints\\1\\"});
    QCOMPARE((*script_)->messages[0].icon, Icon::Error);
    QVERIFY(!isSectionEditorOpen("TPrintsDbR1F"));
  }

  void pickingLoadsAndSaving() {
    writeRecords({"Swamp", "Sand", "Snow"});
    QVERIFY(open());
    pickFile(1);
    QCOMPARE(child<QComboBox>("MaskiBox")->currentIndex(), 1);
    QCOMPARE(cell(0), q("Sand"));
    QCOMPARE(cell(1), q("0,5"));
    QCOMPARE(cell(2), q("2"));
    QCOMPARE(w_->CurFile, std::string("0000002.zap"));
    QVERIFY(child<QPushButton>("SaveBut")->isEnabled());

    // Another record's mask is refused; nothing is written.
    const std::string before = readHost(kIsh + "0000002.zap");
    setCell(0, "Snow");
    click("SaveBut");
    QCOMPARE((*script_)->messages.size(), std::size_t(1));
    QCOMPARE(firstLine((*script_)->texts()[0]), "Неправильная маска - такая уже есть. Маска берется из выделенного поля.");
    QCOMPARE((*script_)->beeps, 1);
    QCOMPARE(table()->currentRow(), 0);
    QCOMPARE(readHost(kIsh + "0000002.zap"), before);

    // The own mask, or a new one, is accepted; the mask list follows.
    (*script_)->clear();
    setCell(0, "Dune");
    setCell(2, "3");
    click("SaveBut");
    QVERIFY((*script_)->messages.empty());
    QCOMPARE(readHost(kIsh + "0000002.zap"),
             item(1, item(1, std::string("Dune") + '\0') + item(2, group(0.5f, 45, 45)) + item(3, group(1.0f, 15, 15))));
    QCOMPARE(items("MaskiBox"), QStringList({"Swamp", "Dune", "Snow"}));
    QCOMPARE(child<QComboBox>("MaskiBox")->currentIndex(), 1);
    click("SaveBut");
    QVERIFY((*script_)->messages.empty());
  }

  void repeatedMasks() {
    writeRecords({"x", "y", "x"});
    QVERIFY(open());
    QCOMPARE((*script_)->texts(),
             std::vector<std::string>{"ВНИМАНИЕ!!, встречается повтор маски!\n«x»: 0000001.zap, 0000003.zap"});
    // Picking a repeated mask shows the last record that has it.
    auto* masks = child<QComboBox>("MaskiBox");
    masks->setCurrentIndex(0);
    emit masks->activated(0);
    QCOMPARE(child<QComboBox>("FilesBox")->currentIndex(), 2);
    QCOMPARE(w_->CurFile, std::string("0000003.zap"));
    pickFile(0);
    QCOMPARE(masks->currentIndex(), 2);
    QCOMPARE(w_->CurFile, std::string("0000001.zap"));
    // Neither record can be saved with the shared mask.
    (*script_)->clear();
    click("SaveBut");
    QCOMPARE((*script_)->messages.size(), std::size_t(1));
    QCOMPARE(firstLine((*script_)->texts()[0]), "Неправильная маска - такая уже есть. Маска берется из выделенного поля.");
    w_->close();

    // Repeatable masks: no warning, the lists move in step by position.
    static Schema repeatable = [] {
      Schema t = *findSchema("prints\\1\\");
      t.masks = MaskRule::Repeatable;
      return t;
    }();
    (*script_)->clear();
    w_ = new SectionEditor(*findWindow("TSinglPrintsDbR1F"), repeatable, nullptr);
    QVERIFY(w_->FormShow());
    QVERIFY((*script_)->messages.empty());
    masks = child<QComboBox>("MaskiBox");
    masks->setCurrentIndex(0);
    emit masks->activated(0);
    QCOMPARE(w_->CurFile, std::string("0000001.zap"));
    click("SaveBut");
    QVERIFY((*script_)->messages.empty());
  }

  // A refusal keeps its first line and names each failing row with what was
  // typed and what the row expects; every failing cell is marked and the
  // first one is selected.
  // 400 records of one mask: one warning, and the window opens with them all.
  void manyRecordsOfOneMaskWarnOnce() {
    writeRecords(std::vector<std::string>(400, "same"));
    QVERIFY(open());
    QCOMPARE((*script_)->messages.size(), std::size_t(1));
    QCOMPARE(firstLine((*script_)->texts()[0]), "ВНИМАНИЕ!!, встречается повтор маски!");
    QCOMPARE(items("FilesBox").size(), 400);
  }

  void invalidRowsBeepOnceEachAndOneBox() {
    writeRecords({"Swamp"});
    QVERIFY(open());
    pickFile(0);
    const std::string before = readHost(kIsh + "0000001.zap");
    setCell(2, "x");    // row 3
    setCell(4, "1.5");  // row 5
    click("SaveBut");
    QCOMPARE((*script_)->beeps, 2);
    QCOMPARE((*script_)->texts(),
             std::vector<std::string>{"Выделенное поле имеет неправильный формат.\n"
                                      "Clear Weather Lifetime: «x» — ожидается целое число, например «30»\n"
                                      "Weather Precipitation Opacity: «1.5» — ожидается число с запятой, например «7,5»"});
    QCOMPARE(table()->currentRow(), 2);
    auto refused = [this](int row) { return table()->item(row, 1)->background().color() == QColor(255, 200, 200); };
    QVERIFY(refused(2) && refused(4) && !refused(3));
    QCOMPARE(readHost(kIsh + "0000001.zap"), before);
    // Retyping a refused value takes its mark away.
    setCell(2, "3");
    QVERIFY(!refused(2) && refused(4));
  }

  // Edits are never dropped unasked: picking another record, "Закрыть" and
  // the window's close ask "Сохранить изменения в записи «MASK»?"; Да saves
  // and goes on, Нет drops the edits and goes on, Отмена stays with them.
  void editsAreAskedAboutBeforeTheyGo() {
    enum class Goes { Switch, CloseBut, Close };
    struct Case {
      const char* name;
      Goes how;
      Answer answer;
    };
    const Case cases[] = {
        {"other record, Да", Goes::Switch, Answer::Yes},    {"other record, Нет", Goes::Switch, Answer::No},
        {"other record, Отмена", Goes::Switch, Answer::Cancel}, {"Закрыть, Да", Goes::CloseBut, Answer::Yes},
        {"Закрыть, Нет", Goes::CloseBut, Answer::No},       {"Закрыть, Отмена", Goes::CloseBut, Answer::Cancel},
        {"close box, Да", Goes::Close, Answer::Yes},        {"close box, Отмена", Goes::Close, Answer::Cancel},
    };
    const std::string edited =
        item(1, item(1, std::string("Swamp") + '\0') + item(2, group(0.5f, 45, 45)) + item(3, group(1.0f, 15, 15)));
    for (const Case& c : cases) {
      cleanup();
      init();
      writeRecords({"Swamp", "Sand"});
      QVERIFY2(open(), c.name);
      pickFile(0);
      setCell(2, "3");
      (*script_)->answers = {c.answer};
      switch (c.how) {
        case Goes::Switch: pickFile(1); break;
        case Goes::CloseBut: click("CloseBut"); break;
        case Goes::Close: w_->close(); break;
      }
      QCOMPARE((*script_)->texts(), std::vector<std::string>{"Сохранить изменения в записи «Swamp»?"});
      QCOMPARE((*script_)->messages[0].buttons, unsigned(ButtonYes | ButtonNo | ButtonCancel));
      QCOMPARE((*script_)->messages[0].icon, Icon::Question);
      QVERIFY2(readHost(kIsh + "0000001.zap") == (c.answer == Answer::Yes ? edited : prints("Swamp")), c.name);
      const bool stays = c.answer == Answer::Cancel;
      if (c.how == Goes::Switch) {
        QCOMPARE(w_->CurFile, std::string(stays ? "0000001.zap" : "0000002.zap"));
        QCOMPARE(child<QComboBox>("FilesBox")->currentIndex(), stays ? 0 : 1);
        QCOMPARE(child<QComboBox>("MaskiBox")->currentIndex(), stays ? 0 : 1);
      } else {
        QVERIFY2(isSectionEditorOpen("TSinglPrintsDbR1F") == stays, c.name);
      }
      if (stays) {
        QCOMPARE(cell(2), q("3"));
        QVERIFY(w_->windowTitle().endsWith('*'));
      }
    }
  }

  // No question without edits (also after typing a value back as it was);
  // Да with a value the checks refuse keeps the window and the edits.
  void noQuestionWithoutEditsAndARefusedSaveStays() {
    writeRecords({"Swamp", "Sand"});
    QVERIFY(open());
    pickFile(0);
    setCell(2, "3");
    setCell(2, "2");
    QVERIFY(!w_->windowTitle().endsWith('*'));
    QCOMPARE(w_->windowTitle(), q("Prints.db : Blood Prints (SINGL)"));
    pickFile(1);
    QVERIFY((*script_)->messages.empty());
    QCOMPARE(w_->CurFile, std::string("0000002.zap"));

    setCell(2, "x");
    (*script_)->answers = {Answer::Yes};
    click("CloseBut");
    QCOMPARE((*script_)->messages.size(), std::size_t(2));  // the question, the refusal
    QCOMPARE(firstLine((*script_)->texts()[1]), "Выделенное поле имеет неправильный формат.");
    QVERIFY(isSectionEditorOpen("TSinglPrintsDbR1F"));
    QCOMPARE(cell(2), q("x"));
    QCOMPARE(readHost(kIsh + "0000002.zap"), prints("Sand"));
  }

  // An edited value is marked in its cell and the caption ends with "*";
  // Ctrl+S, sent to the focused widget, saves and takes the marks away.
  void editsAreMarkedAndCtrlSSaves() {
    writeRecords({"Swamp"});
    QVERIFY(open());
    w_->show();
    w_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w_));
    pickFile(0);
    auto marked = [this](int row) { return table()->item(row, 1)->font().bold(); };
    QVERIFY(!marked(2));
    setCell(2, "3");
    QVERIFY(marked(2) && !marked(3));
    QCOMPARE(w_->windowTitle(), q("Prints.db : Blood Prints (SINGL)*"));
    table()->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier);
    QVERIFY((*script_)->messages.empty());
    QCOMPARE(readHost(kIsh + "0000001.zap"),
             item(1, item(1, std::string("Swamp") + '\0') + item(2, group(0.5f, 45, 45)) + item(3, group(1.0f, 15, 15))));
    QVERIFY(!marked(2));
    QCOMPARE(w_->windowTitle(), q("Prints.db : Blood Prints (SINGL)"));
    // A value typed into a cell still being edited is saved as well.
    table()->setCurrentCell(3, 1);
    QTest::keyClick(table(), Qt::Key_4);
    QVERIFY(openEditor());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(readHost(kIsh + "0000001.zap"),
             item(1, item(1, std::string("Swamp") + '\0') + item(2, group(0.5f, 45, 60)) + item(3, group(1.0f, 15, 15))));
  }

  // Ctrl+Z undoes the cell edits one by one since the record was loaded,
  // Ctrl+Y and Ctrl+Shift+Z redo them; a save is not undone.
  void undoAndRedoCellEdits() {
    writeRecords({"Swamp", "Sand"});
    QVERIFY(open());
    w_->show();
    w_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w_));
    pickFile(0);
    setCell(2, "3");
    setCell(5, "7");
    table()->setFocus();
    auto key = [](Qt::Key k, Qt::KeyboardModifiers m) { QTest::keyClick(QApplication::focusWidget(), k, m); };
    key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(cell(5), q("1"));
    QCOMPARE(cell(2), q("3"));
    key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(cell(2), q("2"));
    QVERIFY(!w_->windowTitle().endsWith('*'));
    key(Qt::Key_Z, Qt::ControlModifier);  // nothing left to undo
    QCOMPARE(cell(2), q("2"));
    key(Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(cell(2), q("3"));
    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(cell(5), q("7"));
    key(Qt::Key_Y, Qt::ControlModifier);  // nothing left to redo
    QCOMPARE(cell(5), q("7"));

    key(Qt::Key_S, Qt::ControlModifier);
    const std::string saved = readHost(kIsh + "0000001.zap");
    QVERIFY(saved != prints("Swamp"));
    key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(cell(5), q("1"));
    QCOMPARE(readHost(kIsh + "0000001.zap"), saved);
    QVERIFY(w_->windowTitle().endsWith('*'));
    // A new record starts afresh: nothing of the last one is undone there.
    (*script_)->answers = {Answer::No};
    pickFile(1);
    key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(cell(0), q("Sand"));
    QCOMPARE(cell(5), q("1"));
    QVERIFY(!w_->windowTitle().endsWith('*'));
  }

  // What other windows use: showRecord asks first and selects the row;
  // a save is signalled; a record written elsewhere is read again, with the
  // edits typed here kept on top.
  void otherWindowsShowAndReloadRecords() {
    writeRecords({"Swamp", "Sand"});
    QVERIFY(open());
    QSignalSpy saved(w_.data(), &SectionEditor::recordFileSaved);
    QVERIFY(w_->showRecord(1, 4));
    QCOMPARE(w_->CurFile, std::string("0000002.zap"));
    QCOMPARE(table()->currentRow(), 4);
    QCOMPARE(child<QComboBox>("MaskiBox")->currentIndex(), 1);
    setCell(2, "3");
    (*script_)->answers = {Answer::Cancel};
    QVERIFY(!w_->showRecord(0));
    QCOMPARE(w_->CurFile, std::string("0000002.zap"));
    QVERIFY(!w_->showRecord(7));

    // Record 2 rewritten elsewhere: its new mask and values show, the edit stays.
    writeHost(kIsh + "0000002.zap", prints("Dune", 60));
    w_->recordFileChanged(1);
    QCOMPARE(items("MaskiBox"), QStringList({"Swamp", "Dune"}));
    QCOMPARE(cell(0), q("Dune"));
    QCOMPARE(cell(2), q("3"));
    QVERIFY(w_->windowTitle().endsWith('*'));
    click("SaveBut");
    QCOMPARE(saved.count(), 1);
    QCOMPARE(saved.at(0).at(0).toInt(), 1);
    QCOMPARE(readHost(kIsh + "0000002.zap"),
             item(1, item(1, std::string("Dune") + '\0') + item(2, group(0.5f, 45, 45)) + item(3, group(1.0f, 15, 15))));
    // Another record rewritten: only its mask item changes.
    writeHost(kIsh + "0000001.zap", prints("Marsh"));
    w_->recordFileChanged(0);
    QCOMPARE(items("MaskiBox"), QStringList({"Marsh", "Dune"}));
    QCOMPARE(cell(0), q("Dune"));
  }

  // Raw and sound-list cells show a description of their bytes: typing there
  // opens no editor and changes nothing; the row button is the way in.
  void rawAndSoundCellsTakeNoTypedText() {
    static Schema s = [] {
      Schema t = *findSchema("prints\\1\\");
      t.rows.resize(1);
      Row raw = makeRow("Raw", fieldAt(2), Codec::Raw, CheckKind::None);
      raw.button = RowButton::Raw;
      raw.slot = true;
      Row sounds = makeRow("Sounds", fieldAt(3), Codec::SoundList, CheckKind::None);
      sounds.button = RowButton::SoundList;
      sounds.slot = true;
      t.rows.push_back(raw);
      t.rows.push_back(sounds);
      return t;
    }();
    const std::string record =
        item(1, item(1, std::string("R") + '\0') + item(2, std::string("\x01\x02", 2)) + item(3, std::string()));
    writeHost(kIsh + "0000001.zap", record);
    w_ = new SectionEditor(*findWindow("TSinglPrintsDbR1F"), s, nullptr);
    QVERIFY(w_->FormShow());
    w_->show();
    w_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w_));
    pickFile(0);
    for (int row : {1, 2}) {
      const QString before = cell(row);
      QVERIFY(!(table()->item(row, 1)->flags() & Qt::ItemIsEditable));
      table()->setFocus();
      table()->setCurrentCell(row, 1);
      QTest::keyClicks(table(), "123");
      QTest::keyClick(table(), Qt::Key_F2);
      QVERIFY(!openEditor());
      QCOMPARE(cell(row), before);
    }
    QVERIFY(!w_->windowTitle().endsWith('*'));
    click("SaveBut");
    QVERIFY((*script_)->messages.empty());
    QCOMPARE(readHost(kIsh + "0000001.zap"), record);
  }

  void createAsksAgainForAnExistingMask() {
    writeRecords({"Swamp", "Sand"});
    writeHost(kShab + "base.zap", prints("base", 150));
    QVERIFY(open());
    // Cancelling the prompt, or the chooser, changes nothing.
    click("CreateBut");
    prompts_ = {std::string("New")};
    click("CreateBut");
    QVERIFY(!fs::exists(host(kIsh + "0000003.zap")));
    QCOMPARE(items("FilesBox").size(), 2);

    (*script_)->clear();
    asked_.clear();
    prompts_ = {std::string("Sand"), std::string("Marsh")};
    templates_ = {kShab + "base.zap"};
    click("CreateBut");
    const std::string prompt = ru("Введите значение поля Name для новой записи (маску):");
    QCOMPARE(asked_, (std::vector<std::string>{prompt, prompt, kShab}));
    QCOMPARE((*script_)->texts(),
             std::vector<std::string>{"ОШИБКА! Такая запись уже есть в базе! Введите уникальную маску!"});
    QCOMPARE(readHost(kIsh + "0000003.zap"), prints("Marsh", 150));
    QCOMPARE(items("MaskiBox"), QStringList({"Swamp", "Sand", "Marsh"}));
    QCOMPARE(child<QComboBox>("FilesBox")->currentIndex(), 2);
    QCOMPARE(cell(0), q("Marsh"));
    QCOMPARE(cell(2), q("10"));
  }

  void createWithABadTemplate() {
    auto create = [this](const std::string& templ) {
      return [this, templ] {
        (*script_)->answers = {Answer::Yes};  // save the edit first
        prompts_ = {std::string("New")};
        templates_ = {kShab + templ};
        click("CreateBut");
      };
    };
    const Failing cases[] = {
        {"missing template", [] {}, create("gone.zap"), 2},
        {"template without fields", [] { writeHost(kShab + "empty.zap", std::string("\x01\x00", 2)); },
         create("empty.zap"), 2},
        {"template that is a folder", [] { fs::create_directories(host(kShab + "dir.zap")); }, create("dir.zap"), 2},
        // Found but not readable: its read error, not "no fields" after it.
        {"template that cannot be read",
         [] {
           fs::create_directories(host(kShab));
           QCOMPARE(::mkfifo(host(kShab + "pipe.zap").c_str(), 0644), 0);
         },
         create("pipe.zap"), 2},
        {"new record file cannot be written",
         [] {
           writeHost(kShab + "base.zap", prints("base"));
           fs::create_directories(host(kIsh + "0000003.zap"));
         },
         create("base.zap"), 2},
    };
    for (const auto& c : cases) {
      expectUnchangedAfter(c);
      if (QTest::currentTestFailed()) return;
    }
  }

  void refusedDeleteOrSort() {
    const Failing cases[] = {
        {"record file gone before the delete", [] {},
         [this] {
           fs::remove(host(kIsh + "0000001.zap"));
           (*script_)->answers = {Answer::Yes};
           click("DeleteBut");
         },
         2},
        {"sort refused by a backup that holds records",
         [] { writeHost("C:\\src\\prints\\1_old\\0000001.zap", prints("lost")); },
         [this] {
           (*script_)->answers = {Answer::Yes};  // save the edit first
           click("SortBut");
         },
         2},
    };
    for (const auto& c : cases) {
      expectUnchangedAfter(c);
      if (QTest::currentTestFailed()) return;
    }
  }

  void createInAnEmptyFolder() {
    fs::create_directories(host(kIsh));
    writeHost(kShab + "base.zap", prints("base"));
    QVERIFY(open());
    QCOMPARE(items("FilesBox").size(), 0);
    QVERIFY(!child<QPushButton>("SaveBut")->isEnabled());
    prompts_ = {std::string("First")};
    templates_ = {kShab + "base.zap"};
    click("CreateBut");
    QCOMPARE(readHost(kIsh + "0000001.zap"), prints("First"));
    QCOMPARE(cell(0), q("First"));
    QVERIFY(child<QPushButton>("SaveBut")->isEnabled());
  }

  void deleteLoadsTheFollowingRecord() {
    writeRecords({"m1", "m2", "m3", "m4"});
    QVERIFY(open());
    pickFile(1);
    click("DeleteBut");  // answered No
    QCOMPARE(items("FilesBox").size(), 4);
    QCOMPARE((*script_)->messages.back().text, ru("Действительно хотите удалить эту запись?"));

    (*script_)->answers = {Answer::Yes};
    click("DeleteBut");
    QCOMPARE(items("MaskiBox"), QStringList({"m1", "m3", "m4"}));
    QCOMPARE(child<QComboBox>("FilesBox")->currentIndex(), 1);
    QCOMPARE(cell(0), q("m3"));
    QVERIFY(!fs::exists(host(kIsh + "0000004.zap")));

    pickFile(2);
    (*script_)->answers = {Answer::Yes};
    click("DeleteBut");
    QCOMPARE(items("MaskiBox"), QStringList({"m1", "m3"}));
    QCOMPARE(cell(0), q("m3"));
  }

  void deleteTheOnlyRecord() {
    writeRecords({"only"});
    QVERIFY(open());
    pickFile(0);
    (*script_)->answers = {Answer::Yes};
    click("DeleteBut");
    QCOMPARE(items("FilesBox").size(), 0);
    QCOMPARE(cell(0), QString());
    QVERIFY(!child<QPushButton>("SaveBut")->isEnabled());
  }

  // With nothing loaded the value column is empty and cannot be edited.
  void valuesReadOnlyWhileNothingIsLoaded() {
    writeRecords({"only"});
    QVERIFY(open());
    auto nothingEditable = [this] {
      for (int r = 0; r < table()->rowCount(); ++r)
        if (!cell(r).isEmpty() || (table()->item(r, 1)->flags() & Qt::ItemIsEditable)) return false;
      return true;
    };
    QVERIFY(nothingEditable());
    table()->editItem(table()->item(2, 1));
    QVERIFY(!openEditor());
    pickFile(0);
    QVERIFY(table()->item(2, 1)->flags() & Qt::ItemIsEditable);
    (*script_)->answers = {Answer::Yes};
    click("DeleteBut");
    QVERIFY(nothingEditable());
  }

  // Tab and Shift+Tab move between the value cells only, also out of a cell
  // being edited, and leave the table after the last (before the first) one.
  void tabMovesBetweenValueCells() {
    writeRecords({"Swamp"});
    QVERIFY(open());
    w_->show();
    QVERIFY(QTest::qWaitForWindowActive(w_));
    pickFile(0);
    QTableWidget* t = table();
    const int last = t->rowCount() - 1;
    auto inTable = [t] {
      QWidget* f = QApplication::focusWidget();
      return f == t || t->isAncestorOf(f);
    };
    t->setFocus();
    t->setCurrentCell(0, 1);
    for (int r = 1; r <= last; ++r) {
      QTest::keyClick(t, Qt::Key_Tab);
      QCOMPARE(QPoint(t->currentColumn(), t->currentRow()), QPoint(1, r));
    }
    QTest::keyClick(t, Qt::Key_Tab);
    QVERIFY(!inTable());
    t->setFocus();
    for (int r = last - 1; r >= 0; --r) {
      QTest::keyClick(t, Qt::Key_Backtab, Qt::ShiftModifier);
      QCOMPARE(QPoint(t->currentColumn(), t->currentRow()), QPoint(1, r));
    }
    QTest::keyClick(t, Qt::Key_Backtab, Qt::ShiftModifier);
    QVERIFY(!inTable());

    // Out of a cell being edited: the next value cell is edited; after the
    // last one the typed value stays and the focus leaves the table.
    t->setFocus();
    t->setCurrentCell(last - 1, 1);
    t->editItem(t->item(last - 1, 1));
    QVERIFY(openEditor());
    QTest::keyClick(openEditor(), Qt::Key_Tab);
    QCOMPARE(QPoint(t->currentColumn(), t->currentRow()), QPoint(1, last));
    QLineEdit* editor = openEditor();
    QVERIFY(editor);
    editor->setText("2");
    QTest::keyClick(editor, Qt::Key_Tab);
    QVERIFY(!openEditor());
    QCOMPARE(cell(last), q("2"));
    QVERIFY(!inTable());
  }

  void sortRenumbersAndLeavesNothingSelected() {
    writeRecords({"beta", "Alpha", "alpha", "Gamma"});
    QVERIFY(open());
    pickFile(0);
    click("SortBut");
    QCOMPARE(items("MaskiBox"), QStringList({"Alpha", "alpha", "beta", "Gamma"}));
    QCOMPARE(child<QComboBox>("MaskiBox")->currentIndex(), -1);
    QVERIFY(!child<QPushButton>("SaveBut")->isEnabled());
    QVERIFY(!fs::exists(host("C:\\src\\prints\\1_old")));
    QCOMPARE(readHost(kIsh + "0000003.zap"), prints("beta"));
  }

  void saveAsTemplateKeepsTheRecord() {
    writeRecords({"Swamp"});
    QVERIFY(open());
    pickFile(0);
    const std::string before = readHost(kIsh + "0000001.zap");
    templateSaves_ = {kShab + "swamp2.zap"};
    click("ZashablonitBut");
    QCOMPARE(readHost(kShab + "swamp2.zap"), prints("swamp2", 30));
    QCOMPARE(readHost(kIsh + "0000001.zap"), before);
    QCOMPARE(cell(0), q("Swamp"));
  }

  void typedCharacterOutsideCp1251IsRefused() {
    writeRecords({"Swamp"});
    QVERIFY(open());
    w_->show();
    pickFile(0);
    table()->setCurrentCell(0, 1);
    table()->editItem(table()->item(0, 1));
    auto* editor = table()->viewport()->findChild<QLineEdit*>("ValuesEdEditor");
    QVERIFY(editor);
    editor->selectAll();
    typeText(editor, q("Ок日"));
    QCoreApplication::processEvents();
    QCOMPARE(editor->text(), q("Ок"));
    QCOMPARE((*script_)->messages.size(), std::size_t(1));
    QVERIFY((*script_)->texts()[0].find("U+65E5") != std::string::npos);
    click("SaveBut");
    QCOMPARE(readHost(kIsh + "0000001.zap"), prints(ru("Ок")));
  }

  void malformedRecordLoadsAndKeepsItsFields() {
    // Field 3 is missing; field 2 holds only two items.
    const std::string bad = item(1, item(1, std::string("Bad") + '\0') + item(2, item(1, f32(0.5f)) + item(2, i32(30))));
    writeRecords({"Good"});
    writeHost(kIsh + "0000002.zap", bad);
    QVERIFY(open());
    pickFile(1);
    QCOMPARE(cell(0), q("Bad"));
    for (int r = 1; r <= 6; ++r) {
      QVERIFY(cell(r).startsWith(q("<не прочитано")));
      QVERIFY(!(table()->item(r, 1)->flags() & Qt::ItemIsEditable));
    }
    (*script_)->clear();
    setCell(0, "Fixed");
    click("SaveBut");
    QVERIFY((*script_)->messages.empty());
    QCOMPARE(readHost(kIsh + "0000002.zap"),
             item(1, item(1, std::string("Fixed") + '\0') + item(2, item(1, f32(0.5f)) + item(2, i32(30)))));
  }

  void rowButtonsOpenTheirDialogs() {
    // A schema with a raw row and a chooser row over the prints folder.
    static const LabelTable kinds = {{50, "     HUMAN"}, {51, "     MONSTER"}};
    static Schema s = [] {
      Schema t = *findSchema("prints\\1\\");
      t.rows.resize(1);
      Row raw = makeRow("Raw", fieldAt(2), Codec::Raw, CheckKind::None);
      raw.slot = true;
      raw.button = RowButton::Raw;
      t.rows.push_back(raw);
      Row kind = makeRow("Kind", fieldAt(3), Codec::Int32Label);
      kind.labels = &kinds;
      kind.button = RowButton::Chooser;
      t.rows.push_back(kind);
      t.rows.push_back(makeRow("Number", fieldAt(4), Codec::Int32));
      return t;
    }();
    writeHost(kIsh + "0000001.zap", item(1, item(1, std::string("R") + '\0') + item(2, std::string(4, '\0')) +
                                               item(3, i32(51)) + item(4, i32(1))));
    w_ = new SectionEditor(*findWindow("TSinglPrintsDbR1F"), s, nullptr);
    QVERIFY(w_->FormShow());
    w_->show();
    auto* button = table()->viewport()->findChild<QToolButton*>("ValuesEdEditButton");
    QVERIFY(button);
    table()->setCurrentCell(1, 1);
    QVERIFY(button->isHidden());  // no record loaded yet
    pickFile(0);
    QCOMPARE(cell(2), q("51     MONSTER"));
    table()->setCurrentCell(3, 1);
    QVERIFY(button->isHidden());
    table()->setCurrentCell(1, 1);
    QVERIFY(!button->isHidden());

    raws_ = {std::string("\x01\x02\x03", 3)};
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(asked_.back(), std::string(4, '\0'));
    QCOMPARE(cell(1), q("Поле НЕ пустое (НЕ все байты нули). Длина поля 3 байтов."));

    table()->setCurrentCell(2, 1);
    QTest::mouseClick(button, Qt::LeftButton);  // cancelled: the row keeps its text
    QCOMPARE(asked_.back(), std::string("50     HUMAN\r51     MONSTER\r#1"));
    QCOMPARE(cell(2), q("51     MONSTER"));
    choices_ = {"50     HUMAN"};
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(cell(2), q("50     HUMAN"));

    // An invalid row stops the button before its dialog.
    setCell(3, "x");
    const std::size_t asked = asked_.size();
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(asked_.size(), asked);
    QCOMPARE(table()->currentRow(), 3);

    setCell(3, "2");
    click("SaveBut");
    QCOMPARE(readHost(kIsh + "0000001.zap"), item(1, item(1, std::string("R") + '\0') +
                                                        item(2, std::string("\x01\x02\x03", 3)) + item(3, i32(50)) +
                                                        item(4, i32(2))));
  }
};

QTEST_MAIN(TstSectionEditor)
#include "tst_section_editor.moc"
