// The spells.sdb editor windows: Spell Prototypes, Spell Modifiers and the S_
// list windows used end to end on record files built byte by byte here.
#include <QComboBox>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>

#include "core/database.h"
#include "dbfixtures.h"
#include "editortest.h"
#include "editors/engine/schema.h"
#include "editors/schemas/registry.h"
#include "editors/schemas/window_table.h"
#include "editors/section_editor.h"
#include "guienv.h"
#include "ui/qtext.h"

using namespace kessik;
using namespace kessik::fixtures;
using guitest::Drive;

namespace {

std::string name(const std::string& s) { return s + std::string(1, '\0'); }

// A Spell Prototypes record (fields 1 to 28) with the given mask.
std::string prototype(const std::string& mask, std::int32_t type = 2) {
  std::string f;
  f += item(1, name(mask)) + item(2, name("FRB")) + item(3, name("Destr")) + item(4, f32(12.5f));
  f += item(5, i32(type)) + item(6, f32(0.1f)) + item(7, i32(3));
  for (int n = 8; n <= 11; ++n) f += item(n, f32(static_cast<float>(n)));
  f += item(12, std::string("A\0\0\0", 4));
  for (int n = 13; n <= 16; ++n) f += item(n, i32(n));
  f += item(17, item(1, std::string("ab\0\0", 4)) + item(1, "cdef")) + item(18, "");
  f += item(19, i32(19)) + item(20, i32(20)) + item(21, std::string("\1\0\1\0\0", 5));
  f += item(22, i32(22)) + item(23, i32(5));
  for (int n = 24; n <= 28; ++n) f += item(n, f32(0.5f));
  return node(1, f);
}

std::string modifier(const std::string& mask, std::int32_t type) {
  return node(1, item(1, name(mask)) + item(2, "FIRE") + item(3, f32(2.5f)) + item(4, i32(type)) +
                     item(5, f32(0.75f)) + item(6, f32(-3.75f)) + item(7, i32(2)) + item(8, name("Shop")) +
                     item(9, i32(0)));
}

std::string shopEntry(const std::string& mask, const std::string& power) {
  return node(1, item(1, name(mask)) + item(2, item(1, name("a")) + item(1, name("bc"))) + item(3, "") +
                     item(4, name(power)) + item(5, i32(5)));
}

std::string recordPath(const std::string& root, const std::string& folder, int k) {
  return root + folder + recordFileName(k);
}

}  // namespace

class TstSpellsEditors : public QObject {
  Q_OBJECT

  std::unique_ptr<Drive> drive_;
  std::unique_ptr<ScopedScriptedInteraction> script_;
  guitest::ScriptedDialogs dialogs_;
  QPointer<QWidget> w_;
  guitest::EditorDriver ed_;

  const std::string singl_ = "C:\\bases\\database\\";
  const std::string lmp_ = "C:\\bases\\databaselmp\\";

  QWidget* open(const char* className) {
    w_ = createSectionEditor(*findWindow(className), nullptr);
    ed_.w = w_;
    return w_;
  }
  QTableWidget* table() { return ed_.table(); }
  QString cell(int row) { return ed_.cell(row); }
  void setCell(int row, const QString& text) { ed_.setCell(row, text); }

 private slots:
  void init() {
    drive_ = std::make_unique<Drive>();
    script_ = std::make_unique<ScopedScriptedInteraction>();
    settings().DatabaseResIsh = singl_;
    settings().DatabaselmpResIsh = lmp_;
    dialogs_.install();
  }
  void cleanup() {
    if (w_) w_->close();
    QCoreApplication::processEvents();
    script_.reset();
    drive_.reset();
  }

