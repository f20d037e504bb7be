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
#include <QScrollBar>
#include <QTableWidget>
#include <QToolButton>

#include <map>

#include "config/settings.h"
#include "ui/value_table.h"
#include "ui/form_util.h"
#include "ui/look.h"
#include "ui/qtext.h"
#include "core/file_buf.h"
#include "core/record.h"
#include "editors/dialog_hooks.h"
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

// A field name wider than its column is drawn condensed (where the font has
// a condensed face) and carries its whole text as a tool tip, so that a long
// name is never cut short unseen.
void fitNameCell(QTableWidgetItem* item, const QFont& font, int columnWidth) {
  constexpr int kCellPadding = 8;
  auto fits = [&](const QFont& f) {
    return QFontMetrics(f).horizontalAdvance(item->text()) + kCellPadding <= columnWidth;
  };
  if (fits(font)) return;
  item->setToolTip(item->text());
  for (int stretch : {QFont::SemiCondensed, QFont::Condensed}) {
    QFont narrow = font;
    narrow.setStretch(stretch);
    item->setFont(narrow);
    if (fits(narrow)) return;
  }
}

constexpr int kMargin = 18;
constexpr int kListsTop = 20;
constexpr int kTableTop = 48;
constexpr int kRowHeight = 18;

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
}

SectionEditor::~SectionEditor() {
  // Destroyed without a close (by its parent): the flag goes all the same.
  auto it = openEditors().find(entry_.className);
  if (it != openEditors().end() && (!it->second || it->second == this)) openEditors().erase(it);
}

void SectionEditor::buildControls() {
  const WindowSize& size = entry_.size;
  setFixedClientSize(this, size.clientWidth, size.clientHeight);
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
  for (int r = 0; r < ValuesEd->rowCount(); ++r) fitNameCell(ValuesEd->item(r, 0), ValuesEd->font(), size.column1);
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
  for (int r = 0; r < ValuesEd->rowCount(); ++r) {
    QTableWidgetItem* item = ValuesEd->item(r, 1);
    item->setText(QString());
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setData(Qt::ForegroundRole, QVariant());
    item->setToolTip(QString());
  }
  view_ = RecordView();
}

