// The road of one edit, for each game: an archive holding the game's
// databases is unpacked in full, a prints record is changed in its editor
// window, the sources are packed in full, and the archive, unpacked again by
// the stand-in tool (a real child process), holds the change and nothing else
// changed. And the main window closes its section editors once the sources
// window has rebuilt a source tree.
#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "config/settings.h"
#include "app/main_form.h"
#include "support/gui/scripted_interaction.h"
#include "archives/resbuild_form.h"
#include "dbfixtures.h"
#include "editors/schemas/window_table.h"
#include "editors/section_editor.h"
#include "platform/host.h"
#include "sources/ish_form.h"
#include "util/cp1251.h"
#include "platform/files.h"

using namespace kessik;
namespace fs = std::filesystem;

using namespace kessik::fixtures;

namespace {

// prints.db with three sections; the clear-weather lifetime of the second
// Blood Prints record is the one the test edits.
std::string printsDb(int editedLife) {
  std::string blood = printsRecord("Swamp", 15) + printsRecord("Sand", editedLife) + printsRecord("Snow", 45);
  std::string foot = printsRecord("Mud", 60) + printsRecord("Grass", 75);
  std::string fire = printsRecord("Ash", 90);
  return databaseOf({blood, foot, fire});
}

// Any other database: records whose bytes name their file.
std::string otherDb(const std::string& seed) {
  std::vector<std::string> sections;
  for (int s = 1; s <= 3; ++s) {
    std::string records;
    for (int r = 1; r <= 3; ++r) records += node(1, item(1, seed + char('0' + s) + char('0' + r)));
    sections.push_back(records);
  }
  // One long record, so that size codes of both widths occur.
  sections.push_back(node(1, item(1, std::string(300, 'z'))));
  return databaseOf(sections);
}

}  // namespace

