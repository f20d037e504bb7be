// Every section editor of the program, opened from its menu item in the main
// window: each record of its section shown and saved with "Сохранить" and no
// edit leaves every record file as it was. Record 1 holds values the table
// shows other than they are stored (rounded floats, lifetimes between two
// shown steps, names with bytes after their end, lists with other item
// types), records 2 and 3 are the section's samples.
#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QtTest>

#include <memory>

#include "app/main_form.h"
#include "dbfixtures.h"
#include "editors/schemas/sample.h"
#include "editors/schemas/registry.h"
#include "editors/schemas/window_table.h"
#include "editors/section_editor.h"
#include "editortest.h"
#include "guienv.h"
#include "support/lossy_record.h"
#include "core/database.h"

using namespace kessik;
using namespace kessik::fixtures;
using guitest::Drive;

class TstSaveUnchanged : public QObject {
  Q_OBJECT

 private slots:
  void everyEditorKeepsUntouchedRecords() {
    Drive drive;
    settings().DatabaseResIsh = "C:\\bases\\database\\";
    settings().DatabaselmpResIsh = "C:\\bases\\databaselmp\\";
    ScopedScriptedInteraction script;
    guitest::ScriptedDialogs dialogs;
    dialogs.install();

    // The section folders, each written once (windows may share a schema).
    std::map<std::string, std::vector<std::string>> files;
    for (const WindowEntry& e : windowTable()) {
      const Schema* schema = findSchema(e.schemaFolder);
      if (!schema) continue;
      const std::string folder =
          (e.game == Game::Singl ? settings().DatabaseResIsh : settings().DatabaselmpResIsh) + schema->folder;
      if (files.count(folder)) continue;
      std::vector<std::string>& records = files[folder];
      records.push_back(test::lossyRecord(*schema));
      for (int k = 2; k <= kSampleRecords; ++k) {
        SampleRecord sample = sampleRecord(*schema, k);
        QVERIFY2(sample.problem.empty(), schema->folder.c_str());
        records.push_back(sample.bytes);
      }
      for (std::size_t i = 0; i < records.size(); ++i) writeHost(folder + recordFileName(i + 1), records[i]);
    }

    TMainForm f;
    f.show();
    int opened = 0;
    for (const WindowEntry& e : windowTable()) {
      if (!findSchema(e.schemaFolder)) continue;
      QAction* item = f.item(QString::fromStdString(e.menuName));
      QVERIFY2(item && item->isEnabled(), e.menuName.c_str());
      item->trigger();
      auto* w = qobject_cast<SectionEditor*>(f.sectionEditor(e.className));
      QVERIFY2(w, e.className.c_str());
      ++opened;
      guitest::EditorDriver ui{w};
      const std::vector<std::string>& records = files.at(w->IshPath);
      QCOMPARE(ui.items("FilesBox").size(), static_cast<int>(records.size()));
      for (int k = 0; k < static_cast<int>(records.size()); ++k) {
        ui.pick("FilesBox", k);
        ui.click("SaveBut");
        const std::string what = e.className + " record " + std::to_string(k + 1);
        const std::string said = script->messages.empty() ? std::string() : script->messages.front().text;
        QVERIFY2(said.empty(), (what + ": " + said).c_str());
        for (std::size_t i = 0; i < records.size(); ++i)
          QVERIFY2(readHost(w->IshPath + recordFileName(i + 1)) == records[i],
                   (what + " changed " + recordFileName(i + 1)).c_str());
      }
      item->trigger();
      QTRY_VERIFY(!f.sectionEditor(e.className));
    }
    QCOMPARE(opened, static_cast<int>(windowTable().size()));
  }
};

QTEST_MAIN(TstSaveUnchanged)
#include "tst_save_unchanged.moc"
