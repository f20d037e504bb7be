#include "editors/section_editor.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFont>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QShortcut>
#include <QTableWidget>
#include <QToolButton>

#include <map>

#include "config/settings.h"
#include "ui/busy_work.h"
#include "ui/value_table.h"
#include "ui/form_util.h"
#include "ui/window_sizes.h"
#include "ui/look.h"
#include "ui/qtext.h"
#include "core/file_buf.h"
#include "core/record.h"
#include "editors/dialog_hooks.h"
#include "editors/engine/expectation.h"
#include "editors/schemas/registry.h"
#include "util/cp1251.h"
#include "platform/files.h"
#include "util/notify.h"

namespace kessik {

namespace {

// The one-instance flags: the open editors by class name.
std::map<std::string, QPointer<SectionEditor>>& openEditors() {
  static std::map<std::string, QPointer<SectionEditor>> editors;
  return editors;
}

void errorBox(const std::string& text) { messageBoxEx(text, "", Icon::Error); }

constexpr int kMargin = 18;
constexpr int kListsTop = 20;
constexpr int kTableTop = 48;
constexpr int kRowHeight = 18;
// The table made lower than its section's size keeps its header and a few rows.
constexpr int kMinTableHeight = 20 + 4 * kRowHeight + 4;
// How low the table may be made: a few rows, or the section's own height
// where that is lower still.
int lowestTableHeight(const WindowSize& size) { return std::min(kMinTableHeight, size.tableHeight); }

// The record files of a folder, as many as the scan can find at most.
std::uint64_t countRecordFiles(const std::string& folder) {
  std::uint64_t n = 0;
  for (const auto& e : listFolder(folder).entries)
    if (e.kind == EntryKind::File && wildcardMatch(e.name, "*.zap")) ++n;
  return n;
}

}  // namespace

QWidget* createSectionEditor(const WindowEntry& entry, QWidget* parent) {
  const Schema* schema = findSchema(entry.schemaFolder);
  if (!schema) return nullptr;
  auto* w = new SectionEditor(entry, *schema, parent);
  if (!w->FormShow()) {
    delete w;
    return nullptr;
  }
  if (!parent) w->show();
  return w;
}

bool isSectionEditorOpen(const std::string& className) {
  auto it = openEditors().find(className);
  return it != openEditors().end() && it->second;
}

QWidget* openSectionEditor(const std::string& className) {
  auto it = openEditors().find(className);
  return it == openEditors().end() ? nullptr : it->second.data();
}

bool saveOrDropAllEditorEdits() {
  std::vector<QPointer<SectionEditor>> all;
  for (auto& [name, w] : openEditors())
    if (w) all.push_back(w);
  for (auto& w : all)
    if (w && !w->maybeSaveEdits()) return false;
  return true;
}

void closeAllSectionEditors() {
  std::vector<QPointer<SectionEditor>> all;
  for (auto& [name, w] : openEditors())
    if (w) all.push_back(w);
  for (auto& w : all)
    if (w) w->close();
}

SectionEditor::SectionEditor(const WindowEntry& entry, const Schema& schema, QWidget* parent)
    : QWidget(parent), entry_(entry), schema_(schema) {
  setObjectName(QString::fromStdString(entry.className));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(toQ(entry.caption));
  buildControls();
  installEditKeys();
  rememberWindowSize(this, entry.className);
}

SectionEditor::~SectionEditor() {
  // Destroyed without a close (by its parent): the flag goes all the same.
  auto it = openEditors().find(entry_.className);
  if (it != openEditors().end() && (!it->second || it->second == this)) openEditors().erase(it);
}

void SectionEditor::buildControls() {
  const WindowSize& size = entry_.size;
  // Opens at the section's size; wider or taller, the table grows (down to
  // a few rows when it is made lower).
  setResizableClientSize(this, size.clientWidth, size.clientHeight,
                         QSize(size.clientWidth, size.clientHeight - size.tableHeight + lowestTableHeight(size)));
  // The geometry is that of the original small dialog font: field names of
  // 30 characters fit the 180-pixel name column, button texts their buttons.
  QFont small = font();
  small.setPointSize(kFontPointSize);
  setFont(small);
  const int half = (size.tableWidth - 15) / 2;

  Label1 = new QLabel(qru("Маска:"), this);
  Label1->setObjectName("Label1");
  Label1->setGeometry(kMargin, 4, half, 16);
  MaskiBox = new QComboBox(this);
  MaskiBox->setObjectName("MaskiBox");
  MaskiBox->setEditable(true);
  MaskiBox->setInsertPolicy(QComboBox::NoInsert);
  MaskiBox->setGeometry(kMargin, kListsTop, half, 22);
  Label2 = new QLabel(qru("Файл записи:"), this);
  Label2->setObjectName("Label2");
  Label2->setGeometry(kMargin + size.tableWidth - half, 4, half, 16);
  FilesBox = new QComboBox(this);
  FilesBox->setObjectName("FilesBox");
  FilesBox->setEditable(true);
  FilesBox->setInsertPolicy(QComboBox::NoInsert);
  FilesBox->setGeometry(kMargin + size.tableWidth - half, kListsTop, half, 22);
  connect(MaskiBox, qOverload<int>(&QComboBox::activated), this, [this](int) { MaskiBoxClick(); });
  connect(FilesBox, qOverload<int>(&QComboBox::activated), this, [this](int) { FilesBoxClick(); });

  std::vector<std::string> names;
  for (const Row& r : schema_.rows) names.push_back(r.name);
  ValuesEd = newValueTable(this, names, QRect(kMargin, kTableTop, size.tableWidth, size.tableHeight), size.column1,
                           size.column2, kRowHeight);
  EditButton = new QToolButton(ValuesEd->viewport());
  EditButton->setObjectName("ValuesEdEditButton");
  EditButton->setText(QString::fromUtf8("…"));
  EditButton->hide();
  connect(EditButton, &QToolButton::clicked, this, [this] { ValuesEdEditButtonClick(); });
  connect(ValuesEd, &QTableWidget::currentCellChanged, this, [this] { placeRowButton(); });
  connect(ValuesEd->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { placeRowButton(); });

  // The buttons in one row under the table.
  const int y = kTableTop + size.tableHeight + 6;
  const int gap = 4;
  const int w = (size.tableWidth - 5 * gap) / 6;
  int x = kMargin;
  auto next = [&](const char* name, const char* text) {
    QPushButton* b = addButton(this, name, text, x, y, w, 25);
    x += w + gap;
    return b;
  };
  SortBut = next("SortBut", "Отсортировать");
  ZashablonitBut = next("ZashablonitBut", "Зашаблонить");
  SaveBut = next("SaveBut", "Сохранить");
  CloseBut = next("CloseBut", "Закрыть");
  CreateBut = next("CreateBut", "Создать");
  DeleteBut = next("DeleteBut", "Удалить");
  connect(SortBut, &QPushButton::clicked, this, [this] { SortButClick(); });
  connect(ZashablonitBut, &QPushButton::clicked, this, [this] { ZashablonitButClick(); });
  connect(SaveBut, &QPushButton::clicked, this, [this] { SaveButClick(); });
  connect(CloseBut, &QPushButton::clicked, this, [this] { CloseButClick(); });
  connect(CreateBut, &QPushButton::clicked, this, [this] { CreateButClick(); });
  connect(DeleteBut, &QPushButton::clicked, this, [this] { DeleteButClick(); });
  layoutControls();
}

// ---- Size ----

void SectionEditor::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  layoutControls();
}

