// The sound list editor, driven through its controls' objectNames, with the
// scripted interaction for its messages and replaced prompt and template
// dialogs.
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include <deque>

#include "app/window_startup.h"
#include "core/codecs.h"
#include "editors/dialog_hooks.h"
#include "editors/engine/soundlist.h"
#include "editors/sound_editor.h"
#include "editortest.h"
#include "guienv.h"
#include "ui/qtext.h"

using namespace kessik;
using guitest::cp;
using guitest::Drive;

namespace {

const std::vector<ASoundRec> kThree = {{"a.wav", 1, "A", "C1"}, {"b.wav", 2, "B", "C2"}, {"c.wav", 3, "C", "C3"}};

std::vector<ASoundRec> numbered(int n) {
  std::vector<ASoundRec> out;
  for (int k = 1; k <= n; ++k) out.push_back({"f" + std::to_string(k) + ".wav", k, "T" + std::to_string(k), "C" + std::to_string(k)});
  return out;
}

QStringList items(QComboBox* box) {
  QStringList out;
  for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
  return out;
}

}  // namespace

class TstSoundEditor : public QObject {
  Q_OBJECT

  std::unique_ptr<Drive> drive;
  std::unique_ptr<ScopedScriptedInteraction> script;
  std::unique_ptr<TASoundEditorF> f;
  guitest::ScriptedDialogs hooks;

  // Opens the dialog (not modally) over the elements.
  void open(const std::string& bytes) {
    f->hide();
    f->SoundListIn = bytes;
    f->show();
  }
  void open(const std::vector<ASoundRec>& list) { open(encodeSoundList(list)); }
  void click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
  void pick(QComboBox* box, int index) { guitest::pickEntry(box, index); }
  QString cell(int row) { return f->ValuesEd->item(row, 1)->text(); }
  void setCell(int row, const QString& text) { f->ValuesEd->item(row, 1)->setText(text); }
  // Which of the six element buttons are enabled, as a word: Z S D N U W.
  QString enabled() {
    QString out;
    const std::pair<QPushButton*, char> buttons[] = {{f->ZashablonitBut, 'Z'}, {f->SaveBut, 'S'}, {f->DeleteBut, 'D'},
                                                     {f->ToNumerBut, 'N'},     {f->UpBut, 'U'},   {f->DownBut, 'W'}};
    for (const auto& [b, c] : buttons)
      if (b->isEnabled()) out += QChar(c);
    return out;
  }
  std::vector<std::string> codes() {
    std::vector<std::string> out;
    for (const auto& e : f->SoundTable) out.push_back(e.Code);
    return out;
  }

 private slots:
  void init() {
    drive = std::make_unique<Drive>();
    script = std::make_unique<ScopedScriptedInteraction>();
    f = std::make_unique<TASoundEditorF>();
    hooks.install();
  }
  void cleanup() {
    f.reset();
    script.reset();
    drive.reset();
  }

