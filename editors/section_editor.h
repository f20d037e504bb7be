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
// characters cp1251 cannot hold; rows that could not be read are read-only.
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

  // ---- For the section table and the search across the databases ----

  // True when a value cell of the loaded record differs from what was
  // loaded or last saved.
  bool hasUnsavedEdits() const;
  // When the loaded record has edits: asks "Сохранить изменения в записи
  // «MASK»?" (Да / Нет / Отмена). Да saves (false when the save is refused),
  // Нет loads the record again without its edits, Отмена: false. True when
  // nothing stands in the way.
  bool askToSaveEdits();
  // Shows the record of a file with the value cell of a row (0-based)
  // selected, asking first when another record with edits is loaded. False
  // when the file is not in the list or the user stayed.
  bool showRecord(const std::string& file, int row);
  // Record files written by another window: their masks are read again, and
  // the loaded record is loaded again when it is among them (and has no
  // edits).
  void recordsWritten(const std::vector<std::string>& files);

 signals:
  void closed();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildControls();
  void clearValues();
  void showView();
  void readCells();
  void placeRowButton();
  void loadIndex(int index);
  int lastWithMask(int index) const;
  bool isButtonRow(int row) const;
  void rememberCleanTexts();

  WindowEntry entry_;
  const Schema& schema_;
  std::unique_ptr<TFileInString> buffer_;
  std::unique_ptr<TZapisBaziZm> record_;
  RecordView view_;
  int loadedIndex_ = -1;
  bool formClosed_ = false;
  std::vector<std::string> cleanTexts_;  // the cells as loaded or last saved
  bool scanned_ = false;

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
