// The text editor: a child window of the main window that browses folders
// with name filters, opens the game's texts (cp1251) and RTF files in its
// editor pane, saves them, deletes files and folders, and unpacks an archive
// found while browsing or packs a folder back through the option dialogs.
// Any number of them can be open; each is numbered by its slot in the main
// window. The settings they share are written at once when they change.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "texteditor/engine/text_browser.h"
#include "texteditor/rich_text.h"
#include "platform/files.h"

class QAbstractScrollArea;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTextDocument;
class QTextEdit;
class QThread;
class QTimer;

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

class TShowProcessF;

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
  // The editor pane is one of two widgets in the same place: a plain-text
  // pane for texts, which lays out only what is on screen however long the
  // text, and a rich-text pane for RTF files. The one on screen is EditBox
  // and carries that objectName; the other is hidden and named TxtEditBox or
  // RtfEditBox.
  QAbstractScrollArea* EditBox = nullptr;
  QPlainTextEdit* TextBox = nullptr;
  QTextEdit* RtfBox = nullptr;
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
  // While a file loads: what is done, over the bottom of the pane.
  QLabel* LoadLab = nullptr;

  // The document of the pane on screen, and its text.
  QTextDocument* EditDocument() const;
  QString EditText() const;

  // True while a file is still coming into the pane: the pane is read-only
  // and Save is disabled until it is whole.
  bool Loading() const;

  QSize sizeHint() const override;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QListWidgetItem* selectedEntry() const;
  void setMode(bool rtf);
  void applyWordWrap();
  void writeSetting(const char* key);
  void removeEntry(QListWidgetItem* item);
  std::optional<std::string> readEntryFile(const std::string& path);
  void placeControls();
  // Shows the plain-text pane or the rich-text one as EditBox.
  void showPane(bool rich);
  // Makes the file the current one and empties the panes: the rich one on
  // screen for an RTF document, else the plain one; rtf: the mode.
  void startShowing(const std::string& name, bool rtf, bool richPane);

  // Loading a plain text: the first piece at once, the rest a piece at a time
  // between the window's events.
  struct PlainLoad;
  void openPlain(const std::string& name, bool rtfMode);
  // Loads pieces for about the time given (at least one); false when the
  // text is whole or could not be read.
  bool loadPlainPieces(int milliseconds);
  void finishPlainLoad();
  // Loading an RTF document: read and put into a document on a thread of
  // its own, then shown in the rich-text pane.
  struct RtfJob;
  void rtfJobEnded(const std::shared_ptr<RtfJob>& job);
  void installRichDocument(QTextDocument* document);
  void loadTick();
  void showLoadState(const QString& text);
  // Ends a load still running; the pane keeps what it holds.
  void stopLoading();

  std::unique_ptr<PlainLoad> plainLoad_;
  std::shared_ptr<RtfJob> rtfJob_;
  std::vector<QThread*> threads_;
  QTimer* loadTimer_ = nullptr;
  QPointer<TShowProcessF> progress_;
  QLabel* bytesLab_ = nullptr;
  // How saving ends lines in plain-text mode: lines the pane joined inside a
  // block, and lines whose own ending is not known.
  LineEnding joined_ = LineEnding::CrLf;
  LineEnding lineEnding_ = LineEnding::CrLf;
  bool closing_ = false;
};

// The new-filter dialog shown modally; nothing when cancelled.
std::optional<NewFilter> askNewFilterDialog(const std::string& mask, const std::string& list, int count,
                                            QWidget* parent);

}  // namespace kessik
