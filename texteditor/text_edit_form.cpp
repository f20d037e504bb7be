#include "texteditor/text_edit_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTextEdit>

#include <algorithm>

#include "config/settings.h"
#include "platform/host.h"
#include "archives/pack_options.h"
#include "texteditor/engine/rtf.h"
#include "ui/del_form.h"
#include "ui/form_util.h"
#include "ui/qtext.h"
#include "util/cp1251.h"
#include "util/notify.h"
#include "util/paths.h"

namespace kessik {
namespace {

constexpr int kKindRole = Qt::UserRole;
constexpr int kNameRole = Qt::UserRole + 1;

const char* const kCaptionAttention = "ВНИМАНИЕ!";

bool askYes(const std::string& text) {
  return messageBoxEx(text, ru(kCaptionAttention), Icon::Warning, ButtonYes | ButtonNo) == Answer::Yes;
}

// The list of entries. Its names can be edited in place, but an edit never
// renames anything: when it ends, the entry shows its old name again.
class FileList : public QListWidget {
 public:
  FileList(TTextEdF* owner, QWidget* parent) : QListWidget(parent), owner_(owner) {}

 protected:
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override {
    const bool started = QListWidget::edit(index, trigger, event);
    if (started) owner_->LabelEditing = true;
    return started;
  }
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override {
    QListWidget::closeEditor(editor, hint);
    for (int i = 0; i < count(); ++i) {
      QListWidgetItem* it = item(i);
      const QString name = it->data(kNameRole).toString();
      if (it->text() != name) it->setText(name);
    }
    owner_->LabelEditing = false;
  }
  void focusOutEvent(QFocusEvent* event) override {
    QListWidget::focusOutEvent(event);
    if (state() != EditingState) owner_->LabelEditing = false;
  }

 private:
  TTextEdF* owner_;
};

QIcon kindIcon(texted::EntryKind kind) {
  QStyle* s = QApplication::style();
  switch (kind) {
    case texted::EntryKind::Up: return s->standardIcon(QStyle::SP_FileDialogToParent);
    case texted::EntryKind::Folder: return s->standardIcon(QStyle::SP_DirIcon);
    case texted::EntryKind::Archive: return s->standardIcon(QStyle::SP_DriveHDIcon);
    case texted::EntryKind::Rtf: return s->standardIcon(QStyle::SP_FileDialogDetailedView);
    case texted::EntryKind::Text: break;
  }
  return s->standardIcon(QStyle::SP_FileIcon);
}

QLabel* addLabel(QWidget* parent, const char* utf8, int x, int y, int w, int h = 17) {
  auto* l = new QLabel(QString::fromUtf8(utf8), parent);
  l->setGeometry(x, y, w, h);
  return l;
}

template <class T>
T* named(T* w, const char* name, int x, int y, int width, int height) {
  w->setObjectName(name);
  w->setGeometry(x, y, width, height);
  return w;
}

}  // namespace

// ---- The new-filter dialog ----

TNewFilterAskF::TNewFilterAskF(std::string filterList, int filterCount, QWidget* parent)
    : QDialog(parent), list_(std::move(filterList)), count_(filterCount) {
  setObjectName("TNewFilterAskF");
  setWindowTitle(qru("Новый фильтр"));
  setFixedClientSize(this, 330, 132);
  addLabel(this, "Фильтр", 8, 8, 200);
  FilterEd = named(new QLineEdit(this), "FilterEd", 8, 26, 314, 22);
  addLabel(this, "Описание фильтра", 8, 52, 200);
  FilterDescEd = named(new QLineEdit(this), "FilterDescEd", 8, 70, 314, 22);
  OkBut = addButton(this, "OkBut", "OK", 160, 100, 78);
  CancelBut = addButton(this, "CancelBut", "Отмена", 244, 100, 78);
  connect(OkBut, &QPushButton::clicked, this, [this] { OkButClick(); });
  connect(CancelBut, &QPushButton::clicked, this, [this] { CancelButClick(); });
  centreOnScreen(this);
}

void TNewFilterAskF::OkButClick() {
  const auto mask = fromQOrRefuse(FilterEd->text());
  if (!mask) return;
  const auto label = fromQOrRefuse(FilterDescEd->text());
  if (!label) return;
  const char* problem = nullptr;
  switch (texted::checkNewFilter(list_, count_, *mask, *label)) {
    case texted::NewFilterProblem::None: break;
    case texted::NewFilterProblem::Empty: problem = "Введите фильтр!"; break;
    case texted::NewFilterProblem::Exists: problem = "МЛЯ! Такой фильтр уже есть! ;)"; break;
    case texted::NewFilterProblem::BadMask: problem = "В фильтре не может быть пробелов и знака \"|\"!"; break;
    case texted::NewFilterProblem::BadLabel: problem = "В описании фильтра не может быть знака \"|\"!"; break;
  }
  if (problem) {
    messageBoxEx(ru(problem), ru("АШЫПКА!!"), Icon::Warning);
    return;
  }
  Mask = *mask;
  Label = *label;
  accept();
}

void TNewFilterAskF::CancelButClick() { reject(); }

void TNewFilterAskF::keyPressEvent(QKeyEvent* event) {
  // Enter is OK and Escape is Cancel wherever the focus is.
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: OkButClick(); return;
    case Qt::Key_Escape: CancelButClick(); return;
    default: QDialog::keyPressEvent(event);
  }
}

