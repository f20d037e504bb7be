// The text editor window and its new-filter dialog, found by objectName, on
// drive C: mapped to a temporary folder, with the scripted interaction.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBlock>
#include <QTextEdit>
#include <QtTest>

#include <QMdiSubWindow>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

#include "app/main_form.h"
#include "guienv.h"
#include "texteditor/rich_text.h"
#include "texteditor/text_edit_form.h"
#include "ui/qtext.h"

using namespace kessik;
using namespace kessik::guitest;

namespace {

QByteArray fixture(const char* name) {
  QFile f(QString(KESSIK_TEST_DATA) + "/" + name);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Names shown in the list, in order.
QStringList names(TTextEdF* w) {
  QStringList out;
  for (int i = 0; i < w->FileListBox->count(); ++i) out << w->FileListBox->item(i)->text();
  return out;
}

void select(TTextEdF* w, const QString& name) {
  const auto found = w->FileListBox->findItems(name, Qt::MatchExactly);
  QVERIFY2(found.size() == 1, qPrintable(name));
  w->FileListBox->setCurrentItem(found.first());
  QVERIFY(found.first()->isSelected());
}

QString ini(const Drive& d) { return QString::fromUtf8(QByteArray::fromStdString(cp1251ToUtf8(d.read("Kessik.ini").toStdString()))); }

}  // namespace

class TstTextEditor : public QObject {
  Q_OBJECT

  std::unique_ptr<Drive> drive;
  std::unique_ptr<ScopedScriptedInteraction> script;

  ScriptedInteraction& sc() { return **script; }

  // A shown window in the folder C:\texts_res\ with the default filters.
  TTextEdF* open(int activeFilter = 1, int number = 0) {
    Settings& s = settings();
    s.TxtEdDlgFiltList = defaultFilterList();
    s.TxtEdDlgActFilt = activeFilter;
    s.TextsEdStart = "C:\\texts_res\\";
    auto* w = new TTextEdF(number);
    w->show();
    return w;
  }

 private slots:
  void init() {
    drive = std::make_unique<Drive>();
    script = std::make_unique<ScopedScriptedInteraction>();
    Settings& s = settings();
    s.TxtEdDlgUseCritSiz = true;
    s.TxtEdDlgCritSiz = 100000;
    s.TxtEdDlgWordWrap = true;
    drive->write("texts_res/map.txt", cp("карта"));
    drive->write("texts_res/MAP.TXT.bak", "x");
    drive->write("texts_res/quest1.txt", "q");
    drive->write("texts_res/doc.rtf", fixture("rtf/plain.rtf"));
    drive->write("texts_res/speech.res", "archive");
    drive->write("texts_res/sub/inner.txt", "inner");
  }
  void cleanup() {
    QList<QPointer<QWidget>> windows;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (qobject_cast<TTextEdF*>(w)) windows << w;
    qDeleteAll(windows);
    script.reset();
    drive.reset();
  }

  void firstShowFiltersAndListing() {
    TTextEdF* w = open(9);  // "map.txt"
    QCOMPARE(w->windowTitle(), qru("Редактор текстов № 1"));
    QCOMPARE(w->FiltersCB->count(), 28);
    QCOMPARE(w->FiltersCB->currentText(), qru("map.txt    |    Параметры карт"));
    QCOMPARE(w->PathEd->text(), QString("C:\\texts_res\\"));
    QCOMPARE(names(w), (QStringList{"..", "sub", "map.txt"}));
    QVERIFY(w->TxtModeRB->isChecked());
    QVERIFY(w->WordWrapCB->isChecked());
    QCOMPARE(w->CritSizED->text(), QString("100000"));
    QVERIFY(!w->ZapakBut->isEnabled() && !w->RaspakBut->isEnabled());

    // Choosing "*" lists everything and is written at once.
    w->FiltersCB->setCurrentIndex(0);
    w->FiltersCBSelect();
    QCOMPARE(names(w), (QStringList{"..", "sub", "doc.rtf", "map.txt", "MAP.TXT.bak", "quest1.txt", "speech.res"}));
    QCOMPARE(w->FileListBox->item(2)->icon().cacheKey() == w->FileListBox->item(3)->icon().cacheKey(), false);
    QVERIFY(ini(*drive).contains("TxtEdDlgActFilt=1\r\n"));

    // A mask typed and confirmed with Enter waits for the next refresh; a
    // known mask in another case selects its filter. The keys go to the
    // combo box, as the keyboard sends them: it holds the focus, not its
    // line edit.
    w->FiltersCB->clearEditText();
    QTest::keyClicks(w->FiltersCB, "QUEST*");
    QCOMPARE(w->FiltersCB->currentText(), QString("QUEST*"));
    QTest::keyClick(w->FiltersCB, Qt::Key_Return);
    QCOMPARE(w->ActMask, std::string("QUEST*"));
    QCOMPARE(w->FiltersCB->currentIndex(), 15);
    QVERIFY(ini(*drive).contains("TxtEdDlgActFilt=16\r\n"));
    QCOMPARE(w->FileListBox->count(), 7);
    w->UsePathButClick();
    QCOMPARE(names(w), (QStringList{"..", "sub", "quest1.txt"}));
  }