// The controls for the window's size: at the section's own size exactly as
// the section gives them; larger, the lists share the extra width, the table
// takes the extra width and height and the buttons stay under it. Of the
// table's extra width the name column takes what its longest name needs (up
// to half), the value column the rest; a name that still does not fit is
// cut short with "…" and shows whole as a tool tip.
void SectionEditor::layoutControls() {
  if (!ValuesEd) return;
  const WindowSize& size = entry_.size;
  const int extraWidth = std::max(0, width() - size.clientWidth);
  const int extraHeight = height() - size.clientHeight;
  const int tableWidth = size.tableWidth + extraWidth;
  const int tableHeight = std::max(lowestTableHeight(size), size.tableHeight + extraHeight);
  const int half = (tableWidth - 15) / 2;
  Label1->setGeometry(kMargin, 4, half, 16);
  MaskiBox->setGeometry(kMargin, kListsTop, half, 22);
  Label2->setGeometry(kMargin + tableWidth - half, 4, half, 16);
  FilesBox->setGeometry(kMargin + tableWidth - half, kListsTop, half, 22);
  ValuesEd->setGeometry(kMargin, kTableTop, tableWidth, tableHeight);

  constexpr int kCellPadding = 8;
  const QFontMetrics names(ValuesEd->font());
  int needed = 0;
  for (int r = 0; r < ValuesEd->rowCount(); ++r)
    needed = std::max(needed, names.horizontalAdvance(ValuesEd->item(r, 0)->text()) + kCellPadding);
  const int nameWidth = size.column1 + std::clamp(needed - size.column1, 0, extraWidth / 2);
  ValuesEd->setColumnWidth(0, nameWidth);
  ValuesEd->setColumnWidth(1, size.column2 + extraWidth - (nameWidth - size.column1));
  for (int r = 0; r < ValuesEd->rowCount(); ++r) {
    QTableWidgetItem* name = ValuesEd->item(r, 0);
    const bool fits = names.horizontalAdvance(name->text()) + kCellPadding <= nameWidth;
    name->setToolTip(fits ? QString() : name->text());
  }

  const int y = kTableTop + tableHeight + 6;
  const int gap = 4;
  const int w = (tableWidth - 5 * gap) / 6;
  int x = kMargin;
  for (QPushButton* b : {SortBut, ZashablonitBut, SaveBut, CloseBut, CreateBut, DeleteBut}) {
    b->setGeometry(x, y, w, 25);
    x += w + gap;
  }
  placeRowButton();
}

