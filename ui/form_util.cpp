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

QRect fitOnScreen(const QRect& window, const QRect& screen) {
  if (screen.isEmpty()) return window;
  QRect r(window.topLeft(), window.size().boundedTo(screen.size()));
  if (r.right() > screen.right()) r.moveRight(screen.right());
  if (r.bottom() > screen.bottom()) r.moveBottom(screen.bottom());
  if (r.left() < screen.left()) r.moveLeft(screen.left());
  if (r.top() < screen.top()) r.moveTop(screen.top());
  return r;
}

void setResizableClientSize(QWidget* w, int width, int height, QSize minimum) {
  w->setMinimumSize(minimum.boundedTo(QSize(width, height)));
  w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  w->resize(width, height);
}

void setFixedClientSize(QWidget* w, int width, int height) {
  w->setFixedSize(width, height);
  // No size grip and no maximise box on a fixed dialog.
  w->setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, true);
}

FocusReturn::FocusReturn() : focus_(QApplication::focusWidget()), window_(QApplication::activeWindow()) {}

FocusReturn::~FocusReturn() {
  QWidget* window = focus_ ? focus_->window() : window_.data();
  if (!window || !window->isVisible()) return;
  window->activateWindow();
  if (focus_ && focus_->isVisible() && focus_->isEnabled()) focus_->setFocus(Qt::ActiveWindowFocusReason);
}

QPushButton* addButton(QWidget* parent, const char* objectName, const char* utf8Text, int x, int y, int width,
                       int height) {
  auto* b = new QPushButton(QString::fromUtf8(utf8Text), parent);
  b->setObjectName(objectName);
  b->setGeometry(x, y, width, height);
  // Return on the focused button presses it; in a dialog the button that has
  // the focus is the default one meanwhile.
  b->setAutoDefault(true);
  return b;
}

}  // namespace kessik
