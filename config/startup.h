// Loading the configuration at start-up. Qt-free: the program passes in its
// folder, the screen size and the registry; messages go through the installed
// Notifier.
#pragma once

#include <string>

#include "config/settings.h"
#include "platform/registry.h"

namespace kessik {

// Fills settings() for the run:
// - ProgramDir (the program's folder as a Windows path; a trailing backslash
//   is added when missing), IniFilePath, ProgramVersion;
// - when "Kessik.ini" exists: loads it and, when its "Ver" is exactly "1.7.0",
//   resets the text editor settings, writes them with the new "Ver", saves and
//   says so once;
// - otherwise the first run: finds the game in the registry (or works in
//   ProgramDir + "TempZm\"), offers the old settings record, computes every
//   key (the window from the screen size) and writes the file;
// - then reads every key from the file, and sets DatabaseResDir and
//   DatabaselmpResDir.
void loadConfiguration(const std::string& programDir, int screenWidth, int screenHeight,
                       platform::Registry& registry);

// The registry keys the first run looks at.
inline constexpr std::string_view kGameKey = "\\Software\\Brightfold\\Mirehold\\";
inline constexpr std::string_view kGamePathKey = "\\Software\\Brightfold\\Mirehold\\Path Settings";
inline constexpr std::string_view kOldRecordKey = "\\Software\\Kessikor";

}  // namespace kessik
