#include "ui/interaction.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QMessageBox>
#include <QPointer>
#include <QSpacerItem>

#include "ui/form_util.h"
#include "ui/qtext.h"
#include "util/cp1251.h"
#include "util/paths.h"

namespace kessik {
namespace {

QtInteraction gQt;
Interaction* gCurrent = &gQt;

class InteractionNotifier : public Notifier {
 public:
  Answer show(const Message& m) override { return interaction().message(m); }
  void beep() override { interaction().beep(); }
};

QMessageBox::Icon qtIcon(Icon icon) {
  switch (icon) {
    case Icon::Information: return QMessageBox::Information;
    case Icon::Warning: return QMessageBox::Warning;
    case Icon::Error: return QMessageBox::Critical;
    case Icon::Question: return QMessageBox::Question;
    case Icon::None: break;
  }
  return QMessageBox::NoIcon;
}

QWidget* dialogOwner() {
  if (QWidget* w = QApplication::activeModalWidget()) return w;
  return QApplication::activeWindow();
}

// The host folder a file dialog opens in: the request's folder, or the
// nearest folder above it that exists (a dialog given a missing folder would
// open in the program's working folder instead).
QString startFolder(const std::string& folder) {
  if (folder.empty()) return {};
  QString host = toHostQ(withTrailingBackslash(folder));
  while (!host.isEmpty() && !QFileInfo(host).isDir()) {
    const QString up = QFileInfo(QDir::cleanPath(host)).path();
    if (up == QDir::cleanPath(host)) return {};
    host = up;
  }
  return host;
}

// While a window of the seam is up: the normal cursor over it (also during
// long work, which shows the busy one), and afterwards the focus back in the
// window and on the control that had it.
class ModalScope {
 public:
  ModalScope() {
    if (QApplication::overrideCursor()) {
      QApplication::setOverrideCursor(Qt::ArrowCursor);
      cursor_ = true;
    }
  }
  ~ModalScope() {
    if (cursor_) QApplication::restoreOverrideCursor();
  }
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;

 private:
  FocusReturn focus_;
  bool cursor_ = false;
};

// A caption wider than the text of its box would be cut in the title bar:
// the box is made wide enough for it (the title bar also holds the window's
// icon and buttons).
void fitCaption(QMessageBox& box) {
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  if (!grid) return;
  QFont titleFont = box.font();
  titleFont.setBold(true);
  const int width = QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + 120;
  grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                grid->columnCount());
}

// Asks the host dialog until it is cancelled or gives a path the program can
// hold in cp1251.
template <class Ask>
std::optional<std::string> askHostPath(Interaction& self, Ask ask, const char* refusalUtf8) {
  for (;;) {
    const QString chosen = ask();
    if (chosen.isEmpty()) return std::nullopt;
    if (auto path = fromHostQ(chosen)) return path;
    self.message({Icon::Error, "Error", ru(refusalUtf8), ButtonOk});
  }
}

const char* const kFileRefused =
    "Путь к выбранному файлу нельзя записать в кодировке Windows-1251. Выберите другой файл.";

}  // namespace

Interaction& interaction() { return *gCurrent; }

Interaction* setInteraction(Interaction* i) {
  Interaction* old = gCurrent;
  gCurrent = i ? i : &gQt;
  return old;
}

Notifier& interactionNotifier() {
  static InteractionNotifier notifier;
  return notifier;
}

void installInteractionNotifier() { setNotifier(&interactionNotifier()); }

std::optional<std::string> chooseFolder(const std::string& title, const std::string& initialFolder) {
  return interaction().chooseFolder(title, initialFolder);
}

