#include "ui/look.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QProxyStyle>

// The resources live in a static library: registered by hand.
static void initProgramResources() { Q_INIT_RESOURCE(kessik); }

namespace kessik {
namespace {

// The platform's style with the keyboard habits of the desktop the program
// comes from: Alt pressed and released alone moves the keyboard into the
// menu bar, and the letters that choose menus and items are underlined.
class ProgramStyle : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* data) const override {
    if (hint == SH_MenuBar_AltKeyNavigation || hint == SH_UnderlineShortcut) return 1;
    return QProxyStyle::styleHint(hint, option, widget, data);
  }
};

}  // namespace

QIcon programIcon() {
  initProgramResources();
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256})
    icon.addFile(QString(":/kessik/icons/kessik-%1.png").arg(size), QSize(size, size));
  return icon;
}

void applyProgramLook(QApplication& app) {
  app.setWindowIcon(programIcon());
  if (!dynamic_cast<ProgramStyle*>(QApplication::style())) QApplication::setStyle(new ProgramStyle);
  QFont f = QApplication::font();
  f.setPointSize(kFontPointSize);
  QApplication::setFont(f);
}

}  // namespace kessik
