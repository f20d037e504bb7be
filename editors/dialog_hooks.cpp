#include "editors/dialog_hooks.h"

namespace kessik::dialogs {

// Without a window program every dialog answers as if cancelled.
std::function<std::optional<std::string>(const std::string&)> askText = [](const std::string&) {
  return std::optional<std::string>();
};
std::function<std::optional<std::string>(const std::string&)> chooseTemplate = [](const std::string&) {
  return std::optional<std::string>();
};
std::function<std::optional<std::string>(const std::string&)> saveAsTemplate = [](const std::string&) {
  return std::optional<std::string>();
};
std::function<std::optional<std::string>(const std::string&)> rawValue = [](const std::string&) {
  return std::optional<std::string>();
};
std::function<std::string(const std::string&, int)> chooseValue = [](const std::string&, int) {
  return std::string("\r");
};
std::function<std::string(const std::string&)> editSoundList = [](const std::string&) {
  return std::string("NIL");
};

}  // namespace kessik::dialogs
