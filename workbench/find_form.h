// The search across the databases, TFindF: a text, a scope (both games, one
// game, or one section), "Только маски" and "Целиком"; the hits stream into
// ResultsView while the search runs (Escape stops it), and a double click
// shows the hit's record in its section's editor with the row selected.
//
// Controls by objectName: FindEd, ScopeBox, MasksOnlyCB, ExactCB, FindBut,
// FindProgress, FoundLabel, ResultsView.
#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QSize>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editors/schemas/window_table.h"
#include "workbench/engine/tree_search.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;
class QTimer;

namespace kessik {

class SectionEditor;

class FindResultsModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  using QAbstractTableModel::QAbstractTableModel;
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  void reset(std::vector<SearchSection> sections);
  void append(std::vector<SearchHit>& hits);
  const SearchHit& hit(int line) const { return hits_[static_cast<std::size_t>(line)]; }
  const SearchSection& sectionOf(int line) const { return sections_[static_cast<std::size_t>(hit(line).section)]; }

 private:
  std::vector<SearchSection> sections_;
  std::vector<SearchHit> hits_;
};

class TFindF : public QWidget {
  Q_OBJECT

 public:
  explicit TFindF(QWidget* parent);
  ~TFindF() override;

  // How the window reaches a section's editor, opening it or bringing it
  // forward (set by the main window).
  std::function<SectionEditor*(const WindowEntry&)> showEditor;

  // Starts a search of the text with the window's options.
  void FindButClick();
  // Stops a running search; the hits found so far stay.
  void stopSearch();
  bool searching() const { return bool(search_); }
  // "Где используется": an exact search of every cell of every section.
  void findUsages(const std::string& mask);
  void showResult(const QModelIndex& index);
  FindResultsModel* results() const { return model_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void poll();
  void finish(bool stopped);
  std::vector<SearchSection> scopeSections() const;

  QLineEdit* FindEd = nullptr;
  QComboBox* ScopeBox = nullptr;
  QCheckBox* MasksOnlyCB = nullptr;
  QCheckBox* ExactCB = nullptr;
  QPushButton* FindBut = nullptr;
  QProgressBar* FindProgress = nullptr;
  QLabel* FoundLabel = nullptr;
  QTableView* ResultsView = nullptr;
  FindResultsModel* model_ = nullptr;
  QTimer* poll_ = nullptr;
  std::unique_ptr<TreeSearch> search_;
  std::vector<const WindowEntry*> scopeWindows_;  // ScopeBox items from 3 on
};


}  // namespace kessik