std::vector<ByteString>& SectionEditor::slotData() { return view_.slotData; }
TZapisBaziZm* SectionEditor::record() { return record_.get(); }

std::string SectionEditor::rowText(int row) const {
  if (row < 0 || row >= ValuesEd->rowCount()) return std::string();
  return fromQ(ValuesEd->item(row, 1)->text()).value_or(std::string());
}

void SectionEditor::setRowText(int row, const std::string& text) {
  if (row < 0 || row >= ValuesEd->rowCount()) return;
  ValuesEd->item(row, 1)->setText(toQ(text));
  if (row < static_cast<int>(view_.texts.size())) view_.texts[row] = text;
}

// With no record loaded the value column is empty and read-only: a value
// typed there would belong to no record.
void SectionEditor::clearValues() {
  filling_ = true;
  for (int r = 0; r < ValuesEd->rowCount(); ++r) {
    QTableWidgetItem* item = ValuesEd->item(r, 1);
    item->setText(QString());
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setData(Qt::ForegroundRole, QVariant());
    item->setToolTip(QString());
  }
  filling_ = false;
  view_ = RecordView();
  setBaseline();
  forgetEdits();
  showMarks();
}

// The cells from the record view; rows that could not be read say so and
// cannot be edited.
void SectionEditor::showView() {
  for (int r = 0; r < ValuesEd->rowCount(); ++r) {
    QTableWidgetItem* item = ValuesEd->item(r, 1);
    item->setText(toQ(view_.texts[r]));
    const bool readable = view_.readable[r];
    // A raw or sound-list cell shows a description of its bytes: typing there
    // would change nothing, so only its row button changes it.
    const bool typed = readable && !isDescriptionRow(r);
    item->setFlags(typed ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable
                         : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setData(Qt::ForegroundRole, readable ? QVariant() : QVariant(QColor(Qt::darkRed)));
    item->setToolTip(readable ? QString() : toQ(view_.texts[r]));
  }
}

void SectionEditor::readCells() {
  for (int r = 0; r < ValuesEd->rowCount() && r < static_cast<int>(view_.texts.size()); ++r) {
    if (!view_.readable[r]) continue;
    if (auto text = fromQ(ValuesEd->item(r, 1)->text())) view_.texts[r] = *text;
  }
}

bool SectionEditor::isButtonRow(int row) const {
  return row >= 0 && row < static_cast<int>(schema_.rows.size()) && schema_.rows[row].button != RowButton::None;
}

bool SectionEditor::isDescriptionRow(int row) const {
  return row >= 0 && row < static_cast<int>(schema_.rows.size()) && showsDescription(schema_.rows[row].codec);
}

void SectionEditor::placeRowButton() {
  const int row = ValuesEd->currentRow();
  const bool show = TableActive && isButtonRow(row) && row < static_cast<int>(view_.readable.size()) &&
                    view_.readable[row];
  if (!show) {
    EditButton->hide();
    setRowButtonCell(ValuesEd, -1, 0);
    return;
  }
  // At the right end of the cell, or of the part of it that can be seen when
  // the cell runs on under the scroll bar; the cell's text ends before it.
  const QRect cell = ValuesEd->visualRect(ValuesEd->model()->index(row, 1));
  const int side = cell.height();
  const int right = std::min(cell.right(), ValuesEd->viewport()->width() - 1);
  EditButton->setGeometry(right - side + 1, cell.top(), side, side);
  setRowButtonCell(ValuesEd, row, cell.right() - (right - side));
  EditButton->show();
  EditButton->raise();
}

// ---- Showing and scanning ----

bool SectionEditor::FormShow() {
  openEditors()[entry_.className] = this;
  CurMask.clear();
  CurFile.clear();
  MaskiBox->clear();
  MaskiBox->setEditText(QString());
  FilesBox->clear();
  FilesBox->setEditText(QString());
  SaveBut->setEnabled(false);
  DeleteBut->setEnabled(false);
  ZashablonitBut->setEnabled(false);
  DeActivateTable();
  clearValues();
  loadedIndex_ = -1;
  buffer_ = std::make_unique<TFileInString>();
  record_ = std::make_unique<TZapisBaziZm>();

  Settings& s = settings();
  s.SourcesRoot = entry_.game == Game::Lmp ? s.DatabaselmpResIsh : s.DatabaseResIsh;
  IshPath = sectionSourceFolder(s.SourcesRoot, schema_);
  ShabPath = sectionTemplateFolder(s.ProgramDir, schema_);

  if (!scanIntoLists()) {
    // The folder looked for is named: a wrong path in the settings shows.
    errorBox(ru("Проверьте наличие исходника! Отсутствует папка с исходником данного раздела!") + "\n" + IshPath);
    close();
    return false;
  }
  return true;
}

bool SectionEditor::scanIntoLists() {
  // A large section takes a while: the busy cursor, and past half a second
  // the progress window counting the records read.
  BusyWork busy(IshPath);
  busy.setStage(ru("Чтение записей раздела..."));
  busy.setMaximum(countRecordFiles(IshPath));
  auto list = scanSection(schema_, IshPath, busy);
  if (!list) return false;
  ZapList = std::move(*list);
  QStringList masks, files;
  for (const auto& e : ZapList) {
    masks << toQ(e.mask);
    files << toQ(e.file);
  }
  MaskiBox->clear();
  FilesBox->clear();
  MaskiBox->addItems(masks);
  FilesBox->addItems(files);
  MaskiBox->setCurrentIndex(-1);
  FilesBox->setCurrentIndex(-1);
  rememberSelection();
  emit recordListChanged();
  // A scan after the first one follows a create, delete or sort.
  if (scanned_) emit sectionEditorEvents().listRescanned(objectName());
  scanned_ = true;
  return true;
}

void SectionEditor::reloadLists() {
  // The shown record keeps its edits when its file still holds it. When the
  // records were renumbered or removed behind the window, its edits cannot be
  // saved into that file any more: they are dropped only after a question.
  commitOpenEditor();
  if (hasEdits() && !shownRecordStillInItsFile()) {
    const Answer a = messageBoxEx(ru("Файл ") + CurFile + ru(" больше не содержит запись «") + CurMask +
                                      ru("»: записи раздела изменились на диске. Перечитать раздел и отбросить "
                                         "правки этой записи?"),
                                  "", Icon::Warning, ButtonYes | ButtonNo);
    if (a != Answer::Yes) return;
    dropEdits();
  }
  const std::string shownFile = loadedIndex_ >= 0 ? CurFile : std::string();
  if (!scanIntoLists()) {
    FormShow();  // the folder has gone: said as when the window is shown
    return;
  }
  // The shown record is still the one in its file when file and mask agree;
  // otherwise the records have been renumbered behind the window, and the
  // table would be saved over another record.
  int index = -1;
  for (int i = 0; i < static_cast<int>(ZapList.size()); ++i)
    if (ZapList[i].file == shownFile && ZapList[i].mask == CurMask) index = i;
  if (index < 0) {
    if (!shownFile.empty()) FormShow();
    return;
  }
  loadedIndex_ = index;
  FilesBox->setCurrentIndex(index);
  MaskiBox->setCurrentIndex(schema_.masksMayRepeat() ? index : lastWithMask(index));
  rememberSelection();
}

void SectionEditor::FormClose() {
  if (formClosed_) return;
  formClosed_ = true;
  buffer_.reset();
  record_.reset();
  openEditors().erase(entry_.className);
  emit closed();
}

void SectionEditor::closeEvent(QCloseEvent* event) {
  if (!formClosed_ && !maybeSaveEdits()) {
    event->ignore();
    return;
  }
  FormClose();
  event->accept();
}

void SectionEditor::CloseButClick() { close(); }

// ---- Picking and loading ----

void SectionEditor::loadIndex(int index) {
  if (index < 0 || index >= static_cast<int>(ZapList.size())) return;
  loadedIndex_ = index;
  CurFile = ZapList[index].file;
  CurMask = ZapList[index].mask;
  LoadFil(IshPath + CurFile);
}

int SectionEditor::lastWithMask(int index) const {
  int last = index;
  for (int i = 0; i < static_cast<int>(ZapList.size()); ++i)
    if (ZapList[i].mask == ZapList[index].mask) last = i;
  return last;
}

void SectionEditor::MaskiBoxClick() { pickAfterAsking(MaskiBox->currentIndex(), &SectionEditor::pickMask); }

void SectionEditor::FilesBoxClick() { pickAfterAsking(FilesBox->currentIndex(), &SectionEditor::pickFile); }

// Picking another record drops the edits of this one: asked first; when they
// stay, so does the record, and both lists show it again.
void SectionEditor::pickAfterAsking(int item, void (SectionEditor::*pick)(int)) {
  if (item < 0 || item >= static_cast<int>(ZapList.size())) return;
  if (!maybeSaveEdits()) {
    selectLoaded();
    return;
  }
  (this->*pick)(item);
}

void SectionEditor::pickMask(int picked) {
  // The last record that carries the mask (by position when masks repeat).
  const int index = schema_.masksMayRepeat() ? picked : lastWithMask(picked);
  MaskiBox->setCurrentIndex(picked);
  FilesBox->setCurrentIndex(index);
  loadIndex(index);
  rememberSelection();
}

void SectionEditor::pickFile(int index) {
  // The last mask item of that text (by position when masks repeat).
  const int maskItem = schema_.masksMayRepeat() ? index : lastWithMask(index);
  FilesBox->setCurrentIndex(index);
  MaskiBox->setCurrentIndex(maskItem);
  loadIndex(index);
  rememberSelection();
}

void SectionEditor::LoadFil(const std::string& path) {
  ActivateTable();
  if (!loadRecordFile(path, *buffer_, *record_)) {
    // The file went away behind the window's back: nothing is loaded.
    clearValues();
    loadedIndex_ = -1;
    SaveBut->setEnabled(false);
    DeleteBut->setEnabled(false);
    ZashablonitBut->setEnabled(false);
    return;
  }
  SaveBut->setEnabled(true);
  DeleteBut->setEnabled(true);
  ZashablonitBut->setEnabled(true);
  view_ = decodeRecord(schema_, *record_);
  filling_ = true;
  showView();
  filling_ = false;
  setBaseline();
  forgetEdits();
  showMarks();
  placeRowButton();
}

void SectionEditor::ActivateTable() {
  if (TableActive) return;
  TableActive = true;
  placeRowButton();
}

void SectionEditor::DeActivateTable() {
  if (!TableActive) return;
  TableActive = false;
  placeRowButton();
}

// ---- Checking and writing ----

bool SectionEditor::GenZap() {
  if (loadedIndex_ < 0 || view_.texts.empty()) return false;
  // A cell still being edited counts with its typed text.
  commitOpenEditor();
  readCells();
  CheckContext context;
  context.recordIndex = loadedIndex_;
  context.maskAllowed = [this](const std::string& mask) { return maskAllowed(schema_, ZapList, mask, loadedIndex_); };
  const std::vector<RowFailure> failures = checkRows(schema_, view_, context);
  // The checks may have changed cells (normalised lists, IDs from types).
  for (int r = 0; r < ValuesEd->rowCount(); ++r)
    if (view_.readable[r]) putCell(r, view_.texts[r]);
  failing_.assign(schema_.rows.size(), false);
  if (!failures.empty()) {
    // The message of the last failing row, then a line for each failing row
    // saying what was typed and what the row expects; every failing cell is
    // marked and the first one is selected.
    std::string text = failures.back().message;
    for (const auto& f : failures) {
      ValuesEd->setCurrentCell(f.row, 1);
      notifier().beep();
      failing_[f.row] = true;
      text += "\n" + failureLine(schema_, f, view_.texts[f.row]);
    }
    showMarks();
    ValuesEd->setCurrentCell(failures.front().row, 1);
    errorBox(text);
    ValuesEd->setFocus();
    ValuesEd->setCurrentCell(failures.front().row, 1);
    return false;
  }
  showMarks();
  const BuildResult built = encodeRecord(schema_, view_, *record_);
  if (!built.ok) {
    errorBox(built.error);
    return false;
  }
  return true;
}

void SectionEditor::SaveButClick() { saveRecord(); }

bool SectionEditor::saveRecord() {
  if (!GenZap()) return false;
  if (!writeRecordFile(IshPath + CurFile, *buffer_, *record_)) return false;
  setBaseline();
  showMarks();
  const int index = loadedIndex_;
  if (view_.readable[0]) {
    const std::string mask = view_.texts[0];
    ZapList[loadedIndex_].mask = mask;
    CurMask = mask;
    MaskiBox->setItemText(loadedIndex_, toQ(mask));
    MaskiBox->setCurrentIndex(loadedIndex_);
    rememberSelection();
  }
  emit recordFileSaved(index);
  emit sectionEditorEvents().recordSaved(objectName(), toQ(CurFile));
  return true;
}

void SectionEditor::ZashablonitButClick() {
  if (!GenZap()) return;
  if (auto path = dialogs::saveAsTemplate(ShabPath)) saveRecordAsTemplate(*record_, *path);
}

void SectionEditor::CreateButClick() {
  // The new record is shown once it is there: the edits are asked about first.
  if (!maybeSaveEdits()) return;
  std::string mask;
  for (;;) {
    auto answer = dialogs::askText(ru("Введите значение поля Name для новой записи (маску):"));
    if (!answer) return;
    if (maskAllowed(schema_, ZapList, *answer)) {
      mask = *answer;
      break;
    }
    errorBox(ru("ОШИБКА! Такая запись уже есть в базе! Введите уникальную маску!"));
  }
  auto chosen = dialogs::chooseTemplate(ShabPath);
  if (!chosen) return;
  BusyWork busy(IshPath);
  // Nothing of the window changes until the new record file is written: a
  // template that cannot be used leaves the loaded record where it was.
  if (!createRecordFromTemplate(*chosen, mask, IshPath + nextFreeFileName(ZapList))) return;
  if (!FormShow()) return;
  if (FilesBox->count() == 0) return;
  FilesBox->setCurrentIndex(FilesBox->count() - 1);
  FilesBoxClick();
  busy.done(entry_.caption + ru(": создана запись ") + CurFile + ru(" «") + mask + ru("»"));
}

void SectionEditor::DeleteButClick() {
  if (loadedIndex_ < 0) return;
  if (messageBoxEx(ru("Действительно хотите удалить эту запись?"), "", Icon::Question, ButtonYes | ButtonNo) !=
      Answer::Yes)
    return;
  const int index = loadedIndex_;
  const std::string deleted = CurFile + ru(" «") + CurMask + ru("»");
  BusyWork busy(IshPath);
  bool folderChanged = false;
  deleteRecord(IshPath, CurFile, &folderChanged);
  // A file that could not be deleted leaves the window as it was.
  if (!folderChanged) return;
  if (!FormShow()) return;
  busy.done(entry_.caption + ru(": удалена запись ") + deleted + ru(", осталось ") + recordsText(ZapList.size()));
  int next = index;
  if (next >= static_cast<int>(ZapList.size())) next = static_cast<int>(ZapList.size()) - 1;
  if (next < 0) return;
  FilesBox->setCurrentIndex(next);
  FilesBoxClick();
}

void SectionEditor::SortButClick() {
  if (FilesBox->count() <= 1) return;
  // Sorting ends with nothing loaded: the edits are asked about first.
  if (!maybeSaveEdits()) return;
  BusyWork busy(IshPath);
  busy.setStage(ru("Сортировка записей..."));
  busy.setMaximum(ZapList.size());
  bool folderChanged = false;
  // A sort refused before any record moved leaves the window as it was.
  const bool sorted = sortSection(IshPath, ZapList, &folderChanged, busy);
  if (!sorted && !folderChanged) return;
  if (FormShow() && sorted) busy.done(entry_.caption + ru(": отсортировано ") + recordsText(ZapList.size()));
}

void SectionEditor::ValuesEdEditButtonClick() {
  if (!GenZap()) return;
  const int row = ValuesEd->currentRow();
  if (!isButtonRow(row) || !view_.readable[row]) return;
  const Row& r = schema_.rows[row];
  const std::string textBefore = rowText(row);
  const ByteString slotBefore = view_.slotData[row];
  filling_ = true;
  switch (r.button) {
    case RowButton::Raw:
      if (auto bytes = dialogs::rawValue(view_.slotData[row])) {
        view_.slotData[row] = *bytes;
        setRowText(row, decode(r.codec, view_.slotData[row], r.labels));
      }
      break;
    case RowButton::Chooser: {
      std::string chosen = dialogs::chooseValue(chooserEntries(r), chooserIndex(r, view_.texts[row]));
      if (chosen != "\r") setRowText(row, chosen);
      break;
    }
    case RowButton::SoundList: {
      const std::string list = dialogs::editSoundList(view_.slotData[row]);
      if (list != "NIL") {
        view_.slotData[row] = list;
        setRowText(row, decode(r.codec, list));
      }
      break;
    }
    case RowButton::None:
      break;
  }
  filling_ = false;
  if (rowText(row) != textBefore || view_.slotData[row] != slotBefore) noteEdit(row, textBefore, slotBefore);
}

// ---- Edits: marks, the question, undo ----

void SectionEditor::installEditKeys() {
  connect(ValuesEd, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    if (!filling_ && item->column() == 1) cellChanged(item->row());
  });
  auto key = [this](const char* sequence, auto handler) {
    auto* shortcut = new QShortcut(QKeySequence(QString::fromLatin1(sequence)), this);
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(shortcut, &QShortcut::activated, this, handler);
  };
  key("Ctrl+S", [this] {
    if (SaveBut->isEnabled()) SaveButClick();
  });
  key("Ctrl+Z", [this] { undoEdit(); });
  key("Ctrl+Y", [this] { redoEdit(); });
  key("Ctrl+Shift+Z", [this] { redoEdit(); });
}

