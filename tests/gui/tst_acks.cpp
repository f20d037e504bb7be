// The acks.db windows: sound rows show how many sounds their lists hold, keep
// the lists' bytes outside the table, and change them only through the sound
// list editor behind the row button.
#include <QComboBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <deque>

#include "app/window_startup.h"
#include "core/codecs.h"
#include "editors/dialog_hooks.h"
#include "editors/engine/soundlist.h"
#include "editors/schemas/window_table.h"
#include "editors/section_editor.h"
#include "editors/sound_editor.h"
#include "editortest.h"
#include "guienv.h"
#include "ui/qtext.h"

using namespace kessik;
using guitest::Drive;

namespace {

const std::string kThree = encodeSoundList({{"a.wav", 1, "A", "C1"}, {"b.wav", 2, "B", "C2"}, {"c.wav", 3, "C", "C3"}});
const std::string kOne = encodeSoundList({{"o.wav", 9, "O", "X"}});

std::string item(int type, const std::string& payload) {
  std::string out;
  appendItem(out, static_cast<std::uint8_t>(type), payload);
  return out;
}

// A record of the mask and `fields` sound lists (field 2 on), plus a field
// that no row names.
std::string acksRecord(const std::string& mask, const std::vector<std::string>& lists, int fields) {
  std::string payload = item(1, mask + std::string(1, '\0'));
  for (int k = 2; k <= fields; ++k)
    payload += item(k, k - 2 < static_cast<int>(lists.size()) ? lists[k - 2] : std::string());
  payload += item(fields + 1, "\x7F\x01");
  return item(1, payload);
}

QByteArray qb(const std::string& s) { return QByteArray::fromStdString(s); }

}  // namespace

class TstAcks : public QObject {
  Q_OBJECT

  std::unique_ptr<Drive> drive;
  std::unique_ptr<ScopedScriptedInteraction> script;
  QPointer<SectionEditor> w;
  guitest::ScriptedDialogs hooks;

  SectionEditor* open(const char* className) {
    w = qobject_cast<SectionEditor*>(createSectionEditor(*findWindow(className), nullptr));
    return w;
  }
  QTableWidget* table() { return w->findChild<QTableWidget*>("ValuesEd"); }
  QString cell(int row) { return table()->item(row, 1)->text(); }
  void pickFile(int index) {
    guitest::pickEntry(guitest::childOf<QComboBox>(w, "FilesBox"), index);
  }
  void rowButton(int row) {
    table()->setCurrentCell(row, 1);
    auto* b = table()->viewport()->findChild<QToolButton*>("ValuesEdEditButton");
    QVERIFY(b && !b->isHidden());
    QTest::mouseClick(b, Qt::LeftButton);
  }
  void click(const char* name) { QTest::mouseClick(w->findChild<QPushButton*>(name), Qt::LeftButton); }

 private slots:
  void init() {
    drive = std::make_unique<Drive>();
    script = std::make_unique<ScopedScriptedInteraction>();
    settings().DatabaseResIsh = "C:\\src\\";
    hooks.install();
  }
  void cleanup() {
    if (w) w->close();
    QCoreApplication::processEvents();
    script.reset();
    drive.reset();
  }