  void layoutControlsAndTexts() {
    QCOMPARE(f->objectName(), QString("TASoundEditorF"));
    QCOMPARE(f->windowTitle(), qru("Список звуков..."));
    QCOMPARE(f->minimumSize(), QSize(612, 182));
    QCOMPARE(f->maximumSize(), QSize(612, 182));
    QVERIFY(!f->ZashablonitBut->isEnabled());  // until an element is shown
    const struct {
      const char* name;
      const char* text;
    } controls[] = {{"Label1", "Код:"},       {"Label2", "Номер и текст элемента:"}, {"MaskiBox", nullptr},
                    {"FilesBox", nullptr},    {"ValuesEd", nullptr},                 {"UpBut", ""},
                    {"DownBut", ""},          {"ToNumerBut", "..."},                 {"ZashablonitBut", "Зашаблонить"},
                    {"SaveBut", "Запомнить"}, {"CreateBut", "Создать"},              {"DeleteBut", "Удалить"},
                    {"OkBut", "ОК"},          {"CacelBut", "Отмена"}};
    for (const auto& c : controls) {
      QWidget* w = f->findChild<QWidget*>(c.name);
      QVERIFY2(w, c.name);
      QVERIFY2(QRect(0, 0, 612, 182).contains(w->geometry()), c.name);
      if (auto* l = qobject_cast<QLabel*>(w)) QCOMPARE(l->text(), qru(c.text));
      if (auto* b = qobject_cast<QPushButton*>(w)) QCOMPARE(b->text(), qru(c.text));
    }
    QVERIFY(f->MaskiBox->isEditable() && f->FilesBox->isEditable());
    QVERIFY(!f->UpBut->icon().isNull() && !f->DownBut->icon().isNull());
    // The bottom buttons from left to right, on one line, under the table.
    const QPushButton* order[] = {f->ZashablonitBut, f->SaveBut, f->CreateBut, f->DeleteBut, f->OkBut, f->CacelBut};
    for (int i = 1; i < 6; ++i) {
      QVERIFY(order[i]->x() > order[i - 1]->geometry().right());
      QCOMPARE(order[i]->y(), order[0]->y());
    }
    QVERIFY(order[0]->y() > f->ValuesEd->geometry().bottom());
    // Up, down and "..." stand right of the table, top to bottom.
    QVERIFY(f->UpBut->x() > f->ValuesEd->geometry().right());
    QVERIFY(f->UpBut->y() < f->DownBut->y() && f->DownBut->y() < f->ToNumerBut->y());
    QCOMPARE(f->ValuesEd->rowCount(), 4);
    QCOMPARE(f->ValuesEd->columnWidth(0), 194);
    QCOMPARE(f->ValuesEd->columnWidth(1), 361);
    QCOMPARE(f->ValuesEd->horizontalHeaderItem(0)->text(), qru("Имя поля"));
    QCOMPARE(f->ValuesEd->horizontalHeaderItem(1)->text(), qru("Значение"));
    const char* rows[] = {"File", "Unknown1", "Text", "Code"};
    for (int r = 0; r < 4; ++r) QCOMPARE(f->ValuesEd->item(r, 0)->text(), QString(rows[r]));
  }

  void emptyListOkAndCancel() {
    open(std::string());
    QCOMPARE(enabled(), QString());
    QVERIFY(f->CreateBut->isEnabled() && f->OkBut->isEnabled() && f->CacelBut->isEnabled());
    QCOMPARE(f->MaskiBox->count(), 0);
    QVERIFY(!(f->ValuesEd->item(0, 1)->flags() & Qt::ItemIsEditable));
    click(f->OkBut);
    QCOMPARE(f->result(), int(QDialog::Accepted));
    QCOMPARE(f->SoundListOut, std::string());
    QCOMPARE(SoundCountText(f->SoundListOut), ru("Пусто. Элементов (звуков) в поле нет."));

    // "Отмена" after changes, and the close box: "NIL".
    open(kThree);
    setCell(2, "changed");
    click(f->SaveBut);
    click(f->CacelBut);
    QCOMPARE(f->SoundListOut, std::string("NIL"));
    open(kThree);
    f->close();
    QCOMPARE(f->SoundListOut, std::string("NIL"));
  }

  void okReturnsTheSameBytesOrNormalisedOnes() {
    const std::string written = encodeSoundList(kThree);
    open(written);
    click(f->OkBut);
    QCOMPARE(f->SoundListOut, written);
    // Other type bytes and a four-byte size code: written as this editor writes.
    using namespace std::string_literals;
    auto item = [](int type, const std::string& payload) {
      std::string out;
      appendItem(out, static_cast<std::uint8_t>(type), payload);
      return out;
    };
    const std::string payload = item(5, "a\0"s) + item(6, "\x05\0\0\0"s) + item(7, "Hi\0"s) + item(8, "X1\0"s);
    const std::string odd = "\x04\x29\0\0\0"s + payload;  // 20 bytes with the long size code
    open(odd);
    QCOMPARE(f->SoundCount, 1);
    click(f->OkBut);
    QCOMPARE(f->SoundListOut, encodeSoundList({{"a", 5, "Hi", "X1"}}));
  }