void SectionEditor::putCell(int row, const std::string& text) {
  filling_ = true;
  ValuesEd->item(row, 1)->setText(toQ(text));
  filling_ = false;
  if (row < static_cast<int>(shownTexts_.size())) shownTexts_[row] = text;
}

// A cell the user changed (typing, pasting): one edit, unless the text is
// the one it showed already.
void SectionEditor::cellChanged(int row) {
  if (row < 0 || row >= static_cast<int>(shownTexts_.size()) || loadedIndex_ < 0) return;
  const std::string text = rowText(row);
  if (text == shownTexts_[row]) return;
  const std::string before = shownTexts_[row];
  shownTexts_[row] = text;
  noteEdit(row, before, row < static_cast<int>(view_.slotData.size()) ? view_.slotData[row] : ByteString());
}

void SectionEditor::noteEdit(int row, const std::string& before, const ByteString& slotBefore) {
  CellEdit edit;
  edit.row = row;
  edit.before = before;
  edit.after = rowText(row);
  edit.slotBefore = slotBefore;
  if (row < static_cast<int>(view_.slotData.size())) edit.slotAfter = view_.slotData[row];
  shownTexts_[row] = edit.after;
  edits_.resize(editPos_);
  edits_.push_back(std::move(edit));
  editPos_ = edits_.size();
  if (row < static_cast<int>(failing_.size())) failing_[row] = false;
  showMarks();
}

