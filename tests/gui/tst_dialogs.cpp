// The template dialogs and the field value dialogs, driven through their
// controls with the scripted interaction.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

#include "editors/dialog_hooks.h"
#include "editors/engine/value_code.h"
#include "editors/template_dialogs.h"
#include "editors/value_dialogs.h"
#include "ui/qtext.h"
#include "app/window_startup.h"
#include "guienv.h"

using namespace kessik;
using guitest::cp;
using guitest::Drive;

namespace {

QStringList items(QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out;
}

void clickItem(QListWidget* list, const QString& text) {
  auto found = list->findItems(text, Qt::MatchExactly);
  QVERIFY(!found.isEmpty());
  list->setCurrentItem(found.front());
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.front()).center());
}

// Runs a modal call while a timer presses a button of the dialog; a second
// timer rejects the dialog should the first one miss, so nothing can hang.
template <class Call>
auto runModal(QDialog* dialog, std::function<void()> press, Call call) {
  QTimer::singleShot(0, dialog, press);
  QTimer::singleShot(5000, dialog, [dialog] { dialog->reject(); });
  return call();
}

}  // namespace

class TstDialogs : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    drive = std::make_unique<Drive>();
    script = std::make_unique<ScopedScriptedInteraction>();
    drive->write("shab/a.zap", "A");
    drive->write("shab/Swamp.zap", "S");
    drive->write("shab/a.b.zap", "AB");
    drive->write("shab/notes.txt", "N");
    drive->write("shab/sub.zap/x", "");
  }
  void cleanup() {
    script.reset();
    drive.reset();
  }

  void controlsByNameAndFixedSizes() {
    TShablonimF shab;
    TCheckShablF check;
    TAskFnForm ask;
    TUncAskF unc;
    TValueSelectorF sel;
    const struct {
      QDialog* dialog;
      const char* name;
      QSize client;
      QStringList controls;
    } cases[] = {
        {&shab, "TShablonimF", {383, 226}, {"Label1", "ShabNamEd", "ShabList", "OkBut", "CancelBut", "DelBut"}},
        {&check, "TCheckShablF", {306, 269}, {"ShabList", "OkBut", "CancelBut"}},
        {&ask, "TAskFnForm", {376, 103}, {"Label1", "Edit1", "OkButn", "CancelButn"}},
        {&unc, "TUncAskF", {236, 88}, {"InfoLab", "SaveRB", "LoadRB", "OkBut", "CancelBut"}},
        {&sel, "TValueSelectorF", {356, 85}, {"Selector", "OkBut", "CancelBut"}},
    };
    for (const auto& c : cases) {
      QCOMPARE(c.dialog->objectName(), QString(c.name));
      QCOMPARE(c.dialog->minimumSize(), c.client);
      QCOMPARE(c.dialog->maximumSize(), c.client);
      for (const QString& control : c.controls) {
        QWidget* w = c.dialog->findChild<QWidget*>(control);
        QVERIFY2(w, qPrintable(QString(c.name) + "." + control));
        // Every control lies inside the client area.
        QVERIFY2(QRect(QPoint(0, 0), c.client).contains(w->geometry()), qPrintable(control));
      }
    }
    QCOMPARE(unc.findChild<QRadioButton*>("SaveRB")->text(), qru("Сохранить в файл"));
    QCOMPARE(unc.findChild<QRadioButton*>("LoadRB")->text(), qru("Загрузить из файла"));
    QCOMPARE(ask.findChild<QPushButton*>("OkButn")->text(), qru("ОК"));
    QCOMPARE(ask.findChild<QPushButton*>("CancelButn")->text(), qru("Отмена"));
  }

  void saveAsTemplateWindowLooksAsDescribed() {
    TShablonimF f;
    f.ShabFolder = "C:\\shab\\";
    f.show();
    QCOMPARE(f.windowTitle(), qru("Куда сохранять шаблон?"));
    QCOMPARE(f.size(), QSize(383, 226));
    QCOMPARE(f.minimumSize(), f.maximumSize());
    QCOMPARE(f.findChild<QLabel*>("Label1")->text(),
             qru("Выберите старый шаблон (перезаписать его) или введите новое имя."));
    QCOMPARE(f.findChild<QPushButton*>("OkBut")->text(), qru("ОК"));
    QCOMPARE(f.findChild<QPushButton*>("CancelBut")->text(), qru("Отмена"));
    QCOMPARE(f.findChild<QPushButton*>("DelBut")->text(), qru("Удалить"));
    // Every entry matching "*.zap" (the folder sub.zap too), without the
    // extension, folders first, then in the order of the file names ("a.b.zap"
    // before "a.zap"); a.b.zap is listed as a.b.
    QCOMPARE(items(f.ShabList), QStringList({"sub", "a.b", "a", "Swamp"}));
    QVERIFY(!f.OkBut->isEnabled());
    QVERIFY(!f.DelBut->isEnabled());
  }

  void typingSelectsExactMatchOnly() {
    TShablonimF f;
    f.ShabFolder = "C:\\shab\\";
    f.show();
    QTest::keyClicks(f.ShabNamEd, "Swamp");
    QVERIFY(f.OkBut->isEnabled());
    QVERIFY(f.DelBut->isEnabled());
    QCOMPARE(f.ShabList->currentItem()->text(), QString("Swamp"));
    // One letter's case changed: no match.
    f.ShabNamEd->setText("swamp");
    QVERIFY(f.OkBut->isEnabled());
    QVERIFY(!f.DelBut->isEnabled());
    QVERIFY(f.ShabList->currentItem() == nullptr);
    f.ShabNamEd->clear();
    QVERIFY(!f.OkBut->isEnabled());
    // A click on an item copies it into the name field.
    clickItem(f.ShabList, "a.b");
    QCOMPARE(f.ShabNamEd->text(), QString("a.b"));
    QVERIFY(f.DelBut->isEnabled());
  }

  void overwriteQuestion() {
    TShablonimF f;
    f.ShabFolder = "C:\\shab\\";
    f.show();
    f.ShabNamEd->setText("Swamp");
    (*script)->answers = {Answer::Cancel};
    QTest::mouseClick(f.OkBut, Qt::LeftButton);
    QCOMPARE((*script)->messages.size(), size_t(1));
    const Message& m = (*script)->messages[0];
    QCOMPARE(m.icon, Icon::Warning);
    QCOMPARE(m.caption, std::string("Warning"));
    QCOMPARE(m.buttons, unsigned(ButtonYes | ButtonCancel));
    QCOMPARE(QString::fromStdString((*script)->texts()[0]),
             qru("Шаблон с таким именем уже существует. Вы хотите его перезаписать?"));
    QVERIFY(f.isVisible());
    QCOMPARE(f.ShabNamEd->text(), QString("Swamp"));
    QVERIFY(f.ShabFile.empty());

    (*script)->answers = {Answer::Yes};
    QTest::mouseClick(f.OkBut, Qt::LeftButton);
    QCOMPARE(f.result(), int(QDialog::Accepted));
    QCOMPARE(f.ShabFile, std::string("C:\\shab\\Swamp.zap"));

    // A new name: no question.
    (*script)->clear();
    f.show();
    QCOMPARE(f.ShabNamEd->text(), QString());
    QTest::keyClicks(f.ShabNamEd, "new");
    QTest::mouseClick(f.OkBut, Qt::LeftButton);
    QVERIFY((*script)->messages.empty());
    QCOMPARE(f.ShabFile, std::string("C:\\shab\\new.zap"));
  }

  void deleteTemplate() {
    TShablonimF f;
    f.ShabFolder = "C:\\shab\\";
    f.show();
    f.ShabNamEd->setText("Swamp");
    (*script)->answers = {Answer::No};
    QTest::mouseClick(f.DelBut, Qt::LeftButton);
    QVERIFY(drive->exists("shab/Swamp.zap"));
    QCOMPARE(QString::fromStdString((*script)->texts()[0]), qru("Точно удалить?"));
    QCOMPARE((*script)->messages[0].buttons, unsigned(ButtonYes | ButtonNo));
    (*script)->answers = {Answer::Yes};
    QTest::mouseClick(f.DelBut, Qt::LeftButton);
    QVERIFY(!drive->exists("shab/Swamp.zap"));
    QCOMPARE(items(f.ShabList), QStringList({"sub", "a.b", "a"}));
    QCOMPARE(f.ShabNamEd->text(), QString());
    QVERIFY(!f.DelBut->isEnabled());
    QVERIFY(f.isVisible());
  }

  void badTemplateNamesAreRefused_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("parent") << "..\\..\\evil";
    QTest::newRow("slash") << "a/b";
    QTest::newRow("dot") << ".";
    QTest::newRow("dotdot") << "..";
    QTest::newRow("colon") << "C:x";
    QTest::newRow("star") << "a*";
    QTest::newRow("quote") << "a\"b";
    QTest::newRow("not cp1251") << QString::fromUtf8("болото\xe4\xb8\xad");
    QTest::newRow("device CON") << "CON";
    QTest::newRow("device nul.x") << "nul.x";
    QTest::newRow("device Com1") << "Com1";
    QTest::newRow("device lpt9") << "lpt9";
  }
  void badTemplateNamesAreRefused() {
    QFETCH(QString, name);
    TShablonimF f;
    f.ShabFolder = "C:\\shab\\";
    f.show();
    f.ShabNamEd->setText(name);
    QTest::mouseClick(f.OkBut, Qt::LeftButton);
    QVERIFY(f.isVisible());
    QVERIFY(f.ShabFile.empty());
    QCOMPARE((*script)->messages.size(), size_t(1));
    QCOMPARE((*script)->messages[0].icon, Icon::Error);
    // Deleting under such a name touches nothing either.
    (*script)->answers = {Answer::Yes};
    QTest::mouseClick(f.DelBut, Qt::LeftButton);
    QCOMPARE(items(f.ShabList).size(), 4);
    QVERIFY(drive->exists("Kessik.ini"));
  }

  void templateChooser() {
    TShablonimF owner;
    TCheckShablF c(nullptr, &owner);
    owner.ShabFolder = "C:\\shab\\";
    c.show();
    QCOMPARE(c.windowTitle(), qru("Выберите шаблон:"));
    QCOMPARE(c.size(), QSize(306, 269));
    QCOMPARE(items(c.ShabList), QStringList({"sub", "a.b", "a", "Swamp"}));
    QVERIFY(!c.OkBut->isEnabled());
    // The list getting the focus from the keyboard makes an item current but
    // picks nothing: "ОК" stays off, so Enter cannot make a record from a
    // template nobody chose.
    QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(c.ShabList, &focusIn);
    QVERIFY(c.ShabList->selectedItems().isEmpty());
    QVERIFY(!c.OkBut->isEnabled());
    QTest::keyClick(&c, Qt::Key_Return);
    QVERIFY(c.isVisible());
    clickItem(c.ShabList, "a.b");
    QVERIFY(c.OkBut->isEnabled());
    QTest::mouseClick(c.OkBut, Qt::LeftButton);
    QCOMPARE(c.result(), int(QDialog::Accepted));
    QCOMPARE(owner.ShabFile, std::string("C:\\shab\\a.b.zap"));

    // A template whose extension has other case is chosen by its real name.
    drive->write("shab/Upper.ZAP", "U");
    c.show();
    clickItem(c.ShabList, "Upper");
    QTest::mouseClick(c.OkBut, Qt::LeftButton);
    QCOMPARE(owner.ShabFile, std::string("C:\\shab\\Upper.ZAP"));

    // A folder that matches is listed and chosen like a template.
    c.show();
    clickItem(c.ShabList, "sub");
    QTest::mouseClick(c.OkBut, Qt::LeftButton);
    QCOMPARE(owner.ShabFile, std::string("C:\\shab\\sub.zap"));

    // A missing folder: an empty list, only "Отмена" can be pressed.
    owner.ShabFolder = "C:\\none\\";
    c.show();
    QCOMPARE(c.ShabList->count(), 0);
    QVERIFY(!c.OkBut->isEnabled());
    QTest::mouseClick(c.CancelBut, Qt::LeftButton);
    QCOMPARE(c.result(), int(QDialog::Rejected));
  }

  void textPrompt() {
    TAskFnForm f;
    f.AskPrompt = ru("Введите значение поля Name для новой записи (маску):");
    f.show();
    QCOMPARE(f.size(), QSize(376, 103));
    QCOMPARE(f.windowTitle(), qru("Введите значение поля Name для новой записи (маску):"));
    QCOMPARE(f.Label1->text(), f.windowTitle());
    QVERIFY(!f.OkButn->isEnabled());
    // Enter in an empty prompt does nothing.
    QTest::keyClick(f.Edit1, Qt::Key_Return);
    QVERIFY(f.isVisible());
    f.Edit1->insert(QString::fromUtf8("Болото"));
    QVERIFY(f.OkButn->isEnabled());
    f.Edit1->clear();
    QVERIFY(f.OkButn->isEnabled());  // stays enabled once enabled
    f.Edit1->insert(QString::fromUtf8("Болото"));
    QTest::keyClick(f.Edit1, Qt::Key_Return);
    QCOMPARE(f.result(), int(QDialog::Accepted));
    QCOMPARE(QByteArray::fromStdString(f.AskResult), cp("Болото"));

    // Shown again: emptied, OK disabled; a character cp1251 cannot hold is refused.
    f.show();
    QCOMPARE(f.Edit1->text(), QString());
    QVERIFY(!f.OkButn->isEnabled());
    f.Edit1->setText(QString::fromUtf8("x\xe2\x82\xac\xe2\x98\x83"));  // the snowman has no cp1251 byte
    QTest::mouseClick(f.OkButn, Qt::LeftButton);
    QVERIFY(f.isVisible());
    QCOMPARE((*script)->messages.size(), size_t(1));
    QVERIFY(QString::fromStdString((*script)->texts()[0]).contains("U+2603"));
  }

  void rawValueSaveToFile() {
    TUncAskF f;
    f.UncValue = std::string("\0\1\2\3\0\0\0\7", 8);
    f.UncLength = 8;
    f.show();
    QCOMPARE(f.windowTitle(), qru("Что делать со значением?"));
    QCOMPARE(f.size(), QSize(236, 88));
    QCOMPARE(f.InfoLab->text(), qru("Длина значения 8 байтов"));
    QVERIFY(f.SaveRB->isChecked());
    // Cancelling the file dialog keeps the dialog open.
    QTest::mouseClick(f.OkBut, Qt::LeftButton);
    QVERIFY(f.isVisible());
    QVERIFY(f.UncSaved);
    (*script)->files = {std::string("C:\\out\\field.bin")};
    QTest::mouseClick(f.OkBut, Qt::LeftButton);
    QCOMPARE(f.result(), int(QDialog::Accepted));
    QCOMPARE(drive->read("out/field.bin"), QByteArray("\0\1\2\3\0\0\0\7", 8));
    QCOMPARE(settings().DefalDir, std::string("C:\\out\\"));
    QVERIFY(drive->read("Kessik.ini").contains("DefalDir=C:\\out\\\r\n"));
    // The save dialog opened in DefalDir with the "any file" filter.
    QCOMPARE((*script)->fileRequests.size(), size_t(2));
    QVERIFY((*script)->fileRequests[1].save);
    QCOMPARE(QByteArray::fromStdString((*script)->fileRequests[1].request.filter), cp("Любой файл (*.*)|*.*"));
  }

  void rawValueLoadFromFile() {
    drive->write("in/ten.bin", "0123456789");
    drive->write("in/eight.bin", "abcdefgh");
    settings().DefalDir = "C:\\in\\";
    TUncAskF f;
    f.UncValue = std::string(8, '\0');
    f.UncLength = 8;
    f.LoadRB->setChecked(true);
    f.show();
    // Another length: the warning; No keeps the dialog open and the value.
    (*script)->files = {std::string("C:\\in\\ten.bin")};
    (*script)->answers = {Answer::No};
    QTest::mouseClick(f.OkBut, Qt::LeftButton);
    QVERIFY(f.isVisible());
    QCOMPARE(f.UncLength, std::int64_t(8));
    QCOMPARE((*script)->messages[0].buttons, unsigned(ButtonYes | ButtonNo));
    QCOMPARE((*script)->messages[0].icon, Icon::Warning);
    QCOMPARE(QByteArray::fromStdString((*script)->messages[0].text),
             cp("ВНИМАНИЕ! Выбранный вами файл имеет длину 10 байт,\r а длина выбранного поля записи 8 байт. "
                "Всеравно хотите загрузить?"));
    (*script)->files = {std::string("C:\\in\\ten.bin")};
    (*script)->answers = {Answer::Yes};
    QTest::mouseClick(f.OkBut, Qt::LeftButton);
    QCOMPARE(f.result(), int(QDialog::Accepted));
    QVERIFY(!f.UncSaved);
    QCOMPARE(f.UncValue, std::string("0123456789"));
    QCOMPARE(f.UncLength, std::int64_t(10));

    // The same length loads without a question; the mode stays "load".
    f.show();
    QVERIFY(f.LoadRB->isChecked());
    QCOMPARE(f.InfoLab->text(), qru("Длина значения 10 байтов"));
    f.UncLength = 8;
    (*script)->clear();
    (*script)->files = {std::string("C:\\in\\eight.bin")};
    QTest::mouseClick(f.OkBut, Qt::LeftButton);
    QVERIFY((*script)->messages.empty());
    QCOMPARE(f.UncValue, std::string("abcdefgh"));
  }

  void valueChooser() {
    TValueSelectorF f;
    f.SelList = "50     HUMAN\r51     MONSTER\r";
    f.SelIndex = 1;
    f.show();
    QCOMPARE(f.windowTitle(), qru("Выберите нужное значение."));
    QCOMPARE(f.size(), QSize(356, 85));
    QCOMPARE(f.Selector->count(), 2);
    QCOMPARE(f.Selector->currentText(), QString("51     MONSTER"));
    QVERIFY(f.SelList.empty());  // consumed
    QTest::mouseClick(f.OkBut, Qt::LeftButton);
    QCOMPARE(f.SelResult, std::string("51     MONSTER"));
    QCOMPARE(ValueCode(f.SelResult), std::string("51"));
    QCOMPARE(ValueCode("HUMAN"), std::string("HUMAN"));
    // A typed text is taken as it is.
    f.SelList = "1 A\r";
    f.SelIndex = 0;
    f.show();
    f.Selector->setEditText("77");
    QTest::mouseClick(f.OkBut, Qt::LeftButton);
    QCOMPARE(f.SelResult, std::string("77"));
  }

  void editorsReachDialogsThroughHooks() {
    TShablonimF shab;
    TCheckShablF check;
    TValueSelectorF sel;
    TAskFnForm ask;
    installDialogHooks();
    // Cancelling the chooser gives a single carriage return.
    const std::string r = runModal(&sel, [&] { QTest::mouseClick(sel.CancelBut, Qt::LeftButton); },
                                   [] { return dialogs::chooseValue("1 A\r2 B\r", 1); });
    QCOMPARE(r, std::string("\r"));
    const auto chosen = runModal(&check, [&] {
      clickItem(check.ShabList, "Swamp");
      QTest::mouseClick(check.OkBut, Qt::LeftButton);
    }, [] { return dialogs::chooseTemplate("C:\\shab\\"); });
    QCOMPARE(chosen.value_or(""), std::string("C:\\shab\\Swamp.zap"));
    const auto answer = runModal(&ask, [&] {
      QTest::keyClicks(ask.Edit1, "Marsh");
      QTest::keyClick(ask.Edit1, Qt::Key_Enter);
    }, [] { return dialogs::askText("?"); });
    QCOMPARE(answer.value_or(""), std::string("Marsh"));
  }

 private:
  std::unique_ptr<Drive> drive;
  std::unique_ptr<ScopedScriptedInteraction> script;
};

QTEST_MAIN(TstDialogs)
#include "tst_dialogs.moc"
