#include "ui/del_form.h"

#include <QLabel>
#include <QTimer>

#include "ui/form_util.h"
#include "ui/qtext.h"
#include "platform/files.h"
#include "util/paths.h"

namespace kessik {
TDelForm::TDelForm(QWidget* parent) : QDialog(parent) {
  setObjectName("TDelForm");
  setWindowTitle(qru("Подождите..."));
  setFixedClientSize(this, 240, 56);
  InfoLab = new QLabel(qru("Удаление папки..."), this);
  InfoLab->setObjectName("InfoLab");
  InfoLab->setAlignment(Qt::AlignCenter);
  InfoLab->setGeometry(10, 18, 220, 20);
}

void TDelForm::showEvent(QShowEvent* event) {
  centreOnScreen(this);
  pending_ = true;
  Deleted = false;
  QDialog::showEvent(event);
  // Should the window never be painted (an obscured or minimised program),
  // the deletion still runs.
  QTimer::singleShot(1000, this, [this] { runDeletion(); });
}

void TDelForm::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  if (!pending_) return;
  // The line is on screen: now the work, once, after this paint has finished.
  QTimer::singleShot(0, this, [this] { runDeletion(); });
}

void TDelForm::runDeletion() {
  if (!pending_) return;
  pending_ = false;
  InfoLab->repaint();
  Deleted = deleteFolderTree(DelPath, !KeepFolder);
  accept();
}

namespace {

bool deleteBehindWindow(const std::string& folder, bool keepFolder) {
  if (TDelForm* f = TDelForm::instance()) {
    f->DelPath = folder;
    f->KeepFolder = keepFolder;
    ownByActiveWindow(f);
    f->exec();
    f->KeepFolder = false;
    return f->Deleted;
  }
  return deleteFolderTree(folder, !keepFolder);
}

}  // namespace

bool deleteFolderWithWaitWindow(const std::string& folder) {
  deleteBehindWindow(folder, false);
  return !folderExists(folder);
}

bool emptyFolderWithWaitWindow(const std::string& folder) { return deleteBehindWindow(folder, true); }

bool recreateFolderWithWaitWindow(const std::string& folder) {
  deleteFolderWithWaitWindow(folder);
  // A link to a folder elsewhere is removed as a link; what it points to is
  // left alone, and nothing is ever written through it.
  if (isSymbolicLink(folder)) deleteFile(withoutTrailingBackslash(folder));
  createFolder(folder);
  return folderExists(folder) && !isSymbolicLink(folder);
}

}  // namespace kessik
