#include "workbench/section_table.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QColor>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <map>
#include <set>

#include "config/settings.h"
#include "core/database.h"
#include "editors/engine/section.h"
#include "editors/schemas/registry.h"
#include "editors/section_editor.h"
#include "ui/qtext.h"
#include "ui/value_table.h"
#include "util/cp1251.h"
#include "util/notify.h"
#include "core/section_save.h"
#include "ui/window_sizes.h"

namespace kessik {

namespace {


// Sections up to this many records are filtered at each keystroke; larger
// ones after a pause in the typing.
constexpr int kFilterAtOnce = 20000;
constexpr int kFilterPause = 150;  // milliseconds

void errorBox(const std::string& text) { messageBoxEx(text, "", Icon::Error); }

const QColor kEdited(255, 244, 196);
const QColor kFailed(255, 205, 205);

// The view: the clipboard and undo keys of a spreadsheet, double-click for
// the record in its editor (typing or F2 edits a cell).
class TableView : public QTableView {
 public:
  TableView(TSectionTableF* owner, QWidget* parent) : QTableView(parent), owner_(owner) {}
  bool editing() const { return state() == EditingState; }

 protected:
  void keyPressEvent(QKeyEvent* e) override {
    const auto mods = e->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    if (e->matches(QKeySequence::Copy)) return owner_->copySelection();
    if (e->matches(QKeySequence::Paste)) return owner_->pasteClipboard();
    if (e->key() == Qt::Key_Z && mods == Qt::ControlModifier) return owner_->undo();
    if ((e->key() == Qt::Key_Y && mods == Qt::ControlModifier) ||
        (e->key() == Qt::Key_Z && mods == (Qt::ControlModifier | Qt::ShiftModifier)))
      return owner_->redo();
    QTableView::keyPressEvent(e);
  }

 private:
  TSectionTableF* owner_;
};

// The first line of a message (the refusals of a paste are listed one a line).
std::string firstLine(const std::string& text) {
  const auto end = text.find_first_of("\r\n");
  return end == std::string::npos ? text : text.substr(0, end);
}

}  // namespace

std::string listedLines(const std::vector<std::string>& lines, std::size_t shown) {
  std::string out;
  for (std::size_t i = 0; i < lines.size() && i < shown; ++i) out += "\n" + lines[i];
  if (lines.size() > shown) out += "\n" + ru("и ещё ") + std::to_string(lines.size() - shown);
  return out;
}

// ---------------------------------------------------------------------------
// The model

SectionTableModel::SectionTableModel(TableSession& session, QObject* parent)
    : QAbstractTableModel(parent), session_(session) {
  columnNames_.push_back(ru("Файл"));
  for (const Row& r : session_.schema().rows) columnNames_.push_back(r.name);
  rebuildLines();
}

int SectionTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

int SectionTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columnNames_.size());
}

std::string_view SectionTableModel::cellText(int record, int column) const {
  if (column == 0) return session_.snapshot().records[record].file;
  return session_.text(record, rowOfColumn(column));
}

int SectionTableModel::lineOf(int record) const {
  auto it = std::find(lines_.begin(), lines_.end(), record);
  return it == lines_.end() ? -1 : static_cast<int>(it - lines_.begin());
}

QVariant SectionTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= static_cast<int>(lines_.size())) return {};
  const int record = recordAt(index.row());
  const int column = index.column();
  const int row = rowOfColumn(column);
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return toQ(cellText(record, column));
    case Qt::BackgroundRole:
      if (row < 0) return {};
      if (session_.failure(record, row)) return kFailed;
      if (session_.edited(record, row)) return kEdited;
      return {};
    case Qt::ForegroundRole:
      if (row >= 0 && !session_.snapshot().records[record].readable(row)) return QColor(Qt::darkRed);
      if (row < 0 || !session_.editable(record, row)) return QColor(Qt::darkGray);
      return {};
    case Qt::ToolTipRole:
      if (row < 0) return {};
      if (auto f = session_.failure(record, row)) return toQ(*f);
      if (session_.edited(record, row)) return toQ(ru("Было: «") + std::string(session_.loadedText(record, row)) + ru("»"));
      if (!session_.snapshot().records[record].readable(row)) return toQ(session_.text(record, row));
      return {};
    default:
      return {};
  }
}

