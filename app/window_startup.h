// Start-up pieces of the window program, shared by main() and the tests.
#pragma once

#include <optional>
#include <string>

namespace kessik {

// The program's folder as a Windows path with a trailing backslash; nothing
// when it cannot be expressed in cp1251.
std::optional<std::string> programDirectory();

// Routes the editors' dialog hooks to the dialogs created at start-up
// (template dialogs, text prompt, raw value dialog, value chooser, sound list
// editor).
void installDialogHooks();

}  // namespace kessik