void SectionEditor::applyEdit(const CellEdit& edit, bool undo) {
  const std::string& text = undo ? edit.before : edit.after;
  putCell(edit.row, text);
  if (edit.row < static_cast<int>(view_.texts.size())) view_.texts[edit.row] = text;
  if (edit.row < static_cast<int>(view_.slotData.size()))
    view_.slotData[edit.row] = undo ? edit.slotBefore : edit.slotAfter;
  ValuesEd->setCurrentCell(edit.row, 1);
  showMarks();
}

void SectionEditor::undoEdit() {
  if (editPos_ == 0) return;
  commitOpenEditor();
  // Committing a typed cell may itself have been the last edit.
  if (editPos_ == 0) return;
  applyEdit(edits_[--editPos_], true);
}

void SectionEditor::redoEdit() {
  commitOpenEditor();
  if (editPos_ >= edits_.size()) return;
  applyEdit(edits_[editPos_++], false);
}

void SectionEditor::commitOpenEditor() {
  for (auto* editor : ValuesEd->viewport()->findChildren<QLineEdit*>("ValuesEdEditor")) {
    if (!editor->isVisible()) continue;
    QAbstractItemDelegate* delegate = ValuesEd->itemDelegateForColumn(1);
    emit delegate->commitData(editor);
    emit delegate->closeEditor(editor);
  }
}

