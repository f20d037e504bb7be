// The section editor window: one class for every section of every database,
// driven by the section's schema. Its objectName is the window class name of
// the window table ("TSinglPrintsDbR1F"), so that tests and the main window
// find it by name.
#pragma once

#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "editors/engine/section.h"
#include "editors/schemas/window_table.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;
class QToolButton;

namespace kessik {

// Creates the editor of a window table entry as a child of parent (shown at
// once when parent is nullptr; the main window shows it in its frame).
// The window sets SourcesRoot and its one-instance flag while it is open.
// Returns nullptr when the window closed at once (the section has no schema
// yet, or its source folder is missing: the error box has then been shown).
// The window deletes itself when closed and emits closed() first.
QWidget* createSectionEditor(const WindowEntry& entry, QWidget* parent);

// The one-instance flags of the section editors: true while the window of
// that class name exists.
bool isSectionEditorOpen(const std::string& className);
// The open editor of a class name, or nullptr.
QWidget* openSectionEditor(const std::string& className);
// Closes every open section editor (after the source trees were rebuilt).
void closeAllSectionEditors();
// Asks each open section editor whose record has edits whether to save them
// (before the program quits): false as soon as one answer was Отмена or a
// save was refused; the edits of the others are saved or dropped by then.
bool saveOrDropAllEditorEdits();

// ---- What the other windows see of the section editors ----

// Every section editor tells here when it wrote its loaded record and when
// it read its record list anew (after creating, deleting or sorting
// records), so that other windows over the same section follow.
class SectionEditorEvents : public QObject {
  Q_OBJECT

 signals:
  void recordSaved(const QString& className, const QString& file);
  void listRescanned(const QString& className);
};
SectionEditorEvents& sectionEditorEvents();

// Besides the named controls the table holds one row button, the QToolButton
// "ValuesEdEditButton": shown in the value cell of the current row while a
// record is loaded and that row is a button row of the schema. Cells refuse
// characters cp1251 cannot hold; rows that could not be read are read-only,
// and so are the raw and sound-list rows, whose button is the way in.
//
// Edits: a value that differs from the one loaded (or last saved) is marked
// in its cell, and the caption ends with "*". Before edits would be dropped
// (another record picked, create, sort, closing) the window asks
// "Сохранить изменения в записи «MASK»?" (Да / Нет / Отмена). Ctrl+S saves;
// Ctrl+Z undoes a cell edit, Ctrl+Y and Ctrl+Shift+Z redo it.
class SectionEditor : public QWidget {
  Q_OBJECT

 public:
  SectionEditor(const WindowEntry& entry, const Schema& schema, QWidget* parent);
  ~SectionEditor() override;

  const WindowEntry& entry() const { return entry_; }
  const Schema& schema() const { return schema_; }

  // Window operations, named as everywhere in the program.
  // FormShow: false when the window had to close (source folder missing).
  bool FormShow();
  void FormClose();
  void MaskiBoxClick();
  void FilesBoxClick();
  void LoadFil(const std::string& path);
  bool GenZap();
  void ActivateTable();
  void DeActivateTable();
  void ZashablonitButClick();
  void SaveButClick();
  void CloseButClick();
  void CreateButClick();
  void DeleteButClick();
  void SortButClick();
  void ValuesEdEditButtonClick();

  // F5: reads the record list of the source folder again. The record shown
  // in the table stays (with whatever is typed in it) while its file is
  // still listed; otherwise the window is reset as when it is shown.
  void reloadLists();

  // Window state.
  std::string IshPath, ShabPath;
  ZapListT ZapList;
  std::string CurMask, CurFile;
  bool TableActive = false;

  // Raw slots and the buffer and record of the loaded record.
  std::vector<ByteString>& slotData();
  TZapisBaziZm* record();
  // The list index of the loaded record, -1 when none is loaded.
  int loadedIndex() const { return loadedIndex_; }