  void prototypesEndToEnd() {
    const std::string path = recordPath(singl_, "spells\\1\\", 1);
    writeHost(path, prototype("Fireball"));
    writeHost(recordPath(singl_, "spells\\1\\", 2), prototype("Heal", 7));
    QVERIFY(open("TSinglSpellsSdbR1F"));
    w_->show();
    QVERIFY(QTest::qWaitForWindowExposed(w_));
    QCOMPARE(ed_.items("MaskiBox"), QStringList({"Fireball", "Heal"}));
    ed_.pick("MaskiBox", 1);
    QCOMPARE(cell(4), q("7"));  // an unlisted type shows alone
    ed_.pick("FilesBox", 0);
    const QString expected[] = {"Fireball", "FRB", "Destr", "12,5", "2     ASTRAL", "0,1", "3", "8,0", "9,0", "10,0",
                                "11,0", "A", "13", "14", "15", "16", "ab,cdef", "", "19", "20", "1", "0", "1",
                                "0", "0", "22", "1,3", "0,5", "0,5", "0,5", "0,5", "0,5"};
    for (int r = 0; r < 32; ++r) QCOMPARE(cell(r), expected[r]);

    // The long table scrolls; its last row can be brought into view.
    QVERIFY(table()->verticalScrollBar()->maximum() > 0);
    table()->scrollToItem(table()->item(31, 1));
    QVERIFY(table()->viewport()->rect().contains(table()->visualItemRect(table()->item(31, 1))));

    // The row button sits on the TypeID row only.
    for (int r = 0; r < 32; ++r) {
      table()->setCurrentCell(r, 1);
      QCOMPARE(ed_.rowButtonShown(), r == 4);
    }
    table()->setCurrentCell(4, 1);
    ed_.clickRowButton();  // cancelled: the cell stays
    QCOMPARE(dialogs_.asked.back(), std::string("0     ELEMENTAL\r1     SENSES\r2     ASTRAL\r#2"));
    QCOMPARE(cell(4), q("2     ASTRAL"));
    dialogs_.choices = {"1     SENSES"};
    ed_.clickRowButton();
    QCOMPARE(cell(4), q("1     SENSES"));

    // A bad row stops the save: its message, a beep, the row selected.
    const std::string before = readHost(path);
    setCell(11, "AB");
    ed_.click("SaveBut");
    QCOMPARE(guitest::firstLines((*script_)->texts()), std::vector<std::string>{"Выделенное поле имеет неправильный формат. Не больше 1 "
                                                           "символа (любого), либо без символов."});
    QCOMPARE((*script_)->beeps, 1);
    QCOMPARE(table()->currentRow(), 11);
    QCOMPARE(readHost(path), before);
    (*script_)->clear();
    setCell(16, "ab, cdefg");
    setCell(11, "B");
    ed_.click("SaveBut");
    QCOMPARE(cell(16), q("ab,cdefg"));
    QCOMPARE(table()->currentRow(), 16);
    QCOMPARE((*script_)->messages.size(), std::size_t(1));
    QVERIFY((*script_)->texts()[0].find("Каждый элемент списка не должен быть длиннее 4 символов.") !=
            std::string::npos);
    QCOMPARE(readHost(path), before);

    (*script_)->clear();
    setCell(16, "xy, z");
    setCell(20, "0");
    setCell(23, "1");
    ed_.click("SaveBut");
    QVERIFY((*script_)->messages.empty());
    QCOMPARE(cell(16), q("xy,z"));
    std::string written = prototype("Fireball", 1);
    auto replace = [&](const std::string& from, const std::string& to) {
      std::size_t at = written.find(from);
      QVERIFY(at != std::string::npos);
      written.replace(at, from.size(), to);
    };
    replace(item(12, std::string("A\0\0\0", 4)), item(12, std::string("B\0\0\0", 4)));
    replace(item(17, item(1, std::string("ab\0\0", 4)) + item(1, "cdef")),
            item(17, item(1, std::string("xy\0\0", 4)) + item(1, std::string("z\0\0\0", 4))));
    replace(item(21, std::string("\1\0\1\0\0", 5)), item(21, std::string("\0\0\1\1\0", 5)));
    QCOMPARE(readHost(path), written);
  }

