#include "ui/form_util.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QWindow>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

namespace kessik {

void centreOnScreen(QWidget* w) {
  if (QScreen* s = QGuiApplication::primaryScreen()) {
    const QRect r = s->availableGeometry();
    w->move(r.center() - QPoint(w->width() / 2, w->height() / 2));
  }
}

void ownByActiveWindow(QWidget* w) {
  QWidget* owner = QApplication::activeModalWidget();
  if (!owner || owner == w) owner = QApplication::activeWindow();
  if (!owner || owner == w || !owner->isVisible()) owner = w->parentWidget();
  if (!owner) return;
  w->winId();  // the native window, so that it can be given its owner
  if (QWindow* own = w->windowHandle()) own->setTransientParent(owner->window()->windowHandle());
}

void keepPainted() {
  static QElapsedTimer sinceLast;
  if (sinceLast.isValid() && sinceLast.elapsed() < 40) return;
  sinceLast.start();
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void setFixedClientSize(QWidget* w, int width, int height) {
  w->setFixedSize(width, height);
  // No size grip and no maximise box on a fixed dialog.
  w->setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, true);
}

QPushButton* addButton(QWidget* parent, const char* objectName, const char* utf8Text, int x, int y, int width,
                       int height) {
  auto* b = new QPushButton(QString::fromUtf8(utf8Text), parent);
  b->setObjectName(objectName);
  b->setGeometry(x, y, width, height);
  b->setAutoDefault(false);
  return b;
}

}  // namespace kessik
