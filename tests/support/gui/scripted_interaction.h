// An Interaction for tests: records every message and file or folder request
// and answers from scripts, never showing a window and never blocking.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "ui/interaction.h"

namespace kessik {

class ScriptedInteraction : public Interaction {
 public:
  struct FileRequest {
    bool save = false;
    FileDialogRequest request;
  };
  struct FolderRequest {
    std::string title, initialFolder;
  };

  std::vector<Message> messages;
  std::vector<FileRequest> fileRequests;
  std::vector<FolderRequest> folderRequests;
  int beeps = 0;

  // Scripted answers, taken from the front; when a script is empty a message
  // gets the default answer of its buttons and a dialog is cancelled.
  std::deque<Answer> answers;
  std::deque<std::optional<std::string>> files;
  std::deque<std::optional<std::string>> folders;

  Answer message(const Message& m) override;
  std::optional<std::string> openFile(const FileDialogRequest& r) override;
  std::optional<std::string> saveFile(const FileDialogRequest& r) override;
  std::optional<std::string> chooseFolder(const std::string& title, const std::string& initialFolder) override;
  void beep() override { ++beeps; }

  // The texts of the messages as UTF-8, for readable assertions.
  std::vector<std::string> texts() const;
  void clear();
};

// Installs a ScriptedInteraction (and the notifier that routes into it) for a
// scope; restores the previous interaction and notifier afterwards.
class ScopedScriptedInteraction {
 public:
  ScopedScriptedInteraction();
  ~ScopedScriptedInteraction();
  ScriptedInteraction* operator->() { return &script_; }
  ScriptedInteraction& operator*() { return script_; }

 private:
  ScriptedInteraction script_;
  Interaction* previous_;
  Notifier* previousNotifier_;
};

}  // namespace kessik
