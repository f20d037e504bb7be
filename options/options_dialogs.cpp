#include "options/options_dialogs.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "archives/driver/resources.h"
#include "config/settings.h"
#include "ui/qtext.h"
#include "util/cp1251.h"
#include "platform/files.h"
#include "util/paths.h"

namespace kessik {
namespace {

const char* const kArchiveFilter = "Ресурсные файлы ЗМ (*.res, *.mq)|*.res; *.mq|Все файлы (*.*)|*.*";

QLabel* addLabel(QWidget* parent, const char* name, const char* utf8, int x, int y, int width) {
  auto* l = new QLabel(qru(utf8), parent);
  l->setObjectName(name);
  l->setGeometry(x, y, width, 17);
  return l;
}

QLineEdit* addEdit(QWidget* parent, const char* name, int x, int y, int width) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  e->setGeometry(x, y, width, 23);
  return e;
}

void setEdit(QLineEdit* edit, const std::string& text) { edit->setText(toQ(text)); }

// The path typed into an edit as the program keeps it. The program thinks in
// Windows paths: an absolute host path typed or pasted there
// ("/home/me/game/bases/database/") is turned into its Windows form through
// the drive map, as the command line does ("Z:\home\me\game\bases\database\"),
// a trailing separator kept. Nothing (after a message) when it cannot be
// held.
std::optional<std::string> typedPath(QLineEdit* edit) {
  const QString text = edit->text();
#ifndef _WIN32
  if (text.startsWith('/')) {
    auto path = fromHostQ(text);
    if (!path) {
      messageDialog(Icon::Error, ru("Путь ") + fromQ(text).value_or(std::string()) +
                                     ru(" не переводится в путь Windows: в нём есть символы вне кодировки cp1251 или "
                                        "недопустимые в имени (\\ :)."));
      return std::nullopt;
    }
    return text.endsWith('/') ? withTrailingBackslash(*path) : *path;
  }
#endif
  return fromQOrRefuse(text);
}

// A folder edit's folder chooser: starts at the edit's text when that is an
// existing folder, else at DefalDir; a chosen folder goes into the edit with
// a trailing backslash.
void chooseFolderInto(QLineEdit* edit) {
  const auto text = typedPath(edit);
  if (!text) return;
  const std::string start = !text->empty() && folderExists(*text) ? *text : settings().DefalDir;
  if (auto chosen = chooseFolder(ru("Выберите директорию"), start.empty() ? start : withoutTrailingBackslash(start)))
    setEdit(edit, withTrailingBackslash(*chosen));
}

}  // namespace

// ---- Enter and Escape ----

DialogKeys::DialogKeys(QDialog* dialog, std::function<void()> enter, std::function<void()> escape)
    : QObject(dialog), enter_(std::move(enter)), escape_(std::move(escape)) {
  dialog->installEventFilter(this);
  for (QWidget* w : dialog->findChildren<QWidget*>()) w->installEventFilter(this);
}

