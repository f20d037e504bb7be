// The small modal dialogs the section editors call, as replaceable functions.
// The window program installs the real dialogs at start-up; tests install
// scripted ones. Texts are cp1251.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace kessik::dialogs {

// The text prompt: the entered text, or nothing when cancelled.
extern std::function<std::optional<std::string>(const std::string& prompt)> askText;

// The template chooser over a template folder (trailing backslash): the full
// path of the chosen template file, or nothing when cancelled.
extern std::function<std::optional<std::string>(const std::string& shabFolder)> chooseTemplate;

// The save-as-template window over a template folder: the full path to write
// the template to, or nothing when cancelled.
extern std::function<std::optional<std::string>(const std::string& shabFolder)> saveAsTemplate;

// The raw value dialog: new bytes when the user loaded a file; nothing after
// saving to a file or cancelling (the field then stays as it is).
extern std::function<std::optional<std::string>(const std::string& bytes)> rawValue;

// The value chooser: the chosen text, or a single carriage return when it was
// not closed with OK. entries: each entry followed by a carriage return.
extern std::function<std::string(const std::string& entries, int index)> chooseValue;

// The sound list editor over a sound list's bytes: the new list, or the text
// "NIL" when it was left without OK (the caller then keeps its list).
extern std::function<std::string(const std::string& bytes)> editSoundList;

}  // namespace kessik::dialogs
