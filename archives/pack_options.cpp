#include "archives/pack_options.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "archives/driver/resources.h"
#include "archives/resbuild_form.h"
#include "config/settings.h"
#include "ui/del_form.h"
#include "ui/form_util.h"
#include "ui/qtext.h"
#include "util/cp1251.h"
#include "platform/files.h"
#include "util/notify.h"
#include "util/paths.h"

namespace kessik {

std::function<std::string(const std::string&)> unpackWithOptionsHook;
std::function<std::string(const std::string&)> packWithOptionsHook;

std::string archiveFileFilter() { return ru("Ресурсные файлы ЗМ (*.res, *.mq)|*.res; *.mq|Все файлы (*.*)|*.*"); }

namespace {

const char* const kUnpackDirTitle = "Выберите директорию, в которую будут распакованы файлы";
const char* const kPackDirTitle = "Выберите директорию, файлы из которой будут запакованы";

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

QCheckBox* addCheck(QWidget* parent, const char* name, const char* utf8, int x, int y, int width) {
  auto* c = new QCheckBox(qru(utf8), parent);
  c->setObjectName(name);
  c->setGeometry(x, y, width, 19);
  return c;
}

// A file dialog starts in the folder of the path in an edit, with its file
// name chosen, when that folder exists; otherwise in DefalDir.
void startAt(FileDialogRequest& dialog, const std::string& path) {
  const std::string folder = folderPart(path);
  if (!folder.empty() && folderExists(folder)) {
    dialog.folder = folder;
    dialog.fileName = fileNamePart(path);
  } else {
    dialog.folder = settings().DefalDir;
    dialog.fileName.clear();
  }
}

// The folder chooser starts at the edit's folder when it exists, else at
// DefalDir. A chosen folder becomes DefalDir (written at once) and is
// returned with a trailing backslash.
std::optional<std::string> chooseAndRemember(const char* title, const std::string& edited) {
  const std::string start = !edited.empty() && folderExists(edited) ? edited : settings().DefalDir;
  auto chosen = chooseFolder(ru(title), start.empty() ? start : withoutTrailingBackslash(start));
  if (!chosen) return std::nullopt;
  settings().DefalDir = withTrailingBackslash(*chosen);
  changeSetting("DefalDir");
  return settings().DefalDir;
}

// The text of an edit as cp1251; a text cp1251 cannot hold is refused with a
// message and nothing comes back.
std::optional<std::string> editText(QLineEdit* edit) { return fromQOrRefuse(edit->text()); }

// Edits can always show a path: cp1251 maps every byte.
void setEdit(QLineEdit* edit, const std::string& text) { edit->setText(toQ(text)); }

}  // namespace

std::string unpackWithOptions(const std::string& archive) {
  if (unpackWithOptionsHook) return unpackWithOptionsHook(archive);
  TRBUnPackOptF dialog;
  dialog.ArchivePath = archive;
  if (dialog.exec() != QDialog::Accepted) return {};
  return fromQ(dialog.DirNameEd->text()).value_or(std::string());
}

std::string packWithOptions(const std::string& folder) {
  if (packWithOptionsHook) return packWithOptionsHook(folder);
  TRbPackOptF dialog;
  dialog.FolderPath = folder;
  if (dialog.exec() != QDialog::Accepted) return {};
  return fromQ(dialog.FileNameEd->text()).value_or(std::string());
}

// ---- Unpack options ----

TRBUnPackOptF::TRBUnPackOptF(QWidget* parent) : QDialog(parent) {
  setObjectName("TRBUnPackOptF");
  setWindowTitle(qru("RESBUILD - распаковка"));
  setFixedClientSize(this, 449, 196);
  FileNameLab = addLabel(this, "FileNameLab", "Файл для распаковки", 8, 8, 340);
  FileNameEd = addEdit(this, "FileNameEd", 8, 26, 344);
  BrowseFileBut = addButton(this, "BrowseFileBut", "Обзор...", 360, 25, 81, 25);
  DirNameLab = addLabel(this, "DirNameLab", "Папка куда все будет распаковано", 8, 58, 340);
  DirNameEd = addEdit(this, "DirNameEd", 8, 76, 344);
  BrowseDirBut = addButton(this, "BrowseDirBut", "Обзор...", 360, 75, 81, 25);
  GnrNamBut = addButton(this, "GnrNamBut", "Сгенерить имя папки", 8, 108, 170, 25);
  ReWriteCB = addCheck(this, "ReWriteCB", "Очистить целевую папку перед распаковкой", 8, 140, 433);
  OkBut = addButton(this, "OkBut", "ОК", 272, 164, 81, 25);
  CancelBut = addButton(this, "CancelBut", "Отмена", 360, 164, 81, 25);
  OkBut->setDefault(true);
  OFD1.filter = archiveFileFilter();
  connect(BrowseFileBut, &QPushButton::clicked, this, [this] { BrowseFileButClick(); });
  connect(BrowseDirBut, &QPushButton::clicked, this, [this] { BrowseDirButClick(); });
  connect(GnrNamBut, &QPushButton::clicked, this, [this] { GnrNamButClick(); });
  connect(OkBut, &QPushButton::clicked, this, [this] { OkButClick(); });
  connect(CancelBut, &QPushButton::clicked, this, [this] { CancelButClick(); });
}

void TRBUnPackOptF::showEvent(QShowEvent* event) {
  centreOnScreen(this);
  FormShow();
  QDialog::showEvent(event);
}

void TRBUnPackOptF::FormShow() {
  setEdit(FileNameEd, ArchivePath);
  setEdit(DirNameEd, folderNameForArchive(ArchivePath));
  ReWriteCB->setChecked(false);
}

void TRBUnPackOptF::BrowseFileButClick() {
  auto file = editText(FileNameEd);
  if (!file) return;
  startAt(OFD1, *file);
  if (auto chosen = interaction().openFile(OFD1)) {
    file = *chosen;
    setEdit(FileNameEd, *file);
  }
  setEdit(DirNameEd, folderNameForArchive(*file));
}

void TRBUnPackOptF::GnrNamButClick() {
  if (auto file = editText(FileNameEd)) setEdit(DirNameEd, folderNameForArchive(*file));
}

void TRBUnPackOptF::BrowseDirButClick() {
  auto dir = editText(DirNameEd);
  if (!dir) return;
  if (auto chosen = chooseAndRemember(kUnpackDirTitle, *dir)) setEdit(DirNameEd, *chosen);
}

void TRBUnPackOptF::OkButClick() {
  const auto file = editText(FileNameEd);
  const auto dir = file ? editText(DirNameEd) : std::nullopt;
  if (!file || !dir) return;
  bool goOn = false;
  if (!dir->empty() && folderExists(*dir)) {
    if (ReWriteCB->isChecked()) {
      // Clearing a folder that holds the archive would delete the archive
      // before it is unpacked.
      if (archives::liesInFolder(*file, *dir)) {
        messageBoxEx(ru("Файл для распаковки лежит в папке назначения, очистка папки удалила бы его. "
                        "Укажите другую папку. Распаковки не было."),
                     ru("Ошибка!"), Icon::Error);
        return;
      }
      goOn = recreateFolderWithWaitWindow(*dir);
    } else {
      goOn = true;
    }
  } else if (!dir->empty()) {
    createFolder(*dir);
    goOn = folderExists(*dir);
  }
  if (!goOn) {
    reject();
    return;
  }
  unpackArchiveWithTool(*file, *dir);
  accept();
}

void TRBUnPackOptF::CancelButClick() { reject(); }

// ---- Pack options ----

TRbPackOptF::TRbPackOptF(QWidget* parent) : QDialog(parent) {
  setObjectName("TRbPackOptF");
  setWindowTitle(qru("RESBUILD - запаковка"));
  setFixedClientSize(this, 449, 196);
  DirNameLab = addLabel(this, "DirNameLab", "Папка для  запаковки", 8, 8, 340);
  DirNameEd = addEdit(this, "DirNameEd", 8, 26, 344);
  BrowseDirBut = addButton(this, "BrowseDirBut", "Обзор...", 360, 25, 81, 25);
  FileNameLab = addLabel(this, "FileNameLab", "Файл - цель запаковки", 8, 58, 340);
  FileNameEd = addEdit(this, "FileNameEd", 8, 76, 344);
  BrowseFileBut = addButton(this, "BrowseFileBut", "Обзор...", 360, 75, 81, 25);
  OptimizeCB = addCheck(this, "OptimizeCB", "Оптимизировть", 8, 110, 160);
  GnrNamBut = addButton(this, "GnrNamBut", "Сгенерить имя файла", 271, 108, 170, 25);
  ReWriteCB = addCheck(this, "ReWriteCB", "Перезаписать ресурсный файл", 8, 140, 433);
  OkBut = addButton(this, "OkBut", "ОК", 272, 164, 81, 25);
  CancelBut = addButton(this, "CancelBut", "Отмена", 360, 164, 81, 25);
  OkBut->setDefault(true);
  SFD1.title = ru("Укажите файл для запаковки");
  SFD1.filter = archiveFileFilter();
  connect(BrowseDirBut, &QPushButton::clicked, this, [this] { BrowseDirButClick(); });
  connect(BrowseFileBut, &QPushButton::clicked, this, [this] { BrowseFileButClick(); });
  connect(GnrNamBut, &QPushButton::clicked, this, [this] { GnrNamButClick(); });
  connect(OkBut, &QPushButton::clicked, this, [this] { OkButClick(); });
  connect(CancelBut, &QPushButton::clicked, this, [this] { CancelButClick(); });
}

void TRbPackOptF::showEvent(QShowEvent* event) {
  centreOnScreen(this);
  FormShow();
  QDialog::showEvent(event);
}

void TRbPackOptF::FormShow() {
  setEdit(DirNameEd, FolderPath);
  setEdit(FileNameEd, archiveNameForFolder(FolderPath));
  OptimizeCB->setChecked(true);
  ReWriteCB->setChecked(false);
}

void TRbPackOptF::BrowseDirButClick() {
  auto dir = editText(DirNameEd);
  if (!dir) return;
  if (auto chosen = chooseAndRemember(kPackDirTitle, *dir)) {
    setEdit(DirNameEd, *chosen);
    setEdit(FileNameEd, archiveNameForFolder(*chosen));
  }
}

void TRbPackOptF::BrowseFileButClick() {
  auto file = editText(FileNameEd);
  if (!file) return;
  startAt(SFD1, *file);
  if (auto chosen = interaction().saveFile(SFD1)) setEdit(FileNameEd, *chosen);
}

void TRbPackOptF::GnrNamButClick() {
  if (auto dir = editText(DirNameEd)) setEdit(FileNameEd, archiveNameForFolder(*dir));
}

void TRbPackOptF::OkButClick() {
  const auto file = editText(FileNameEd);
  const auto dir = file ? editText(DirNameEd) : std::nullopt;
  if (!file || !dir) return;
  if (ReWriteCB->isChecked()) {
    // The old archive is only dropped once the new one is there.
    archives::packReplacing(*file, *dir, packFolderWithTool);
  } else {
    if (fileExists(*file)) setPlainAttributes(*file);
    packFolderWithTool(*file, *dir);
  }
  if (OptimizeCB->isChecked()) optimizeArchiveWithTool(*file);
  accept();
}

void TRbPackOptF::CancelButClick() { reject(); }

}  // namespace kessik