std::optional<NewFilter> askNewFilterDialog(const std::string& mask, const std::string& list, int count,
                                            QWidget* parent) {
  TNewFilterAskF dialog(list, count, parent);
  dialog.FilterEd->setText(toQ(mask));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return NewFilter{dialog.Mask, dialog.Label};
}

// ---- The window ----

TTextEdF::TTextEdF(int number, QWidget* parent) : QWidget(parent), Number(number) {
  setObjectName("TTextEdF");
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(qru("Редактор текстов № ") + QString::number(Number + 1));
  setFixedClientSize(this, 816, 556);

  addLabel(this, "Текущий путь:", 8, 8, 200);
  PathEd = named(new QLineEdit(this), "PathEd", 8, 26, 268, 22);
  UsePathBut = addButton(this, "UsePathBut", "<--", 280, 25, 40, 24);
  FileListBox = named(new FileList(this, this), "FileListBox", 8, 54, 312, 318);
  FileListBox->setSelectionMode(QAbstractItemView::SingleSelection);
  FileListBox->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
  FileListBox->setUniformItemSizes(true);
  FileListBox->setIconSize(QSize(16, 16));
  FiltersCB = named(new QComboBox(this), "FiltersCB", 8, 378, 312, 22);
  FiltersCB->setEditable(true);
  FiltersCB->setInsertPolicy(QComboBox::NoInsert);
  FiltersCB->setCompleter(nullptr);
  FiltersCB->setMaxVisibleItems(20);
  AddFilterBut = addButton(this, "AddFilterBut", "Добавить фильтр", 8, 404, 153);
  DelFilterBut = addButton(this, "DelFilterBut", "Удалить фильтр", 167, 404, 153);
  ZapakBut = addButton(this, "ZapakBut", "Запаковать", 8, 434, 153);
  RaspakBut = addButton(this, "RaspakBut", "Распаковать", 167, 434, 153);
  ZapakBut->setEnabled(false);
  RaspakBut->setEnabled(false);
  _1ClickCB = named(new QCheckBox(qru("Открывать тексты 1 щелчком (выделением)"), this), "_1ClickCB", 8, 466, 312, 20);
  UseCritSizCB =
      named(new QCheckBox(qru("Не открывать текстовые файлы больше :"), this), "UseCritSizCB", 8, 490, 312, 20);
  CritSizED = named(new QLineEdit(this), "CritSizED", 26, 514, 110, 22);
  addLabel(this, "байт", 142, 516, 60);

  FileNameEd = named(new QLineEdit(this), "FileNameEd", 328, 8, 480, 22);
  EditBox = named(new QTextEdit(this), "EditBox", 328, 34, 480, 480);
  EditBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  EditBox->setAcceptRichText(false);
  SaveBut = addButton(this, "SaveBut", "Сохранить", 328, 522, 100);
  WordWrapCB = named(new QCheckBox(qru("Переносить строки"), this), "WordWrapCB", 440, 524, 150, 20);
  RtfModeRB = named(new QRadioButton(QStringLiteral("RTF"), this), "RtfModeRB", 596, 524, 50, 20);
  TxtModeRB = named(new QRadioButton(QStringLiteral("TXT"), this), "TxtModeRB", 648, 524, 50, 20);
  TxtModeRB->setChecked(true);
  CloseBut = addButton(this, "CloseBut", "Закрыть", 708, 522, 100);

  AskNewFilter = [this](const std::string& mask, const std::string& list, int count) {
    return askNewFilterDialog(mask, list, count, this);
  };
  UnpackWithOptions = [](const std::string& archive) { return unpackWithOptions(archive); };
  PackWithOptions = [](const std::string& folder) { return packWithOptions(folder); };

  connect(UsePathBut, &QPushButton::clicked, this, [this] { UsePathButClick(); });
  connect(PathEd, &QLineEdit::returnPressed, this, [this] { UsePathButClick(); });
  connect(FiltersCB, &QComboBox::activated, this, [this] { FiltersCBSelect(); });
  FiltersCB->lineEdit()->installEventFilter(this);
  connect(AddFilterBut, &QPushButton::clicked, this, [this] { AddFilterButClick(); });
  connect(DelFilterBut, &QPushButton::clicked, this, [this] { DelFilterButClick(); });
  connect(FileListBox, &QListWidget::itemSelectionChanged, this, [this] { FileListBoxSelect(); });
  connect(FileListBox, &QListWidget::itemDoubleClicked, this, [this] { FileListBoxDblClick(); });
  FileListBox->installEventFilter(this);
  connect(SaveBut, &QPushButton::clicked, this, [this] { SaveButClick(); });
  connect(ZapakBut, &QPushButton::clicked, this, [this] { ZapakButClick(); });
  connect(RaspakBut, &QPushButton::clicked, this, [this] { RaspakButClick(); });
  connect(CloseBut, &QPushButton::clicked, this, [this] { CloseButClick(); });
  connect(RtfModeRB, &QRadioButton::toggled, this, [this](bool on) {
    if (on) setMode(true);
  });
  connect(TxtModeRB, &QRadioButton::toggled, this, [this](bool on) {
    if (on) setMode(false);
  });
  connect(WordWrapCB, &QCheckBox::toggled, this, [this](bool on) {
    settings().TxtEdDlgWordWrap = on;
    applyWordWrap();
    writeSetting("TxtEdDlgWordWrap");
  });
  connect(_1ClickCB, &QCheckBox::toggled, this, [this](bool on) {
    settings().TxtEdDlg1Click = on;
    writeSetting("TxtEdDlg1Click");
  });
  connect(UseCritSizCB, &QCheckBox::toggled, this, [this](bool on) {
    settings().TxtEdDlgUseCritSiz = on;
    writeSetting("TxtEdDlgUseCritSiz");
  });
  connect(CritSizED, &QLineEdit::editingFinished, this, [this] {
    if (closing_) return;
    const std::int32_t value = intFromText(fromQ(CritSizED->text()).value_or(""));
    if (value == settings().TxtEdDlgCritSiz) return;
    settings().TxtEdDlgCritSiz = value;
    writeSetting("TxtEdDlgCritSiz");
  });
}

