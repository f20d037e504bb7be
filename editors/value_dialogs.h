// The small dialogs for one field value: the text prompt, the raw value
// dialog (save a field's bytes to a file or load them from one) and the value
// chooser. Each is created once and shown modally; the caller fills the input
// values before showing it and reads the results afterwards.
#pragma once

#include <QDialog>

#include "ui/form_util.h"

#include <cstdint>
#include <optional>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kessik {

class TAskFnForm : public QDialog, public RunInstance<TAskFnForm> {
  Q_OBJECT

 public:
  explicit TAskFnForm(QWidget* parent = nullptr);

  std::string AskPrompt;  // in: the question (cp1251)
  std::string AskResult;  // out: the entered text (cp1251)

  void FormShow();
  void Edit1Change();
  void OkButnClick();
  void CancelButnClick();

  QLabel* Label1 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QPushButton* OkButn = nullptr;
  QPushButton* CancelButn = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
};

class TUncAskF : public QDialog, public RunInstance<TUncAskF> {
  Q_OBJECT

 public:
  explicit TUncAskF(QWidget* parent = nullptr);

  std::string UncValue;          // in and out: the field's bytes
  std::int64_t UncLength = 0;    // in and out: their number
  bool UncSaved = false;         // out: saved to a file (true) or loaded (false)

  void FormShow();
  void OkButClick();
  void CancelButClick();

  QLabel* InfoLab = nullptr;
  QRadioButton* SaveRB = nullptr;
  QRadioButton* LoadRB = nullptr;
  QPushButton* OkBut = nullptr;
  QPushButton* CancelBut = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void saveToFile();
  void loadFromFile();
  // DefalDir := the chosen file's folder, written to the configuration at once.
  void rememberFolder(const std::string& file);
};

class TValueSelectorF : public QDialog, public RunInstance<TValueSelectorF> {
  Q_OBJECT

 public:
  explicit TValueSelectorF(QWidget* parent = nullptr);

  std::string SelList;    // in: entries each followed by a carriage return; consumed on show
  int SelIndex = 0;       // in: the entry selected at first (from 0)
  std::string SelResult;  // out: the chosen text

  void FormShow();
  void OkButClick();
  void CancelButClick();

  QComboBox* Selector = nullptr;
  QPushButton* OkBut = nullptr;
  QPushButton* CancelBut = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
};

// The dialogs as the editors call them (installed into the dialog hooks at
// start-up).
std::optional<std::string> askTextDialog(const std::string& prompt);
// New bytes when a file was loaded; nothing after saving or cancelling.
std::optional<std::string> rawValueDialog(const std::string& bytes);
// The chosen text, or a single carriage return when not closed with OK.
std::string ChooseValue(const std::string& list, int index);

// The text of the raw value dialog's length warning.
std::string rawLengthWarning(std::uint64_t fileLength, std::int64_t fieldLength);

}  // namespace kessik