  void addingAndDeletingFilters() {
    TTextEdF* w = open(1);
    std::string offered;
    w->AskNewFilter = [&](const std::string& mask, const std::string&, int) {
      offered = mask;
      return std::optional<NewFilter>(NewFilter{"*.txt", ru("Тексты")});
    };
    w->FiltersCB->setEditText("*.txt and more");
    w->AddFilterButClick();
    QCOMPARE(offered, std::string("*.txt"));
    QCOMPARE(w->FiltersCB->count(), 29);
    QCOMPARE(w->FiltCount, 29);
    QCOMPARE(w->FiltersCB->currentText(), qru("*.txt    |    Тексты"));
    QCOMPARE(names(w), (QStringList{"..", "sub", "map.txt", "quest1.txt"}));
    QVERIFY(ini(*drive).contains(qru("|*.mq|МКУ-шки|*.txt|Тексты\r\n")));
    QVERIFY(ini(*drive).contains("TxtEdDlgActFilt=29\r\n"));

    // A known mask is not offered again.
    w->FiltersCB->setEditText("MAP.TXT");
    w->AskNewFilter = [&](const std::string& mask, const std::string&, int) {
      offered = mask;
      return std::optional<NewFilter>();
    };
    w->AddFilterButClick();
    QCOMPARE(offered, std::string());
    QCOMPARE(w->FiltersCB->count(), 29);

    // Deleting asks first; No keeps the filter.
    w->FiltersCB->setCurrentIndex(8);
    sc().answers = {Answer::No};
    w->DelFilterButClick();
    QCOMPARE(w->FiltersCB->count(), 29);
    QCOMPARE(sc().messages.back().caption, ru("ВНИМАНИЕ!"));
    sc().answers = {Answer::Yes};
    w->DelFilterButClick();
    QCOMPARE(w->FiltersCB->count(), 28);
    QVERIFY(settings().TxtEdDlgFiltList.find("map.txt") == std::string::npos);
    QCOMPARE(w->FiltersCB->currentIndex(), 0);
    QVERIFY(ini(*drive).contains("TxtEdDlgActFilt=1\r\n"));
  }

  void deletingTheLastFilterLeavesFoldersOnly() {
    settings().TxtEdDlgFiltList = "*|all";
    settings().TxtEdDlgActFilt = 1;
    settings().TextsEdStart = "C:\\texts_res\\";
    auto* w = new TTextEdF(0);
    w->show();
    QCOMPARE(w->FileListBox->count(), 7);
    sc().answers = {Answer::Yes};
    w->DelFilterButClick();
    QCOMPARE(w->FiltersCB->count(), 0);
    QCOMPARE(w->FiltersCB->currentText(), QString());
    QCOMPARE(settings().TxtEdDlgActFilt, 0);
    QCOMPARE(settings().TxtEdDlgFiltList, std::string());
    QCOMPARE(names(w), (QStringList{"..", "sub"}));
  }

  void newFilterDialog() {
    TNewFilterAskF d("map.txt|Maps|*.res|Archives", 2);
    QCOMPARE(d.windowTitle(), qru("Новый фильтр"));
    struct Case {
      QString mask, label, message;
    } refused[] = {{"", "x", qru("Введите фильтр!")},
                   {"MAP.TXT", "x", qru("МЛЯ! Такой фильтр уже есть! ;)")},
                   {"a|b", "x", qru("В фильтре не может быть пробелов и знака \"|\"!")},
                   {"say*", "a|b", qru("В описании фильтра не может быть знака \"|\"!")}};
    for (const Case& c : refused) {
      sc().clear();
      d.FilterEd->setText(c.mask);
      d.FilterDescEd->setText(c.label);
      d.OkBut->click();
      QCOMPARE(d.result(), int(QDialog::Rejected));
      QCOMPARE(sc().messages.size(), size_t(1));
      QCOMPARE(toQ(sc().messages[0].text), c.message);
      QCOMPARE(sc().messages[0].caption, ru("АШЫПКА!!"));
    }
    d.FilterEd->setText("say*");
    d.FilterDescEd->setText(qru("Реплики"));
    d.show();
    QTest::keyClick(d.FilterDescEd, Qt::Key_Return);
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QCOMPARE(d.Label, ru("Реплики"));

    TNewFilterAskF e("", 0);
    e.show();
    QTest::keyClick(e.FilterEd, Qt::Key_Escape);
    QCOMPARE(e.result(), int(QDialog::Rejected));
    QVERIFY(e.isHidden());
  }

