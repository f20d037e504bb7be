// The resources window: unpacks, packs and optimizes the game's fourteen
// standard archives with one click each, and any other archive through the
// option dialogs. A child window of the main window, opened at most once;
// it frees itself when closed.
#pragma once

#include <QWidget>

#include <string>
#include <vector>

#include "ui/interaction.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace kessik {

class TResursForm : public QWidget {
  Q_OBJECT

 public:
  explicit TResursForm(QWidget* parent = nullptr);

  // Fills the buttons' states and the check box from the settings (on show
  // and after each standard unpack).
  void FormShow();

  // Handlers. row: 0 .. 13, in the window's order.
  void PackButClick(int row);
  void UnpackButClick(int row);
  void PackDirClick();
  void UnpFilClick();
  void OptimizeButClick();
  void OptStandResCBClick();
  void Label15Click();
  void CloseButClick();

  // Set while the window fills itself: the check box then writes nothing.
  bool Filling = false;

  // The row's buttons (aiinfoPbut, aiinfoUbut, ...), in row order.
  std::vector<QPushButton*> PackButs;
  std::vector<QPushButton*> UnpackButs;
  std::vector<QLabel*> NameLabs;
  QPushButton* PackDir = nullptr;
  QPushButton* UnpFil = nullptr;
  QPushButton* OptimizeBut = nullptr;
  QCheckBox* OptStandResCB = nullptr;
  QLabel* Label15 = nullptr;
  QPushButton* CloseBut = nullptr;
  // The file-open dialog of the "other archive" choices (its title is set on
  // each use).
  FileDialogRequest OpenDialog1;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool placed_ = false;
};

}  // namespace kessik
