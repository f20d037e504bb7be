// The text editor: a child window of the main window that browses folders
// with name filters, opens the game's texts (cp1251) and RTF files in its
// editor pane, saves them, deletes files and folders, and unpacks an archive
// found while browsing or packs a folder back through the option dialogs.
// Any number of them can be open; each is numbered by its slot in the main
// window. The settings they share are written at once when they change.
#pragma once

#include <QDialog>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>

#include "texteditor/engine/text_browser.h"
#include "texteditor/rich_text.h"
#include "platform/files.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;
class QTextEdit;

namespace kessik {

// "Новый фильтр": asks for a mask and its label.
class TNewFilterAskF : public QDialog {
  Q_OBJECT

 public:
  // The filters the new one must differ from.
  TNewFilterAskF(std::string filterList, int filterCount, QWidget* parent = nullptr);

  void OkButClick();
  void CancelButClick();

  // The accepted mask and label (cp1251).
  std::string Mask, Label;

  QLineEdit* FilterEd = nullptr;
  QLineEdit* FilterDescEd = nullptr;
  QPushButton* OkBut = nullptr;
  QPushButton* CancelBut = nullptr;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  std::string list_;
  int count_ = 0;
};

struct NewFilter {
  std::string mask, label;
};

class TTextEdF : public QWidget {
  Q_OBJECT

 public:
  // number: the window's slot in the main window (shown plus 1).
  explicit TTextEdF(int number, QWidget* parent = nullptr);
  ~TTextEdF() override;

  // Handlers.
  void FormShow();
  void UsePathButClick();
  void FiltersCBSelect();
  void FiltersCBEnter();
  void AddFilterButClick();
  void DelFilterButClick();
  void FileListBoxSelect();
  void FileListBoxDblClick();
  void FileListBoxDelete();
  void SaveButClick();
  void ZapakButClick();
  void RaspakButClick();
  void CloseButClick();

  // Steps the handlers share.
  void GoToFolder(const std::string& path);
  void RefreshList();
  void OpenEntry();
  void OpenAsText(const std::string& name);
  void OpenAsRtf(const std::string& name);

  // ---- State ----
  const int Number;
  std::string CurDir;   // with a trailing backslash, or "nil"
  std::string CurFile;  // the file last opened or saved
  std::string ActMask;
  RListOfDirResult DirList;
  int FiltCount = 0;
  bool Filling = false, ShownOnce = false, LabelEditing = false;
  bool RtfMode() const;

  // The dialogs this window calls, replaceable by tests: the new filter
  // (nothing when cancelled), unpacking an archive with options (the folder
  // it was unpacked into, empty when cancelled) and packing a folder with
  // options (the archive, empty when cancelled).
  std::function<std::optional<NewFilter>(const std::string& mask, const std::string& list, int count)> AskNewFilter;
  std::function<std::string(const std::string& archive)> UnpackWithOptions;
  std::function<std::string(const std::string& folder)> PackWithOptions;

  // ---- Controls ----
  QLineEdit* PathEd = nullptr;
  QPushButton* UsePathBut = nullptr;
  QListWidget* FileListBox = nullptr;
  QLineEdit* FileNameEd = nullptr;
  QTextEdit* EditBox = nullptr;
  QComboBox* FiltersCB = nullptr;
  QPushButton* AddFilterBut = nullptr;
  QPushButton* DelFilterBut = nullptr;
  QPushButton* SaveBut = nullptr;
  QCheckBox* WordWrapCB = nullptr;
  QRadioButton* RtfModeRB = nullptr;
  QRadioButton* TxtModeRB = nullptr;
  QPushButton* ZapakBut = nullptr;
  QPushButton* RaspakBut = nullptr;
  QCheckBox* _1ClickCB = nullptr;
  QCheckBox* UseCritSizCB = nullptr;
  QLineEdit* CritSizED = nullptr;
  QPushButton* CloseBut = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QListWidgetItem* selectedEntry() const;
  void setMode(bool rtf);
  void applyWordWrap();
  void writeSetting(const char* key);
  void removeEntry(QListWidgetItem* item);
  std::optional<std::string> readEntryFile(const std::string& path);
  // Makes the file the current one and empties the pane in the mode given.
  void startShowing(const std::string& name, bool rtf);
  // Fills the pane with cp1251 text, each line remembering its ending.
  void loadPlainText(const std::string& bytes);
  LineEnding lineEnding_ = LineEnding::CrLf;
  bool closing_ = false;
};

// The new-filter dialog shown modally; nothing when cancelled.
std::optional<NewFilter> askNewFilterDialog(const std::string& mask, const std::string& list, int count,
                                            QWidget* parent);

}  // namespace kessik
