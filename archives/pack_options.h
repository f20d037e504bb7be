// The unpack and pack option dialogs: unpack any archive into a folder of the
// user's choice, pack any folder into an archive of the user's choice. The
// resources window and the text editor reach them through unpackWithOptions()
// and packWithOptions(), which tests can replace.
#pragma once

#include <QDialog>

#include <functional>
#include <string>

#include "ui/interaction.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kessik {

// Creates the unpack options dialog for an archive, shows it modally and
// frees it: the destination folder when it ended with OK, empty otherwise.
std::string unpackWithOptions(const std::string& archive);
// Creates the pack options dialog for a folder, shows it modally and frees it:
// the archive file when it ended with OK, empty otherwise.
std::string packWithOptions(const std::string& folder);

// What unpackWithOptions() and packWithOptions() call; they show the dialogs
// unless a test installs something else (an empty function restores them).
extern std::function<std::string(const std::string& archive)> unpackWithOptionsHook;
extern std::function<std::string(const std::string& folder)> packWithOptionsHook;

// The file filter of the archive dialogs.
std::string archiveFileFilter();

class TRBUnPackOptF : public QDialog {
  Q_OBJECT

 public:
  explicit TRBUnPackOptF(QWidget* parent = nullptr);

  // In: the archive to unpack (set before showing).
  std::string ArchivePath;

  void FormShow();
  void BrowseFileButClick();
  void BrowseDirButClick();
  void GnrNamButClick();
  void OkButClick();
  void CancelButClick();

  // The file-open dialog of BrowseFileBut (title, filter; the folder and the
  // file name are set on each use).
  FileDialogRequest OFD1;

  QLabel* FileNameLab = nullptr;
  QLineEdit* FileNameEd = nullptr;
  QPushButton* BrowseFileBut = nullptr;
  QLabel* DirNameLab = nullptr;
  QLineEdit* DirNameEd = nullptr;
  QPushButton* BrowseDirBut = nullptr;
  QPushButton* GnrNamBut = nullptr;
  QCheckBox* ReWriteCB = nullptr;
  QPushButton* OkBut = nullptr;
  QPushButton* CancelBut = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
};

class TRbPackOptF : public QDialog {
  Q_OBJECT

 public:
  explicit TRbPackOptF(QWidget* parent = nullptr);

  // In: the folder to pack (set before showing).
  std::string FolderPath;

  void FormShow();
  void BrowseDirButClick();
  void BrowseFileButClick();
  void GnrNamButClick();
  void OkButClick();
  void CancelButClick();

  // The file-save dialog of BrowseFileBut.
  FileDialogRequest SFD1;

  QLabel* DirNameLab = nullptr;
  QLineEdit* DirNameEd = nullptr;
  QPushButton* BrowseDirBut = nullptr;
  QLabel* FileNameLab = nullptr;
  QLineEdit* FileNameEd = nullptr;
  QPushButton* BrowseFileBut = nullptr;
  QCheckBox* OptimizeCB = nullptr;
  QPushButton* GnrNamBut = nullptr;
  QCheckBox* ReWriteCB = nullptr;
  QPushButton* OkBut = nullptr;
  QPushButton* CancelBut = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace kessik