QVariant SectionTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal)
    return section >= 0 && section < static_cast<int>(columnNames_.size()) ? toQ(columnNames_[section]) : QVariant();
  // Lines are numbered by their records.
  return section >= 0 && section < static_cast<int>(lines_.size()) ? QVariant(recordAt(section) + 1) : QVariant();
}

Qt::ItemFlags SectionTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (session_.editable(recordAt(index.row()), rowOfColumn(index.column()))) f |= Qt::ItemIsEditable;
  return f;
}

bool SectionTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid() || !editCell) return false;
  auto text = fromQOrRefuse(value.toString());
  if (!text) return false;
  return editCell(recordAt(index.row()), rowOfColumn(index.column()), *text);
}

void SectionTableModel::rebuildLines() {
  lines_.clear();
  const int records = session_.recordCount();
  const int columns = static_cast<int>(columnNames_.size());
  if (!filterText_) {
    // A text no cell can hold: no line.
  } else if (filter_.kind() == TableFilter::Kind::All) {
    lines_.resize(records);
    for (int i = 0; i < records; ++i) lines_[i] = i;
  } else {
    int record = 0;
    const TableFilter::CellAt cell = [&](int column) { return cellText(record, column); };
    for (record = 0; record < records; ++record)
      if (filter_.matches(cell, columns)) lines_.push_back(record);
  }
  if (sortColumn_ >= 0 && sortColumn_ < columns)
    sortLines(lines_, [&](int record) { return cellText(record, sortColumn_); },
              sortOrder_ == Qt::DescendingOrder);
}

void SectionTableModel::setFilter(const std::optional<std::string>& line) {
  beginResetModel();
  filterText_ = line;
  filter_ = line ? parseFilter(*line, columnNames_) : TableFilter();
  rebuildLines();
  endResetModel();
}

void SectionTableModel::refresh() {
  beginResetModel();
  rebuildLines();
  endResetModel();
}