  // An element with bytes after its name's 00 no longer makes the list
  // damaged: it opens without a warning, and OK gives the list back as it was.
  void lenientElementsComeBackUnchanged() {
    installDialogHooks();
    using namespace std::string_literals;
    auto item = [](int type, const std::string& payload) {
      std::string out;
      appendItem(out, static_cast<std::uint8_t>(type), payload);
      return out;
    };
    const std::string odd = item(1, item(1, "b.wav\0junk\0"s) + item(2, "\x02\0"s) + item(3, "B\0"s) + item(4, "C2\0"s));
    const std::string list = encodeSoundList({kThree[0]}) + odd + encodeSoundList({kThree[2]});
    QTimer::singleShot(0, f.get(), [this] {
      QCOMPARE(f->SoundCount, 3);
      pick(f->MaskiBox, 1);
      QCOMPARE(cell(0), QString("b.wav"));
      QCOMPARE(cell(1), QString("2"));
      click(f->OkBut);
    });
    QTimer::singleShot(5000, f.get(), [this] { f->reject(); });
    QCOMPARE(dialogs::editSoundList(list), list);
    QVERIFY((*script)->messages.empty());
  }

  void showingStoringAndDroppingEdits() {
    open(kThree);
    QCOMPARE(items(f->MaskiBox), QStringList({"C1", "C2", "C3"}));
    QCOMPARE(items(f->FilesBox), QStringList({"1   A", "2   B", "3   C"}));
    QCOMPARE(f->MaskiBox->currentIndex(), 0);
    QCOMPARE(f->FilesBox->currentIndex(), 0);
    QCOMPARE(cell(0), QString("a.wav"));
    QCOMPARE(cell(1), QString("1"));
    QCOMPARE(enabled(), QString("ZSDNW"));  // element 1: no "up"

    // An edit not stored is dropped when another element is picked.
    setCell(2, "edited");
    pick(f->FilesBox, 2);
    QCOMPARE(f->MaskiBox->currentIndex(), 2);
    QCOMPARE(cell(2), QString("C"));
    QCOMPARE(enabled(), QString("ZSDNU"));
    pick(f->MaskiBox, 0);
    QCOMPARE(cell(2), QString("A"));
    QCOMPARE(f->SoundTable[0].Text, std::string("A"));

    // "Запомнить" stores the four cells and renames both list items.
    pick(f->MaskiBox, 1);
    setCell(0, "new.wav");
    setCell(1, "-12");
    setCell(2, QString::fromUtf8("Привет"));
    setCell(3, "C1");  // a repeated code is not refused here
    click(f->SaveBut);
    QCOMPARE(f->SoundTable[1], (ASoundRec{"new.wav", -12, cp("Привет").toStdString(), "C1"}));
    QCOMPARE(items(f->MaskiBox), QStringList({"C1", "C1", "C3"}));
    QCOMPARE(items(f->FilesBox), QStringList({"1   A", QString::fromUtf8("2   Привет"), "3   C"}));
    QCOMPARE(f->FilesBox->currentIndex(), 1);
    QVERIFY((*script)->messages.empty());

    // A bad number: the cell selected, a beep, the error box; nothing stored.
    for (const char* bad : {"abc", "", "2147483648"}) {
      (*script)->clear();
      setCell(0, "other.wav");
      setCell(1, bad);
      click(f->SaveBut);
      QCOMPARE((*script)->beeps, 1);
      QCOMPARE((*script)->messages.size(), size_t(1));
      QCOMPARE((*script)->messages[0].icon, Icon::Error);
      QCOMPARE(QString::fromStdString((*script)->messages[0].caption), QString::fromStdString(ru("Ошибка")));
      QCOMPARE(f->ValuesEd->currentRow(), 1);
      QCOMPARE(f->SoundTable[1].File, std::string("new.wav"));
      QCOMPARE(f->SoundTable[1].Unknown1, -12);
    }
    QCOMPARE(QString::fromStdString((*script)->texts()[0]), QString("'2147483648' is not a valid integer value"));

    // A 00 byte in a value is refused the same way: written, it would end the
    // list there. The list stays whole.
    (*script)->clear();
    setCell(1, "5");
    setCell(2, QString("Hel") + QChar(0) + "lo");
    click(f->SaveBut);
    QCOMPARE((*script)->texts(),
             std::vector<std::string>{"В значении поля Text стоит байт 00: в списке звуков он оборвал бы список. "
                                     "Элемент не запомнен."});
    QCOMPARE((*script)->beeps, 1);
    QCOMPARE(f->ValuesEd->currentRow(), 2);
    QCOMPARE(f->SoundTable[1].Unknown1, -12);
    // Whatever the table holds, rebuilding the lists keeps every element.
    f->SoundTable[0].Code = std::string("X\0Y", 3);
    click(f->DownBut);
    QCOMPARE(f->SoundCount, 3);
    QCOMPARE(f->MaskiBox->count(), 3);
  }