  void navigation() {
    TTextEdF* w = open(1);
    select(w, "sub");
    QVERIFY(w->ZapakBut->isEnabled() && !w->RaspakBut->isEnabled());
    w->FileListBoxDblClick();
    QCOMPARE(w->CurDir, std::string("C:\\texts_res\\sub\\"));
    QCOMPARE(names(w), (QStringList{"..", "inner.txt"}));
    select(w, "..");
    w->FileListBoxDblClick();
    QCOMPARE(w->CurDir, std::string("C:\\texts_res\\"));

    // A typed path gets its backslash; a missing folder gives the nearest one.
    w->PathEd->setText("C:\\texts_res\\sub");
    QTest::keyClick(w->PathEd, Qt::Key_Return);
    QCOMPARE(w->PathEd->text(), QString("C:\\texts_res\\sub\\"));
    w->PathEd->setText("C:\\texts_res\\gone\\deeper");
    w->UsePathButClick();
    QCOMPARE(w->PathEd->text(), QString("C:\\texts_res\\"));
    // A drive that does not exist: "nil" and nothing listed.
    w->PathEd->setText("Q:\\x");
    w->UsePathButClick();
    QCOMPARE(w->PathEd->text(), QString("nil"));
    QCOMPARE(w->FileListBox->count(), 0);
    // With no folder there is nowhere to save, and a relative path is no
    // folder, whatever the working folder holds.
    struct RestoreCwd {
      QString dir = QDir::currentPath();
      ~RestoreCwd() { QDir::setCurrent(dir); }
    } restoreCwd;
    QVERIFY(QDir::setCurrent(drive->host("texts_res/sub")));
    drive->write("texts_res/sub/relprobe/inside.txt", "x");
    w->FileNameEd->setText("zz.txt");
    w->TextBox->setPlainText("text");
    w->SaveButClick();
    QCOMPARE(sc().messages.size(), size_t(1));
    QCOMPARE(toQ(sc().messages[0].text), qru("Файл zz.txt сохранить некуда: текущая директория не найдена."));
    QCOMPARE(sc().messages[0].icon, Icon::Error);
    QVERIFY(!drive->exists("texts_res/sub/nilzz.txt") && !drive->exists("texts_res/sub/zz.txt"));
    QCOMPARE(w->CurFile, std::string());
    for (const char* relative : {"relprobe", "relprobe\\", "C:relprobe"}) {
      w->PathEd->setText(relative);
      w->UsePathButClick();
      QCOMPARE(w->PathEd->text(), QString("nil"));
      QCOMPARE(w->FileListBox->count(), 0);
    }
    // A drive's root has no "..".
    w->PathEd->setText("C:\\");
    w->UsePathButClick();
    QCOMPARE(names(w).first(), QString("texts_res"));
  }

  void aStartFolderWithoutBackslashStillHoldsTheFiles() {
    drive->write("texts_res/foo.txt", "inside");
    drive->write("texts_resfoo.txt", "sibling");
    settings().TxtEdDlgFiltList = defaultFilterList();
    settings().TxtEdDlgActFilt = 1;
    settings().TextsEdStart = "C:\\texts_res";
    auto* w = new TTextEdF(0);
    w->show();
    QCOMPARE(w->PathEd->text(), QString("C:\\texts_res\\"));
    select(w, "foo.txt");
    w->FileListBoxDblClick();
    QCOMPARE(w->EditText(), QString("inside"));
    QCOMPARE(w->CurFile, std::string("C:\\texts_res\\foo.txt"));
    w->TextBox->setPlainText("edited");
    w->SaveButClick();
    QVERIFY(sc().messages.empty());
    QCOMPARE(drive->read("texts_res/foo.txt"), QByteArray("edited"));
    QCOMPARE(drive->read("texts_resfoo.txt"), QByteArray("sibling"));
  }

  void openingTextsAndTheSizeLimit() {
    drive->write("texts_res/limit100.txt", QByteArray(100, 'a'));
    drive->write("texts_res/limit99.txt", QByteArray(99, 'b'));
    settings().TxtEdDlgCritSiz = 100;
    TTextEdF* w = open(1);
    select(w, "limit100.txt");
    w->FileListBoxDblClick();
    QCOMPARE(w->EditText(), QString());
    QCOMPARE(w->CurFile, std::string());
    select(w, "limit99.txt");
    w->FileListBoxDblClick();
    QCOMPARE(w->EditText(), QString(99, 'b'));
    QCOMPARE(w->FileNameEd->text(), QString("limit99.txt"));
    QCOMPARE(w->CurFile, std::string("C:\\texts_res\\limit99.txt"));
    QVERIFY(sc().messages.empty());

    // One click opens texts, not RTF files.
    w->_1ClickCB->setChecked(true);
    QVERIFY(ini(*drive).contains("TxtEdDlg1Click=1\r\n"));
    select(w, "map.txt");
    QCOMPARE(w->EditText(), qru("карта"));
    select(w, "doc.rtf");
    QCOMPARE(w->EditText(), qru("карта"));
    w->FileListBoxDblClick();
    QVERIFY(w->RtfModeRB->isChecked());
    QCOMPARE(w->EditText(), qru("Квест: найти меч.\nВторой абзац, Ёжик и ёлка."));

    // A file that vanished since the listing is not opened.
    QVERIFY(QFile::remove(drive->host("texts_res/quest1.txt")));
    select(w, "quest1.txt");
    QCOMPARE(w->FileNameEd->text(), QString("doc.rtf"));
    QVERIFY(sc().messages.empty());
  }

