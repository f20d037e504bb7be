#include "texteditor/text_edit_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTextDocument>
#include <QTextEdit>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>

#include "config/settings.h"
#include "platform/host.h"
#include "archives/pack_options.h"
#include "texteditor/engine/rtf.h"
#include "ui/busy_work.h"
#include "ui/del_form.h"
#include "ui/form_util.h"
#include "ui/window_sizes.h"
#include "ui/progress_form.h"
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
T* named(T* w, const char* name) {
  w->setObjectName(name);
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
  FilterEd = named(new QLineEdit(this), "FilterEd");
  FilterEd->setGeometry(8, 26, 314, 22);
  addLabel(this, "Описание фильтра", 8, 52, 200);
  FilterDescEd = named(new QLineEdit(this), "FilterDescEd");
  FilterDescEd->setGeometry(8, 70, 314, 22);
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

namespace {

// The described size: the window opens at it and may grow from it.
constexpr int kWidth = 816, kHeight = 556;

// A plain text is read and shown in pieces of this size; a larger text has
// its lines grouped into blocks (see PlainTextDecoder).
constexpr std::size_t kPiece = 256 * 1024;
constexpr std::uint64_t kGroupLinesAbove = 1 << 20;
// An RTF document this large or larger is converted on a thread of its own;
// a progress window shows once that takes longer than kProgressAfterMs.
constexpr std::size_t kRtfThreadFrom = 1 << 20;
constexpr int kProgressAfterMs = 250;

}  // namespace

struct TTextEdF::PlainLoad {
  texted::ChunkReader reader;
  texted::PlainTextDecoder decoder;
  std::string path;
  // Room for one piece, read and decoded, kept from piece to piece.
  std::string piece;
  texted::PlainChunk decoded;
  explicit PlainLoad(bool group) : decoder(group) {}
};

// Shared by the window and the thread that converts: the thread reads the
// input, counts what it has read and, when it was not cancelled, leaves the
// document (living in the window's thread) and what was wrong.
struct TTextEdF::RtfJob {
  std::string path, bytes;
  std::atomic<bool> cancel{false};
  std::atomic<std::size_t> total{0}, read{0};
  QTextDocument* document = nullptr;
  std::string problem;
  QElapsedTimer started;

  ~RtfJob() { delete document; }

  // On the converting thread; the document is handed to windowThread. Each
  // paragraph goes into the document as soon as it is read, so the document
  // is never held a second time as a model.
  void convert(QThread* windowThread) {
    total = bytes.size();
    auto made = std::make_unique<QTextDocument>();
    made->setUndoRedoEnabled(false);
    rtf::ReadResult result;
    {
      RtfFiller filler(*made);
      result = rtf::read(
          bytes,
          [this](std::size_t done) {
            read = done;
            return !cancel;
          },
          [&filler](rtf::Paragraph&& p) { filler.add(p); });
    }
    std::string().swap(bytes);
    if (cancel) return;
    made->moveToThread(windowThread);
    problem = std::move(result.problem);
    document = made.release();
  }
};

TTextEdF::TTextEdF(int number, QWidget* parent) : QWidget(parent), Number(number) {
  setObjectName("TTextEdF");
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(qru("Редактор текстов № ") + QString::number(Number + 1));
  setMinimumSize(kWidth, kHeight);
  resize(kWidth, kHeight);

  addLabel(this, "Текущий путь:", 8, 8, 200);
  PathEd = named(new QLineEdit(this), "PathEd");
  UsePathBut = addButton(this, "UsePathBut", "<--", 0, 0);
  FileListBox = named(new FileList(this, this), "FileListBox");
  FileListBox->setSelectionMode(QAbstractItemView::SingleSelection);
  FileListBox->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
  FileListBox->setUniformItemSizes(true);
  FileListBox->setIconSize(QSize(16, 16));
  FiltersCB = named(new QComboBox(this), "FiltersCB");
  FiltersCB->setEditable(true);
  FiltersCB->setInsertPolicy(QComboBox::NoInsert);
  FiltersCB->setCompleter(nullptr);
  FiltersCB->setMaxVisibleItems(20);
  AddFilterBut = addButton(this, "AddFilterBut", "Добавить фильтр", 0, 0);
  DelFilterBut = addButton(this, "DelFilterBut", "Удалить фильтр", 0, 0);
  ZapakBut = addButton(this, "ZapakBut", "Запаковать", 0, 0);
  RaspakBut = addButton(this, "RaspakBut", "Распаковать", 0, 0);
  ZapakBut->setEnabled(false);
  RaspakBut->setEnabled(false);
  _1ClickCB = named(new QCheckBox(qru("Открывать тексты 1 щелчком (выделением)"), this), "_1ClickCB");
  UseCritSizCB = named(new QCheckBox(qru("Не открывать текстовые файлы больше :"), this), "UseCritSizCB");
  CritSizED = named(new QLineEdit(this), "CritSizED");
  bytesLab_ = addLabel(this, "байт", 0, 0, 60);

  FileNameEd = named(new QLineEdit(this), "FileNameEd");
  TextBox = new QPlainTextEdit(this);
  RtfBox = new QTextEdit(this);
  for (QAbstractScrollArea* pane : {static_cast<QAbstractScrollArea*>(TextBox), static_cast<QAbstractScrollArea*>(RtfBox)})
    pane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  RtfBox->setAcceptRichText(false);
  showPane(false);
  LoadLab = named(new QLabel(this), "LoadLab");
  LoadLab->setAutoFillBackground(true);
  LoadLab->setBackgroundRole(QPalette::ToolTipBase);
  LoadLab->setForegroundRole(QPalette::ToolTipText);
  LoadLab->setFrameShape(QFrame::Box);
  LoadLab->setMargin(2);
  LoadLab->hide();
  SaveBut = addButton(this, "SaveBut", "Сохранить", 0, 0, 100);
  WordWrapCB = named(new QCheckBox(qru("Переносить строки"), this), "WordWrapCB");
  RtfModeRB = named(new QRadioButton(QStringLiteral("RTF"), this), "RtfModeRB");
  TxtModeRB = named(new QRadioButton(QStringLiteral("TXT"), this), "TxtModeRB");
  TxtModeRB->setChecked(true);
  CloseBut = addButton(this, "CloseBut", "Закрыть", 0, 0, 100);
  placeControls();

  loadTimer_ = new QTimer(this);
  connect(loadTimer_, &QTimer::timeout, this, [this] { loadTick(); });

  AskNewFilter = [this](const std::string& mask, const std::string& list, int count) {
    return askNewFilterDialog(mask, list, count, this);
  };
  UnpackWithOptions = [](const std::string& archive) { return unpackWithOptions(archive); };
  PackWithOptions = [](const std::string& folder) { return packWithOptions(folder); };

  connect(UsePathBut, &QPushButton::clicked, this, [this] { UsePathButClick(); });
  connect(PathEd, &QLineEdit::returnPressed, this, [this] { UsePathButClick(); });
  connect(FiltersCB, &QComboBox::activated, this, [this] { FiltersCBSelect(); });
  // An editable combo box keeps the keyboard focus itself and hands keys to
  // its line edit directly, past any filter there: Enter is caught at the
  // combo box (and at the line edit, should a key be sent to it).
  FiltersCB->installEventFilter(this);
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
  // Opens at the size the last text editor was given.
  rememberWindowSize(this, "TTextEdF");
}

TTextEdF::~TTextEdF() {
  // A conversion still running is told to stop; its document is dropped.
  stopLoading();
  for (QThread* t : threads_) {
    t->wait();
    delete t;
  }
}

QSize TTextEdF::sizeHint() const { return QSize(kWidth, kHeight); }

void TTextEdF::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  placeControls();
}

