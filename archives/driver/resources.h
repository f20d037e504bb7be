// The rules behind the resources window and the pack/unpack option dialogs,
// without a window: the fourteen standard archives with their settings, which
// of a row's buttons can be used, and packing an archive afresh without losing
// the old one when the pack fails.
//
// Qt-free.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "config/settings.h"

namespace kessik::archives {

// One standard archive of the game.
struct StandardArchive {
  std::string_view fileName;   // "texts.res": the row's label and its buttons' captions
  std::string_view buttonBase; // "texts": the buttons are textsPbut and textsUbut
  std::string_view key;        // "TextsResPath"
  std::string Settings::*path; // the configured path
};

// The fourteen archives in the resources window's row order.
const std::vector<StandardArchive>& standardArchives();
// The same archives in the order of the archive paths dialog (by file name).
const std::vector<StandardArchive>& archivePathsOrder();

// Which buttons of a row can be used: unpacking needs the archive (a file or
// folder of that name), packing needs the archive's folder.
struct RowState {
  bool unpack = false;
  bool pack = false;
};
RowState rowState(const std::string& archivePath);

// True when the file lies in the folder or below it (names compared without
// regard to case, as the system does): clearing that folder would delete it.
bool liesInFolder(const std::string& file, const std::string& folder);

// Moves a file out of the way under a free name beside it ("a.res.old",
// "a.res.old2", ...). The new name, or empty when it could not be moved.
std::string moveAside(const std::string& file);

// Packs folder into archive afresh ("Перезаписать", "Удалить"): the old
// archive is moved aside first and put back when the pack left no archive
// behind (a missing source folder, a tool that failed); it is deleted once the
// new archive is there. pack is the pack operation (the RUNNING window in the
// program); its result text is returned. When the old archive cannot be moved
// aside it is deleted as the pack would have done.
using PackOperation = std::function<std::string(const std::string& archive, const std::string& folder)>;
std::string packReplacing(const std::string& archive, const std::string& folder, const PackOperation& pack);

}  // namespace kessik::archives
