#include "options/about_form.h"

#include <QLabel>
#include <QPushButton>

#include "config/settings.h"
#include "platform/process.h"
#include "platform/verinfo.h"
#include "ui/form_util.h"
#include "ui/look.h"
#include "ui/qtext.h"
#include "ui/text_viewer.h"

namespace kessik {
namespace {

QLabel* addLine(QWidget* parent, const char* name, const QString& text, int x, int y, int width, bool bold = false) {
  auto* l = new QLabel(text, parent);
  if (name) l->setObjectName(name);
  l->setGeometry(x, y, width, 19);
  if (bold) {
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
  }
  return l;
}

}  // namespace

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent) {
  setObjectName("TAboutForm");
  setWindowTitle(qru("О программе"));
  setFixedClientSize(this, 372, 206);
  ProgaNamLab = addLine(this, "ProgaNamLab", {}, 12, 12, 290, true);
  DescrLab = addLine(this, "DescrLab", {}, 12, 36, 290);
  // The program's icon at the top right, beside its name.
  auto* icon = new QLabel(this);
  icon->setObjectName("ProgramIcon");
  icon->setGeometry(312, 12, 48, 48);
  icon->setPixmap(programIcon().pixmap(48, 48));
  addLine(this, "VerLab", qru("Версия :"), 12, 60, 70);
  FileVerLab = addLine(this, "FileVerLab", {}, 84, 60, 276);
  CopyrightLab = addLine(this, "CopyrightLab", {}, 12, 84, 348);
  addLine(this, "CraftedLab", qru("Crafted by:"), 12, 108, 70);
  CraftedByLab = addLine(this, "CraftedByLab", {}, 84, 108, 276);
  CommentLab = addLine(this, "CommentLab", {}, 12, 132, 348);
  CommentLab->setWordWrap(true);
  CommentLab->setFixedHeight(32);
  LicenseBut = addButton(this, "LicenseBut", "Текст лицензии", 12, 172, 130, 25);
  OkButn = addButton(this, "OkButn", "Закрыть", 280, 172, 81, 25);
  OkButn->setDefault(true);
#ifdef _WIN32
  ShowTextFile = [](const std::string& file) { return platform::openTextViewer(file); };
#else
  // Opened over this modal window so that it can be read at once; handed to
  // the main window when this one goes.
  ShowTextFile = [this](const std::string& file) { return showPlainTextFile(file, this); };
#endif
  connect(LicenseBut, &QPushButton::clicked, this, [this] { LicenseButClick(); });
  connect(OkButn, &QPushButton::clicked, this, [this] { OkButnClick(); });
}

TAboutForm::~TAboutForm() {
  for (auto* viewer : findChildren<TTextViewerF*>(Qt::FindDirectChildrenOnly)) {
    const QRect where = viewer->geometry();
    viewer->setParent(parentWidget(), viewer->windowFlags());
    viewer->setGeometry(where);
    if (parentWidget()) viewer->show();
    else delete viewer;
  }
}

void TAboutForm::showEvent(QShowEvent* event) {
  centreOnScreen(this);
  if (!filled_) FormShow();
  QDialog::showEvent(event);
}

void TAboutForm::FormShow() {
  filled_ = true;
  const platform::TVerInfoFromFile& v = VerInfo ? *VerInfo : platform::programVersionInfo();
  ProgaNamLab->setText(toQ(v.ProductName));
  DescrLab->setText(toQ(v.FileDescription));
  FileVerLab->setText(toQ(v.FileVersion));
  CopyrightLab->setText(toQ(v.LegalCopyright));
  CraftedByLab->setText(toQ(v.CraftedBy));
  CommentLab->setText(toQ(v.Comments));
}

std::string TAboutForm::licenseFile() {
  return settings().ProgramDir + "HG_closed_MH-editor-utility_license.txt";
}

void TAboutForm::LicenseButClick() {
  // Neither waited for nor checked.
  if (ShowTextFile) ShowTextFile(licenseFile());
}

void TAboutForm::OkButnClick() { accept(); }

}  // namespace kessik
