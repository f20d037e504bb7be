// The levers.ldb and items.idb editors in the real main window over a sample
// workspace: the section rules as the user meets them (the number slot of
// levers, the split name, Materials' record index through create, delete and
// sort, IDs from type names).
#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>
#include <QTableWidget>
#include <QtTest>


#include "app/main_form.h"
#include "core/codecs.h"
#include "core/database.h"
#include "core/record.h"
#include "editors/schemas/sample.h"
#include "editors/engine/schema.h"
#include "editors/schemas/registry.h"
#include "editors/schemas/window_table.h"
#include "editors/section_editor.h"
#include "editortest.h"
#include "guienv.h"
#include "ui/qtext.h"

using namespace kessik;
using guitest::Drive;

namespace {

QString rel(const std::string& windowsPath) {  // "C:\a\b" -> "a/b"
  QString s = toQ(windowsPath.substr(3));
  s.replace('\\', '/');
  return s;
}

std::string i32(std::int32_t v) {
  std::string out(4, '\0');
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
  return out;
}

}  // namespace

class TstLeversItems : public QObject {
  Q_OBJECT

  std::unique_ptr<Drive> drive_;
  std::unique_ptr<ScopedScriptedInteraction> script_;
  std::unique_ptr<TMainForm> main_;
  guitest::ScriptedDialogs dialogs_;
  guitest::EditorDriver ed_;
  SectionEditor* w_ = nullptr;

