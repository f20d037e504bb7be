// The please-wait window that deletes a folder tree: the caller stores the
// folder and shows it modally; once it has painted its line it deletes the
// folder (and the folder itself) and closes.
#pragma once

#include <QDialog>

#include "ui/form_util.h"

#include <string>

class QLabel;

namespace kessik {

class TDelForm : public QDialog, public RunInstance<TDelForm> {
  Q_OBJECT

 public:
  explicit TDelForm(QWidget* parent = nullptr);


  // The folder to delete (Windows path); set before showing.
  std::string DelPath;
  // Set: only what the folder holds is deleted, the folder itself stays.
  bool KeepFolder = false;
  // Whether the last deletion removed everything.
  bool Deleted = false;

  QLabel* InfoLab = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void runDeletion();
  bool pending_ = false;
};

// Deletes a folder tree (the folder itself too) behind the modal wait window;
// true when the folder is gone afterwards. Without the window (tests, no
// display) the folder is deleted directly.
bool deleteFolderWithWaitWindow(const std::string& folder);
// Deletes everything in a folder, keeping the folder, behind the same window;
// the result of delete folder tree.
bool emptyFolderWithWaitWindow(const std::string& folder);
// Deletes a folder tree behind the window (a link to a folder is removed as a
// link) and creates the folder anew, empty; true when a real folder is there
// afterwards.
bool recreateFolderWithWaitWindow(const std::string& folder);

}  // namespace kessik
