// Qt's own texts in Russian: the buttons of message boxes ("Да", "Нет",
// "Отмена"), the file dialogs, the context menus of edit fields.
#pragma once

#include <QString>

class QCoreApplication;

namespace kessik {

// Loads Qt's Russian translation into the application: first from a
// "translations" folder beside the program (where a copy of the program
// carries its own), then from Qt's translations folder. False, and nothing
// changed, when neither holds it: Qt's texts then stay English.
bool installQtTranslation(QCoreApplication& app);

// Dates in Qt's widgets (the file dialogs' lists) in Russian too, unless the
// user's environment chose their language. Called before the application
// object is made.
void preferRussianDates();

// Where the translation was looked for, in that order.
QStringList qtTranslationFolders();

}  // namespace kessik