  void plainTextRoundTripsByteForByte() {
    const QByteArray samples[] = {cp("строка 1\r\nстрока\xC2\xA0два\r\n\r\nконец"), QByteArray("lf\nonly\n"),
                                  QByteArray("\r\n"), QByteArray("tab\there\r\n  indented"),
                                  QByteArray("a\nb\r\nc"), QByteArray("a\r\nb\nc"), QByteArray("a\rb"),
                                  QByteArray("\n\r\r\n\rx\r")};
    TTextEdF* w = open(1);
    for (const QByteArray& bytes : samples) {
      drive->write("texts_res/rt.txt", bytes);
      w->RefreshList();
      w->OpenAsText("rt.txt");
      w->FileNameEd->setText("rt2.txt");
      sc().answers = {Answer::Yes};
      w->SaveButClick();
      QCOMPARE(drive->read("texts_res/rt2.txt"), bytes);
    }
    QCOMPARE(w->FileListBox->findItems("rt2.txt", Qt::MatchExactly).size(), 1);

    // After an edit each line keeps its own ending; a new line takes the one
    // most lines use.
    drive->write("texts_res/rt.txt", "one\ntwo\r\nthree\rfour\r\nfive");
    w->OpenAsText("rt.txt");
    QTextCursor cursor(w->EditDocument()->findBlockByNumber(0));
    cursor.movePosition(QTextCursor::EndOfBlock);
    cursor.insertText("!");
    cursor.movePosition(QTextCursor::End);
    cursor.insertText("\nsix");
    w->SaveButClick();
    QCOMPARE(drive->read("texts_res/rt.txt"), QByteArray("one!\ntwo\r\nthree\rfour\r\nfive\r\nsix"));
  }

  void aLargeTextShowsAtOnceLoadsWholeAndSavesBack() {
    // Over a megabyte of game lines in several pieces: CR LF lines, some LF
    // and CR ones, a CR LF split where a piece ends and a lone CR there.
    QByteArray bytes;
    for (int i = 0; bytes.size() < 1500000; ++i)
      bytes += "say" + QByteArray::number(i) + "=" + cp("Вернись, пока светло!") + (i % 1000 == 3 ? "\n" : i % 777 == 5 ? "\r" : "\r\n");
    const qsizetype piece = 256 * 1024;
    bytes[piece - 1] = '\r';
    bytes[piece] = '\n';
    bytes[2 * piece - 1] = '\r';
    drive->write("texts_res/large.txt", bytes);
    TTextEdF* w = open(1);
    w->OpenAsText("large.txt");
    // The first screen at once, the rest while the window goes on: the pane
    // cannot be edited and nothing can be saved until it is whole.
    QVERIFY(w->Loading());
    QVERIFY(w->EditText().startsWith(qru("say0=Вернись, пока светло!\nsay1=")));
    QVERIFY(w->TextBox->isReadOnly());
    QVERIFY(!w->SaveBut->isEnabled());
    QVERIFY(w->LoadLab->isVisible());
    QVERIFY(w->LoadLab->text().startsWith(qru("Загружается файл: ")));
    w->FileNameEd->setText("half.txt");
    w->SaveButClick();
    QVERIFY(!drive->exists("texts_res/half.txt"));
    QTRY_VERIFY(!w->Loading());
    QVERIFY(!w->TextBox->isReadOnly() && w->SaveBut->isEnabled() && !w->LoadLab->isVisible());
    QCOMPARE(w->findChild<QWidget*>("EditBox"), w->TextBox);
    // Far fewer blocks than lines, and every line as it was.
    QVERIFY(w->EditDocument()->blockCount() < bytes.count('\n') / 10);
    w->FileNameEd->setText("copy.txt");
    w->SaveButClick();
    QCOMPARE(drive->read("texts_res/copy.txt"), bytes);

    // An edit changes its line only.
    QTextCursor cursor = w->EditDocument()->find("say40000=");
    QVERIFY(!cursor.isNull());
    cursor.clearSelection();
    cursor.insertText("!");
    w->SaveButClick();
    QByteArray edited = bytes;
    edited.insert(edited.indexOf("say40000=") + 9, "!");
    QCOMPARE(drive->read("texts_res/copy.txt"), edited);
    QVERIFY(sc().messages.empty());

    // Another file opened while one loads takes its place whole.
    w->OpenAsText("large.txt");
    QVERIFY(w->Loading());
    w->OpenAsText("map.txt");
    QVERIFY(!w->Loading());
    QTest::qWait(50);
    QCOMPARE(w->EditText(), qru("карта"));
    QVERIFY(!w->TextBox->isReadOnly() && w->SaveBut->isEnabled());
  }