  void reorderingByArrowsAndByNumber() {
    open(kThree);
    click(f->DownBut);
    QCOMPARE(codes(), (std::vector<std::string>{"C2", "C1", "C3"}));
    QCOMPARE(f->SoundCurrent, 2);
    QCOMPARE(cell(3), QString("C1"));  // the moved element stays shown
    QCOMPARE(items(f->FilesBox), QStringList({"1   B", "2   A", "3   C"}));
    QCOMPARE(f->FilesBox->currentIndex(), 1);
    QCOMPARE(enabled(), QString("ZSDNUW"));
    // Edits not stored are dropped by an exchange.
    setCell(2, "dropped");
    click(f->UpBut);
    QCOMPARE(codes(), (std::vector<std::string>{"C1", "C2", "C3"}));
    QCOMPARE(f->SoundCurrent, 1);
    QCOMPARE(cell(2), QString("A"));

    // By number: letters, then the range (0, the current one, one past the end), then 3.
    pick(f->MaskiBox, 1);
    hooks.prompts = {std::string("x1"), std::string("0"), std::string("2"), std::string("4"), std::string("99999999999"),
               std::string("3")};
    click(f->ToNumerBut);
    QCOMPARE(hooks.asked.size(), size_t(6));
    QCOMPARE(hooks.asked[0], ru("С каким элементом поменять выбранный элемент?"));
    const auto& m = (*script)->messages;
    QCOMPARE(m.size(), size_t(5));
    QCOMPARE(QString::fromStdString(m[0].text), QString::fromStdString(ru("Вы должны ввести целочисленное число, \"буковки\" не требуются ;)")));
    QCOMPARE(m[0].caption, ru("Не пишите бред!"));
    for (int i = 1; i < 5; ++i) {
      QCOMPARE(QString::fromStdString((*script)->texts()[i]),
               qru("Число должно быть в пределах от 1 до 3, и не должно быть равно 2."));
      QCOMPARE(m[i].caption, ru("Ошибка!"));
      QCOMPARE(m[i].icon, Icon::Error);
    }
    QCOMPARE(codes(), (std::vector<std::string>{"C1", "C3", "C2"}));
    QCOMPARE(f->SoundCurrent, 3);
    // Cancelling the prompt changes nothing.
    click(f->ToNumerBut);
    QCOMPARE(codes(), (std::vector<std::string>{"C1", "C3", "C2"}));
  }

  void creatingFromATemplate() {
    drive->write("shablons/ASounds/hello.zap", "a.wav\r\n7\r\nHello\r\nIGNORED\r\n");
    drive->write("shablons/ASounds/bad.zap", "a.wav\r\nseven\r\nHello\r\n");
    drive->write("shablons/ASounds/zero.zap", QByteArray("a.wav\r\n7\r\nHel\0lo\r\n", 18));
    open(kThree);
    setCell(2, "dropped");
    // A repeated code: the error box and the prompt again; then the template.
    hooks.prompts = {std::string("C2"), std::string("N1")};
    hooks.templates = {std::string("C:\\shablons\\ASounds\\hello.zap")};
    click(f->CreateBut);
    QCOMPARE(hooks.asked, (std::vector<std::string>{ru("Введите значение поля Code для новой записи:"),
                                              ru("Введите значение поля Code для новой записи:"),
                                              "C:\\shablons\\ASounds\\"}));
    QCOMPARE((*script)->texts(),
             (std::vector<std::string>{"ОШИБКА! Такая запись уже есть в базе! Введите уникальную маску!"}));
    QCOMPARE(f->SoundCount, 4);
    QCOMPARE(f->SoundTable[3], (ASoundRec{"a.wav", 7, "Hello", "N1"}));
    QCOMPARE(f->SoundTable[0].Text, std::string("A"));
    QCOMPARE(f->SoundCurrent, 4);
    QCOMPARE(cell(3), QString("N1"));
    QCOMPARE(items(f->FilesBox).last(), QString("4   Hello"));

    // A template that cannot be read, or a cancelled chooser: nothing is added.
    (*script)->clear();
    hooks.prompts = {std::string("N2"), std::string("N3"), std::string("N4")};
    hooks.templates = {std::string("C:\\shablons\\ASounds\\bad.zap"), std::string("C:\\shablons\\ASounds\\zero.zap"),
                       std::nullopt};
    click(f->CreateBut);
    QCOMPARE((*script)->messages.size(), size_t(1));
    QVERIFY(QString::fromStdString((*script)->texts()[0]).contains("bad.zap"));
    click(f->CreateBut);  // a 00 byte in the template
    QCOMPARE((*script)->messages.size(), size_t(2));
    QCOMPARE((*script)->texts()[1], "Элемент не создан из шаблона C:\\shablons\\ASounds\\zero.zap: в строке 3 шаблона "
                                    "(Text) стоит байт 00, а в списке звуков такого символа быть не может.");
    QCOMPARE(f->SoundCount, 4);
    click(f->CreateBut);
    QCOMPARE(f->SoundCount, 4);
    QCOMPARE(f->MaskiBox->count(), 4);

    // A full table takes no more elements.
    open(numbered(1000));
    (*script)->clear();
    hooks.asked.clear();
    click(f->CreateBut);
    QVERIFY(hooks.asked.empty());
    QCOMPARE((*script)->messages.size(), size_t(1));
    QCOMPARE(f->SoundCount, 1000);
  }