TTextEdF::~TTextEdF() = default;

bool TTextEdF::RtfMode() const { return RtfModeRB->isChecked(); }

void TTextEdF::writeSetting(const char* key) {
  if (!Filling) changeSetting(key);
}

void TTextEdF::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!ShownOnce) FormShow();
}

void TTextEdF::FormShow() {
  const Settings& s = settings();
  ShownOnce = true;
  Filling = true;
  setWindowTitle(qru("Редактор текстов № ") + QString::number(Number + 1));
  FiltCount = texted::filterCount(s.TxtEdDlgFiltList);
  FiltersCB->clear();
  for (int i = 1; i <= FiltCount; ++i) FiltersCB->addItem(toQ(texted::comboItemText(s.TxtEdDlgFiltList, i)));
  FiltersCB->setCurrentIndex(-1);
  if (s.TxtEdDlgActFilt >= 1 && s.TxtEdDlgActFilt <= FiltCount) {
    FiltersCB->setCurrentIndex(s.TxtEdDlgActFilt - 1);
    FiltersCBSelect();
  }
  GoToFolder(s.TextsEdStart);
  RefreshList();
  _1ClickCB->setChecked(s.TxtEdDlg1Click);
  UseCritSizCB->setChecked(s.TxtEdDlgUseCritSiz);
  WordWrapCB->setChecked(s.TxtEdDlgWordWrap);
  CritSizED->setText(toQ(textFromInt(s.TxtEdDlgCritSiz)));
  Filling = false;
  applyWordWrap();
  LabelEditing = false;
}