// The values now shown are the saved ones: nothing is marked. The edits
// stay undoable (a save is not undone, but the cells may be).
void SectionEditor::setBaseline() {
  const int rows = ValuesEd->rowCount();
  shownTexts_.assign(rows, std::string());
  for (int r = 0; r < rows; ++r) shownTexts_[r] = rowText(r);
  baseTexts_ = shownTexts_;
  baseSlots_ = view_.slotData;
  failing_.assign(rows, false);
}

void SectionEditor::forgetEdits() {
  edits_.clear();
  editPos_ = 0;
}

void SectionEditor::dropEdits() {
  for (int r = 0; r < static_cast<int>(baseTexts_.size()); ++r) {
    if (!rowEdited(r)) continue;
    putCell(r, baseTexts_[r]);
    if (r < static_cast<int>(view_.texts.size())) view_.texts[r] = baseTexts_[r];
    if (r < static_cast<int>(baseSlots_.size()) && r < static_cast<int>(view_.slotData.size()))
      view_.slotData[r] = baseSlots_[r];
  }
  setBaseline();
  forgetEdits();
  showMarks();
}

bool SectionEditor::rowEdited(int row) const {
  if (loadedIndex_ < 0 || row < 0 || row >= static_cast<int>(view_.readable.size()) || !view_.readable[row])
    return false;
  if (row < static_cast<int>(shownTexts_.size()) && row < static_cast<int>(baseTexts_.size()) &&
      shownTexts_[row] != baseTexts_[row])
    return true;
  return row < static_cast<int>(view_.slotData.size()) && row < static_cast<int>(baseSlots_.size()) &&
         view_.slotData[row] != baseSlots_[row];
}

