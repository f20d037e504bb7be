#include "ui/interaction.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

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

QString startPath(const FileDialogRequest& r) {
  QString folder = toHostQ(r.folder.empty() ? std::string() : withTrailingBackslash(r.folder));
  if (r.fileName.empty()) return folder;
  return folder + toQ(r.fileName);
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
    std::string mask = parseToken(rest, "|");
    if (mask.empty()) mask.push_back('*');
    if (!out.empty()) out += ";;";
    // Qt reads the masks from the brackets at the end of the label.
    std::string qmask = mask;
    for (char& c : qmask)
      if (c == ';') c = ' ';
    if (label.size() >= qmask.size() + 2 && label.ends_with("(" + qmask + ")")) out += label;
    else out += label + " (" + qmask + ")";
  }
  return out;
}

std::optional<std::string> QtInteraction::openFile(const FileDialogRequest& r) {
  return askHostPath(*this, [&] {
    return QFileDialog::getOpenFileName(dialogOwner(), toQ(r.title), startPath(r), toQ(qtFilterFromPairs(r.filter)));
  }, kFileRefused);
}

std::optional<std::string> QtInteraction::saveFile(const FileDialogRequest& r) {
  return askHostPath(*this, [&] {
    // The callers replace an existing file without a question of the dialog's own.
    return QFileDialog::getSaveFileName(dialogOwner(), toQ(r.title), startPath(r), toQ(qtFilterFromPairs(r.filter)),
                                        nullptr, QFileDialog::DontConfirmOverwrite);
  }, kFileRefused);
}

std::optional<std::string> QtInteraction::chooseFolder(const std::string& title, const std::string& initialFolder) {
  const QString start = initialFolder.empty() ? QString() : toHostQ(withTrailingBackslash(initialFolder));
  auto path = askHostPath(*this, [&] {
    return QFileDialog::getExistingDirectory(dialogOwner(), toQ(title), start, QFileDialog::ShowDirsOnly);
  }, "Путь к выбранной папке нельзя записать в кодировке Windows-1251. Выберите другую папку.");
  // A drive root keeps its backslash ("C:"), as the system's folder browser gives it.
  if (path && path->size() > 3) return withoutTrailingBackslash(*path);
  return path;
}

void QtInteraction::beep() { QApplication::beep(); }

}  // namespace kessik