// The cells from the record view; rows that could not be read say so and
// cannot be edited.
void SectionEditor::showView() {
  for (int r = 0; r < ValuesEd->rowCount(); ++r) {
    QTableWidgetItem* item = ValuesEd->item(r, 1);
    item->setText(toQ(view_.texts[r]));
    const bool readable = view_.readable[r];
    item->setFlags(readable ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable
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

void SectionEditor::placeRowButton() {
  const int row = ValuesEd->currentRow();
  const bool show = TableActive && isButtonRow(row) && row < static_cast<int>(view_.readable.size()) &&
                    view_.readable[row];
  if (!show) {
    EditButton->hide();
    return;
  }
  const QRect cell = ValuesEd->visualRect(ValuesEd->model()->index(row, 1));
  const int side = cell.height();
  EditButton->setGeometry(cell.right() - side + 1, cell.top(), side, side);
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

  auto list = scanSection(schema_, IshPath);
  if (!list) {
    errorBox(ru("Проверьте наличие исходника! Отсутствует папка с исходником данного раздела!"));
    close();
    return false;
  }
  ZapList = std::move(*list);
  QStringList masks, files;
  for (const auto& e : ZapList) {
    masks << toQ(e.mask);
    files << toQ(e.file);
  }
  MaskiBox->addItems(masks);
  FilesBox->addItems(files);
  MaskiBox->setCurrentIndex(-1);
  FilesBox->setCurrentIndex(-1);
  return true;
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

void SectionEditor::MaskiBoxClick() {
  const int picked = MaskiBox->currentIndex();
  if (picked < 0 || picked >= static_cast<int>(ZapList.size())) return;
  // The last record that carries the mask (by position when masks repeat).
  const int index = schema_.masksMayRepeat() ? picked : lastWithMask(picked);
  FilesBox->setCurrentIndex(index);
  loadIndex(index);
}

void SectionEditor::FilesBoxClick() {
  const int index = FilesBox->currentIndex();
  if (index < 0 || index >= static_cast<int>(ZapList.size())) return;
  // The last mask item of that text (by position when masks repeat).
  const int maskItem = schema_.masksMayRepeat() ? index : lastWithMask(index);
  MaskiBox->setCurrentIndex(maskItem);
  loadIndex(index);
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
  showView();
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
  for (auto* editor : ValuesEd->viewport()->findChildren<QLineEdit*>("ValuesEdEditor")) {
    if (!editor->isVisible()) continue;
    QAbstractItemDelegate* delegate = ValuesEd->itemDelegateForColumn(1);
    emit delegate->commitData(editor);
    emit delegate->closeEditor(editor);
  }
  readCells();
  CheckContext context;
  context.recordIndex = loadedIndex_;
  context.maskAllowed = [this](const std::string& mask) { return maskAllowed(schema_, ZapList, mask, loadedIndex_); };
  const std::vector<RowFailure> failures = checkRows(schema_, view_, context);
  // The checks may have changed cells (normalised lists, IDs from types).
  for (int r = 0; r < ValuesEd->rowCount(); ++r)
    if (view_.readable[r]) ValuesEd->item(r, 1)->setText(toQ(view_.texts[r]));
  if (!failures.empty()) {
    for (const auto& f : failures) {
      ValuesEd->setCurrentCell(f.row, 1);
      notifier().beep();
    }
    errorBox(failures.back().message);
    ValuesEd->setFocus();
    ValuesEd->setCurrentCell(failures.back().row, 1);
    return false;
  }
  const BuildResult built = encodeRecord(schema_, view_, *record_);
  if (!built.ok) {
    errorBox(built.error);
    return false;
  }
  return true;
}

void SectionEditor::SaveButClick() {
  if (!GenZap()) return;
  if (!writeRecordFile(IshPath + CurFile, *buffer_, *record_)) return;
  if (!view_.readable[0]) return;
  const std::string mask = view_.texts[0];
  ZapList[loadedIndex_].mask = mask;
  CurMask = mask;
  MaskiBox->setItemText(loadedIndex_, toQ(mask));
  MaskiBox->setCurrentIndex(loadedIndex_);
}

void SectionEditor::ZashablonitButClick() {
  if (!GenZap()) return;
  if (auto path = dialogs::saveAsTemplate(ShabPath)) saveRecordAsTemplate(*record_, *path);
}

void SectionEditor::CreateButClick() {
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
  // Nothing of the window changes until the new record file is written: a
  // template that cannot be used leaves the loaded record where it was.
  if (!createRecordFromTemplate(*chosen, mask, IshPath + nextFreeFileName(ZapList))) return;
  if (!FormShow()) return;
  if (FilesBox->count() == 0) return;
  FilesBox->setCurrentIndex(FilesBox->count() - 1);
  FilesBoxClick();
}

void SectionEditor::DeleteButClick() {
  if (loadedIndex_ < 0) return;
  if (messageBoxEx(ru("Действительно хотите удалить эту запись?"), "", Icon::Question, ButtonYes | ButtonNo) !=
      Answer::Yes)
    return;
  const int index = loadedIndex_;
  bool folderChanged = false;
  deleteRecord(IshPath, CurFile, &folderChanged);
  // A file that could not be deleted leaves the window as it was.
  if (!folderChanged) return;
  if (!FormShow()) return;
  int next = index;
  if (next >= static_cast<int>(ZapList.size())) next = static_cast<int>(ZapList.size()) - 1;
  if (next < 0) return;
  FilesBox->setCurrentIndex(next);
  FilesBoxClick();
}

void SectionEditor::SortButClick() {
  if (FilesBox->count() <= 1) return;
  bool folderChanged = false;
  // A sort refused before any record moved leaves the window as it was.
  if (!sortSection(IshPath, ZapList, &folderChanged) && !folderChanged) return;
  FormShow();
}

void SectionEditor::ValuesEdEditButtonClick() {
  if (!GenZap()) return;
  const int row = ValuesEd->currentRow();
  if (!isButtonRow(row) || !view_.readable[row]) return;
  const Row& r = schema_.rows[row];
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
}

}  // namespace kessik
