// The progress window, the folder deletion window, the interaction seam (with
// the production message box), and the text rules at the widget edge.
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <QtTest>

#include "ui/del_form.h"
#include "ui/interaction.h"
#include "ui/look.h"
#include "ui/progress_form.h"
#include "ui/text_viewer.h"
#include "ui/qtext.h"
#include "guienv.h"
#include "platform/files.h"
#include "util/notify.h"

using namespace kessik;
using guitest::cp;
using guitest::Drive;

class TstSupportWindows : public QObject {
  Q_OBJECT

 private slots:
  void progressWindow() {
    Drive drive;
    TShowProcessF p;
    QCOMPARE(p.windowTitle(), qru("Подождите... типа думаю ;)..."));
    QCOMPARE(p.minimumSize(), p.maximumSize());
    QCOMPARE(p.PrBar->maximum(), 100);
    Progress& progress = p;
    progress.show();
    QVERIFY(p.isVisible());
    progress.setLine1(ru("C:\\bases\\items.idb"));
    progress.setStage(ru("Распаковка"));
    QCOMPARE(p.InfoLab1->text(), QString("C:\\bases\\items.idb"));
    QCOMPARE(p.InfoLab2->text(), qru("Распаковка"));
    // A million positions redraw the bar only when what it shows changes.
    progress.setMaximum(1000000);
    for (std::uint64_t i = 0; i <= 1000000; ++i) progress.setPosition(i);
    QVERIFY2(p.barUpdates() <= 1001, qPrintable(QString::number(p.barUpdates())));
    QVERIFY(p.barUpdates() >= 100);
    QCOMPARE(p.PrBar->value(), p.PrBar->maximum());
    // A new stage moves the bar back to its start.
    progress.setStage("x");
    QCOMPARE(p.PrBar->value(), p.PrBar->minimum());
    // A maximum beyond 32 bits still fills the bar in proportion.
    progress.setMaximum(std::uint64_t(1) << 40);
    progress.setPosition(std::uint64_t(1) << 39);
    QCOMPARE(p.PrBar->value(), (p.PrBar->minimum() + p.PrBar->maximum()) / 2);
    progress.close();
    QVERIFY(!p.isVisible());
  }

  // Work started from a modal window (the sources window) shows its progress
  // above that window: a window manager stacks a window above the one it
  // belongs to, not above a sibling. Without a modal window it belongs to its
  // own parent again.
  void progressWindowBelongsToTheWindowAtWork() {
    QWidget main;
    main.show();
    QDialog sources(&main);
    sources.setModal(true);
    sources.show();
    QTRY_COMPARE(QApplication::activeModalWidget(), &sources);
    TShowProcessF p(&main);
    p.show();
    QVERIFY(p.windowHandle());
    QCOMPARE(p.windowHandle()->transientParent(), sources.windowHandle());
    p.close();
    sources.close();
    p.show();
    QCOMPARE(p.windowHandle()->transientParent(), main.windowHandle());
    p.close();
  }

  void folderDeletionWindow() {
    Drive drive;
    drive.write("work/a/b/c.txt", "1");
    drive.write("work/d.txt", "2");
    TDelForm d;
    QCOMPARE(d.windowTitle(), qru("Подождите..."));
    QCOMPARE(d.InfoLab->text(), qru("Удаление папки..."));
    QCOMPARE(d.minimumSize(), d.maximumSize());
    QVERIFY(deleteFolderWithWaitWindow("C:\\work\\"));
    QVERIFY(!drive.exists("work"));
    QVERIFY(!d.isVisible());
    QVERIFY(d.Deleted);
    // A name beginning with a dot is left, and so is its folder.
    drive.write("keep/.hidden", "h");
    QVERIFY(!deleteFolderWithWaitWindow("C:\\keep\\"));
    QVERIFY(drive.exists("keep/.hidden"));
  }

