// The one place where the program's cp1251 texts meet Qt's QString.
#pragma once

#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace kessik {

// The program's title: the application title and the default caption of a
// message box without a caption of its own (the trailing blank belongs to it).
std::string appTitle();

// cp1251 bytes as a QString (every byte has a character).
QString toQ(std::string_view cp1251);
// A UTF-8 literal of the program's own texts as a QString.
inline QString qru(const char* utf8) { return QString::fromUtf8(utf8); }

// A QString as cp1251 bytes; nothing when it holds a character cp1251 cannot
// hold (it is refused, never replaced).
std::optional<std::string> fromQ(const QString& text);

// The same, but a refused text is reported to the user with a clear message
// (through the installed Notifier) and nothing comes back.
std::optional<std::string> fromQOrRefuse(const QString& text);

// The refusal message for a text holding the given character (UTF-8).
std::string unmappableMessage(std::string_view utf8Character);

// Host paths from Qt file dialogs and Windows paths of the program.
QString toHostQ(std::string_view windowsPath);
// Nothing when the host path cannot be expressed as a Windows path in cp1251.
std::optional<std::string> fromHostQ(const QString& hostPath);

}  // namespace kessik
