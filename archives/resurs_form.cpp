#include "archives/resurs_form.h"

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPushButton>

#include "archives/driver/resources.h"
#include "archives/resbuild_form.h"
#include "config/settings.h"
#include "archives/pack_options.h"
#include "ui/del_form.h"
#include "ui/form_util.h"
#include "ui/qtext.h"
#include "util/cp1251.h"
#include "platform/files.h"
#include "util/notify.h"
#include "util/paths.h"

namespace kessik {
namespace {

constexpr int kRowTop = 30, kRowStep = 26;
constexpr int kLabelX = 8, kPackX = 130, kUnpackX = 272, kButtonWidth = 134;

QLabel* addLabel(QWidget* parent, const char* name, const QString& text, int x, int y, int width) {
  auto* l = new QLabel(text, parent);
  if (name) l->setObjectName(name);
  l->setGeometry(x, y, width, 17);
  return l;
}

QLabel* addHeading(QWidget* parent, const char* name, const char* utf8, int x) {
  QLabel* l = addLabel(parent, name, qru(utf8), x, 8, kButtonWidth);
  QPalette p = l->palette();
  p.setColor(QPalette::WindowText, QColor(255, 0, 0));
  l->setPalette(p);
  return l;
}

const std::string& pathOf(const archives::StandardArchive& a) { return settings().*a.path; }

}  // namespace

TResursForm::TResursForm(QWidget* parent) : QWidget(parent) {
  setObjectName("TResursForm");
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(qru("Запаковка\\распаковка ресурсов"));
  addHeading(this, "FileNameHead", "Имя файла:", kLabelX);
  addHeading(this, "PackHead", "Запаковка:", kPackX);
  addHeading(this, "UnpackHead", "Распаковка:", kUnpackX);

  const auto& rows = archives::standardArchives();
  for (size_t i = 0; i < rows.size(); ++i) {
    const auto& a = rows[i];
    const int y = kRowTop + static_cast<int>(i) * kRowStep;
    const std::string name(a.fileName), base(a.buttonBase);
    NameLabs.push_back(addLabel(this, (base + "Lab").c_str(), QString::fromStdString(name), kLabelX, y + 4, 118));
    QPushButton* p = addButton(this, (base + "Pbut").c_str(), name.c_str(), kPackX, y, kButtonWidth, 24);
    QPushButton* u = addButton(this, (base + "Ubut").c_str(), name.c_str(), kUnpackX, y, kButtonWidth, 24);
    PackButs.push_back(p);
    UnpackButs.push_back(u);
    const int row = static_cast<int>(i);
    connect(p, &QPushButton::clicked, this, [this, row] { PackButClick(row); });
    connect(u, &QPushButton::clicked, this, [this, row] { UnpackButClick(row); });
  }
  const int below = kRowTop + static_cast<int>(rows.size()) * kRowStep + 4;
  PackDir = addButton(this, "PackDir", "ДРУГОЙ", kPackX, below, kButtonWidth, 24);
  UnpFil = addButton(this, "UnpFil", "ДРУГОЙ", kUnpackX, below, kButtonWidth, 24);
  OptimizeBut = addButton(this, "OptimizeBut", "ОПТИМИЗАЦИЯ", kPackX, below + 34, kUnpackX + kButtonWidth - kPackX, 24);
  OptStandResCB = new QCheckBox(qru("Оптимизировать стандартные ресурсы после"), this);
  OptStandResCB->setObjectName("OptStandResCB");
  OptStandResCB->setGeometry(kLabelX, below + 70, 390, 19);
  // The words under the box finish its sentence and toggle it too.
  Label15 = addLabel(this, "Label15", qru("запаковки."), kLabelX + 20, below + 89, 120);
  Label15->installEventFilter(this);
  CloseBut = addButton(this, "CloseBut", "Закрыть", kUnpackX + kButtonWidth - 90, below + 116, 90, 25);
  setFixedClientSize(this, kUnpackX + kButtonWidth + 8, below + 149);

  OpenDialog1.filter = archiveFileFilter();

  connect(PackDir, &QPushButton::clicked, this, [this] { PackDirClick(); });
  connect(UnpFil, &QPushButton::clicked, this, [this] { UnpFilClick(); });
  connect(OptimizeBut, &QPushButton::clicked, this, [this] { OptimizeButClick(); });
  connect(OptStandResCB, &QCheckBox::clicked, this, [this] { OptStandResCBClick(); });
  connect(CloseBut, &QPushButton::clicked, this, [this] { CloseButClick(); });
}

void TResursForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // First placed in the middle of the main window's client area.
  if (!placed_) {
    placed_ = true;
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) {
      if (QMdiArea* area = frame->mdiArea()) {
        const QRect r = area->viewport()->rect();
        frame->move(std::max(0, (r.width() - frame->width()) / 2), std::max(0, (r.height() - frame->height()) / 2));
      }
    }
  }
  FormShow();
}

