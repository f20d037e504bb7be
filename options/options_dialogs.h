// The settings dialogs: the paths of the fourteen standard archives
// (TResPathsF, made for each use), the two database archives with their
// source folders (TBaseOptF) and the folder the text editor starts in
// (TTextsOptF), both created once at start-up. Each changes the settings only
// when confirmed, and then writes the changed keys at once.
#pragma once

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

#include "ui/form_util.h"
#include "ui/interaction.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace kessik {

// Makes Enter and Escape reach a dialog's handlers wherever the focus is in
// it, except that Return on a focused button presses that button.
class DialogKeys : public QObject {
 public:
  DialogKeys(QDialog* dialog, std::function<void()> enter, std::function<void()> escape);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::function<void()> enter_, escape_;
};

class TResPathsF : public QDialog {
  Q_OBJECT

 public:
  explicit TResPathsF(QWidget* parent = nullptr);

  void FormShow();
  void FileNamesBoxClick();
  void FilePathEdChange();
  void SavePathButClick();
  void BrowseButClick();
  void OkButClick();
  void CancelButClick();
  void EnterKey();
  void EscapeKey();

  // The working copy of the fourteen paths, in the list's order.
  std::vector<std::string> Paths;
  // Set when FilePathEd was changed and not yet remembered.
  bool Edited = false;
  void setEdited(bool edited);

  // The file-save dialog of BrowseBut.
  FileDialogRequest SDD1;

  QListWidget* FileNamesBox = nullptr;
  QLineEdit* FilePathEd = nullptr;
  QPushButton* BrowseBut = nullptr;
  QPushButton* SavePathBut = nullptr;
  QPushButton* OkBut = nullptr;
  QPushButton* CancelBut = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  int current() const;
  void showPath(int row);
  bool showing_ = false;
};

class TBaseOptF : public QDialog, public RunInstance<TBaseOptF> {
  Q_OBJECT

 public:
  explicit TBaseOptF(QWidget* parent = nullptr);

  void FormShow();
  void Browse1ButClick();
  void Browse2ButClick();
  void Browse3ButClick();
  void Browse4ButClick();
  void OkButClick();
  void CancelButClick();

  // Cleared on show; only OK and Cancel set it, and the dialog refuses to be
  // closed otherwise while it is clear.
  bool MayClose = false;
  // Closes every open record editor; called after OK (their source folders
  // may have changed).
  std::function<void()> CloseRecordEditors;

  // The file-open dialog of the two archive buttons.
  FileDialogRequest OFD1;

  QLineEdit* DbResEd = nullptr;
  QLineEdit* DbLmpResEd = nullptr;
  QLineEdit* DbResIshEd = nullptr;
  QLineEdit* DbLmpResIshEd = nullptr;
  QPushButton* Browse1But = nullptr;
  QPushButton* Browse2But = nullptr;
  QPushButton* Browse3But = nullptr;
  QPushButton* Browse4But = nullptr;
  QPushButton* OkBut = nullptr;
  QPushButton* CancelBut = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void browseArchive(QLineEdit* edit);
  void browseFolder(QLineEdit* edit);
};

class TTextsOptF : public QDialog, public RunInstance<TTextsOptF> {
  Q_OBJECT

 public:
  explicit TTextsOptF(QWidget* parent = nullptr);

  void FormShow();
  void BrowseButClick();
  void TextsResButClick();
  void TextslmpResButClick();
  void OkButClick();
  void CancelButClick();

  QLineEdit* PathEd = nullptr;
  QPushButton* BrowseBut = nullptr;
  QPushButton* TextsResBut = nullptr;
  QPushButton* TextslmpResBut = nullptr;
  QPushButton* OkBut = nullptr;
  QPushButton* CancelBut = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace kessik
