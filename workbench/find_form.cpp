#include "workbench/find_form.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include "config/settings.h"
#include "core/database.h"
#include "editors/schemas/registry.h"
#include "editors/section_editor.h"
#include "ui/qtext.h"
#include "util/cp1251.h"
#include "util/notify.h"
#include "ui/window_sizes.h"

namespace kessik {

namespace {

// More hits than anyone reads; the search stops there and says so.
constexpr std::size_t kMaxHits = 1000000;

QString gameName(Game g) { return g == Game::Lmp ? qru("Мульт") : qru("Сингл"); }

}  // namespace

// ---------------------------------------------------------------------------

int FindResultsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(hits_.size());
}

int FindResultsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 6; }

QVariant FindResultsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
  const SearchHit& h = hit(index.row());
  const SearchSection& s = sections_[static_cast<std::size_t>(h.section)];
  switch (index.column()) {
    case 0: return gameName(s.game);
    case 1: return toQ(s.caption);
    case 2: return toQ(recordFileName(static_cast<std::uint64_t>(h.record) + 1));
    case 3: return toQ(h.mask);
    case 4: return toQ(s.schema->rows[static_cast<std::size_t>(h.row)].name);
    case 5: return toQ(h.value);
    default: return {};
  }
}

QVariant FindResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  static const char* const names[] = {"Игра", "Раздел", "Файл", "Маска", "Поле", "Значение"};
  return section >= 0 && section < 6 ? qru(names[section]) : QVariant();
}

void FindResultsModel::reset(std::vector<SearchSection> sections) {
  beginResetModel();
  sections_ = std::move(sections);
  hits_.clear();
  hits_.shrink_to_fit();
  endResetModel();
}

void FindResultsModel::append(std::vector<SearchHit>& hits) {
  if (hits.empty()) return;
  const int first = static_cast<int>(hits_.size());
  beginInsertRows({}, first, first + static_cast<int>(hits.size()) - 1);
  hits_.insert(hits_.end(), std::make_move_iterator(hits.begin()), std::make_move_iterator(hits.end()));
  endInsertRows();
  hits.clear();
}

// ---------------------------------------------------------------------------