void SectionTableModel::sort(int column, Qt::SortOrder order) {
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  sortColumn_ = column;
  sortOrder_ = order;
  if (column < 0) std::sort(lines_.begin(), lines_.end());
  else rebuildLines();
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void SectionTableModel::recordsChanged(const std::vector<int>& records) {
  // Many records at once (a large paste, "Отменить правки"): the whole table.
  if (records.size() > 64) {
    if (!lines_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    return;
  }
  for (int record : records) {
    const int line = lineOf(record);
    if (line >= 0) emit dataChanged(index(line, 0), index(line, columnCount() - 1));
  }
}

// ---------------------------------------------------------------------------
// The window

TSectionTableF* TSectionTableF::open(const WindowEntry& entry, QWidget* parent) {
  const Schema* schema = findSchema(entry.schemaFolder);
  if (!schema) return nullptr;
  const Settings& s = settings();
  const std::string folder =
      sectionSourceFolder(entry.game == Game::Lmp ? s.DatabaselmpResIsh : s.DatabaseResIsh, *schema);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  auto snapshot = readSnapshot(*schema, folder);
  QApplication::restoreOverrideCursor();
  if (!snapshot) {
    errorBox(ru("Проверьте наличие исходника! Отсутствует папка с исходником данного раздела! (") + folder + ")");
    return nullptr;
  }
  std::vector<std::string> messages = std::move(snapshot->messages);
  auto* w = new TSectionTableF(entry, std::move(*snapshot), parent);
  if (!messages.empty())
    messageBoxEx(ru("Не все записи раздела прочитаны как следует:") + listedLines(messages), "", Icon::Warning);
  return w;
}

TSectionTableF::TSectionTableF(const WindowEntry& entry, SectionSnapshot snapshot, QWidget* parent)
    : QWidget(parent), entry_(entry), session_(std::move(snapshot)) {
  setObjectName("TSectionTableF");
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(qru("Таблица: ") + toQ(entry.caption));
  buildControls();
  connect(&sectionEditorEvents(), &SectionEditorEvents::recordSaved, this, &TSectionTableF::editorSaved);
  connect(&sectionEditorEvents(), &SectionEditorEvents::listRescanned, this, [this](const QString& className) {
    if (className.toStdString() == entry_.className) reloadSection();
  });
  resize(kSectionTableSize);
  rememberWindowSize(this, "TSectionTableF");
}

TSectionTableF::~TSectionTableF() = default;

void TSectionTableF::buildControls() {
  auto* top = new QHBoxLayout;
  auto* filterLabel = new QLabel(qru("Фильтр:"), this);
  FilterEd = new QLineEdit(this);
  FilterEd->setObjectName("FilterEd");
  FilterEd->setPlaceholderText(qru("текст, ПОЛЕ=текст, ПОЛЕ>число, ПОЛЕ<число"));
  FilterEd->setClearButtonEnabled(true);
  filterLabel->setBuddy(FilterEd);
  CountLabel = new QLabel(this);
  CountLabel->setObjectName("CountLabel");
  top->addWidget(filterLabel);
  top->addWidget(FilterEd, 1);
  top->addWidget(CountLabel);

  model_ = new SectionTableModel(session_, this);
  model_->editCell = [this](int record, int row, const std::string& text) { return typeInto(record, row, text); };
  table_ = new TableView(this, this);
  table_->setObjectName("SectionTable");
  table_->setModel(model_);
  table_->setItemDelegate(newCp1251CellDelegate(table_));
  table_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
  table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  table_->setSelectionBehavior(QAbstractItemView::SelectItems);
  table_->setWordWrap(false);
  const int lineHeight = table_->fontMetrics().height() + 6;
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table_->verticalHeader()->setDefaultSectionSize(lineHeight);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  table_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
  table_->setSortingEnabled(true);
  // Each column as wide as its name or the texts of the first lines, within
  // reason; a wide text shows whole in its tool tip and when edited.
  const QFontMetrics fm = table_->fontMetrics();
  const int sample = std::min(model_->rowCount(), 200);
  for (int c = 0; c < model_->columnCount(); ++c) {
    int width = fm.horizontalAdvance(model_->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString()) + 24;
    for (int line = 0; line < sample; ++line)
      width = std::max(width, fm.horizontalAdvance(model_->data(model_->index(line, c), Qt::DisplayRole).toString()) + 12);
    table_->setColumnWidth(c, std::clamp(width, 48, 320));
  }
  connect(table_, &QTableView::doubleClicked, this, &TSectionTableF::showRecordInEditor);
  // A section small enough is filtered at each keystroke; a large one once
  // the typing pauses, so that keys are never kept waiting.
  filterTimer_ = new QTimer(this);
  filterTimer_->setSingleShot(true);
  filterTimer_->setInterval(kFilterPause);
  connect(filterTimer_, &QTimer::timeout, this, [this] { applyFilter(); });
  connect(FilterEd, &QLineEdit::textChanged, this, [this] {
    if (session_.recordCount() <= kFilterAtOnce) applyFilter();
    else filterTimer_->start();
  });

  auto* bottom = new QHBoxLayout;
  SaveAllBut = new QPushButton(qru("Сохранить всё"), this);
  SaveAllBut->setObjectName("SaveAllBut");
  RevertBut = new QPushButton(qru("Отменить правки"), this);
  RevertBut->setObjectName("RevertBut");
  bottom->addWidget(SaveAllBut);
  bottom->addWidget(RevertBut);
  bottom->addStretch(1);
  connect(SaveAllBut, &QPushButton::clicked, this, [this] { SaveAllButClick(); });
  connect(RevertBut, &QPushButton::clicked, this, [this] { RevertButClick(); });

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addLayout(top);
  layout->addWidget(table_, 1);
  layout->addLayout(bottom);
  updateCount();
}

void TSectionTableF::applyFilter() {
  filterTimer_->stop();
  model_->setFilter(fromQ(FilterEd->text()));
  updateCount();
}

void TSectionTableF::updateCount() {
  CountLabel->setText(qru("Записей: %1, показано: %2, изменено: %3")
                          .arg(session_.recordCount())
                          .arg(model_->rowCount())
                          .arg(session_.editedRecords()));
  SaveAllBut->setEnabled(session_.hasEdits());
  RevertBut->setEnabled(session_.hasEdits());
}

void TSectionTableF::afterChange(const std::vector<int>& records) {
  model_->recordsChanged(records);
  updateCount();
}

bool TSectionTableF::typeInto(int record, int row, const std::string& text) {
  // The refusal's message box takes the focus from the cell being typed
  // into, which hands its text over once more: that second hand-over is the
  // same text, already refused.
  if (refusing_) return false;
  if (text == session_.text(record, row)) return true;
  TableSession::Proposal p = session_.propose(record, row, text);
  if (!p.accepted) {
    refusing_ = true;
    notifier().beep();
    errorBox(p.message);
    refusing_ = false;
    return false;
  }
  session_.apply(p.changes);
  history_.push(p.changes);
  afterChange({record});
  return true;
}

void TSectionTableF::commitTypedCell() {
  if (!static_cast<TableView*>(table_)->editing()) return;
  for (auto* editor : table_->viewport()->findChildren<QLineEdit*>()) {
    if (!editor->isVisible()) continue;
    QAbstractItemDelegate* delegate = table_->itemDelegate();
    emit delegate->commitData(editor);
    emit delegate->closeEditor(editor);
  }
}

void TSectionTableF::applyStep(const std::vector<CellChange>& step, bool undo) {
  session_.apply(step, undo);
  std::set<int> records;
  for (const CellChange& c : step) records.insert(c.record);
  afterChange(std::vector<int>(records.begin(), records.end()));
  // The cursor goes to the first cell the step changed.
  if (!step.empty()) {
    const int line = model_->lineOf(step.front().record);
    if (line >= 0) table_->setCurrentIndex(model_->index(line, step.front().row + 1));
  }
}

void TSectionTableF::undo() {
  if (auto step = history_.undo()) applyStep(*step, true);
}

void TSectionTableF::redo() {
  if (auto step = history_.redo()) applyStep(*step, false);
}

void TSectionTableF::RevertButClick() {
  commitTypedCell();
  // Undone like any edit: Ctrl+Z brings the edits back.
  std::vector<CellChange> step;
  for (int record : session_.editedRecordList())
    for (int row = 0; row < session_.rowCount(); ++row)
      if (session_.edited(record, row))
        step.push_back({record, row, std::string(session_.text(record, row)), std::string(session_.loadedText(record, row))});
  if (step.empty()) return;
  applyStep(step, false);
  history_.push(std::move(step));
}

void TSectionTableF::SaveAllButClick() {
  commitTypedCell();
  if (!session_.hasEdits()) return;
  // The editor of the section may hold edits of a record about to be
  // written: they are asked about first.
  auto* editor = qobject_cast<SectionEditor*>(openSectionEditor(entry_.className));
  if (editor && editor->loadedIndex() >= 0 && editor->hasEdits() &&
      session_.recordEdited(session_.recordOf(editor->CurFile)) && !editor->maybeSaveEdits())
    return;

  const SaveBuild build = session_.buildChanges();
  if (!build.failures.empty()) {
    session_.markFailures(build.failures);
    std::vector<std::string> lines;
    std::set<int> records;
    for (const CellFailure& f : build.failures) {
      const SnapshotRecord& r = session_.snapshot().records[f.record];
      lines.push_back(r.file + " " + ru("«") + session_.maskOf(f.record) + ru("»") + ", " +
                      session_.schema().rows[f.row].name + ": " + firstLine(f.message));
      records.insert(f.record);
    }
    afterChange(std::vector<int>(records.begin(), records.end()));
    const CellFailure& first = build.failures.front();
    if (const int line = model_->lineOf(first.record); line >= 0) {
      table_->setCurrentIndex(model_->index(line, first.row + 1));
      table_->scrollTo(table_->currentIndex());
    }
    notifier().beep();
    errorBox(ru("Ничего не записано: не прошли проверку значения (") + std::to_string(build.failures.size()) +
             "):" + listedLines(lines));
    table_->setFocus();
    return;
  }
  // A record written elsewhere since it was read is not written over: it is
  // read again, its edits kept, for the user to look at and save again.
  if (const std::vector<int> changed = session_.changedSinceRead(build); !changed.empty()) {
    std::vector<std::string> files;
    for (int record : changed) {
      files.push_back(session_.snapshot().records[record].file);
      session_.reloadRecord(record);
    }
    model_->refresh();
    updateCount();
    errorBox(ru("Ничего не записано: эти записи изменились на диске после того, как таблица их прочла. Они "
                "прочитаны заново, правки таблицы в них остались; проверьте их и сохраните ещё раз:") +
             listedLines(files));
    return;
  }
  // All or nothing, under the lock of the database folder, as an import
  // writes: a few records staged whole first, more as a new section swapped
  // in whole. A failure has shown its message.
  std::vector<RecordBytes> records;
  for (const auto& [file, bytes] : build.files) records.push_back({file, bytes});
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const SectionSave saved = saveSectionRecords(session_.folder(), std::move(records));
  QApplication::restoreOverrideCursor();
  if (!saved.ok) {
    // Records a failed write may still have replaced are read again; the
    // edits stay where they differ from what is on disk.
    for (int record : build.records) session_.reloadRecord(record);
    model_->refresh();
    updateCount();
    return;
  }
  session_.commitSaved(build);
  history_.clear();
  model_->refresh();
  updateCount();
  std::vector<std::string> files;
  for (const auto& [file, bytes] : build.files) files.push_back(file);
  if (editor && !files.empty()) editor->recordsWritten(files);
}

void TSectionTableF::copySelection() {
  const QModelIndexList selected = table_->selectionModel()->selectedIndexes();
  if (selected.isEmpty()) return;
  int top = selected.front().row(), bottom = top, left = selected.front().column(), right = left;
  for (const QModelIndex& i : selected) {
    top = std::min(top, i.row());
    bottom = std::max(bottom, i.row());
    left = std::min(left, i.column());
    right = std::max(right, i.column());
  }
  std::vector<std::vector<QString>> grid(bottom - top + 1, std::vector<QString>(right - left + 1));
  for (const QModelIndex& i : selected) grid[i.row() - top][i.column() - left] = i.data(Qt::DisplayRole).toString();
  QString text;
  for (const auto& line : grid) {
    QStringList cells;
    for (const QString& c : line) cells << c;
    text += cells.join('\t') + '\n';
  }
  QGuiApplication::clipboard()->setText(text);
}

void TSectionTableF::pasteClipboard() {
  QString text = QGuiApplication::clipboard()->text();
  if (text.isEmpty()) return;
  text.replace("\r\n", "\n");
  text.replace('\r', '\n');
  if (text.endsWith('\n')) text.chop(1);
  std::vector<QStringList> block;
  for (const QString& line : text.split('\n')) block.push_back(line.split('\t'));

  // Where the block goes: from the selection's top left cell; a single value
  // goes into every selected cell.
  const QModelIndexList selected = table_->selectionModel()->selectedIndexes();
  QModelIndex anchor = table_->currentIndex();
  for (const QModelIndex& i : selected)
    if (!anchor.isValid() || i.row() < anchor.row() || (i.row() == anchor.row() && i.column() < anchor.column()))
      anchor = i;
  if (!anchor.isValid()) return;
  int top = anchor.row(), left = anchor.column();
  for (const QModelIndex& i : selected) {
    top = std::min(top, i.row());
    left = std::min(left, i.column());
  }
  std::vector<std::pair<QModelIndex, QString>> targets;
  if (block.size() == 1 && block[0].size() == 1 && selected.size() > 1) {
    std::vector<QModelIndex> cells(selected.begin(), selected.end());
    std::sort(cells.begin(), cells.end(), [](const QModelIndex& a, const QModelIndex& b) {
      return a.row() != b.row() ? a.row() < b.row() : a.column() < b.column();
    });
    for (const QModelIndex& i : cells) targets.emplace_back(i, block[0][0]);
  } else {
    for (std::size_t r = 0; r < block.size(); ++r)
      for (int c = 0; c < block[r].size(); ++c) {
        const QModelIndex i = model_->index(top + static_cast<int>(r), left + c);
        if (i.isValid()) targets.emplace_back(i, block[r][c]);
      }
  }

  std::vector<CellChange> step;
  std::vector<std::string> refused;
  std::set<int> records;
  for (const auto& [index, value] : targets) {
    const int record = model_->recordAt(index.row());
    const int row = SectionTableModel::rowOfColumn(index.column());
    const std::string& file = session_.snapshot().records[record].file;
    auto cellText = fromQ(value);
    const std::string shown = fromQ(index.data(Qt::DisplayRole).toString()).value_or(std::string());
    if (cellText && *cellText == shown) continue;  // nothing to change
    const std::string where =
        file + (row >= 0 ? ", " + session_.schema().rows[row].name : ", " + ru("Файл")) + ": ";
    if (!cellText) {
      refused.push_back(where + ru("символ, которого нет в кодировке Windows-1251"));
      continue;
    }
    if (row < 0 || !session_.editable(record, row)) {
      refused.push_back(where + ru("в таблице не меняется"));
      continue;
    }
    TableSession::Proposal p = session_.propose(record, row, *cellText);
    if (!p.accepted) {
      refused.push_back(where + ru("«") + *cellText + ru("»: ") + firstLine(p.message));
      continue;
    }
    session_.apply(p.changes);
    step.insert(step.end(), p.changes.begin(), p.changes.end());
    records.insert(record);
  }
  history_.push(step);
  afterChange(std::vector<int>(records.begin(), records.end()));
  if (!refused.empty()) {
    notifier().beep();
    errorBox(ru("Не вставлено значений: ") + std::to_string(refused.size()) + ru(" (остальные вставлены):") +
             listedLines(refused));
  }
}

void TSectionTableF::showRecordInEditor(const QModelIndex& index) {
  if (!index.isValid() || !showEditor) return;
  const int record = model_->recordAt(index.row());
  const int row = std::max(0, SectionTableModel::rowOfColumn(index.column()));
  SectionEditor* editor = showEditor(entry_);
  if (editor) editor->showRecord(session_.snapshot().records[record].file, row);
}

void TSectionTableF::editorSaved(const QString& className, const QString& file) {
  if (className.toStdString() != entry_.className) return;
  auto name = fromQ(file);
  const int record = name ? session_.recordOf(*name) : -1;
  if (record < 0) return reloadSection();
  session_.reloadRecord(record);
  afterChange({record});
}

void TSectionTableF::reloadSection() {
  commitTypedCell();
  auto snapshot = readSnapshot(session_.schema(), session_.folder());
  if (!snapshot) return;
  TableSession fresh(std::move(*snapshot));
  const std::vector<std::string> lost = fresh.adoptEdits(session_);
  session_ = std::move(fresh);
  history_.clear();
  model_->refresh();
  updateCount();
  if (!lost.empty())
    messageBoxEx(ru("Записи раздела изменились в окне раздела; правки таблицы в записях, которых больше нет, "
                    "отброшены:") +
                     listedLines(lost),
                 "", Icon::Warning);
}

void TSectionTableF::closeForNewTree() {
  treeGone_ = true;
  close();
}

void TSectionTableF::closeEvent(QCloseEvent* event) {
  commitTypedCell();
  if (session_.hasEdits() && !treeGone_) {
    const Answer a = messageBoxEx(ru("Сохранить изменения в таблице раздела (изменено записей: ") +
                                      std::to_string(session_.editedRecords()) + ")?",
                                  "", Icon::Question, ButtonYes | ButtonNo | ButtonCancel);
    if (a == Answer::Yes) SaveAllButClick();
    if (a == Answer::Cancel || (a == Answer::Yes && session_.hasEdits())) {
      event->ignore();
      return;
    }
  }
  event->accept();
}

}  // namespace kessik