void TTextEdF::placeControls() {
  // At the described size every control stands where it is described; the
  // extra width goes a quarter to the list's column and the rest to the
  // pane, the extra height to the list and the pane, and what stands below
  // them moves down.
  const int dx = std::max(0, width() - kWidth), dy = std::max(0, height() - kHeight);
  const int lx = dx / 4, px = dx - lx;
  const int half = lx / 2;
  PathEd->setGeometry(8, 26, 268 + lx, 22);
  UsePathBut->setGeometry(280 + lx, 25, 40, 24);
  FileListBox->setGeometry(8, 54, 312 + lx, 318 + dy);
  FiltersCB->setGeometry(8, 378 + dy, 312 + lx, 22);
  AddFilterBut->setGeometry(8, 404 + dy, 153 + half, 25);
  DelFilterBut->setGeometry(167 + half, 404 + dy, 153 + lx - half, 25);
  ZapakBut->setGeometry(8, 434 + dy, 153 + half, 25);
  RaspakBut->setGeometry(167 + half, 434 + dy, 153 + lx - half, 25);
  _1ClickCB->setGeometry(8, 466 + dy, 312 + lx, 20);
  UseCritSizCB->setGeometry(8, 490 + dy, 312 + lx, 20);
  CritSizED->setGeometry(26, 514 + dy, 110, 22);
  bytesLab_->setGeometry(142, 516 + dy, 60, 17);

  const int x = 328 + lx;
  FileNameEd->setGeometry(x, 8, 480 + px, 22);
  TextBox->setGeometry(x, 34, 480 + px, 480 + dy);
  RtfBox->setGeometry(x, 34, 480 + px, 480 + dy);
  SaveBut->setGeometry(x, 522 + dy, 100, 25);
  WordWrapCB->setGeometry(x + 112, 524 + dy, 150, 20);
  RtfModeRB->setGeometry(x + 268, 524 + dy, 50, 20);
  TxtModeRB->setGeometry(x + 320, 524 + dy, 50, 20);
  CloseBut->setGeometry(708 + dx, 522 + dy, 100, 25);
  if (LoadLab->isVisible()) showLoadState(LoadLab->text());
}

