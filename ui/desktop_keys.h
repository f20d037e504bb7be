// The keyboard as on the desktop the program comes from, in every window.
#pragma once

class QApplication;
class QObject;

namespace kessik {

// Return (or Enter) on a focused push or tool button presses that button, in
// dialogs and in child windows alike; anywhere else the key goes on as
// before (to the dialog's default button or its own Enter rule). Installed
// once on the application.
void installDesktopKeys(QApplication& app);

// The filter itself, for windows made before or without the application
// (tests install it the same way).
QObject* desktopKeysFilter();

}  // namespace kessik