bool TResursForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Label15 && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    Label15Click();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void TResursForm::FormShow() {
  Filling = true;
  OptStandResCB->setChecked(settings().OptStandRes);
  const auto& rows = archives::standardArchives();
  for (size_t i = 0; i < rows.size(); ++i) {
    const archives::RowState s = archives::rowState(pathOf(rows[i]));
    UnpackButs[i]->setEnabled(s.unpack);
    PackButs[i]->setEnabled(s.pack);
  }
  Filling = false;
}

void TResursForm::UnpackButClick(int row) {
  const std::string archive = pathOf(archives::standardArchives().at(static_cast<size_t>(row)));
  const std::string folder = folderNameForArchive(archive);
  if (folderExists(folder)) {
    // An archive that has gone since the window was filled is reported by
    // the unpack itself; the folder (perhaps the only copy of the work) is
    // not offered for deletion for it.
    if (fileExists(archive)) {
      if (messageBoxEx(ru("Директория ") + folder + ru(" уже существует. Удалить?"), ru("ВНИМАНИЕ!"), Icon::Warning,
                       ButtonYes | ButtonNo) != Answer::Yes)
        return;
      if (!recreateFolderWithWaitWindow(folder)) return;
    }
  } else {
    createFolder(folder);
  }
  // A folder that cannot be made stops the unpack without a word.
  if (!folderExists(folder)) return;
  unpackArchiveWithTool(archive, folder);
  FormShow();
}

void TResursForm::PackButClick(int row) {
  const std::string folder =
      folderNameForArchive(pathOf(archives::standardArchives().at(static_cast<size_t>(row))));
  const std::string archive = archiveNameForFolder(folder);
  if (fileExists(archive)) {
    setPlainAttributes(archive);
    const Answer a = messageBoxEx(ru("Файл ") + archive + "\r" + ru(" уже существует. Удалить?(Да). Дополнить?(Нет)"),
                                  ru("ВНИМАНИЕ!"), Icon::Warning, ButtonYes | ButtonNo | ButtonCancel);
    if (a == Answer::Yes) {
      // The old archive is dropped once the new one is there.
      archives::packReplacing(archive, folder, packFolderWithTool);
    } else if (a == Answer::No) {
      packFolderWithTool(archive, folder);
    } else {
      return;
    }
  } else {
    // A missing archive is packed anew from its folder.
    packFolderWithTool(archive, folder);
  }
  if (settings().OptStandRes) optimizeArchiveWithTool(archive);
  // The archive may be there now: its unpack button follows.
  FormShow();
}

void TResursForm::UnpFilClick() {
  FileDialogRequest r = OpenDialog1;
  r.title = ru("Откройте файл для распаковки");
  r.folder = settings().DefalDir;
  const auto file = interaction().openFile(r);
  if (!file) return;
  settings().DefalDir = folderPart(*file);
  changeSetting("DefalDir");
  unpackWithOptions(*file);
  // The archive may be a standard one: its row follows.
  FormShow();
}

void TResursForm::PackDirClick() {
  const auto folder = chooseFolder(ru("Выберите директорию, файлы из которой будут запакованы"),
                                   withoutTrailingBackslash(settings().DefalDir));
  if (!folder) return;
  settings().DefalDir = withTrailingBackslash(*folder);
  changeSetting("DefalDir");
  packWithOptions(settings().DefalDir);
}

void TResursForm::OptimizeButClick() {
  FileDialogRequest r = OpenDialog1;
  r.title = ru("Откройте файл для оптимизации");
  r.folder = settings().DefalDir;
  const auto file = interaction().openFile(r);
  if (!file) return;
  settings().DefalDir = folderPart(*file);
  changeSetting("DefalDir");
  optimizeArchiveWithTool(*file);
}

void TResursForm::OptStandResCBClick() {
  settings().OptStandRes = OptStandResCB->isChecked();
  if (!Filling) changeSetting("OptStandRes");
}

void TResursForm::Label15Click() { OptStandResCB->click(); }

void TResursForm::CloseButClick() { close(); }

}  // namespace kessik