  void deleting() {
    open(numbered(5));
    pick(f->MaskiBox, 2);
    (*script)->answers = {Answer::No};
    click(f->DeleteBut);
    QCOMPARE(f->SoundCount, 5);
    const Message& q = (*script)->messages[0];
    QCOMPARE(q.text, ru("Уверены???"));
    QCOMPARE(q.caption, ru("Типа вопрос..."));
    QCOMPARE(q.icon, Icon::Question);
    QCOMPARE(q.buttons, unsigned(ButtonYes | ButtonNo));
    (*script)->answers = {Answer::Yes};
    click(f->DeleteBut);  // element 3 of 5: element 2 is shown
    QCOMPARE(codes(), (std::vector<std::string>{"C1", "C2", "C4", "C5"}));
    QCOMPARE(f->SoundCurrent, 2);
    QCOMPARE(cell(3), QString("C2"));
    QCOMPARE(items(f->FilesBox), QStringList({"1   T1", "2   T2", "3   T4", "4   T5"}));
    // Minimizing and restoring the dialog is no new showing: the changes stay.
    setCell(2, "edited");
    click(f->SaveBut);
    f->setWindowState(Qt::WindowMinimized);
    f->setWindowState(Qt::WindowNoState);
    QCOMPARE(codes(), (std::vector<std::string>{"C1", "C2", "C4", "C5"}));
    QCOMPARE(f->SoundTable[1].Text, std::string("edited"));
    QCOMPARE(f->SoundCurrent, 2);
    QCOMPARE(items(f->FilesBox), QStringList({"1   T1", "2   edited", "3   T4", "4   T5"}));
    pick(f->MaskiBox, 0);
    (*script)->answers = {Answer::Yes};
    click(f->DeleteBut);  // the first: the new first is shown
    QCOMPARE(f->SoundCurrent, 1);
    QCOMPARE(cell(3), QString("C2"));

    open(numbered(1));
    (*script)->answers = {Answer::Yes};
    click(f->DeleteBut);
    QCOMPARE(f->SoundCount, 0);
    QCOMPARE(f->MaskiBox->count(), 0);
    QCOMPARE(cell(0), QString());
    QCOMPARE(enabled(), QString());
    click(f->OkBut);
    QCOMPARE(f->SoundListOut, std::string());
  }

