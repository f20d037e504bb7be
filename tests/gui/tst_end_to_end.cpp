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

#include "app/config/settings.h"
#include "app/mainform.h"
#include "app/scriptedinteraction.h"
#include "archives/resbuildform.h"
#include "core/codecs.h"
#include "core/node.h"
#include "editors/engine/window_table.h"
#include "editors/section_editor.h"
#include "platform/host.h"
#include "sources/ishform.h"
#include "util/cp1251.h"
#include "util/files.h"

using namespace kessik;
namespace fs = std::filesystem;

namespace {

std::string node(std::uint8_t type, const std::string& payload) {
  ByteString out;
  appendNodeHeader(out, type, payload.size());
  return out + payload;
}
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
std::string printsRecord(const std::string& mask, int life) {
  return item(1, item(1, mask + std::string(1, '\0')) + item(2, group(0.5f, life, 45)) + item(3, group(1.0f, 15, 15)));
}

// prints.db with three sections; the clear-weather lifetime of the second
// Blood Prints record is the one the test edits.
std::string printsDb(int editedLife) {
  std::string blood = printsRecord("Swamp", 15) + printsRecord("Sand", editedLife) + printsRecord("Snow", 45);
  std::string foot = printsRecord("Mud", 60) + printsRecord("Grass", 75);
  std::string fire = printsRecord("Ash", 90);
  return node(1, node(1, blood) + node(2, foot) + node(3, fire)) + std::string(kDatabaseTrailer);
}

// Any other database: records whose bytes name their file.
std::string otherDb(const std::string& seed) {
  std::string payload;
  for (int s = 1; s <= 3; ++s) {
    std::string records;
    for (int r = 1; r <= 3; ++r) records += node(1, item(1, seed + char('0' + s) + char('0' + r)));
    payload += node(static_cast<std::uint8_t>(s), records);
  }
  // One long record, so that size codes of both widths occur.
  payload += node(4, node(1, item(1, std::string(300, 'z'))));
  return node(1, payload) + std::string(kDatabaseTrailer);
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