void TTextEdF::showPane(bool rich) {
  EditBox = rich ? static_cast<QAbstractScrollArea*>(RtfBox) : TextBox;
  TextBox->setObjectName(rich ? "TxtEditBox" : "EditBox");
  RtfBox->setObjectName(rich ? "EditBox" : "RtfEditBox");
  TextBox->setVisible(!rich);
  RtfBox->setVisible(rich);
}

QTextDocument* TTextEdF::EditDocument() const {
  return EditBox == RtfBox ? RtfBox->document() : TextBox->document();
}

QString TTextEdF::EditText() const { return EditDocument()->toPlainText(); }

bool TTextEdF::Loading() const { return plainLoad_ || rtfJob_; }

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
  const bool wrap = settings().TxtEdDlgWordWrap;
  TextBox->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  RtfBox->setLineWrapMode(wrap ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
}

void TTextEdF::setMode(bool rtf) {
  // The pane keeps its content (and stays the pane it is); the mode decides
  // how the next save writes.
  RtfBox->setAcceptRichText(rtf);
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
    const auto why = host ? platform::lastFailure() : platform::failureOf(platform::Failure::NoDrive);
    messageBoxEx("Cannot open file " + path + platform::failureLine(platform::FileDeed::Open, path, why), "",
                 Icon::Error);
    return std::nullopt;
  }
  return bytes;
}

void TTextEdF::startShowing(const std::string& name, bool rtf, bool richPane) {
  stopLoading();
  CurFile = CurDir + name;
  FileNameEd->setText(toQ(name));
  // The pane not shown lets go of its text too: a large file is held once.
  TextBox->clear();
  RtfBox->clear();
  showPane(richPane);
  (rtf ? RtfModeRB : TxtModeRB)->setChecked(true);
  setMode(rtf);
  joined_ = lineEnding_ = LineEnding::CrLf;
}

void TTextEdF::OpenAsText(const std::string& name) { openPlain(name, false); }

void TTextEdF::openPlain(const std::string& name, bool rtfMode) {
  const std::string path = CurDir + name;
  // A file that vanished since the listing is not opened, and nothing is said.
  if (!fileExists(path)) return;
  texted::ChunkReader probe;
  if (!probe.open(path)) {
    messageBoxEx("Cannot open file " + path + platform::failureLine(platform::FileDeed::Open, path, probe.error()),
                 "", Icon::Error);
    return;
  }
  auto load = std::make_unique<PlainLoad>(probe.size() > kGroupLinesAbove);
  load->path = path;
  load->reader = std::move(probe);
  startShowing(name, rtfMode, false);
  plainLoad_ = std::move(load);
  QTextDocument* document = TextBox->document();
  document->setUndoRedoEnabled(false);
  TextBox->setReadOnly(true);
  // The first piece at once: the first screen shows before the rest is read.
  const bool more = loadPlainPieces(0);
  TextBox->moveCursor(QTextCursor::Start);
  if (!more) return;
  SaveBut->setEnabled(false);
  loadTimer_->start(0);
}

