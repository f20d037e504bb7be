// The About window: the program's version information and its licence text.
// Made for each showing and freed afterwards.
#pragma once

#include <QDialog>

#include <functional>
#include <string>

class QLabel;
class QPushButton;

namespace kessik {

namespace platform {
class TVerInfoFromFile;
}

class TAboutForm : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutForm(QWidget* parent = nullptr);
  // A licence text still open outlives the window.
  ~TAboutForm() override;

  // The version information shown; the program's own unless set before the
  // first show.
  const platform::TVerInfoFromFile* VerInfo = nullptr;
  // Shows a plain-text file (a Windows path) without waiting; the licence
  // button uses it.
  std::function<bool(const std::string& textFile)> ShowTextFile;

  void FormShow();
  void LicenseButClick();
  void OkButnClick();

  // The licence text beside the program.
  static std::string licenseFile();

  QLabel* ProgaNamLab = nullptr;
  QLabel* DescrLab = nullptr;
  QLabel* FileVerLab = nullptr;
  QLabel* CopyrightLab = nullptr;
  QLabel* CraftedByLab = nullptr;
  QLabel* CommentLab = nullptr;
  QPushButton* LicenseBut = nullptr;
  QPushButton* OkButn = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  bool filled_ = false;
};

}  // namespace kessik
