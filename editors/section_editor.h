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

 signals:
  void closed();

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

  WindowEntry entry_;
  const Schema& schema_;
  std::unique_ptr<TFileInString> buffer_;
  std::unique_ptr<TZapisBaziZm> record_;
  RecordView view_;
  int loadedIndex_ = -1;
  bool formClosed_ = false;

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