bool TTextEdF::loadPlainPieces(int milliseconds) {
  PlainLoad& load = *plainLoad_;
  QElapsedTimer spent;
  spent.start();
  do {
    if (!load.reader.read(kPiece, load.piece)) {
      // Half a text is no text to save over the file: the pane is emptied
      // and the file is no longer the current one.
      const std::string path = load.path;
      stopLoading();
      TextBox->clear();
      CurFile.clear();
      messageBoxEx(ru("Файл ") + path + ru(" прочитать целиком не удалось."), "", Icon::Error);
      return false;
    }
    load.decoder.decode(load.piece, load.reader.atEnd(), load.decoded);
    appendPlainChunk(*TextBox->document(), load.decoded);
    if (load.reader.atEnd()) {
      finishPlainLoad();
      return false;
    }
  } while (spent.elapsed() < milliseconds);
  const auto percent = static_cast<int>(load.reader.done() * 100 / std::max<std::uint64_t>(1, load.reader.size()));
  showLoadState(qru("Загружается файл: %1 %").arg(percent));
  return true;
}

void TTextEdF::finishPlainLoad() {
  joined_ = plainLoad_->decoder.joined();
  lineEnding_ = plainLoad_->decoder.dominant();
  stopLoading();
  TextBox->document()->setModified(false);
}

void TTextEdF::OpenAsRtf(const std::string& name) {
  const std::string path = CurDir + name;
  auto bytes = readEntryFile(path);
  if (!bytes) return;
  if (bytes->substr(0, 5) != "{\\rtf") {
    // A file named .rtf that holds no RTF is shown as the text it is, as a
    // rich-text control loads it; the pane stays in RTF mode.
    bytes.reset();
    openPlain(name, true);
    return;
  }
  startShowing(name, true, true);
  if (bytes->size() < kRtfThreadFrom) {
    rtf::ReadResult read = rtf::read(*bytes);
    auto* document = new QTextDocument(RtfBox);
    // Loading is no edit to undo.
    document->setUndoRedoEnabled(false);
    setDocumentFromRtf(*document, read.document);
    installRichDocument(document);
    if (!read.problem.empty()) messageBoxEx(path + "\r" + read.problem, "", Icon::Warning);
    return;
  }
  // A large document is converted on a thread of its own; the window goes on
  // meanwhile and says what is done.
  auto job = std::make_shared<RtfJob>();
  job->path = path;
  job->bytes = std::move(*bytes);
  job->started.start();
  QThread* thread = QThread::create([job, windowThread = QObject::thread()] { job->convert(windowThread); });
  connect(thread, &QThread::finished, this, [this, job, thread] {
    threads_.erase(std::remove(threads_.begin(), threads_.end(), thread), threads_.end());
    thread->deleteLater();
    rtfJobEnded(job);
  });
  threads_.push_back(thread);
  rtfJob_ = job;
  RtfBox->setReadOnly(true);
  SaveBut->setEnabled(false);
  showLoadState(qru("Загружается файл: 0 %"));
  thread->start();
  loadTimer_->start(50);
}

void TTextEdF::rtfJobEnded(const std::shared_ptr<RtfJob>& job) {
  // Cancelled: another file was opened meanwhile (the job drops its
  // document).
  if (job != rtfJob_) return;
  stopLoading();
  if (!job->document) return;
  job->document->setParent(RtfBox);
  installRichDocument(job->document);
  job->document = nullptr;
  if (!job->problem.empty()) messageBoxEx(job->path + "\r" + job->problem, "", Icon::Warning);
}

void TTextEdF::installRichDocument(QTextDocument* document) {
  QTextDocument* old = RtfBox->document();
  document->setDefaultFont(old->defaultFont());
  // The pane's own first document is deleted by the pane; later ones are ours.
  const bool ours = old->parent() == RtfBox;
  RtfBox->setDocument(document);
  if (ours) delete old;
  document->setUndoRedoEnabled(true);
  document->setModified(false);
}