void TTextEdF::applyWordWrap() {
  EditBox->setLineWrapMode(settings().TxtEdDlgWordWrap ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
}

void TTextEdF::setMode(bool rtf) {
  // The pane keeps its content; the mode decides how the next save writes.
  EditBox->setAcceptRichText(rtf);
}

// ---- Folders and the list ----

void TTextEdF::GoToFolder(const std::string& path) {
  // A relative path is no folder: it would be read against the process's
  // working folder, which has nothing to do with this window.
  if (!isAbsoluteWindowsPath(path))
    CurDir = "nil";
  else if (folderExists(path))
    CurDir = withTrailingBackslash(path);  // the names of its entries are appended to it
  else
    CurDir = nearestExistingFolder(path);
  PathEd->setText(toQ(CurDir));
  DirList = CurDir == "nil" ? RListOfDirResult() : listFolder(CurDir);
  if (texted::isDriveRoot(CurDir)) {
    // A drive's root has nothing above it.
    auto& e = DirList.entries;
    e.erase(std::remove_if(e.begin(), e.end(),
                           [](const RListOfDirElem& x) { return x.kind == EntryKind::Folder && x.name == ".."; }),
            e.end());
    DirList.count = static_cast<std::int32_t>(e.size());
  }
}

void TTextEdF::RefreshList() {
  RaspakBut->setEnabled(false);
  ZapakBut->setEnabled(false);
  FileListBox->clear();
  for (const texted::Entry& e : texted::visibleEntries(DirList, ActMask)) {
    auto* item = new QListWidgetItem(kindIcon(e.kind), toQ(e.name));
    item->setData(kKindRole, static_cast<int>(e.kind));
    item->setData(kNameRole, toQ(e.name));
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    FileListBox->addItem(item);
  }
}

void TTextEdF::UsePathButClick() {
  const auto typed = fromQOrRefuse(PathEd->text());
  if (!typed) return;
  const std::string path = withTrailingBackslash(*typed);
  PathEd->setText(toQ(path));
  GoToFolder(path);
  RefreshList();
}

QListWidgetItem* TTextEdF::selectedEntry() const {
  const auto selected = FileListBox->selectedItems();
  return selected.isEmpty() ? nullptr : selected.first();
}

static texted::EntryKind kindOf(const QListWidgetItem* item) {
  return static_cast<texted::EntryKind>(item->data(kKindRole).toInt());
}

static std::string nameOf(const QListWidgetItem* item) {
  return fromQ(item->data(kNameRole).toString()).value_or(std::string());
}

void TTextEdF::FileListBoxSelect() {
  QListWidgetItem* item = selectedEntry();
  if (!item) {
    RaspakBut->setEnabled(false);
    ZapakBut->setEnabled(false);
    return;
  }
  const texted::EntryKind kind = kindOf(item);
  RaspakBut->setEnabled(kind == texted::EntryKind::Archive);
  ZapakBut->setEnabled(kind == texted::EntryKind::Folder || kind == texted::EntryKind::Up);
  if (settings().TxtEdDlg1Click && kind == texted::EntryKind::Text) OpenEntry();
}

void TTextEdF::FileListBoxDblClick() { OpenEntry(); }

void TTextEdF::RaspakButClick() { OpenEntry(); }

void TTextEdF::OpenEntry() {
  QListWidgetItem* item = selectedEntry();
  if (!item) return;
  const std::string name = nameOf(item);
  switch (kindOf(item)) {
    case texted::EntryKind::Up:
      GoToFolder(parentFolder(CurDir));
      RefreshList();
      break;
    case texted::EntryKind::Folder:
      GoToFolder(CurDir + name + "\\");
      RefreshList();
      break;
    case texted::EntryKind::Text: {
      const Settings& s = settings();
      if (texted::textFileOpens(s.TxtEdDlgUseCritSiz, s.TxtEdDlgCritSiz, fileSize64(CurDir + name)))
        OpenAsText(name);
      break;
    }
    case texted::EntryKind::Archive: {
      const std::string folder = UnpackWithOptions ? UnpackWithOptions(CurDir + name) : std::string();
      if (!folder.empty()) {
        GoToFolder(folder);
        RefreshList();
      }
      break;
    }
    case texted::EntryKind::Rtf: OpenAsRtf(name); break;
  }
}

std::optional<std::string> TTextEdF::readEntryFile(const std::string& path) {
  // A file that vanished since the listing is not opened, and nothing is said.
  if (!fileExists(path)) return std::nullopt;
  std::string bytes;
  auto host = platform::toHost(path);
  if (!host || platform::readWholeFile(*host, bytes) != platform::ReadStatus::Ok) {
    messageBoxEx("Cannot open file " + path, "", Icon::Error);
    return std::nullopt;
  }
  return bytes;
}

void TTextEdF::startShowing(const std::string& name, bool rtf) {
  CurFile = CurDir + name;
  FileNameEd->setText(toQ(name));
  EditBox->clear();
  (rtf ? RtfModeRB : TxtModeRB)->setChecked(true);
  setMode(rtf);
}

void TTextEdF::loadPlainText(const std::string& bytes) {
  const LineEndings endings = lineEndingsOf(bytes);
  lineEnding_ = endings.dominant;
  EditBox->setPlainText(toQ(bytes));
  markLineEndings(*EditBox->document(), endings);
}

void TTextEdF::OpenAsText(const std::string& name) {
  const auto bytes = readEntryFile(CurDir + name);
  if (!bytes) return;
  startShowing(name, false);
  loadPlainText(*bytes);
}

void TTextEdF::OpenAsRtf(const std::string& name) {
  const std::string path = CurDir + name;
  const auto bytes = readEntryFile(path);
  if (!bytes) return;
  rtf::ReadResult read = rtf::read(*bytes);
  startShowing(name, true);
  if (!read.isRtf) {
    // A file named .rtf that holds no RTF is shown as the text it is, as a
    // rich-text control loads it; the pane stays in RTF mode.
    loadPlainText(*bytes);
    return;
  }
  lineEnding_ = LineEnding::CrLf;
  setDocumentFromRtf(*EditBox->document(), read.document);
  if (!read.problem.empty()) messageBoxEx(path + "\r" + read.problem, "", Icon::Warning);
}

// ---- Filters ----

void TTextEdF::FiltersCBSelect() {
  Settings& s = settings();
  s.TxtEdDlgActFilt = FiltersCB->currentIndex() + 1;
  writeSetting("TxtEdDlgActFilt");
  ActMask = texted::maskOfComboText(fromQ(FiltersCB->currentText()).value_or(std::string()));
  RefreshList();
}

void TTextEdF::FiltersCBEnter() {
  Settings& s = settings();
  ActMask = texted::maskOfComboText(fromQ(FiltersCB->currentText()).value_or(std::string()));
  const int index = texted::filterIndex(s.TxtEdDlgFiltList, FiltCount, ActMask);
  if (index == 0) return;
  if (index <= FiltersCB->count()) FiltersCB->setCurrentIndex(index - 1);
  s.TxtEdDlgActFilt = index;
  writeSetting("TxtEdDlgActFilt");
}

void TTextEdF::AddFilterButClick() {
  Settings& s = settings();
  const std::string typed = texted::textBeforeBlank(fromQ(FiltersCB->currentText()).value_or(std::string()));
  // The dialog checks against every filter the list holds now, also those
  // another window added.
  const int known = std::max(FiltCount, texted::filterCount(s.TxtEdDlgFiltList));
  const std::string start = texted::filterIndex(s.TxtEdDlgFiltList, known, typed) ? std::string() : typed;
  if (!AskNewFilter) return;
  const auto added = AskNewFilter(start, s.TxtEdDlgFiltList, known);
  if (!added) return;
  s.TxtEdDlgFiltList = texted::appendFilter(s.TxtEdDlgFiltList, added->mask, added->label);
  changeSetting("TxtEdDlgFiltList");
  ++FiltCount;
  FiltersCB->addItem(
      toQ(texted::comboItemText(s.TxtEdDlgFiltList, texted::filterCount(s.TxtEdDlgFiltList))));
  FiltersCB->setCurrentIndex(FiltersCB->count() - 1);
  FiltersCBSelect();
}

void TTextEdF::DelFilterButClick() {
  if (!askYes(ru("Вы точно хотите удалить фильтр?"))) return;
  Settings& s = settings();
  const std::string mask = texted::textBeforeBlank(fromQ(FiltersCB->currentText()).value_or(std::string()));
  if (texted::filterIndex(s.TxtEdDlgFiltList, FiltCount, mask) == 0) return;
  // The list is rebuilt from every pair it holds now, so that filters added
  // by another window since this one opened are kept.
  const int listCount = texted::filterCount(s.TxtEdDlgFiltList);
  const int index = texted::filterIndex(s.TxtEdDlgFiltList, listCount, mask);
  if (index == 0) return;
  s.TxtEdDlgFiltList = texted::removeFilter(s.TxtEdDlgFiltList, listCount, index);
  changeSetting("TxtEdDlgFiltList");
  FiltCount = std::max(0, FiltCount - 1);
  int item = -1;
  for (int i = 0; i < FiltersCB->count(); ++i)
    if (upperCase(texted::maskOfComboText(fromQ(FiltersCB->itemText(i)).value_or(std::string()))) == upperCase(mask))
      item = i;
  if (item >= 0) FiltersCB->removeItem(item);
  if (FiltersCB->count() > 0) {
    FiltersCB->setCurrentIndex(0);
  } else {
    FiltersCB->setCurrentIndex(-1);
    FiltersCB->clearEditText();
  }
  FiltersCBSelect();
}

// ---- Saving, packing, deleting ----

void TTextEdF::SaveButClick() {
  const auto name = fromQOrRefuse(FileNameEd->text());
  if (!name) return;
  if (!isAbsoluteWindowsPath(CurDir)) {
    // "nil" + name would be a relative path, written wherever the process
    // happens to be.
    messageBoxEx(ru("Файл ") + *name + ru(" сохранить некуда: текущая директория не найдена."), "", Icon::Error);
    return;
  }
  const std::string target = CurDir + *name;
  if (target != CurFile && pathExists(target) &&
      !askYes(ru("Уже существует") + "\r" + target + "\r" + ru("Перезаписать?")))
    return;
  std::string bytes;
  if (RtfMode()) {
    bytes = rtf::write(rtfFromDocument(*EditBox->document()));
  } else {
    // A character cp1251 cannot hold is refused (with its message), and
    // nothing is written.
    auto plain = plainTextBytes(*EditBox->document(), lineEnding_);
    if (!plain) return;
    bytes = std::move(*plain);
  }
  CurFile = target;
  auto host = platform::toHost(target);
  if (!host || !platform::writeFileReplacing(*host, bytes)) {
    messageBoxEx("Cannot create file " + target, "", Icon::Error);
    return;
  }
  UsePathButClick();
}

void TTextEdF::ZapakButClick() {
  QListWidgetItem* item = selectedEntry();
  if (!item || !PackWithOptions) return;
  std::string archive;
  switch (kindOf(item)) {
    case texted::EntryKind::Folder: archive = PackWithOptions(CurDir + nameOf(item) + "\\"); break;
    case texted::EntryKind::Up: archive = PackWithOptions(CurDir); break;
    default: return;
  }
  if (archive.empty()) return;
  GoToFolder(CurDir);
  RefreshList();
}

void TTextEdF::removeEntry(QListWidgetItem* item) {
  const std::string name = nameOf(item);
  const bool folder = kindOf(item) == texted::EntryKind::Folder;
  auto& e = DirList.entries;
  auto it = std::find_if(e.begin(), e.end(), [&](const RListOfDirElem& x) {
    return x.name == name && (x.kind == EntryKind::Folder) == folder;
  });
  if (it != e.end()) e.erase(it);
  DirList.count = static_cast<std::int32_t>(e.size());
  delete FileListBox->takeItem(FileListBox->row(item));
}

void TTextEdF::FileListBoxDelete() {
  if (LabelEditing) return;
  QListWidgetItem* item = selectedEntry();
  if (!item) return;
  const std::string name = nameOf(item);
  switch (kindOf(item)) {
    case texted::EntryKind::Up: return;
    case texted::EntryKind::Folder: {
      const std::string folder = CurDir + name + "\\";
      if (!askYes(ru("Вы точно хотите удалить директорию") + "\r" + CurDir + name + "\\   ?\r" +
                  ru("Директория удалится сразу, без участия корзины!")))
        return;
      if (!folderExists(folder)) return;
      deleteFolderWithWaitWindow(folder);
      // What could not be deleted stays, and so does its entry.
      if (folderExists(folder)) {
        messageBoxEx(ru("Директорию ") + folder + ru(" удалить целиком не удалось."), "", Icon::Error);
        return;
      }
      removeEntry(item);
      return;
    }
    default: {
      const std::string file = CurDir + name;
      if (!askYes(ru("Вы точно хотите удалить файл") + "\r" + file + "  ?\r" +
                  ru("Файл удалится сразу, без участия корзины!")))
        return;
      if (!fileExists(file)) return;
      setPlainAttributes(file);
      deleteFile(file);
      if (fileExists(file)) {
        messageBoxEx(ru("Файл ") + file + ru(" удалить не удалось."), "", Icon::Error);
        return;
      }
      removeEntry(item);
      return;
    }
  }
}

bool TTextEdF::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched == FiltersCB->lineEdit() && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
      FiltersCBEnter();
      return true;
    }
    if (watched == FileListBox && key->key() == Qt::Key_Delete && !LabelEditing) {
      FileListBoxDelete();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

// ---- Closing ----

void TTextEdF::CloseButClick() { close(); }

void TTextEdF::closeEvent(QCloseEvent* event) {
  // A window never shown has an empty size edit: it has nothing to write.
  if (!closing_ && ShownOnce) {
    closing_ = true;
    settings().TxtEdDlgCritSiz = intFromText(fromQ(CritSizED->text()).value_or(std::string()));
    changeSetting("TxtEdDlgCritSiz");
  }
  event->accept();
}

}  // namespace kessik