  void modifiersChooserStartsAtZeroForAnUnlistedCode() {
    const std::string path = recordPath(lmp_, "spells\\2\\", 1);
    writeHost(path, modifier("Haste", 9));
    QVERIFY(open("TSpellsSdbR2F"));
    w_->show();
    ed_.pick("FilesBox", 0);
    QCOMPARE(cell(3), q("9"));
    QCOMPARE(cell(1), q("FIRE"));
    table()->setCurrentCell(3, 1);
    QVERIFY(ed_.rowButtonShown());
    dialogs_.choices = {"6     FILTER"};
    ed_.clickRowButton();
    QCOMPARE(dialogs_.asked.back(), std::string("0     RANGE\r1     TARGETS\r2     AREA\r3     EFFECT\r4     DURATION\r"
                                        "5     MANA\r6     FILTER\r7     ITEM\r#0"));
    QCOMPARE(cell(3), q("6     FILTER"));
    setCell(1, "FIRES");
    ed_.click("SaveBut");
    QCOMPARE(guitest::firstLines((*script_)->texts()), std::vector<std::string>{"Выделенное поле имеет неправильный формат. Не больше 4 "
                                                           "символов (любых), либо вообще без символов."});
    QCOMPARE(table()->currentRow(), 1);
    setCell(1, "ICE");
    ed_.click("SaveBut");
    QCOMPARE(readHost(path), node(1, item(1, name("Haste")) + item(2, std::string("ICE\0", 4)) + item(3, f32(2.5f)) +
                                         item(4, i32(6)) + item(5, f32(0.75f)) + item(6, f32(-3.75f)) +
                                         item(7, i32(2)) + item(8, name("Shop")) + item(9, i32(0))));
  }

  void shopListsKeepRepeatedMasksApart() {
    const std::string folder = "spells\\5\\";
    writeHost(recordPath(singl_, folder, 1), shopEntry("Same", "one"));
    writeHost(recordPath(singl_, folder, 2), shopEntry("Other", "two"));
    writeHost(recordPath(singl_, folder, 3), shopEntry("Same", "three"));
    writeHost("C:\\shablons\\spells\\5\\base.zap", shopEntry("base", "tpl"));
    QVERIFY(open("TSinglSpellsSdbR5F"));
    w_->show();
    QVERIFY((*script_)->messages.empty());  // no warning for the repeated mask

    // The lists move in step by position: each "Same" item loads its own record.
    ed_.pick("MaskiBox", 2);
    QCOMPARE(ed_.current("FilesBox"), 2);
    QCOMPARE(cell(3), q("three"));
    ed_.pick("MaskiBox", 0);
    QCOMPARE(ed_.current("FilesBox"), 0);
    QCOMPARE(cell(3), q("one"));
    ed_.pick("FilesBox", 2);
    QCOMPARE(ed_.current("MaskiBox"), 2);
    for (int r = 0; r < 5; ++r) {
      table()->setCurrentCell(r, 1);
      QVERIFY(!ed_.rowButtonShown());
    }

    // Another record's mask is accepted; the list normalises.
    setCell(0, "Other");
    setCell(1, "x, y");
    setCell(4, "1,3");
    ed_.click("SaveBut");
    QVERIFY((*script_)->messages.empty());
    QCOMPARE(cell(1), q("x,y"));
    QCOMPARE(readHost(recordPath(singl_, folder, 3)),
             node(1, item(1, name("Other")) + item(2, item(1, name("x")) + item(1, name("y"))) + item(3, "") +
                         item(4, name("three")) + item(5, i32(5))));
    QCOMPARE(ed_.items("MaskiBox"), QStringList({"Same", "Other", "Other"}));

    setCell(2, "a, ,b");
    ed_.click("SaveBut");
    QCOMPARE(cell(2), q("a,,b"));
    QCOMPARE((*script_)->messages.size(), std::size_t(1));
    QCOMPARE(table()->currentRow(), 2);

    // Creating with a mask that exists asks nothing more (but whether to
    // keep the refused edit, here dropped).
    (*script_)->clear();
    (*script_)->answers = {Answer::No};
    dialogs_.prompts = {std::string("Same")};
    dialogs_.templates = {std::string("C:\\shablons\\spells\\5\\base.zap")};
    ed_.click("CreateBut");
    QCOMPARE((*script_)->texts(), std::vector<std::string>{"Сохранить изменения в записи «Other»?"});
    QCOMPARE(readHost(recordPath(singl_, folder, 4)), shopEntry("Same", "tpl"));
    QCOMPARE(ed_.items("MaskiBox"), QStringList({"Same", "Other", "Other", "Same"}));
    QCOMPARE(ed_.current("FilesBox"), 3);
    QCOMPARE(cell(3), q("tpl"));
  }

 private:
  static QString q(const char* utf8) { return QString::fromUtf8(utf8); }
};

QTEST_MAIN(TstSpellsEditors)
#include "tst_spells_editors.moc"
