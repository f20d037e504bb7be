#include "ui/delform.h"

#include <QLabel>
#include <QTimer>

#include "ui/formutil.h"
#include "ui/qtext.h"
#include "util/files.h"

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
  Deleted = deleteFolderTree(DelPath, true);
  accept();
}

bool deleteFolderWithWaitWindow(const std::string& folder) {
  if (TDelForm* f = TDelForm::instance()) {
    f->DelPath = folder;
    ownByActiveWindow(f);
    f->exec();
  } else {
    deleteFolderTree(folder, true);
  }
  return !folderExists(folder);
}

}  // namespace kessik