bool SectionEditor::hasEdits() const {
  if (loadedIndex_ < 0) return false;
  for (int r = 0; r < static_cast<int>(shownTexts_.size()); ++r)
    if (rowEdited(r)) return true;
  // A cell still being edited counts with its typed text.
  for (auto* editor : ValuesEd->viewport()->findChildren<QLineEdit*>("ValuesEdEditor"))
    if (editor->isVisible() && ValuesEd->currentItem() && editor->text() != ValuesEd->currentItem()->text())
      return true;
  return false;
}

// An edited value is drawn bold on a yellow ground, a refused one on a red
// ground; the caption ends with "*" while the record has edits.
void SectionEditor::showMarks() {
  const bool wasFilling = filling_;
  filling_ = true;
  QFont bold = ValuesEd->font();
  bold.setBold(true);
  bool edited = false;
  for (int r = 0; r < ValuesEd->rowCount(); ++r) {
    QTableWidgetItem* item = ValuesEd->item(r, 1);
    const bool changed = rowEdited(r);
    const bool refused = r < static_cast<int>(failing_.size()) && failing_[r];
    edited = edited || changed;
    item->setData(Qt::BackgroundRole, refused   ? QVariant(QColor(255, 200, 200))
                                      : changed ? QVariant(QColor(255, 243, 190))
                                                : QVariant());
    item->setData(Qt::FontRole, changed ? QVariant(bold) : QVariant());
  }
  filling_ = wasFilling;
  setWindowTitle(toQ(entry_.caption) + (edited ? QStringLiteral("*") : QString()));
}