  void aLargeRtfIsConvertedAsideAndShown() {
    rtf::Document model;
    rtf::CharFormat bold;
    bold.bold = true;
    for (int i = 0; i < 15000; ++i)
      model.paragraphs.push_back({rtf::Align::Left, {{"Глава " + std::to_string(i) + ". ", bold}, {"Путник, вернись!", {}}}});
    const std::string bytes = rtf::write(model);
    QVERIFY(bytes.size() > 1 << 20);
    drive->write("texts_res/large.rtf", QByteArray::fromStdString(bytes));
    TTextEdF* w = open(1);
    w->OpenAsRtf("large.rtf");
    QVERIFY(w->Loading());
    QVERIFY(w->RtfModeRB->isChecked());
    QCOMPARE(w->FileNameEd->text(), QString("large.rtf"));
    QVERIFY(!w->SaveBut->isEnabled());
    QTRY_VERIFY(!w->Loading());
    QCOMPARE(w->findChild<QWidget*>("EditBox"), w->RtfBox);
    QVERIFY(w->RtfBox->isVisible() && !w->TextBox->isVisible());
    QCOMPARE(rtfFromDocument(*w->EditDocument()), rtf::read(bytes).document);
    QVERIFY(sc().messages.empty());
    // Text files go back to the plain pane.
    w->OpenAsText("map.txt");
    QCOMPARE(w->findChild<QWidget*>("EditBox"), w->TextBox);
    QVERIFY(w->TextBox->isVisible() && !w->RtfBox->isVisible());

    // Closed while it converts: nothing is left running.
    w->OpenAsRtf("large.rtf");
    QVERIFY(w->Loading());
    QPointer<TTextEdF> p(w);
    w->close();
    QTRY_VERIFY(!p);
  }

  void savingAsksBeforeReplacingAnotherFile() {
    TTextEdF* w = open(1);
    select(w, "map.txt");
    w->FileListBoxDblClick();
    // Saving where it came from asks nothing.
    w->TextBox->setPlainText(qru("новая карта"));
    w->SaveButClick();
    QVERIFY(sc().messages.empty());
    QCOMPARE(drive->read("texts_res/map.txt"), cp("новая карта\r\n").left(cp("новая карта").size()));

    w->FileNameEd->setText("quest1.txt");
    sc().answers = {Answer::No};
    w->SaveButClick();
    QCOMPARE(toQ(sc().messages.at(0).text), qru("Уже существует\rC:\\texts_res\\quest1.txt\rПерезаписать?"));
    QCOMPARE(drive->read("texts_res/quest1.txt"), QByteArray("q"));
    QCOMPARE(w->CurFile, std::string("C:\\texts_res\\map.txt"));

    // A character cp1251 cannot hold is refused; nothing is written.
    sc().clear();
    w->FileNameEd->setText("new.txt");
    w->TextBox->setPlainText(QString::fromUtf8("中文"));
    w->SaveButClick();
    QCOMPARE(sc().messages.size(), size_t(1));
    QVERIFY(!drive->exists("texts_res/new.txt"));

    // A file that cannot be created: the platform's message.
    sc().clear();
    w->TextBox->setPlainText("x");
    w->FileNameEd->setText("sub");
    sc().answers = {Answer::Yes};
    w->SaveButClick();
    QCOMPARE(sc().messages.size(), size_t(2));
    QCOMPARE(toQ(sc().messages[1].text),
             qru("Cannot create file C:\\texts_res\\sub\n"
                 "Не удалось записать файл «C:\\texts_res\\sub»: это папка."));
    QCOMPARE(w->CurFile, std::string("C:\\texts_res\\map.txt"));
  }

