// A plain-text viewer of our own, for hosts without Notepad: the read-me and
// the licence text open in a window of their own that the program does not
// wait for.
#pragma once

#include <QDialog>

#include <string>

class QPlainTextEdit;

namespace kessik {

class TTextViewerF : public QDialog {
  Q_OBJECT

 public:
  explicit TTextViewerF(QWidget* parent = nullptr);
  // Shows the text of a file (a Windows path): UTF-8 when it is valid UTF-8,
  // else Windows-1251. False, with a message saying why, when it cannot be
  // read.
  bool openFile(const std::string& windowsPath);

  QPlainTextEdit* TextMemo = nullptr;
};

// Opens a file in a new viewer window, as Notepad would: not waited for, and
// the window deletes itself when closed. False when the file cannot be shown
// (the viewer has said why).
bool showPlainTextFile(const std::string& windowsPath, QWidget* parent = nullptr);

}  // namespace kessik