  // The plain-text viewer that stands in for Notepad: UTF-8 or cp1251 text,
  // a window of its own; a file it cannot show is said, not ignored.
  void plainTextViewer() {
    Drive drive;
    ScopedScriptedInteraction script;
    drive.write("utf8.txt", QString::fromUtf8("Ёжик\nline 2").toUtf8());
    drive.write("cp1251.txt", cp("Ёжик №5"));
    QWidget main;
    QVERIFY(showPlainTextFile("C:\\utf8.txt", &main));
    QVERIFY(showPlainTextFile("C:\\cp1251.txt", &main));
    const auto viewers = main.findChildren<TTextViewerF*>();
    QCOMPARE(viewers.size(), qsizetype(2));
    QCOMPARE(viewers[0]->TextMemo->toPlainText(), QString::fromUtf8("Ёжик\nline 2"));
    QCOMPARE(viewers[0]->windowTitle(), QString("utf8.txt"));
    QVERIFY(viewers[0]->isVisible() && viewers[0]->isWindow() && viewers[0]->TextMemo->isReadOnly());
    QCOMPARE(viewers[1]->TextMemo->toPlainText(), QString::fromUtf8("Ёжик №5"));
    QVERIFY(script->messages.empty());
    QVERIFY(!showPlainTextFile("C:\\missing.txt", &main));
    QCOMPARE(script->messages.size(), size_t(1));
    QVERIFY(QString::fromStdString(script->texts()[0]).contains("C:\\missing.txt"));
    QCOMPARE(main.findChildren<TTextViewerF*>().size(), qsizetype(2));
  }

  void libraryMessagesGoThroughTheSeam() {
    ScopedScriptedInteraction script;
    messageBox(ru("Просто текст"));
    messageDialog(Icon::Error, "e", ButtonOk);
    script->answers = {Answer::Yes};
    QCOMPARE(messageBoxEx("q", ru("Редактор"), Icon::Question, ButtonYes | ButtonNo), Answer::Yes);
    notifier().beep();
    QCOMPARE(script->messages.size(), size_t(3));
    QCOMPARE(script->messages[0].caption, std::string());
    QCOMPARE(script->messages[0].icon, Icon::None);
    QCOMPARE(script->messages[1].caption, std::string("Error"));
    QCOMPARE(script->messages[2].buttons, unsigned(ButtonYes | ButtonNo));
    QCOMPARE(script->beeps, 1);
    // Folder choice through the seam.
    script->folders = {std::string("C:\\games")};
    QCOMPARE(chooseFolder("t", "C:\\"), std::optional<std::string>("C:\\games"));
    QCOMPARE(chooseFolder("t", ""), std::optional<std::string>());
    QCOMPARE(script->folderRequests.size(), size_t(2));
  }

