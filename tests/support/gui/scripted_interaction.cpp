#include "support/gui/scripted_interaction.h"

#include "util/cp1251.h"

namespace kessik {

namespace {
template <class T>
T takeFront(std::deque<T>& script, T fallback) {
  if (script.empty()) return fallback;
  T v = std::move(script.front());
  script.pop_front();
  return v;
}
}  // namespace

Answer ScriptedInteraction::message(const Message& m) {
  messages.push_back(m);
  return takeFront(answers, defaultAnswer(m.buttons));
}

std::optional<std::string> ScriptedInteraction::openFile(const FileDialogRequest& r) {
  fileRequests.push_back({false, r});
  return takeFront<std::optional<std::string>>(files, std::nullopt);
}

std::optional<std::string> ScriptedInteraction::saveFile(const FileDialogRequest& r) {
  fileRequests.push_back({true, r});
  return takeFront<std::optional<std::string>>(files, std::nullopt);
}

std::optional<std::string> ScriptedInteraction::chooseFolder(const std::string& title,
                                                             const std::string& initialFolder) {
  folderRequests.push_back({title, initialFolder});
  return takeFront<std::optional<std::string>>(folders, std::nullopt);
}

std::vector<std::string> ScriptedInteraction::texts() const {
  std::vector<std::string> out;
  for (const auto& m : messages) out.push_back(cp1251ToUtf8(m.text));
  return out;
}

void ScriptedInteraction::clear() {
  messages.clear();
  fileRequests.clear();
  folderRequests.clear();
  beeps = 0;
}

ScopedScriptedInteraction::ScopedScriptedInteraction()
    : previous_(setInteraction(&script_)), previousNotifier_(setNotifier(&interactionNotifier())) {}

ScopedScriptedInteraction::~ScopedScriptedInteraction() {
  setNotifier(previousNotifier_);
  setInteraction(previous_);
}

}  // namespace kessik