  // Value column of a row (0-based) as cp1251, and setting it.
  std::string rowText(int row) const;
  void setRowText(int row, const std::string& text);

  // Whether the loaded record has edits not saved yet.
  bool hasEdits() const;
  // Asks whether to save the edits of the loaded record, when it has any: Да
  // saves, Нет drops them, Отмена keeps them. False when the edits are still
  // there (Отмена, or a save the checks refused); true at once without edits.
  bool maybeSaveEdits();
  // Whether the loaded record's file still holds a record of its mask.
  bool shownRecordStillInItsFile() const;
  // Shows record `index` (list index from 0), with value row `row` (from 0)
  // selected unless it is -1, after asking about the edits. False when the
  // user kept the loaded record or there is no such record.
  bool showRecord(int index, int row = -1);
  // Another window wrote record `index`: its mask is read again and, when it
  // is the loaded record, its values too; the edits typed here stay on top.
  void recordFileChanged(int index);
  // Undo and redo of the cell edits since the record was loaded.
  void undoEdit();
  void redoEdit();
  // The same for the record of a file of the list.
  bool showRecord(const std::string& file, int row);
  // Record files written by another window (the section table): each is
  // followed as by recordFileChanged.
  void recordsWritten(const std::vector<std::string>& files);

 signals:
  void closed();
  // The window wrote the file of record `index` (list index from 0).
  void recordFileSaved(int index);
  // The record list was read anew (shown, created, deleted, sorted).
  void recordListChanged();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void buildControls();
  void layoutControls();
  // Reads the source folder into ZapList and both lists (nothing selected);
  // false when the folder is missing.
  bool scanIntoLists();
  void clearValues();
  void showView();
  void readCells();
  void placeRowButton();
  void loadIndex(int index);
  int lastWithMask(int index) const;
  bool isButtonRow(int row) const;
  bool isDescriptionRow(int row) const;
  void pickFile(int index);
  void pickMask(int picked);
  void pickAfterAsking(int item, void (SectionEditor::*pick)(int));

  // Edit tracking.
  struct CellEdit {
    int row = 0;
    std::string before, after;
    ByteString slotBefore, slotAfter;
  };
  void installEditKeys();
  void cellChanged(int row);
  void putCell(int row, const std::string& text);
  void commitOpenEditor();
  void noteEdit(int row, const std::string& before, const ByteString& slotBefore);
  void applyEdit(const CellEdit& edit, bool undo);
  void setBaseline();
  void forgetEdits();
  void dropEdits();
  bool rowEdited(int row) const;
  void showMarks();
  void rememberSelection();
  void selectLoaded();
  bool saveRecord();

  WindowEntry entry_;
  const Schema& schema_;
  std::unique_ptr<TFileInString> buffer_;
  std::unique_ptr<TZapisBaziZm> record_;
  RecordView view_;
  int loadedIndex_ = -1;
  bool formClosed_ = false;
  bool scanned_ = false;

  // The values as loaded or last saved, the texts the cells show, the rows
  // the last check refused, and the cell edits in order (undone from editPos_).
  std::vector<std::string> baseTexts_, shownTexts_;
  std::vector<ByteString> baseSlots_;
  std::vector<bool> failing_;
  std::vector<CellEdit> edits_;
  std::size_t editPos_ = 0;
  bool filling_ = false;  // the window itself is changing cells
  int shownMaskItem_ = -1, shownFileItem_ = -1;

  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QComboBox* MaskiBox = nullptr;
  QComboBox* FilesBox = nullptr;
  QTableWidget* ValuesEd = nullptr;
  QToolButton* EditButton = nullptr;
  QPushButton* SortBut = nullptr;
  QPushButton* ZashablonitBut = nullptr;
  QPushButton* SaveBut = nullptr;
  QPushButton* CloseBut = nullptr;
  QPushButton* CreateBut = nullptr;
  QPushButton* DeleteBut = nullptr;
};

}  // namespace kessik