  void productionMessageBox_data() {
    QTest::addColumn<int>("icon");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<unsigned>("buttons");
    QTest::addColumn<QString>("expectedCaption");
    QTest::addColumn<int>("expectedIcon");
    QTest::addColumn<int>("press");
    QTest::addColumn<int>("answer");
    QTest::newRow("plain box: the program's title") << int(Icon::None) << QString() << unsigned(ButtonOk)
        << qru("Редактор части ресурсов ЗМ ") << int(QMessageBox::NoIcon) << int(QMessageBox::Ok) << int(Answer::Ok);
    QTest::newRow("warning yes/cancel") << int(Icon::Warning) << "Warning" << unsigned(ButtonYes | ButtonCancel)
        << "Warning" << int(QMessageBox::Warning) << int(QMessageBox::Cancel) << int(Answer::Cancel);
    QTest::newRow("question yes/no") << int(Icon::Question) << qru("Информация") << unsigned(ButtonYes | ButtonNo)
        << qru("Информация") << int(QMessageBox::Question) << int(QMessageBox::Yes) << int(Answer::Yes);
    QTest::newRow("error") << int(Icon::Error) << "Error" << unsigned(ButtonOk) << "Error"
        << int(QMessageBox::Critical) << int(QMessageBox::Ok) << int(Answer::Ok);
  }
  void productionMessageBox() {
    QFETCH(int, icon);
    QFETCH(QString, caption);
    QFETCH(unsigned, buttons);
    QFETCH(QString, expectedCaption);
    QFETCH(int, expectedIcon);
    QFETCH(int, press);
    QFETCH(int, answer);
    QtInteraction qt;
    QString seenCaption, seenText;
    int seenIcon = -1;
    QMessageBox::StandardButtons seenButtons;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      seenCaption = box->windowTitle();
      seenText = box->text();
      seenIcon = box->icon();
      seenButtons = box->standardButtons();
      box->button(QMessageBox::StandardButton(press))->click();
    });
    // Should the box not be found, close whatever is modal so nothing hangs.
    QTimer::singleShot(5000, [] {
      if (QWidget* w = QApplication::activeModalWidget()) w->close();
    });
    const Answer a = qt.message({Icon(icon), fromQ(caption).value(), ru("Текст сообщения"), buttons});
    QCOMPARE(seenCaption, expectedCaption);
    QCOMPARE(seenText, qru("Текст сообщения"));
    QCOMPARE(seenIcon, expectedIcon);
    QCOMPARE(int(a), answer);
    QCOMPARE(bool(seenButtons & QMessageBox::Yes), bool(buttons & ButtonYes));
    QCOMPARE(bool(seenButtons & QMessageBox::No), bool(buttons & ButtonNo));
    QCOMPARE(bool(seenButtons & QMessageBox::Cancel), bool(buttons & ButtonCancel));
    QCOMPARE(bool(seenButtons & QMessageBox::Ok), bool(buttons & ButtonOk));
  }

  void textAtTheWidgetEdge() {
    ScopedScriptedInteraction script;
    // Every cp1251 byte survives the trip through QString.
    std::string all;
    for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
    QCOMPARE(fromQ(toQ(all)).value(), all);
    QCOMPARE(QByteArray::fromStdString(fromQOrRefuse(QString::fromUtf8("Ёжик №5")).value()), cp("Ёжик №5"));
    QVERIFY(script->messages.empty());
    // A character cp1251 cannot hold is refused, with a message naming it.
    QVERIFY(!fromQOrRefuse(QString::fromUtf8("a\xe4\xb8\xad")).has_value());
    QCOMPARE(script->messages.size(), size_t(1));
    QCOMPARE(script->messages[0].icon, Icon::Error);
    QVERIFY(QString::fromStdString(script->texts()[0]).contains("U+4E2D"));
    // Qt takes the masks from the last brackets (and the dialogs show the
    // label without them); "*.*" is every file, one without a dot too.
    QCOMPARE(toQ(qtFilterFromPairs(ru("Любой файл (*.*)|*.*"))), qru("Любой файл (*.*) (*)"));
    QCOMPARE(QString::fromStdString(qtFilterFromPairs("Texts|*.txt|All|*.*")), QString("Texts (*.txt);;All (*)"));
    QCOMPARE(toQ(qtFilterFromPairs(ru("Ресурсные файлы ЗМ (*.res, *.mq)|*.res; *.mq"))),
             qru("Ресурсные файлы ЗМ (*.res, *.mq) (*.res *.mq)"));
  }

  // The program's own icon (not Qt's) in every size a title bar, task bar or
  // About needs, and one font size for every window made afterwards.
  void programLook() {
    const QIcon icon = programIcon();
    for (int size : {16, 32, 48, 256}) QVERIFY(icon.availableSizes().contains(QSize(size, size)));
    const QFont before = QApplication::font();
    applyProgramLook(*qApp);
    QCOMPARE(QApplication::windowIcon().cacheKey() != 0, true);
    QCOMPARE(QApplication::windowIcon().availableSizes(), icon.availableSizes());
    QDialog d;
    QCOMPARE(d.font().pointSize(), kFontPointSize);
    QVERIFY(!d.windowIcon().pixmap(32, 32).isNull());
    QApplication::setFont(before);
  }
};

QTEST_MAIN(TstSupportWindows)
#include "tst_support_windows.moc"
