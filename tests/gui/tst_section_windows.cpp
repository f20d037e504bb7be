// Every section editor window of the window table, opened from its menu item
// in the main window over a sample workspace: its class name, caption, sizes,
// source folder and field names; a record shown whole, with the row button
// on the button rows only; "Сохранить" without an edit keeping the file; a
// record saved as a template, made anew from it and deleted; the window
// closed from its menu item again.
#include <QAction>
#include <QComboBox>
#include <QFontMetrics>
#include <QMdiSubWindow>
#include <QTableWidget>
#include <QtTest>

#include <memory>

#include "app/main_form.h"
#include "core/database.h"
#include "core/record.h"
#include "dbfixtures.h"
#include "editors/engine/schema.h"
#include "editors/schemas/registry.h"
#include "editors/schemas/sample.h"
#include "editors/schemas/window_table.h"
#include "editors/section_editor.h"
#include "editortest.h"
#include "guienv.h"
#include "ui/qtext.h"

using namespace kessik;
using namespace kessik::fixtures;
using guitest::Drive;

class TstSectionWindows : public QObject {
  Q_OBJECT

 private slots:
  void everyWindowFromItsMenuItem() {
    Drive drive;
    ScopedScriptedInteraction script;
    guitest::ScriptedDialogs dialogs;
    dialogs.install();
    const std::string singl = "C:\\bases\\database\\", lmp = "C:\\bases\\databaselmp\\";
    settings().DatabaseResIsh = singl;
    settings().DatabaselmpResIsh = lmp;
    const SampleReport samples = writeSampleWorkspace("C:\\");
    QVERIFY(samples.problems.empty());
    TMainForm main;
    main.resize(1000, 800);
    main.show();
    // What the window said, for the failure messages.
    auto said = [&](const WindowEntry& e) {
      return e.className + ": " + (script->messages.empty() ? std::string() : script->texts().front());
    };

    for (const WindowEntry& e : windowTable()) {
      const QByteArray name = QByteArray::fromStdString(e.className);
      const Schema* schema = findSchema(e.schemaFolder);
      QVERIFY2(schema, name);
      QAction* item = main.item(toQ(e.menuName));
      QVERIFY2(item && item->isEnabled(), name);
      item->trigger();
      QVERIFY2(item->isChecked(), name);
      auto* w = qobject_cast<SectionEditor*>(main.sectionEditor(e.className));
      QVERIFY2(w, name);
      guitest::EditorDriver ui{w};
      QTableWidget* table = ui.table();

      // The window as the table describes it.
      QCOMPARE(w->objectName(), toQ(e.className));
      auto* frame = qobject_cast<QMdiSubWindow*>(w->parentWidget());
      QVERIFY2(frame, name);
      QCOMPARE(frame->windowTitle(), toQ(e.caption));
      QCOMPARE(w->size(), QSize(e.size.clientWidth, e.size.clientHeight));
      QCOMPARE(table->size(), QSize(e.size.tableWidth, e.size.tableHeight));
      QCOMPARE(table->columnWidth(0), e.size.column1);
      QCOMPARE(table->columnWidth(1), e.size.column2);
      const std::string root = e.game == Game::Singl ? singl : lmp;
      QCOMPARE(settings().SourcesRoot, root);
      QCOMPARE(w->IshPath, root + e.schemaFolder);

      // The field names, read-only, each whole in its column (a long one
      // narrower) or at least in its tool tip.
      QCOMPARE(table->rowCount(), static_cast<int>(schema->rows.size()));
      for (int r = 0; r < table->rowCount(); ++r) {
        QTableWidgetItem* field = table->item(r, 0);
        QCOMPARE(field->text(), toQ(schema->rows[r].name));
        QVERIFY(!(field->flags() & Qt::ItemIsEditable));
        // In the table's own font, never a condensed one.
        QVERIFY2(!field->data(Qt::FontRole).isValid(), qPrintable(field->text()));
        const bool fits = QFontMetrics(table->font()).horizontalAdvance(field->text()) + 8 <= e.size.column1;
        QVERIFY2(fits || field->toolTip() == field->text(), qPrintable(field->text()));
      }
      QCOMPARE(ui.items("FilesBox").size(), kSampleRecords);

      // Nothing loaded: no row button. Record 2 loaded: every cell read,
      // the row button on the button rows only.
      for (int r = 0; r < table->rowCount(); ++r) {
        table->setCurrentCell(r, 1);
        QVERIFY(!ui.rowButtonShown());
      }
      const std::string path = w->IshPath + recordFileName(2);
      const std::string before = readHost(path);
      ui.pick("FilesBox", 1);
      for (int r = 0; r < table->rowCount(); ++r) {
        const Row& row = schema->rows[r];
        QVERIFY2(!ui.cell(r).startsWith(QString::fromUtf8("<не прочитано")), row.name.c_str());
        table->setCurrentCell(r, 1);
        QCOMPARE(ui.rowButtonShown(), row.button != RowButton::None);
        const bool editable = table->item(r, 1)->flags() & Qt::ItemIsEditable;
        // A cell that describes bytes (raw, sound list) is changed only
        // through its row button; every other cell takes typing.
        QCOMPARE(editable, !showsDescription(row.codec));
      }
      ui.click("SaveBut");
      QVERIFY2(script->messages.empty(), said(e).c_str());
      QCOMPARE(readHost(path), before);

      // Saved as a template and made into a new record: the same bytes but
      // for the mask (and a record number the section keeps in a field).
      const std::string shab = w->ShabPath + "copy.zap";
      dialogs.templateSaves = {shab};
      ui.click("ZashablonitBut");
      dialogs.prompts = {std::string("Copied")};
      dialogs.templates = {shab};
      ui.click("CreateBut");
      QVERIFY2(script->messages.empty(), said(e).c_str());
      QCOMPARE(ui.items("FilesBox").size(), kSampleRecords + 1);
      TZapisBaziZm made, original;
      made.Parse(readHost(w->IshPath + recordFileName(kSampleRecords + 1)));
      original.Parse(before);
      QCOMPARE(maskOf(made), std::string("Copied"));
      QCOMPARE(made.FieldCount, original.FieldCount);
      for (int f = 2; f <= made.FieldCount; ++f) {
        if (schema->recordNumber && f == schema->rows[schema->recordNumber->row].place.field) continue;
        QVERIFY2(made.GetField(f) == original.GetField(f), name);
      }
      script->answers = {Answer::Yes};
      ui.click("DeleteBut");
      QCOMPARE(script->texts(), std::vector<std::string>{"Действительно хотите удалить эту запись?"});
      script->messages.clear();
      QCOMPARE(ui.items("FilesBox").size(), kSampleRecords);
      QVERIFY(readHost(w->IshPath + recordFileName(kSampleRecords + 1)).empty());

      // The menu item closes it again.
      item->trigger();
      QVERIFY(!item->isChecked());
      QTRY_VERIFY(!main.sectionEditor(e.className));
    }
  }
};

QTEST_MAIN(TstSectionWindows)
#include "tst_section_windows.moc"
