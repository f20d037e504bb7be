// The section table window TSectionTableF: every record of one section on
// a line of its own, every schema row a column, as the section editor shows
// them. Sorting by a click on a column header, a filter line, cells typed
// into with the editor's checks, "Сохранить всё" (all or nothing), undo and
// redo, copying and pasting blocks of cells as tab-separated text.
//
// Controls by objectName: FilterEd, CountLabel, SectionTable (a QTableView
// over SectionTableModel), SaveAllBut, RevertBut.
#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QTableView>
#include <QWidget>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <optional>

#include "editors/schemas/window_table.h"
#include "workbench/engine/table_query.h"
#include "workbench/engine/table_session.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace kessik {

class SectionEditor;

// The lines of the table: the records the filter lets through, in the
// order of the column sorted by (record order when none).
class SectionTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  SectionTableModel(TableSession& session, QObject* parent);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  void sort(int column, Qt::SortOrder order) override;

  // The record on a line, and the line of a record (-1 when filtered out).
  int recordAt(int line) const { return lines_[static_cast<std::size_t>(line)]; }
  int lineOf(int record) const;
  // Column c >= 1 is schema row c - 1; column 0 the record file.
  static int rowOfColumn(int column) { return column - 1; }

  // Applies a filter line (cp1251; nothing: a text no cell can hold).
  void setFilter(const std::optional<std::string>& line);
  // Everything may have changed (a reload): lines again, same filter and order.
  void refresh();
  // The cells of these records changed.
  void recordsChanged(const std::vector<int>& records);

  // Typing into a cell: true when the text was taken. Set by the window.
  std::function<bool(int record, int row, const std::string& text)> editCell;

 private:
  void rebuildLines();
  std::string_view cellText(int record, int column) const;

  TableSession& session_;
  std::vector<std::string> columnNames_;
  std::optional<std::string> filterText_ = std::string();
  TableFilter filter_;
  std::vector<int> lines_;
  int sortColumn_ = -1;
  Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};

class TSectionTableF : public QWidget {
  Q_OBJECT

 public:
  // The table of an editor window's section, read at once. Nothing (with
  // the error box shown) when the section's folder is missing.
  static TSectionTableF* open(const WindowEntry& entry, QWidget* parent);
  ~TSectionTableF() override;

  const WindowEntry& entry() const { return entry_; }
  TableSession& session() { return session_; }
  SectionTableModel* model() const { return model_; }
  QTableView* table() const { return table_; }

  // How the window reaches its section's editor, opening it or bringing it
  // forward (set by the main window; nullptr when it cannot be opened).
  std::function<SectionEditor*(const WindowEntry&)> showEditor;

  // The window's operations, as its controls and keys run them.
  void SaveAllButClick();
  void RevertButClick();
  void copySelection();
  void pasteClipboard();
  void undo();
  void redo();
  void showRecordInEditor(const QModelIndex& index);
  // Takes the text of a cell still being typed into.
  void commitTypedCell();
  // Reads the section again (another window created, deleted or sorted
  // records); edits stay with their records.
  void reloadSection();
  // Closes the window without the question about its edits: the source
  // tree they were made on is gone (rebuilt, or another one chosen), as
  // for the section editors.
  void closeForNewTree();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  TSectionTableF(const WindowEntry& entry, SectionSnapshot snapshot, QWidget* parent);
  void buildControls();
  bool typeInto(int record, int row, const std::string& text);
  void applyStep(const std::vector<CellChange>& step, bool undo);
  void afterChange(const std::vector<int>& records);
  void updateCount();
  void applyFilter();
  void editorSaved(const QString& className, const QString& file);

  WindowEntry entry_;
  TableSession session_;
  EditHistory history_;
  SectionTableModel* model_ = nullptr;
  QTableView* table_ = nullptr;
  QLineEdit* FilterEd = nullptr;
  QLabel* CountLabel = nullptr;
  QPushButton* SaveAllBut = nullptr;
  QPushButton* RevertBut = nullptr;
  QTimer* filterTimer_ = nullptr;
  bool refusing_ = false;
  bool treeGone_ = false;
};

// The window's size until one of its class is remembered.
inline constexpr QSize kSectionTableSize(940, 560);

// Lines shown in a message that lists many things: at most this many, then
// "и ещё N".
std::string listedLines(const std::vector<std::string>& lines, std::size_t shown = 20);

}  // namespace kessik