  SectionEditor* open(const std::string& className) {
    const WindowEntry& e = *findWindow(className);
    QAction* item = main_->item(toQ(e.menuName));
    if (!item || !item->isEnabled()) return nullptr;
    item->trigger();
    w_ = qobject_cast<SectionEditor*>(main_->sectionEditor(className));
    ed_.w = w_;
    return w_;
  }
  QTableWidget* table() { return ed_.table(); }
  void pickFile(int index) { ed_.pick("FilesBox", index); }
  // Rows as the window numbers them, from 1.
  QString cell(int row) { return ed_.cell(row - 1); }
  void setCell(int row, const char* utf8) { ed_.setCell(row - 1, QString::fromUtf8(utf8)); }
  std::string ish(int k) { return drive_->read(rel(w_->IshPath + recordFileName(k))).toStdString(); }
  std::vector<std::string> messages() { return (*script_)->texts(); }

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
    main_->resize(1000, 800);
    main_->show();
    dialogs_.install();
  }
  void cleanup() {
    main_.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    script_.reset();
    drive_.reset();
  }

  void leversNumberSlotAndSplitName() {
    QVERIFY(open("TLeversF"));
    pickFile(0);
    const TZapisBaziZm loaded = [&] {
      TZapisBaziZm z;
      z.Parse(ish(1));
      return z;
    }();
    // Row 6: the button hands the field's 4 bytes to the raw value dialog;
    // a loaded file shows as a number.
    table()->setCurrentCell(5, 1);
    dialogs_.raws = {std::string("\x01\x02\x03\x04\x05", 5)};
    ed_.clickRowButton();
    QCOMPARE(dialogs_.asked.size(), size_t(1));
    QCOMPARE(dialogs_.asked[0], const_cast<TZapisBaziZm&>(loaded).GetField(3));
    QCOMPARE(cell(6), QString("67305985"));
    // The split name: blanks dropped when shown, padded when saved.
    setCell(11, "Big Lever");
    setCell(12, "Opens the gate");
    ed_.click("SaveBut");
    QVERIFY(messages().empty());
    TZapisBaziZm saved;
    saved.Parse(ish(1));
    QCOMPARE(saved.GetField(3), std::string("\x01\x02\x03\x04"));
    QCOMPARE(saved.GetField(8), "Big Lever" + std::string(15, ' ') + "Opens the gate" + std::string(1, '\0'));
    pickFile(1);
    pickFile(0);
    QCOMPARE(cell(11), QString("BigLever"));
    QCOMPARE(cell(12), QString("Opens the gate"));

    // Typing a number replaces the slot; 25 characters of name are refused.
    setCell(6, "7");
    setCell(11, "ABCDEFGHIJKLMNOPQRSTUVWXY");
    const std::string before = ish(1);
    ed_.click("SaveBut");
    QCOMPARE(guitest::firstLines(messages()), std::vector<std::string>{
                             "Выделенное поле имеет неправильный формат - оно не должно быть длинее 24 символов."});
    QCOMPARE(table()->currentRow(), 10);
    QCOMPARE(ish(1), before);
    setCell(11, "ABCDEFGHIJKLMNOPQRSTUVWX");
    ed_.click("SaveBut");
    saved.Parse(ish(1));
    QCOMPARE(saved.GetField(3), i32(7));
    QCOMPARE(saved.GetField(8), "ABCDEFGHIJKLMNOPQRSTUVWXOpens the gate" + std::string(1, '\0'));
  }

  void materialsIndexThroughCreateDeleteAndSort() {
    // A record whose field 4 is wrong is rewritten as soon as the window scans.
    const std::string lmp = "C:\\bases\\databaselmp\\items\\1\\";
    TZapisBaziZm third;
    third.Parse(drive_->read(rel(lmp + "0000003.zap")).toStdString());
    third.SetField(4, i32(40));
    third.Rebuild();
    drive_->write(rel(lmp + "0000003.zap"), QByteArray::fromStdString(third.Bytes));
    QVERIFY(open("TItemsIdbR1F"));
    auto field4 = [&](int k) {
      TZapisBaziZm z;
      z.Parse(ish(k));
      return z.GetField(4);
    };
    for (int k = 1; k <= 3; ++k) QCOMPARE(field4(k), i32(k - 1));

    // Saving another index is refused with the expected one.
    pickFile(2);
    QCOMPARE(cell(4), QString("2"));
    setCell(4, "9");
    ed_.click("SaveBut");
    QCOMPARE(guitest::firstLines(messages()), std::vector<std::string>{
                             "Значение этого поля должно быть равно номеру записи-1. В данном случае 2"});
    QCOMPARE(table()->currentRow(), 3);

    // A record made from the template (index 0) gets its own at the rescan
    // (the refused edit is dropped when asked).
    (*script_)->answers = {Answer::No};
    dialogs_.prompts = {std::string("Bronze")};
    dialogs_.templates = {w_->ShabPath + "sample.zap"};
    ed_.click("CreateBut");
    QCOMPARE(ed_.current("FilesBox"), 3);
    QCOMPARE(field4(4), i32(3));
    QCOMPARE(cell(4), QString("3"));

    // Deleting record 1 moves every later index down.
    pickFile(0);
    (*script_)->answers = {Answer::Yes};
    ed_.click("DeleteBut");
    for (int k = 1; k <= 3; ++k) QCOMPARE(field4(k), i32(k - 1));

    // Sorting renumbers by mask; the indices follow the new numbers.
    ed_.click("SortBut");
    QStringList masks;
    for (int i = 0; i < 3; ++i) masks << ed_.child<QComboBox>("MaskiBox")->itemText(i);
    QStringList sorted = masks;
    std::sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
      return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    QCOMPARE(masks, sorted);
    for (int k = 1; k <= 3; ++k) QCOMPARE(field4(k), i32(k - 1));
  }

  void typeNameSetsTheIdEvenWhenSavingFails() {
    QVERIFY(open("TSinglItemsIdbR2F"));
    pickFile(0);
    const std::string before = ish(1);
    setCell(2, "bow");
    setCell(3, "17");
    setCell(8, "abc");
    ed_.click("SaveBut");
    QCOMPARE(cell(3), QString("5"));
    QCOMPARE(table()->currentRow(), 7);
    QCOMPARE(ish(1), before);
    setCell(8, "1,5");
    setCell(2, "Bow");
    setCell(3, "17");
    ed_.click("SaveBut");
    QCOMPARE(cell(3), QString("17"));
    TZapisBaziZm z;
    z.Parse(ish(1));
    QCOMPARE(z.GetField(2), std::string("Bow") + '\0');
    QCOMPARE(z.GetField(3), i32(17));

    // A raw row: a 3-byte file into the 4-byte field 5.
    table()->setCurrentCell(4, 1);
    dialogs_.raws = {std::string("\x01\x02\x03")};
    ed_.clickRowButton();
    QCOMPARE(cell(5), QString::fromUtf8("Поле НЕ пустое (НЕ все байты нули). Длина поля 3 байтов."));
    ed_.click("SaveBut");
    z.Parse(ish(1));
    QCOMPARE(z.GetField(5), std::string("\x01\x02\x03"));
  }
};

QTEST_MAIN(TstLeversItems)
#include "tst_levers_items.moc"