  void savingAsTemplate() {
    open(kThree);
    pick(f->MaskiBox, 1);
    setCell(2, QString::fromUtf8("Здравствуй"));
    hooks.templateSaves = {std::string("C:\\shablons\\ASounds\\greet.zap")};
    click(f->ZashablonitBut);
    QCOMPARE(hooks.asked.back(), std::string("C:\\shablons\\ASounds\\"));
    QCOMPARE(drive->read("shablons/ASounds/greet.zap"), QByteArray("b.wav\r\n2\r\n") + cp("Здравствуй") + "\r\nC2\r\n");
    // The table's values were stored, but the lists keep their texts.
    QCOMPARE(f->SoundTable[1].Text, cp("Здравствуй").toStdString());
    QCOMPARE(f->FilesBox->itemText(1), QString("2   B"));

    // A bad number: asked whether to go on; No writes nothing, Yes the last stored values.
    setCell(1, "x");
    setCell(3, "Z9");
    (*script)->answers = {Answer::Ok, Answer::No};  // the error box, then the question
    hooks.templateSaves = {std::string("C:\\shablons\\ASounds\\other.zap")};
    click(f->ZashablonitBut);
    const Message& q = (*script)->messages.back();
    QCOMPARE(q.caption, ru("ВНИМАНИЕ!!!"));
    QCOMPARE(q.icon, Icon::Warning);
    QCOMPARE(q.text, ru("Открытый сейчас элемент не был сохранен из-за ошибки. Всеравно продолжить? (будет "
                        "использован последний сохраненный вариант)"));
    QVERIFY(!drive->exists("shablons/ASounds/other.zap"));
    (*script)->answers = {Answer::Ok, Answer::Yes};
    click(f->ZashablonitBut);
    QCOMPARE(drive->read("shablons/ASounds/other.zap"), QByteArray("b.wav\r\n2\r\n") + cp("Здравствуй") + "\r\nC2\r\n");
  }

  void okWithABadNumberAsksFirst() {
    open(kThree);
    setCell(1, "x");
    setCell(2, "lost");
    (*script)->answers = {Answer::Ok, Answer::No};
    click(f->OkBut);
    QVERIFY(f->isVisible());
    QCOMPARE((*script)->messages.back().text,
             ru("Открытый сейчас элемент не был сохранен из-за ошибки. Всеравно продолжить?"));
    (*script)->answers = {Answer::Ok, Answer::Yes};
    click(f->OkBut);
    QCOMPARE(f->result(), int(QDialog::Accepted));
    QCOMPARE(f->SoundListOut, encodeSoundList(kThree));
  }

  void editSoundListThroughTheHook() {
    installDialogHooks();
    // Nobody is asked about a list of more elements than the table holds.
    std::string big = encodeSoundList(numbered(1000));
    big += encodeSoundList({{"x", 0, "", ""}});
    QCOMPARE(dialogs::editSoundList(big), std::string("NIL"));
    QVERIFY(!f->isVisible());
    QCOMPARE((*script)->messages.size(), size_t(1));
    QCOMPARE(QString::fromStdString((*script)->texts()[0]),
             qru("В поле 1001 элементов (звуков), а редактор списка вмещает не больше 1000. Список не открыт, поле "
                 "осталось как было."));

    // A list made modal and confirmed.
    (*script)->clear();
    QTimer::singleShot(0, f.get(), [this] {
      pick(f->MaskiBox, 2);
      click(f->UpBut);
      click(f->OkBut);
    });
    QTimer::singleShot(5000, f.get(), [this] { f->reject(); });
    QCOMPARE(dialogs::editSoundList(encodeSoundList(kThree)),
             encodeSoundList({kThree[0], kThree[2], kThree[1]}));

    // A damaged list: a warning on opening; OK asks before replacing it.
    const std::string damaged = encodeSoundList(kThree) + "\x01\x7F";
    QTimer::singleShot(0, f.get(), [this] {
      (*script)->answers = {Answer::No};
      click(f->OkBut);  // No: the dialog stays
      QVERIFY(f->isVisible());
      click(f->CacelBut);
    });
    QTimer::singleShot(5000, f.get(), [this] { f->reject(); });
    QCOMPARE(dialogs::editSoundList(damaged), std::string("NIL"));
    QCOMPARE((*script)->messages.size(), size_t(2));
    QCOMPARE((*script)->messages[0].icon, Icon::Warning);
    QVERIFY(QString::fromStdString((*script)->texts()[0]).contains(qru("Прочитано элементов: 3 из 4")));
    QTimer::singleShot(0, f.get(), [this] {
      (*script)->answers = {Answer::Yes};
      click(f->OkBut);
    });
    QTimer::singleShot(5000, f.get(), [this] { f->reject(); });
    QCOMPARE(dialogs::editSoundList(damaged), encodeSoundList(kThree));
  }
};

QTEST_MAIN(TstSoundEditor)
#include "tst_soundeditor.moc"
