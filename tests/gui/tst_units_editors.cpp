// The units.udb editor windows: the row buttons of Race Models (type
// chooser), Monsters Prototypes (two weapon choosers) and NPCs (raw value),
// on real record files with scripted dialogs.
#include <QComboBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QtTest>

#include <deque>
#include <memory>

#include "core/database.h"
#include "core/record.h"
#include "dbfixtures.h"
#include "editors/schemas/sample.h"
#include "editors/schemas/registry.h"
#include "editors/schemas/window_table.h"
#include "editors/section_editor.h"
#include "guienv.h"
#include "editortest.h"
#include "ui/qtext.h"

using namespace kessik;
using namespace kessik::fixtures;
using guitest::Drive;

namespace {

QString q(const char* utf8) { return QString::fromUtf8(utf8); }

const std::string kSingl = "C:\\bases\\database\\";
const std::string kLmp = "C:\\bases\\databaselmp\\";

// Sample record k of a section with some fields replaced.
std::string recordWith(const std::string& folder, int k, const std::vector<std::pair<int, std::string>>& fields) {
  TZapisBaziZm r;
  r.Parse(sampleRecord(*findSchema(folder), k).bytes);
  for (const auto& [n, payload] : fields) r.SetField(n, payload);
  r.Rebuild();
  return r.Bytes;
}

std::string fieldOf(const std::string& bytes, int n) {
  TZapisBaziZm r;
  r.Parse(bytes);
  return r.GetField(n);
}

}  // namespace

class TstUnitsEditors : public QObject {
  Q_OBJECT

  std::unique_ptr<Drive> drive_;
  std::unique_ptr<ScopedScriptedInteraction> script_;
  guitest::ScriptedDialogs dialogs_;
  std::deque<std::optional<std::string>>& raws_ = dialogs_.raws;
  std::deque<std::string>& choices_ = dialogs_.choices;
  std::vector<std::string>& asked_ = dialogs_.asked;
  QPointer<SectionEditor> w_;

  SectionEditor* open(const char* className) {
    w_ = qobject_cast<SectionEditor*>(createSectionEditor(*findWindow(className), nullptr));
    if (w_) w_->show();
    return w_;
  }
  // The window of w_, driven by its controls; rows are counted from 1 here.
  guitest::EditorDriver ui() const { return {w_.data()}; }
  template <class T>
  T* child(const char* name) {
    return ui().child<T>(name);
  }
  QTableWidget* table() { return ui().table(); }
  void pickFile(int index) { ui().pick("FilesBox", index); }
  QString cell(int row) { return ui().cell(row - 1); }
  void setCell(int row, const char* utf8) { ui().setCell(row - 1, q(utf8)); }
  // Presses the row button of a row (from 1); false when the row has none.
  bool pressRowButton(int row) {
    table()->setCurrentCell(row - 1, 1);
    if (!ui().rowButtonShown()) return false;
    ui().clickRowButton();
    return true;
  }

 private slots:
  void init() {
    drive_ = std::make_unique<Drive>();
    settings().DatabaseResIsh = kSingl;
    settings().DatabaselmpResIsh = kLmp;
    script_ = std::make_unique<ScopedScriptedInteraction>();
    dialogs_.install();
  }
  void cleanup() {
    if (w_) w_->close();
    QCoreApplication::processEvents();
    script_.reset();
    drive_.reset();
  }

  void raceModelTypeFromTheChooser() {
    const std::string folder = "units\\2\\";
    const std::string path = kSingl + folder + "0000001.zap";
    writeHost(path, recordWith(folder, 1, {{2, i32(7)}}));
    writeHost(kSingl + folder + "0000002.zap", recordWith(folder, 2, {{2, i32(51)}}));
    QVERIFY(open("TSinglUnitsUdbR2F"));
    QVERIFY(!pressRowButton(2));  // nothing loaded: no button
    pickFile(1);
    QCOMPARE(cell(2), q("51     MONSTER"));
    pickFile(0);
    QCOMPARE(cell(2), q("7"));
    for (int r : {1, 3, 47, 92}) QVERIFY(!pressRowButton(r));

    // Cancelled: the cell stays. The chooser opens on the first entry for a
    // code off the list.
    QVERIFY(pressRowButton(2));
    QCOMPARE(asked_, std::vector<std::string>{"50     HUMAN\r51     MONSTER\r52     ANIMAL\r#0"});
    QCOMPARE(cell(2), q("7"));

    // A chosen entry goes into the cell whole; only its code is stored.
    choices_ = {"52     ANIMAL"};
    QVERIFY(pressRowButton(2));
    QCOMPARE(cell(2), q("52     ANIMAL"));
    QVERIFY(pressRowButton(2));
    QCOMPARE(asked_.back(), std::string("50     HUMAN\r51     MONSTER\r52     ANIMAL\r#2"));
    QTest::mouseClick(child<QPushButton>("SaveBut"), Qt::LeftButton);
    QVERIFY((*script_)->messages.empty());
    QCOMPARE(readHost(path), recordWith(folder, 1, {{2, i32(52)}}));

    // An invalid row stops the button with the error box; no chooser.
    setCell(3, "1.5");
    const std::size_t asked = asked_.size();
    QVERIFY(pressRowButton(2));
    QCOMPARE(asked_.size(), asked);
    QCOMPARE(guitest::firstLines((*script_)->texts()), std::vector<std::string>{"Выделенное поле имеет неправильный формат."});
    QCOMPARE(table()->currentRow(), 2);
    QCOMPARE((*script_)->beeps, 1);
  }

