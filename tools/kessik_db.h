// The pieces of kessik-db shared by its commands. Each command is one
// function in the table of kessik_db.cpp; it gets its arguments (host paths as
// typed) and returns the exit status.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/progress.h"

namespace kessik::tool {

enum Exit : int { ExitOk = 0, ExitFailed = 1, ExitUsage = 2 };

// The progress bar on standard error when it is a terminal; nothing
// otherwise. Redraws only when the shown percentage or the stage changes.
Progress& terminalProgress();
// Wipes the bar off its line so that a message can be printed there.
void clearProgressLine();
// Installs the notifier that prints every message to standard error as UTF-8.
void installStderrNotifier();

// The Windows path of a host path typed on the command line; a message and
// nothing when it has none (a character cp1251 or Windows cannot hold).
std::optional<std::string> windowsPathOf(const std::string& hostPath);

// Lists the records an export could not read whole (its cells hold a
// mark), or the records an import skipped, on standard error; true when
// there were any (the command then exits 1).
bool reportUnreadable(const std::vector<std::string>& unreadable);
bool reportSkipped(const std::vector<std::string>& skipped);

// Says on standard error that the folder holds no section the program knows.
void sayNoKnownSection(const std::string& root);

int commandUnpack(const std::vector<std::string>& args);
int commandPack(const std::vector<std::string>& args);

}  // namespace kessik::tool
