// The program's own look, the same in every window: its icon (title bars,
// task bar, About) and one font size for menus, editors and dialogs.
#pragma once

class QApplication;
class QIcon;

namespace kessik {

// The point size of every text of the program.
inline constexpr int kFontPointSize = 8;

// The program's icon, in every size it comes in.
QIcon programIcon();

// Gives the application the program's icon and font size; windows made
// afterwards take both.
void applyProgramLook(QApplication& app);

}  // namespace kessik