Answer QtInteraction::message(const Message& m) {
  ModalScope modal;
  QMessageBox box(qtIcon(m.icon), toQ(m.caption.empty() ? appTitle() : m.caption), toQ(m.text),
                  QMessageBox::NoButton, dialogOwner());
  QMessageBox::StandardButtons buttons;
  if (m.buttons & ButtonYes) buttons |= QMessageBox::Yes;
  if (m.buttons & ButtonNo) buttons |= QMessageBox::No;
  if (m.buttons & ButtonOk) buttons |= QMessageBox::Ok;
  if (m.buttons & ButtonCancel) buttons |= QMessageBox::Cancel;
  if (!buttons) buttons = QMessageBox::Ok;
  box.setStandardButtons(buttons);
  // The first button is the default one, as in the platform's own boxes.
  if (m.buttons & ButtonYes) box.setDefaultButton(QMessageBox::Yes);
  else if (m.buttons & ButtonOk) box.setDefaultButton(QMessageBox::Ok);
  fitCaption(box);
  switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Ok: return Answer::Ok;
    case QMessageBox::Cancel: return Answer::Cancel;
    default: break;
  }
  // Closed with the close box: the answer of Escape.
  return defaultAnswer(m.buttons);
}

std::string qtFilterFromPairs(const std::string& pairs) {
  std::string rest = pairs, out;
  while (!rest.empty()) {
    std::string label = parseToken(rest, "|");
    std::string masks = parseToken(rest, "|");
    // Qt reads the masks from the last brackets of a filter and shows the
    // label without them (the dialogs hide the filter details). A mask "*.*"
    // means every file, as on the desktop the program comes from, also one
    // without an extension: for Qt that is "*".
    std::string qmasks;
    while (!masks.empty()) {
      std::string mask = parseToken(masks, "; ");
      if (mask.empty()) continue;
      if (mask == "*.*") mask = "*";
      if (!qmasks.empty()) qmasks += ' ';
      qmasks += mask;
    }
    if (qmasks.empty()) qmasks = "*";
    if (!out.empty()) out += ";;";
    out += label + " (" + qmasks + ")";
  }
  return out;
}

namespace {

// The host's file dialog: the filter labels shown as the program gives them,
// the dialog opened in the requested folder (or the nearest one that exists)
// with the file name filled in; an empty result when cancelled.
QString askFile(const FileDialogRequest& r, QFileDialog::AcceptMode mode) {
  QFileDialog dialog(dialogOwner());
  dialog.setObjectName("KessikFileDialog");
  if (!r.title.empty()) dialog.setWindowTitle(toQ(r.title));
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::HideNameFilterDetails, true);
  // The callers replace an existing file without a question of the dialog's own.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  if (!r.filter.empty()) dialog.setNameFilters(toQ(qtFilterFromPairs(r.filter)).split(";;"));
  const QString folder = startFolder(r.folder);
  if (!folder.isEmpty()) dialog.setDirectory(folder);
  if (!r.fileName.empty()) dialog.selectFile(toQ(r.fileName));
  ModalScope modal;
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles().value(0);
}

}  // namespace

std::optional<std::string> QtInteraction::openFile(const FileDialogRequest& r) {
  return askHostPath(*this, [&] { return askFile(r, QFileDialog::AcceptOpen); }, kFileRefused);
}

std::optional<std::string> QtInteraction::saveFile(const FileDialogRequest& r) {
  return askHostPath(*this, [&] { return askFile(r, QFileDialog::AcceptSave); }, kFileRefused);
}

std::optional<std::string> QtInteraction::chooseFolder(const std::string& title, const std::string& initialFolder) {
  const QString start = startFolder(initialFolder);
  auto path = askHostPath(*this, [&] {
    ModalScope modal;
    return QFileDialog::getExistingDirectory(dialogOwner(), toQ(title), start, QFileDialog::ShowDirsOnly);
  }, "Путь к выбранной папке нельзя записать в кодировке Windows-1251. Выберите другую папку.");
  // A drive root keeps its backslash ("C:"), as the system's folder browser gives it.
  if (path && path->size() > 3) return withoutTrailingBackslash(*path);
  return path;
}

void QtInteraction::beep() { QApplication::beep(); }

}  // namespace kessik
