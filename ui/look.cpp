#include "ui/look.h"

#include <QApplication>
#include <QFont>
#include <QIcon>

// The resources live in a static library: registered by hand.
static void initProgramResources() { Q_INIT_RESOURCE(kessik); }

namespace kessik {

QIcon programIcon() {
  initProgramResources();
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256})
    icon.addFile(QString(":/kessik/icons/kessik-%1.png").arg(size), QSize(size, size));
  return icon;
}

void applyProgramLook(QApplication& app) {
  app.setWindowIcon(programIcon());
  QFont f = QApplication::font();
  f.setPointSize(kFontPointSize);
  QApplication::setFont(f);
}

}  // namespace kessik
