// The seam through which every message box, question, file dialog and folder
// chooser of the program passes. The program installs QtInteraction; tests
// install ScriptedInteraction, which records and answers without a window.
#pragma once

#include <optional>
#include <string>

#include "util/notify.h"

namespace kessik {

// A file open or save dialog. Texts and paths are cp1251; paths are Windows
// paths.
struct FileDialogRequest {
  std::string title;     // empty: the platform's default title
  std::string folder;    // initial folder (trailing backslash allowed)
  std::string filter;    // "Любой файл (*.*)|*.*": label|mask pairs
  std::string fileName;  // initial file name, may be empty
};

class Interaction {
 public:
  virtual ~Interaction() = default;
  // A message box or message dialog; an empty caption shows appTitle().
  virtual Answer message(const Message& message) = 0;
  // The chosen file as a Windows path, or nothing when cancelled.
  virtual std::optional<std::string> openFile(const FileDialogRequest& request) = 0;
  virtual std::optional<std::string> saveFile(const FileDialogRequest& request) = 0;
  // The folder browser: the chosen folder without a trailing backslash, or
  // nothing when cancelled. initialFolder may be empty.
  virtual std::optional<std::string> chooseFolder(const std::string& title,
                                                  const std::string& initialFolder) = 0;
  virtual void beep() = 0;
};

// The interaction in force (QtInteraction until another is installed).
Interaction& interaction();
// Installs an interaction (nullptr restores the Qt one); returns the previous.
Interaction* setInteraction(Interaction* i);

// Routes the Notifier of the Qt-free library into interaction(), so that
// every message of the library goes through the seam. Installed once at
// start-up (and by window tests).
void installInteractionNotifier();
// That routing notifier itself.
Notifier& interactionNotifier();

// Dialog utility: choose a folder (title, initial folder, owner implied).
// The chosen path without a trailing backslash, or nothing.
std::optional<std::string> chooseFolder(const std::string& title, const std::string& initialFolder);

class QtInteraction : public Interaction {
 public:
  Answer message(const Message& message) override;
  std::optional<std::string> openFile(const FileDialogRequest& request) override;
  std::optional<std::string> saveFile(const FileDialogRequest& request) override;
  std::optional<std::string> chooseFolder(const std::string& title, const std::string& initialFolder) override;
  void beep() override;
};

// "label|mask|label|mask" (the program's filter form) as a Qt filter list
// "label (mask);;label (mask)": the label is kept as it is when it already
// names the mask in brackets.
std::string qtFilterFromPairs(const std::string& pairs);

}  // namespace kessik
