#include "ui/formutil.h"

#include <QGuiApplication>
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