void TTextEdF::loadTick() {
  if (plainLoad_) {
    // Pieces for a few tens of milliseconds, then the window's own events.
    loadPlainPieces(20);
    return;
  }
  const std::shared_ptr<RtfJob> job = rtfJob_;
  if (!job) return;
  const int percent = static_cast<int>(job->read * 100 / std::max<std::size_t>(1, job->total));
  showLoadState(qru("Загружается файл: %1 %").arg(percent));
  if (!progress_ && job->started.elapsed() >= kProgressAfterMs) {
    progress_ = new TShowProcessF(this);
    progress_->setAttribute(Qt::WA_DeleteOnClose);
    progress_->setLine1(ru("Открывается файл ") + job->path);
    progress_->setMaximum(100);
    progress_->show();
    // Showing it lets the window's events through: the work may have ended.
    if (!progress_ || rtfJob_ != job) return;
    progress_->setStage(ru("Читается RTF"));
  }
  if (progress_) progress_->setPosition(static_cast<std::uint64_t>(percent));
}

void TTextEdF::showLoadState(const QString& text) {
  LoadLab->setText(text);
  LoadLab->adjustSize();
  const QRect pane = EditBox->geometry();
  LoadLab->move(pane.left() + 4, pane.bottom() - LoadLab->height() - 4);
  LoadLab->show();
  LoadLab->raise();
}

void TTextEdF::stopLoading() {
  loadTimer_->stop();
  plainLoad_.reset();
  if (rtfJob_) {
    rtfJob_->cancel = true;
    rtfJob_.reset();
  }
  TextBox->setReadOnly(false);
  RtfBox->setReadOnly(false);
  TextBox->document()->setUndoRedoEnabled(true);
  LoadLab->hide();
  SaveBut->setEnabled(true);
  if (progress_) progress_->close();
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
  // Half a file is never written: saving waits until the pane is whole.
  if (Loading()) return;
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
  // A large document takes a moment to convert and write: a busy cursor.
  BusyWork busy(target);
  std::string bytes;
  if (RtfMode()) {
    // Each line of a text is a paragraph of its own.
    bytes = rtf::write(rtfFromDocument(*EditDocument(), EditBox == TextBox));
  } else {
    // A character cp1251 cannot hold is refused (with its message), and
    // nothing is written.
    auto plain = plainTextBytes(*EditDocument(), joined_, lineEnding_);
    if (!plain) return;
    bytes = std::move(*plain);
  }
  // The window's file is the new one only once it is written: a save that
  // fails leaves the window with its old file and its edits.
  auto host = platform::toHost(target);
  if (!host || !platform::writeFileReplacing(*host, bytes)) {
    const auto why = host ? platform::lastFailure() : platform::failureOf(platform::Failure::NoDrive);
    messageBoxEx("Cannot create file " + target + platform::failureLine(platform::FileDeed::Write, target, why), "",
                 Icon::Error);
    return;
  }
  CurFile = target;
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
  // Nothing becomes selected in its place (a selected text would open at
  // once with one-click opening); the entry after it gets the focus frame.
  const int row = FileListBox->row(item);
  {
    const QSignalBlocker quiet(FileListBox);
    delete FileListBox->takeItem(row);
    FileListBox->clearSelection();
  }
  if (FileListBox->count() > 0)
    FileListBox->selectionModel()->setCurrentIndex(FileListBox->model()->index(std::min(row, FileListBox->count() - 1), 0),
                                                   QItemSelectionModel::NoUpdate);
  FileListBoxSelect();
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
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if ((watched == FiltersCB || watched == FiltersCB->lineEdit()) && enter) {
      FiltersCBEnter();
      return true;
    }
    if (watched == FileListBox && key->key() == Qt::Key_Delete && !LabelEditing) {
      FileListBoxDelete();
      return true;
    }
    // Enter opens the entry, as a double click does.
    if (watched == FileListBox && enter && !LabelEditing) {
      OpenEntry();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

// ---- Closing ----

void TTextEdF::CloseButClick() { close(); }

void TTextEdF::closeEvent(QCloseEvent* event) {
  stopLoading();
  // A window never shown has an empty size edit: it has nothing to write.
  if (!closing_ && ShownOnce) {
    closing_ = true;
    settings().TxtEdDlgCritSiz = intFromText(fromQ(CritSizED->text()).value_or(std::string()));
    changeSetting("TxtEdDlgCritSiz");
  }
  event->accept();
}

}  // namespace kessik