class TestEndToEnd : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  TResbuildF* resbuild_ = nullptr;
  TIshF* ish_ = nullptr;

  // Puts the game's databases into its archive through the stand-in tool.
  std::map<std::string, std::string> makeArchive(bool lmp) {
    std::map<std::string, std::string> files;
    for (const auto& f : lmp ? TIshF::lmpCheckList() : TIshF::singlCheckList()) {
      files[f] = f == "prints.db" ? printsDb(30) : otherDb(f);
      writeHost("C:\\stage\\" + f, files[f]);
    }
    fs::create_directories(host("C:\\game\\data"));
    const std::string archive = lmp ? settings().DatabaselmpResPath : settings().DatabaseResPath;
    [&] { QCOMPARE(packFolderWithTool(archive, "C:\\stage\\"), std::string()); }();
    fs::remove_all(host("C:\\stage"));
    return files;
  }

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    ::setenv("KESSIK_DRIVES", ("C=" + dir_.path().toStdString()).c_str(), 1);
    platform::reloadDriveMap();
    ::setenv("KESSIK_RESBUILD", KESSIK_FAKE_RESBUILD, 1);
    Settings& s = settings();
    s.ProgramDir = "C:\\prog\\";
    s.DatabaseResPath = "C:\\game\\data\\database.res";
    s.DatabaselmpResPath = "C:\\game\\data\\databaselmp.res";
    s.DatabaseResIsh = "C:\\game\\ish\\";
    s.DatabaselmpResIsh = "C:\\game\\ishlmp\\";
    resbuild_ = new TResbuildF;
    ish_ = new TIshF;
  }

  void init() {
    std::error_code ec;
    for (auto& e : fs::directory_iterator(dir_.path().toStdString())) fs::remove_all(e.path(), ec);
  }

  void cleanupTestCase() {
    delete ish_;
    delete resbuild_;
  }

  void roadOfOneEdit_data() {
    QTest::addColumn<bool>("lmp");
    QTest::newRow("SINGL: database.res, eight databases") << false;
    QTest::newRow("LMP: databaselmp.res, six databases") << true;
  }

  void roadOfOneEdit() {
    QFETCH(bool, lmp);
    ScopedScriptedInteraction script;
    const std::string archive = lmp ? settings().DatabaselmpResPath : settings().DatabaseResPath;
    auto originals = makeArchive(lmp);

    // "Полная распаковка".
    ish_->FormShow();
    QVERIFY(!lmp ? ish_->FullGetBaseBut->isEnabled() : ish_->FullGetLmpBaseBut->isEnabled());
    script->answers = {Answer::Yes};
    ish_->Changed = false;
    lmp ? ish_->FullGetLmpBaseButClick() : ish_->FullGetBaseButClick();
    QCOMPARE(script->messages.size(), size_t(1));
    QVERIFY(ish_->Changed);
    const std::string root = lmp ? settings().DatabaselmpResIsh : settings().DatabaseResIsh;
    QCOMPARE(readHost(root + "prints\\1\\0000002.zap"), printsRecord("Sand", 30));
    QVERIFY(lmp ? ish_->LmpSourcesReady : ish_->SinglSourcesReady);

    // The Blood Prints editor: the second record's clear-weather lifetime
    // 30 (shown as 2) becomes 5 (stored as 75).
    SectionEditor* editor =
        qobject_cast<SectionEditor*>(createSectionEditor(*findWindow(lmp ? "TPrintsDbR1F" : "TSinglPrintsDbR1F"), nullptr));
    QVERIFY(editor);
    auto* files = editor->findChild<QComboBox*>("FilesBox");
    files->setCurrentIndex(1);
    emit files->activated(1);
    QCOMPARE(editor->rowText(0), std::string("Sand"));
    QCOMPARE(editor->rowText(2), std::string("2"));
    editor->setRowText(2, "5");
    editor->SaveButClick();
    editor->close();
    QCOMPARE(script->messages.size(), size_t(1));
    QCOMPARE(readHost(root + "prints\\1\\0000002.zap"), printsRecord("Sand", 75));

    // "Полная запаковка".
    script->answers = {Answer::Yes};
    lmp ? ish_->FullMakeLmpBaseButClick() : ish_->FullMakeBaseButClick();
    QCOMPARE(script->messages.size(), size_t(2));
    QCOMPARE(readHost(archive).substr(0, 8), std::string("FAKERES2"));

    // Unpacked again: the change, and not one other byte changed.
    QCOMPARE(unpackArchiveWithTool(archive, "C:\\check\\"), std::string());
    for (const auto& [name, bytes] : originals) {
      QCOMPARE(readHost("C:\\check\\" + name), name == "prints.db" ? printsDb(75) : bytes);
    }
    QCOMPARE(size_t(std::distance(fs::directory_iterator(host("C:\\check")), fs::directory_iterator())),
             originals.size());
    QCOMPARE(script->messages.size(), size_t(2));
  }

  // The main window shows the sources window modally; when it comes back
  // having rebuilt a source tree, every open section editor is closed.
  void mainWindowClosesEditorsAfterRebuild() {
    ScopedScriptedInteraction script;
    for (const auto& f : TIshF::lmpCheckList()) {
      writeHost("C:\\game\\data\\databaselmp_res\\" + f, f == "prints.db" ? printsDb(30) : otherDb(f));
    }
    writeHost(settings().DatabaseResIsh + "prints\\1\\0000001.zap", printsRecord("Swamp", 15));
    TMainForm main;
    main.setSourcesWindow([this] { return ish_->showChanged(); });
    main.EditorItemClick(*findWindow("TSinglPrintsDbR1F"));
    QVERIFY(isSectionEditorOpen("TSinglPrintsDbR1F"));

    // Left without a change: the editor stays.
    QTimer::singleShot(0, ish_, [this] { ish_->CloseButClick(); });
    main.IshMenuClick();
    QVERIFY(isSectionEditorOpen("TSinglPrintsDbR1F"));

    // The multiplayer sources rebuilt: the single-player editor goes too.
    QTimer::singleShot(0, ish_, [this] {
      ish_->KlepIshLmpButClick();
      ish_->CloseButClick();
    });
    main.IshMenuClick();
    QVERIFY(folderExists("C:\\game\\ishlmp\\prints\\1\\"));
    QVERIFY(!isSectionEditorOpen("TSinglPrintsDbR1F"));
    QVERIFY(script->messages.empty());
  }
};

QTEST_MAIN(TestEndToEnd)
#include "tst_end_to_end.moc"