  void soundRowsChangeOnlyThroughTheSoundListEditor() {
    const std::string record = acksRecord("Orc", {kThree, "", "", ""}, 36);
    drive->write("src/acks/1/0000001.zap", qb(record));
    drive->write("src/acks/1/0000002.zap", qb(acksRecord("Elf", {}, 36)));
    QVERIFY(open("TSinglAcksDbR1F"));
    pickFile(0);
    QCOMPARE(cell(1), qru("В поле содержится 3 элементов (звуков)."));
    QCOMPARE(cell(4), qru("Пусто. Элементов (звуков) в поле нет."));  // CastVoice

    // Typed text in sound rows is never read: saving writes every list as loaded.
    table()->item(1, 1)->setText("typed");
    table()->item(4, 1)->setText("5");
    click("SaveBut");
    QCOMPARE(drive->read("src/acks/1/0000001.zap"), qb(record));

    // "NIL" leaves the slot and the cell; a list given back replaces both.
    pickFile(0);
    rowButton(1);
    QCOMPARE(hooks.asked, std::vector<std::string>{kThree});
    QCOMPARE(cell(1), qru("В поле содержится 3 элементов (звуков)."));
    hooks.sounds = {kOne};
    rowButton(1);
    QCOMPARE(cell(1), qru("В поле содержится 1 элементов (звуков)."));
    hooks.sounds = {std::string()};
    rowButton(25);  // Unknown1, a sound row like its neighbours
    QCOMPARE(hooks.asked.back(), std::string());
    QCOMPARE(cell(25), qru("Пусто. Элементов (звуков) в поле нет."));
    rowButton(1);
    QCOMPARE(hooks.asked.back(), kOne);  // the slot as the editor left it
    // Nothing reaches the file before "Сохранить".
    QCOMPARE(drive->read("src/acks/1/0000001.zap"), qb(record));
    click("SaveBut");
    QCOMPARE(drive->read("src/acks/1/0000001.zap"), qb(acksRecord("Orc", {kOne, "", "", ""}, 36)));

    // Another record's mask in row 1: the mask error and no sound list editor.
    const std::size_t opened = hooks.asked.size();
    table()->item(0, 1)->setText("Elf");
    rowButton(2);
    QCOMPARE(hooks.asked.size(), opened);
    QCOMPARE((*script)->messages.size(), size_t(1));
    QCOMPARE(QString::fromStdString(guitest::firstLines((*script)->texts())[0]),
             qru("Неправильная маска - такая уже есть. Маска берется из выделенного поля."));

    // Closing after an edit without "Сохранить" leaves the file.
    table()->item(0, 1)->setText("Orc");
    hooks.sounds = {kThree};
    rowButton(2);
    w->close();
    QCOMPARE(drive->read("src/acks/1/0000001.zap"), qb(acksRecord("Orc", {kOne, "", "", ""}, 36)));
  }

  void newRecordCopiesTheTemplatesLists() {
    drive->write("src/acks/3/0000001.zap", qb(acksRecord("Orc", {}, 3)));
    drive->write("shablons/acks/3/voice.zap", qb(acksRecord("voice", {kOne, kThree}, 3)));
    QVERIFY(open("TSinglAcksDbR3F"));
    hooks.prompts = {std::string("Troll")};
    hooks.templates = {std::string("C:\\shablons\\acks\\3\\voice.zap")};
    click("CreateBut");
    QCOMPARE(drive->read("src/acks/3/0000002.zap"), qb(acksRecord("Troll", {kOne, kThree}, 3)));
    QCOMPARE(cell(1), qru("В поле содержится 1 элементов (звуков)."));
    QCOMPARE(cell(2), qru("В поле содержится 3 элементов (звуков)."));
  }

  void theRealDialogBehindTheRowButton() {
    TASoundEditorF dialog;
    installDialogHooks();
    drive->write("src/acks/2/0000001.zap", qb(acksRecord("Orc", {kThree}, 6)));
    QVERIFY(open("TSinglAcksDbR2F"));
    pickFile(0);
    // Cancel: nothing changes.
    QTimer::singleShot(0, &dialog, [&] { QTest::mouseClick(dialog.CacelBut, Qt::LeftButton); });
    QTimer::singleShot(5000, &dialog, [&] { dialog.reject(); });
    rowButton(1);
    QCOMPARE(cell(1), qru("В поле содержится 3 элементов (звуков)."));
    // Delete the second element and confirm.
    QTimer::singleShot(0, &dialog, [&] {
      dialog.MaskiBox->setCurrentIndex(1);
      emit dialog.MaskiBox->activated(1);
      (*script)->answers = {Answer::Yes};
      QTest::mouseClick(dialog.DeleteBut, Qt::LeftButton);
      QTest::mouseClick(dialog.OkBut, Qt::LeftButton);
    });
    QTimer::singleShot(5000, &dialog, [&] { dialog.reject(); });
    rowButton(1);
    QCOMPARE(cell(1), qru("В поле содержится 2 элементов (звуков)."));
    click("SaveBut");
    const std::string two = encodeSoundList({{"a.wav", 1, "A", "C1"}, {"c.wav", 3, "C", "C3"}});
    QCOMPARE(drive->read("src/acks/2/0000001.zap"), qb(acksRecord("Orc", {two}, 6)));
  }
};

QTEST_MAIN(TstAcks)
#include "tst_acks.moc"