TFindF::TFindF(QWidget* parent) : QWidget(parent) {
  setObjectName("TFindF");
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(qru("Поиск по базам"));

  FindEd = new QLineEdit(this);
  FindEd->setObjectName("FindEd");
  ScopeBox = new QComboBox(this);
  ScopeBox->setObjectName("ScopeBox");
  ScopeBox->addItems({qru("Все базы"), qru("Сингл"), qru("Мульт")});
  for (const WindowEntry& w : windowTable()) {
    if (!findSchema(w.schemaFolder)) continue;
    scopeWindows_.push_back(&w);
    ScopeBox->addItem(toQ(w.caption));
  }
  MasksOnlyCB = new QCheckBox(qru("Только маски"), this);
  MasksOnlyCB->setObjectName("MasksOnlyCB");
  ExactCB = new QCheckBox(qru("Целиком"), this);
  ExactCB->setObjectName("ExactCB");
  FindBut = new QPushButton(qru("Найти"), this);
  FindBut->setObjectName("FindBut");
  FindProgress = new QProgressBar(this);
  FindProgress->setObjectName("FindProgress");
  FindProgress->setRange(0, 1000);
  FindProgress->setValue(0);
  FindProgress->setTextVisible(false);
  FoundLabel = new QLabel(this);
  FoundLabel->setObjectName("FoundLabel");

  model_ = new FindResultsModel(this);
  ResultsView = new QTableView(this);
  ResultsView->setObjectName("ResultsView");
  ResultsView->setModel(model_);
  ResultsView->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ResultsView->setSelectionBehavior(QAbstractItemView::SelectRows);
  ResultsView->setSelectionMode(QAbstractItemView::SingleSelection);
  ResultsView->setWordWrap(false);
  ResultsView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  ResultsView->verticalHeader()->setDefaultSectionSize(ResultsView->fontMetrics().height() + 6);
  ResultsView->horizontalHeader()->setStretchLastSection(true);
  const int widths[] = {60, 230, 90, 150, 150};
  for (int c = 0; c < 5; ++c) ResultsView->setColumnWidth(c, widths[c]);

  auto* line = new QHBoxLayout;
  auto* label = new QLabel(qru("Найти:"), this);
  label->setBuddy(FindEd);
  line->addWidget(label);
  line->addWidget(FindEd, 1);
  line->addWidget(FindBut);
  auto* options = new QHBoxLayout;
  options->addWidget(new QLabel(qru("Где:"), this));
  options->addWidget(ScopeBox, 1);
  options->addWidget(MasksOnlyCB);
  options->addWidget(ExactCB);
  auto* status = new QHBoxLayout;
  status->addWidget(FindProgress, 1);
  status->addWidget(FoundLabel, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addLayout(line);
  layout->addLayout(options);
  layout->addLayout(status);
  layout->addWidget(ResultsView, 1);

  poll_ = new QTimer(this);
  poll_->setInterval(40);
  connect(poll_, &QTimer::timeout, this, &TFindF::poll);
  connect(FindBut, &QPushButton::clicked, this, [this] { FindButClick(); });
  connect(FindEd, &QLineEdit::returnPressed, this, [this] { FindButClick(); });
  connect(ResultsView, &QTableView::doubleClicked, this, &TFindF::showResult);
  resize(760, 460);
  rememberWindowSize(this, "TFindF");
}

TFindF::~TFindF() = default;

std::vector<SearchSection> TFindF::scopeSections() const {
  std::vector<const WindowEntry*> windows;
  const int scope = ScopeBox->currentIndex();
  if (scope >= 3) {
    windows.push_back(scopeWindows_[static_cast<std::size_t>(scope - 3)]);
  } else {
    for (const WindowEntry* w : scopeWindows_)
      if (scope == 0 || (scope == 1) == (w->game == Game::Singl)) windows.push_back(w);
  }
  const Settings& s = settings();
  return searchSectionsOfWindows(windows, s.DatabaseResIsh, s.DatabaselmpResIsh);
}

void TFindF::FindButClick() {
  stopSearch();
  auto text = fromQOrRefuse(FindEd->text());
  if (!text) return;
  if (text->empty()) {
    messageBoxEx(ru("Введите текст, который нужно найти."), "", Icon::Information);
    return;
  }
  std::vector<SearchSection> sections = scopeSections();
  if (sections.empty()) {
    model_->reset({});
    FoundLabel->setText(qru("Нет ни одной папки исходника в выбранной области поиска."));
    return;
  }
  model_->reset(sections);
  search_ = std::make_unique<TreeSearch>(std::move(sections), SearchQuery{*text, MasksOnlyCB->isChecked(),
                                                                           ExactCB->isChecked()});
  FindProgress->setValue(0);
  FoundLabel->setText(qru("Поиск... (Esc — остановить)"));
  search_->start();
  poll_->start();
}

void TFindF::poll() {
  if (!search_) return;
  std::vector<SearchHit> hits;
  const bool more = search_->take(hits);
  if (model_->rowCount() + hits.size() > kMaxHits) hits.resize(kMaxHits - model_->rowCount());
  model_->append(hits);
  if (search_->total()) FindProgress->setValue(static_cast<int>(search_->done() * 1000 / search_->total()));
  if (static_cast<std::size_t>(model_->rowCount()) >= kMaxHits) return finish(true);
  if (!more) return finish(false);
  FoundLabel->setText(qru("Поиск... найдено: %1 (Esc — остановить)").arg(model_->rowCount()));
}

void TFindF::finish(bool stopped) {
  poll_->stop();
  search_.reset();  // waits for the threads, which stop at the record at hand
  if (!stopped) FindProgress->setValue(FindProgress->maximum());
  const int n = model_->rowCount();
  QString text = n ? qru("Найдено: %1").arg(n) : qru("Ничего не найдено");
  if (stopped) text += qru(" (поиск остановлен)");
  FoundLabel->setText(text);
}

void TFindF::stopSearch() {
  if (!search_) return;
  search_->cancel();
  finish(true);
}

void TFindF::findUsages(const std::string& mask) {
  FindEd->setText(toQ(mask));
  ScopeBox->setCurrentIndex(0);
  MasksOnlyCB->setChecked(false);
  ExactCB->setChecked(true);
  FindButClick();
}

void TFindF::showResult(const QModelIndex& index) {
  if (!index.isValid() || !showEditor) return;
  const SearchSection& s = model_->sectionOf(index.row());
  const SearchHit& h = model_->hit(index.row());
  const WindowEntry* entry = findWindow(s.className);
  if (!entry) return;
  const std::string file = recordFileName(static_cast<std::uint64_t>(h.record) + 1);
  const int row = h.row;
  if (SectionEditor* editor = showEditor(*entry)) editor->showRecord(file, row);
}

void TFindF::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && search_) {
    stopSearch();
    return;
  }
  QWidget::keyPressEvent(event);
}

void TFindF::closeEvent(QCloseEvent* event) {
  stopSearch();
  event->accept();
}

}  // namespace kessik