  void monsterWeaponsFromTheChooser() {
    const std::string folder = "units\\3\\";
    const std::string path = kLmp + folder + "0000001.zap";
    writeHost(path, recordWith(folder, 1, {{19, i32(8)}, {40, i32(6)}}));
    QVERIFY(open("TUnitsUdbR3F"));
    pickFile(0);
    QCOMPARE(cell(19), q("8     HANDS"));
    QCOMPARE(cell(58), q("6"));
    for (int r : {2, 18, 20, 57, 59}) QVERIFY(!pressRowButton(r));

    const std::string list =
        "0     SWORD\r1     AXE\r2     DAGGER\r3     SPEAR\r4     HAMMER\r5     BOW\r8     HANDS\r9     HANDS1\r"
        "10     HANDS2\r11     HANDS3\r12     HANDS4\r13     HANDS5\r14     HANDS6\r15     HANDS7\r16     MAGIC\r";
    choices_ = {"1     AXE", "16     MAGIC"};
    QVERIFY(pressRowButton(19));
    QVERIFY(pressRowButton(58));
    QCOMPARE(asked_, (std::vector<std::string>{list + "#6", list + "#0"}));
    QCOMPARE(cell(19), q("1     AXE"));
    QCOMPARE(cell(58), q("16     MAGIC"));
    QTest::mouseClick(child<QPushButton>("SaveBut"), Qt::LeftButton);
    QVERIFY((*script_)->messages.empty());
    QCOMPARE(readHost(path), recordWith(folder, 1, {{19, i32(1)}, {40, i32(16)}}));
  }

  void npcRawValueThroughItsDialog() {
    const std::string folder = "units\\4\\";
    const std::string path = kSingl + folder + "0000001.zap";
    const std::string raw("\x00\x01\x00\x00\x02\x00\x00\x00", 8);
    writeHost(path, recordWith(folder, 1, {{2, raw}}));
    QVERIFY(open("TSinglUnitsUdbR4F"));
    pickFile(0);
    QCOMPARE(cell(2), q("Поле НЕ пустое (НЕ все байты нули). Длина поля 8 байтов."));
    for (int r : {1, 3, 18, 24}) QVERIFY(!pressRowButton(r));

    // Saved to a file (or cancelled): the slot stays.
    QVERIFY(pressRowButton(2));
    QCOMPARE(asked_, std::vector<std::string>{raw});
    QCOMPARE(cell(2), q("Поле НЕ пустое (НЕ все байты нули). Длина поля 8 байтов."));

    // A loaded file of another length replaces the value.
    const std::string loaded(10, '\0');
    raws_ = {loaded};
    QVERIFY(pressRowButton(2));
    QCOMPARE(cell(2), q("Поле пустое (все байты нули). Длина поля 10 байтов."));
    QVERIFY(pressRowButton(2));
    QCOMPARE(asked_.back(), loaded);
    QTest::mouseClick(child<QPushButton>("SaveBut"), Qt::LeftButton);
    QVERIFY((*script_)->messages.empty());
    QCOMPARE(fieldOf(readHost(path), 2), loaded);
    QCOMPARE(readHost(path), recordWith(folder, 1, {{2, loaded}}));
  }

  void hitLocationsHaveNoRowButton() {
    writeSampleWorkspace("C:\\");
    QVERIFY(open("TUnitsUdbR1F"));
    pickFile(0);
    for (int r = 1; r <= 17; ++r) QVERIFY(!pressRowButton(r));
    // The row event only runs the checks.
    setCell(16, "1,5");
    w_->ValuesEdEditButtonClick();
    QCOMPARE(guitest::firstLines((*script_)->texts()), std::vector<std::string>{"Выделенное поле имеет неправильный формат."});
    QCOMPARE(table()->currentRow(), 15);
    QVERIFY(asked_.empty());
  }

  void raceModelTableScrollsToItsLastRow() {
    writeSampleWorkspace("C:\\");
    QVERIFY(open("TSinglUnitsUdbR2F"));
    pickFile(0);
    QScrollBar* bar = table()->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    QVERIFY(bar->isVisible());
    QVERIFY(!table()->horizontalScrollBar()->isVisible());
    // Both columns fit beside the scroll bar: nothing is cut on the right.
    QVERIFY(table()->columnWidth(0) + table()->columnWidth(1) <= table()->viewport()->width());
    table()->setCurrentCell(91, 1);
    const QRect last = table()->visualItemRect(table()->item(91, 1));
    QVERIFY(table()->viewport()->rect().contains(last));
    QCOMPARE(table()->item(91, 0)->text(), q("Unknown10"));
    // The buttons stand below the table, inside the window.
    auto* save = child<QPushButton>("SaveBut");
    QVERIFY(save->y() > table()->geometry().bottom());
    QVERIFY(save->geometry().bottom() < w_->height());
  }
};

QTEST_MAIN(TstUnitsEditors)
#include "tst_units_editors.moc"
