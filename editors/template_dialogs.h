// The two template dialogs: the save-as-template window and the template
// chooser. Both work in the folder ShabFolder kept in the save-as-template
// window and give the chosen template's full path in ShabFile.
#pragma once

#include <QDialog>

#include "ui/form_util.h"

#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace kessik {

// The template names of a folder (trailing backslash): every "*.zap" file,
// without the extension. A missing folder gives none.
std::vector<std::string> listTemplates(const std::string& shabFolder);

// The file of a template: ShabFolder + name + ".zap", or the listed file
// whose extension differs only in case (on hosts whose names have case).
std::string templateFile(const std::string& shabFolder, const std::string& name);

// Whether a typed template name can be a file name inside the template folder:
// not empty, not "." or "..", and free of \ / : * ? " < > | and control
// characters.
bool isValidTemplateName(const std::string& name);

class TShablonimF : public QDialog, public RunInstance<TShablonimF> {
  Q_OBJECT

 public:
  explicit TShablonimF(QWidget* parent = nullptr);

  std::string ShabFolder;  // in: with trailing backslash
  std::string ShabFile;    // out: ShabFolder + name + ".zap"

  // Handlers, named after their controls.
  void FormShow();
  void ShabNamEdChange();
  void ShabListClick();
  void OkButClick();
  void CancelButClick();
  void DelButClick();

  QLabel* Label1 = nullptr;
  QLineEdit* ShabNamEd = nullptr;
  QListWidget* ShabList = nullptr;
  QPushButton* OkBut = nullptr;
  QPushButton* CancelBut = nullptr;
  QPushButton* DelBut = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // The typed name as cp1251 when it may name a template file; otherwise the
  // reason has been shown and nothing comes back.
  std::optional<std::string> typedName();
};

class TCheckShablF : public QDialog, public RunInstance<TCheckShablF> {
  Q_OBJECT

 public:
  // folderOwner: the save-as-template window that keeps ShabFolder and
  // ShabFile (TShablonimF::instance() when nullptr).
  explicit TCheckShablF(QWidget* parent = nullptr, TShablonimF* folderOwner = nullptr);

  void FormShow();
  void ShabListClick();
  void OkButClick();
  void CancelButClick();

  QListWidget* ShabList = nullptr;
  QPushButton* OkBut = nullptr;
  QPushButton* CancelBut = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TShablonimF* owner() const;
  TShablonimF* owner_;
};

// The two dialogs as the record editors call them (installed into the
// dialog hooks at start-up): the template file to write or to read, or
// nothing when cancelled.
std::optional<std::string> saveAsTemplateDialog(const std::string& shabFolder);
std::optional<std::string> chooseTemplateDialog(const std::string& shabFolder);

}  // namespace kessik