bool DialogKeys::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    // Return on a focused button presses that button (a focused "Отмена"
    // cancels); the dialog's Enter rule holds everywhere else.
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && enter_) {
      if (auto* button = qobject_cast<QPushButton*>(watched); button && button->hasFocus()) {
        if (button->isEnabled()) button->click();
        return true;
      }
      enter_();
      return true;
    }
    if (key == Qt::Key_Escape && escape_) {
      escape_();
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

// ---- Archive paths ----

TResPathsF::TResPathsF(QWidget* parent) : QDialog(parent) {
  setObjectName("TResPathsF");
  setWindowTitle(qru("Пути к ресурсным файлам"));
  setFixedClientSize(this, 449, 262);
  FileNamesBox = new QListWidget(this);
  FileNamesBox->setObjectName("FileNamesBox");
  FileNamesBox->setGeometry(8, 8, 150, 246);
  FilePathEd = addEdit(this, "FilePathEd", 166, 8, 275);
  BrowseBut = addButton(this, "BrowseBut", "Обзор...", 166, 38, 100, 25);
  SavePathBut = addButton(this, "SavePathBut", "Запомнить путь", 274, 38, 167, 25);
  OkBut = addButton(this, "OkBut", "ОК", 272, 229, 81, 25);
  CancelBut = addButton(this, "CancelBut", "Отмена", 360, 229, 81, 25);
  SDD1.filter = ru(kArchiveFilter);
  for (const auto& a : archives::archivePathsOrder()) FileNamesBox->addItem(QString::fromStdString(std::string(a.fileName)));
  connect(FileNamesBox, &QListWidget::currentRowChanged, this, [this] { FileNamesBoxClick(); });
  connect(FilePathEd, &QLineEdit::textChanged, this, [this] { FilePathEdChange(); });
  connect(BrowseBut, &QPushButton::clicked, this, [this] { BrowseButClick(); });
  connect(SavePathBut, &QPushButton::clicked, this, [this] { SavePathButClick(); });
  connect(OkBut, &QPushButton::clicked, this, [this] { OkButClick(); });
  connect(CancelBut, &QPushButton::clicked, this, [this] { CancelButClick(); });
  new DialogKeys(this, [this] { EnterKey(); }, [this] { EscapeKey(); });
}

void TResPathsF::showEvent(QShowEvent* event) {
  centreOnScreen(this);
  FormShow();
  QDialog::showEvent(event);
}

void TResPathsF::FormShow() {
  Paths.clear();
  for (const auto& a : archives::archivePathsOrder()) Paths.push_back(settings().*a.path);
  showing_ = true;
  FileNamesBox->setCurrentRow(0);
  showing_ = false;
  showPath(0);
}

int TResPathsF::current() const { return FileNamesBox->currentRow(); }

void TResPathsF::showPath(int row) {
  if (row < 0 || row >= static_cast<int>(Paths.size())) return;
  setEdit(FilePathEd, Paths[static_cast<size_t>(row)]);
  setEdited(false);
}

void TResPathsF::setEdited(bool edited) {
  Edited = edited;
  OkBut->setEnabled(!edited);
  SavePathBut->setEnabled(edited);
}

void TResPathsF::FileNamesBoxClick() {
  if (!showing_) showPath(current());
}

void TResPathsF::FilePathEdChange() { setEdited(true); }

void TResPathsF::SavePathButClick() {
  const int row = current();
  if (row < 0 || row >= static_cast<int>(Paths.size())) return;
  const auto text = typedPath(FilePathEd);
  if (!text) return;
  Paths[static_cast<size_t>(row)] = *text;
  setEdited(false);
}

void TResPathsF::BrowseButClick() {
  const auto text = typedPath(FilePathEd);
  if (!text) return;
  const std::string folder = folderPart(*text);
  SDD1.folder = !folder.empty() && folderExists(folder) ? folder : settings().DefalDir;
  SDD1.fileName = fileNamePart(*text);
  const auto chosen = interaction().saveFile(SDD1);
  if (!chosen) return;
  const std::string chosenFolder = folderPart(*chosen);
  if (!chosenFolder.empty() && folderExists(chosenFolder)) {
    settings().DefalDir = chosenFolder;
    changeSetting("DefalDir");
  }
  setEdit(FilePathEd, *chosen);
  // Shown in the edit, remembered only by "Запомнить путь".
  setEdited(true);
}

void TResPathsF::OkButClick() {
  if (Edited) return;
  const auto& order = archives::archivePathsOrder();
  std::vector<std::string> keys;
  for (size_t i = 0; i < order.size(); ++i) {
    settings().*order[i].path = Paths[i];
    keys.emplace_back(order[i].key);
  }
  Settings& s = settings();
  s.DatabaseResDir = folderNameForArchive(s.DatabaseResPath);
  s.DatabaselmpResDir = folderNameForArchive(s.DatabaselmpResPath);
  saveSettings(keys);
  accept();
}

void TResPathsF::CancelButClick() { reject(); }

void TResPathsF::EnterKey() {
  if (Edited) SavePathButClick();
  else OkButClick();
}

void TResPathsF::EscapeKey() {
  if (Edited) showPath(current());
  else CancelButClick();
}

// ---- Database options ----

TBaseOptF::TBaseOptF(QWidget* parent) : QDialog(parent) {
  setObjectName("TBaseOptF");
  setWindowTitle(qru("Параметры для баз"));
  setFixedClientSize(this, 449, 250);
  struct Row {
    const char *label, *labelName, *edit, *button;
  };
  const Row rows[] = {{"database.res", "DbResLab", "DbResEd", "Browse1But"},
                      {"databaselmp.res", "DbLmpResLab", "DbLmpResEd", "Browse2But"},
                      {"Исходник database.res", "DbResIshLab", "DbResIshEd", "Browse3But"},
                      {"Исходник databaselmp.res", "DbLmpResIshLab", "DbLmpResIshEd", "Browse4But"}};
  QLineEdit* edits[4];
  QPushButton* buttons[4];
  for (int i = 0; i < 4; ++i) {
    const int y = 8 + i * 52;
    addLabel(this, rows[i].labelName, rows[i].label, 8, y, 340);
    edits[i] = addEdit(this, rows[i].edit, 8, y + 18, 344);
    buttons[i] = addButton(this, rows[i].button, "Обзор...", 360, y + 17, 81, 25);
  }
  DbResEd = edits[0];
  DbLmpResEd = edits[1];
  DbResIshEd = edits[2];
  DbLmpResIshEd = edits[3];
  Browse1But = buttons[0];
  Browse2But = buttons[1];
  Browse3But = buttons[2];
  Browse4But = buttons[3];
  OkBut = addButton(this, "OkBut", "ОК", 272, 217, 81, 25);
  CancelBut = addButton(this, "CancelBut", "Отмена", 360, 217, 81, 25);
  OFD1.filter = ru(kArchiveFilter);
  connect(Browse1But, &QPushButton::clicked, this, [this] { Browse1ButClick(); });
  connect(Browse2But, &QPushButton::clicked, this, [this] { Browse2ButClick(); });
  connect(Browse3But, &QPushButton::clicked, this, [this] { Browse3ButClick(); });
  connect(Browse4But, &QPushButton::clicked, this, [this] { Browse4ButClick(); });
  connect(OkBut, &QPushButton::clicked, this, [this] { OkButClick(); });
  connect(CancelBut, &QPushButton::clicked, this, [this] { CancelButClick(); });
  new DialogKeys(this, [this] { OkButClick(); }, [this] { CancelButClick(); });
}

void TBaseOptF::showEvent(QShowEvent* event) {
  centreOnScreen(this);
  FormShow();
  QDialog::showEvent(event);
}

void TBaseOptF::FormShow() {
  const Settings& s = settings();
  setEdit(DbResEd, s.DatabaseResPath);
  setEdit(DbLmpResEd, s.DatabaselmpResPath);
  setEdit(DbResIshEd, s.DatabaseResIsh);
  setEdit(DbLmpResIshEd, s.DatabaselmpResIsh);
  MayClose = false;
}

void TBaseOptF::browseArchive(QLineEdit* edit) {
  const auto text = typedPath(edit);
  if (!text) return;
  const std::string folder = folderPart(*text);
  if (!folder.empty() && folderExists(folder)) {
    OFD1.folder = folder;
    OFD1.fileName = fileNamePart(*text);
  } else {
    OFD1.folder = settings().DefalDir;
    OFD1.fileName.clear();
  }
  if (auto chosen = interaction().openFile(OFD1)) setEdit(edit, *chosen);
}

void TBaseOptF::browseFolder(QLineEdit* edit) { chooseFolderInto(edit); }

void TBaseOptF::Browse1ButClick() { browseArchive(DbResEd); }
void TBaseOptF::Browse2ButClick() { browseArchive(DbLmpResEd); }
void TBaseOptF::Browse3ButClick() { browseFolder(DbResIshEd); }
void TBaseOptF::Browse4ButClick() { browseFolder(DbLmpResIshEd); }

void TBaseOptF::OkButClick() {
  const auto res = typedPath(DbResEd);
  const auto lmp = res ? typedPath(DbLmpResEd) : std::nullopt;
  const auto ish = lmp ? typedPath(DbResIshEd) : std::nullopt;
  const auto lmpIsh = ish ? typedPath(DbLmpResIshEd) : std::nullopt;
  if (!lmpIsh) return;
  Settings& s = settings();
  s.DatabaseResPath = *res;
  s.DatabaselmpResPath = *lmp;
  s.DatabaseResIsh = *ish;
  s.DatabaselmpResIsh = *lmpIsh;
  s.DatabaseResDir = folderNameForArchive(s.DatabaseResPath);
  s.DatabaselmpResDir = folderNameForArchive(s.DatabaselmpResPath);
  saveSettings({"DatabaseResPath", "DatabaselmpResPath", "DatabaseResIsh", "DatabaselmpResIsh"});
  MayClose = true;
  accept();
  if (CloseRecordEditors) CloseRecordEditors();
}

void TBaseOptF::CancelButClick() {
  MayClose = true;
  reject();
}

void TBaseOptF::closeEvent(QCloseEvent* event) {
  if (!MayClose) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void TBaseOptF::reject() {
  if (MayClose) QDialog::reject();
}

// ---- Text editor options ----

TTextsOptF::TTextsOptF(QWidget* parent) : QDialog(parent) {
  setObjectName("TTextsOptF");
  setWindowTitle(qru("Параметры для редактора текстов"));
  setFixedClientSize(this, 449, 120);
  addLabel(this, "PathLab", "Директория, с которой начнется осмотр:", 8, 8, 340);
  PathEd = addEdit(this, "PathEd", 8, 26, 344);
  BrowseBut = addButton(this, "BrowseBut", "Обзор...", 360, 25, 81, 25);
  TextsResBut = addButton(this, "TextsResBut", "texts.res", 8, 56, 100, 25);
  TextslmpResBut = addButton(this, "TextslmpResBut", "textslmp.res", 116, 56, 100, 25);
  OkBut = addButton(this, "OkBut", "ОК", 272, 88, 81, 25);
  CancelBut = addButton(this, "CancelBut", "Отмена", 360, 88, 81, 25);
  connect(BrowseBut, &QPushButton::clicked, this, [this] { BrowseButClick(); });
  connect(TextsResBut, &QPushButton::clicked, this, [this] { TextsResButClick(); });
  connect(TextslmpResBut, &QPushButton::clicked, this, [this] { TextslmpResButClick(); });
  connect(OkBut, &QPushButton::clicked, this, [this] { OkButClick(); });
  connect(CancelBut, &QPushButton::clicked, this, [this] { CancelButClick(); });
  new DialogKeys(this, [this] { OkButClick(); }, [this] { CancelButClick(); });
}

void TTextsOptF::showEvent(QShowEvent* event) {
  centreOnScreen(this);
  FormShow();
  QDialog::showEvent(event);
}

void TTextsOptF::FormShow() { setEdit(PathEd, settings().TextsEdStart); }

void TTextsOptF::BrowseButClick() { chooseFolderInto(PathEd); }

void TTextsOptF::TextsResButClick() { setEdit(PathEd, folderNameForArchive(settings().TextsResPath)); }

void TTextsOptF::TextslmpResButClick() { setEdit(PathEd, folderNameForArchive(settings().TextslmpResPath)); }

void TTextsOptF::OkButClick() {
  const auto text = typedPath(PathEd);
  if (!text) return;
  settings().TextsEdStart = text->empty() ? std::string("\\") : withTrailingBackslash(*text);
  changeSetting("TextsEdStart");
  accept();
}

void TTextsOptF::CancelButClick() { reject(); }

}  // namespace kessik
