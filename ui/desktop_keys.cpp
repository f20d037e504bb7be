#include "ui/desktop_keys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QToolButton>

namespace kessik {
namespace {

class DesktopKeys : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
    if (key->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier)) return false;
    auto* button = qobject_cast<QAbstractButton*>(watched);
    if (!button || !button->hasFocus() || !button->isEnabled() || !button->isVisible()) return false;
    // Check boxes and radio buttons take Return as the window does.
    if (!qobject_cast<QPushButton*>(button) && !qobject_cast<QToolButton*>(button)) return false;
    if (key->isAutoRepeat()) return true;
    button->click();
    return true;
  }
};

}  // namespace

QObject* desktopKeysFilter() {
  static DesktopKeys filter;
  return &filter;
}

void installDesktopKeys(QApplication& app) { app.installEventFilter(desktopKeysFilter()); }

}  // namespace kessik