  // Saved under a new name into a folder that cannot be written: the window
  // keeps its file and its edits, and says which file failed and why.
  void failedSaveAsKeepsTheFileAndTheEdits() {
    TTextEdF* w = open(1);
    select(w, "map.txt");
    w->FileListBoxDblClick();
    QCOMPARE(w->CurFile, std::string("C:\\texts_res\\map.txt"));
    w->TextBox->setPlainText(qru("правка"));

    // The folder typed into the path line is gone by the time of saving.
    w->PathEd->setText("C:\\texts_res\\sub\\");
    QTest::mouseClick(w->UsePathBut, Qt::LeftButton);
    QVERIFY(QDir(drive->host("texts_res/sub")).removeRecursively());
    w->FileNameEd->setText("copy.txt");
    QTest::mouseClick(w->SaveBut, Qt::LeftButton);
    QCOMPARE(sc().messages.size(), size_t(1));
    QCOMPARE(toQ(sc().messages[0].text),
             qru("Cannot create file C:\\texts_res\\sub\\copy.txt\n"
                 "Не удалось записать файл «C:\\texts_res\\sub\\copy.txt»: нет такого файла или папки."));
    QCOMPARE(w->CurFile, std::string("C:\\texts_res\\map.txt"));
    QCOMPARE(w->TextBox->toPlainText(), qru("правка"));
    QCOMPARE(drive->read("texts_res/map.txt"), cp("карта"));

#ifndef Q_OS_WIN
    if (::geteuid() == 0) QSKIP("root writes into read-only folders");
    // A folder without the right to write.
    sc().clear();
    QVERIFY(QDir().mkpath(drive->host("texts_res/sub")));
    QVERIFY(QFile::setPermissions(drive->host("texts_res/sub"), QFile::ReadOwner | QFile::ExeOwner));
    QTest::mouseClick(w->SaveBut, Qt::LeftButton);
    QFile::setPermissions(drive->host("texts_res/sub"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(sc().messages.size(), size_t(1));
    QCOMPARE(toQ(sc().messages[0].text),
             qru("Cannot create file C:\\texts_res\\sub\\copy.txt\n"
                 "Не удалось записать файл «C:\\texts_res\\sub\\copy.txt»: нет доступа."));
    QCOMPARE(w->CurFile, std::string("C:\\texts_res\\map.txt"));
    QCOMPARE(w->TextBox->toPlainText(), qru("правка"));
#endif
  }

  void rtfFilesOpenAndSaveAsRtf() {
    drive->write("texts_res/formatted.rtf", fixture("rtf/formatted.rtf"));
    TTextEdF* w = open(1);
    w->OpenAsRtf("formatted.rtf");
    QVERIFY(w->RtfModeRB->isChecked());
    // Opening is no edit: there is nothing to undo.
    QVERIFY(!w->EditDocument()->isUndoAvailable());
    const rtf::Document first = rtfFromDocument(*w->EditDocument());
    QCOMPARE(first, rtf::read(fixture("rtf/formatted.rtf").toStdString()).document);
    w->FileNameEd->setText("copy.rtf");
    w->SaveButClick();
    QVERIFY(drive->read("texts_res/copy.rtf").startsWith("{\\rtf1"));
    w->OpenAsRtf("copy.rtf");
    QCOMPARE(rtfFromDocument(*w->EditDocument()), first);

    // Switching the mode keeps the pane and decides how the next save writes.
    w->OpenAsRtf("doc.rtf");
    w->TxtModeRB->setChecked(true);
    QCOMPARE(w->EditText(), qru("Квест: найти меч.\nВторой абзац, Ёжик и ёлка."));
    w->FileNameEd->setText("doc.txt");
    w->SaveButClick();
    QCOMPARE(drive->read("texts_res/doc.txt"), cp("Квест: найти меч.\r\nВторой абзац, Ёжик и ёлка."));
    QVERIFY(sc().messages.empty());
  }

  void malformedRtf() {
    drive->write("texts_res/fake.rtf", "just text");
    const QByteArray whole = fixture("rtf/plain.rtf");
    drive->write("texts_res/cut.rtf", whole.left(whole.size() - 40));
    TTextEdF* w = open(1);
    w->OpenAsText("map.txt");
    // No RTF at all: shown as the text it is, in RTF mode, without a word.
    w->OpenAsRtf("fake.rtf");
    QVERIFY(sc().messages.empty());
    QCOMPARE(w->EditText(), QString("just text"));
    QCOMPARE(w->FileNameEd->text(), QString("fake.rtf"));
    QCOMPARE(w->CurFile, std::string("C:\\texts_res\\fake.rtf"));
    QVERIFY(w->RtfModeRB->isChecked());
    w->OpenAsRtf("cut.rtf");
    QCOMPARE(sc().messages.size(), size_t(1));
    QCOMPARE(sc().messages[0].icon, Icon::Warning);
    QVERIFY(w->EditText().startsWith(qru("Квест: найти меч.")));
  }

  void deletingFilesAndFolders() {
    TTextEdF* w = open(1);
    select(w, "quest1.txt");
    sc().answers = {Answer::No};
    QTest::keyClick(w->FileListBox, Qt::Key_Delete);
    QVERIFY(drive->exists("texts_res/quest1.txt"));
    QCOMPARE(toQ(sc().messages.at(0).text),
             qru("Вы точно хотите удалить файл\rC:\\texts_res\\quest1.txt  ?\rФайл удалится сразу, без участия корзины!"));
    sc().answers = {Answer::Yes};
    QTest::keyClick(w->FileListBox, Qt::Key_Delete);
    QVERIFY(!drive->exists("texts_res/quest1.txt"));
    QVERIFY(!names(w).contains("quest1.txt"));

    select(w, "sub");
    sc().answers = {Answer::Yes};
    QTest::keyClick(w->FileListBox, Qt::Key_Delete);
    QCOMPARE(toQ(sc().messages.back().text),
             qru("Вы точно хотите удалить директорию\rC:\\texts_res\\sub\\   ?\rДиректория удалится сразу, без участия корзины!"));
    QVERIFY(!drive->exists("texts_res/sub"));
    QCOMPARE(names(w), (QStringList{"..", "doc.rtf", "map.txt", "MAP.TXT.bak", "speech.res"}));
    // Refreshing from the stored listing does not bring them back.
    w->RefreshList();
    QCOMPARE(w->FileListBox->count(), 5);

    // ".." is never deleted.
    sc().clear();
    select(w, "..");
    QTest::keyClick(w->FileListBox, Qt::Key_Delete);
    QVERIFY(sc().messages.empty());
  }

  void deletingWithOneClickOpeningOpensNothingElse() {
    drive->write("texts_res/quest2.txt", "second");
    settings().TxtEdDlg1Click = true;
    TTextEdF* w = open(1);
    select(w, "quest1.txt");
    QCOMPARE(w->EditText(), QString("q"));
    sc().answers = {Answer::Yes};
    QTest::keyClick(w->FileListBox, Qt::Key_Delete);
    QVERIFY(!drive->exists("texts_res/quest1.txt"));
    // The entry after it is not selected, and so not opened.
    QCOMPARE(w->FileListBox->selectedItems().size(), 0);
    QCOMPARE(w->FileNameEd->text(), QString("quest1.txt"));
    QCOMPARE(w->EditText(), QString("q"));
    QVERIFY(!w->ZapakBut->isEnabled() && !w->RaspakBut->isEnabled());
    // The keyboard goes on from the entry after it.
    QCOMPARE(w->FileListBox->currentItem()->text(), QString("quest2.txt"));
    QTest::keyClick(w->FileListBox, Qt::Key_Space);
    QCOMPARE(w->EditText(), QString("second"));
  }

  void returnOnAnEntryOpensIt() {
    TTextEdF* w = open(1);
    select(w, "sub");
    QTest::keyClick(w->FileListBox, Qt::Key_Return);
    QCOMPARE(w->CurDir, std::string("C:\\texts_res\\sub\\"));
    select(w, "inner.txt");
    QTest::keyClick(w->FileListBox, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(w->EditText(), QString("inner"));
    select(w, "..");
    QTest::keyClick(w->FileListBox, Qt::Key_Return);
    QCOMPARE(w->CurDir, std::string("C:\\texts_res\\"));
    select(w, "doc.rtf");
    QTest::keyClick(w->FileListBox, Qt::Key_Return);
    QVERIFY(w->RtfModeRB->isChecked());
    QCOMPARE(w->EditText(), qru("Квест: найти меч.\nВторой абзац, Ёжик и ёлка."));
  }

  void editingANameInPlaceRenamesNothing() {
    TTextEdF* w = open(1);
    select(w, "map.txt");
    QTest::keyClick(w->FileListBox, Qt::Key_F2);
    QVERIFY(w->LabelEditing);
    auto* editor = w->FileListBox->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->setText("renamed.txt");
    QTest::keyClick(editor, Qt::Key_Delete);
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(!w->LabelEditing);
    QVERIFY(sc().messages.empty());
    QCOMPARE(w->FileListBox->currentItem()->text(), QString("map.txt"));
    QVERIFY(drive->exists("texts_res/map.txt"));
    QVERIFY(!drive->exists("texts_res/renamed.txt"));
  }

  void packingAndUnpackingThroughTheOptionDialogs() {
    TTextEdF* w = open(1);
    QStringList calls;
    w->UnpackWithOptions = [&](const std::string& archive) {
      calls << "unpack " + toQ(archive);
      return std::string("C:\\texts_res\\sub\\");
    };
    w->PackWithOptions = [&](const std::string& folder) {
      calls << "pack " + toQ(folder);
      return std::string();
    };
    select(w, "speech.res");
    QVERIFY(w->RaspakBut->isEnabled() && !w->ZapakBut->isEnabled());
    w->RaspakBut->click();
    QCOMPARE(w->CurDir, std::string("C:\\texts_res\\sub\\"));
    select(w, "..");
    QVERIFY(w->ZapakBut->isEnabled() && !w->RaspakBut->isEnabled());
    w->ZapakBut->click();
    QCOMPARE(calls, (QStringList{"unpack C:\\texts_res\\speech.res", "pack C:\\texts_res\\sub\\"}));
    // Cancelled: the folder is not listed again.
    QCOMPARE(w->FileListBox->currentItem()->text(), QString(".."));
  }

  void settingsAreWrittenAtOnce() {
    // A window closed before it was ever shown writes no size limit.
    QPointer<TTextEdF> hidden(new TTextEdF(0));
    hidden->close();
    QTRY_VERIFY(!hidden);
    QVERIFY(!ini(*drive).contains("TxtEdDlgCritSiz"));
    QCOMPARE(settings().TxtEdDlgCritSiz, 100000);

    TTextEdF* w = open(1);
    QVERIFY(!ini(*drive).contains("TxtEdDlgWordWrap"));  // filling writes nothing
    w->WordWrapCB->setChecked(false);
    QCOMPARE(w->TextBox->lineWrapMode(), QPlainTextEdit::NoWrap);
    QCOMPARE(w->RtfBox->lineWrapMode(), QTextEdit::NoWrap);
    QVERIFY(ini(*drive).contains("TxtEdDlgWordWrap=0\r\n"));
    w->UseCritSizCB->setChecked(false);
    QVERIFY(ini(*drive).contains("TxtEdDlgUseCritSiz=0\r\n"));
    w->CritSizED->setText("12ab");
    QPointer<TTextEdF> p(w);
    w->CloseBut->click();
    QVERIFY(ini(*drive).contains("TxtEdDlgCritSiz=12\r\n"));
    QTRY_VERIFY(!p);
  }

  void theWindowOpensAtItsSizeAndGrows() {
    settings().TxtEdDlgFiltList = defaultFilterList();
    settings().TextsEdStart = "C:\\texts_res\\";
    TMainForm f;
    f.resize(1200, 900);
    f.show();
    f.TextEditMenuClick();
    auto* w = qobject_cast<TTextEdF*>(f.TextEditors[0].data());
    QVERIFY(w);
    QCOMPARE(w->size(), QSize(816, 556));
    QCOMPARE(w->FileListBox->geometry(), QRect(8, 54, 312, 318));
    QCOMPARE(w->EditBox->geometry(), QRect(328, 34, 480, 480));
    auto* frame = qobject_cast<QMdiSubWindow*>(w->parentWidget());
    QVERIFY(frame);
    QVERIFY(frame->windowFlags() & Qt::WindowMaximizeButtonHint);
    frame->showMaximized();
    QTRY_VERIFY(w->width() > 816 && w->height() > 556);
    const int dx = w->width() - 816, dy = w->height() - 556;
    QCOMPARE(w->FileListBox->height(), 318 + dy);
    QVERIFY(w->FileListBox->width() > 312);
    QCOMPARE(w->EditBox->height(), 480 + dy);
    QCOMPARE(w->FileListBox->width() + w->EditBox->width(), 312 + 480 + dx);
    // What stands below them keeps to the bottom and the right.
    QCOMPARE(w->CloseBut->geometry().bottomRight(), QPoint(w->width() - 9, w->height() - 10));
    QCOMPARE(w->CritSizED->y(), 514 + dy);
    QCOMPARE(w->SaveBut->x(), w->EditBox->x());

    // The next text editor opens at the size the last one was given (made
    // taller only: the test screen is 800 wide, less than the window).
    frame->showNormal();
    QTRY_COMPARE(w->size(), QSize(816, 556));
    frame->resize(frame->size() + QSize(0, 60));
    QTRY_COMPARE(w->size(), QSize(816, 616));
    w->close();
    QTRY_VERIFY(!f.TextEditors[0]);
    f.TextEditMenuClick();
    auto* next = qobject_cast<TTextEdF*>(f.TextEditors.back().data());
    QVERIFY(next);
    QCOMPARE(next->size(), QSize(816, 616));
    QCOMPARE(next->EditBox->height(), 480 + 60);
  }

  void mainWindowNumbersItsEditors() {
    settings().TxtEdDlgFiltList = defaultFilterList();
    settings().TextsEdStart = "C:\\texts_res\\";
    TMainForm f;
    f.show();
    f.TextEditMenuClick();
    f.TextEditMenuClick();
    QCOMPARE(f.TextEditors[1]->windowTitle(), qru("Редактор текстов № 2"));
    qobject_cast<TTextEdF*>(f.TextEditors[0].data())->CloseBut->click();
    QTRY_VERIFY(!f.TextEditors[0]);
    f.TextEditMenuClick();
    QVERIFY(f.TextEditors[0]);
    QCOMPARE(f.TextEditors[0]->windowTitle(), qru("Редактор текстов № 1"));
    QCOMPARE(f.TextEditors.size(), size_t(2));
  }
};

QTEST_MAIN(TstTextEditor)
#include "tst_texteditor.moc"