bool SectionEditor::shownRecordStillInItsFile() const {
  const std::string path = IshPath + CurFile;
  if (loadedIndex_ < 0 || !fileExists(path)) return false;
  TFileInString buffer;
  TZapisBaziZm record;
  return loadRecordFile(path, buffer, record) && maskOf(record) == CurMask;
}

bool SectionEditor::maybeSaveEdits() {
  commitOpenEditor();
  if (!hasEdits()) return true;
  const Answer a = messageBoxEx(ru("Сохранить изменения в записи «") + CurMask + ru("»?"), "", Icon::Question,
                                ButtonYes | ButtonNo | ButtonCancel);
  if (a == Answer::Yes) return saveRecord();
  if (a == Answer::No) {
    dropEdits();
    return true;
  }
  return false;
}

void SectionEditor::rememberSelection() {
  shownMaskItem_ = MaskiBox->currentIndex();
  shownFileItem_ = FilesBox->currentIndex();
}

// Both lists back on the record that stays loaded.
void SectionEditor::selectLoaded() {
  MaskiBox->setCurrentIndex(shownMaskItem_);
  FilesBox->setCurrentIndex(shownFileItem_);
}

bool SectionEditor::showRecord(int index, int row) {
  if (index < 0 || index >= static_cast<int>(ZapList.size())) return false;
  // The loaded record is shown as it is, edits and all.
  if (index != loadedIndex_) {
    if (!maybeSaveEdits()) return false;
    pickFile(index);
  }
  if (loadedIndex_ != index) return false;
  if (row >= 0 && row < ValuesEd->rowCount()) {
    ValuesEd->setCurrentCell(row, 1);
    ValuesEd->setFocus();
  }
  return true;
}

void SectionEditor::recordFileChanged(int index) {
  if (index < 0 || index >= static_cast<int>(ZapList.size())) return;
  TFileInString buffer;
  TZapisBaziZm record;
  if (!loadRecordFile(IshPath + ZapList[index].file, buffer, record)) return;
  ZapList[index].mask = maskOf(record);
  MaskiBox->setItemText(index, toQ(ZapList[index].mask));
  if (index != loadedIndex_) return;
  CurMask = ZapList[index].mask;
  // The record as it is on disk now, with what was typed here on top.
  commitOpenEditor();
  std::vector<std::pair<int, std::pair<std::string, ByteString>>> typed;
  for (int r = 0; r < static_cast<int>(shownTexts_.size()); ++r)
    if (rowEdited(r))
      typed.push_back({r, {shownTexts_[r], r < static_cast<int>(view_.slotData.size()) ? view_.slotData[r] : ""}});
  LoadFil(IshPath + CurFile);
  for (const auto& [r, value] : typed) {
    putCell(r, value.first);
    view_.texts[r] = value.first;
    if (schema_.rows[r].slot) view_.slotData[r] = value.second;
  }
  showMarks();
}

}  // namespace kessik

// ---- For the section table and the search across the databases ----

namespace kessik {

SectionEditorEvents& sectionEditorEvents() {
  static SectionEditorEvents events;
  return events;
}

bool SectionEditor::showRecord(const std::string& file, int row) {
  for (int i = 0; i < static_cast<int>(ZapList.size()); ++i)
    if (ZapList[i].file == file) return showRecord(i, row);
  return false;
}

void SectionEditor::recordsWritten(const std::vector<std::string>& files) {
  for (const std::string& file : files)
    for (int i = 0; i < static_cast<int>(ZapList.size()); ++i)
      if (ZapList[i].file == file) recordFileChanged(i);
}

}  // namespace kessik
