#include "core/folder_swap.h"

#include <system_error>
#include <vector>

#include "util/cp1251.h"
#include "util/crashpoint.h"
#include "platform/files.h"
#include "util/paths.h"

namespace fs = std::filesystem;

namespace kessik {

std::optional<TreePlaces> treePlaces(const std::string& folder) {
  auto target = platform::toHost(withoutTrailingBackslash(folder));
  if (!target || target->filename().empty()) return std::nullopt;
  TreePlaces t;
  t.folder = folder;
  t.target = *target;
  t.building = *target;
  t.building += ".~kessik";
  t.aside = *target;
  t.aside += ".~kessik-old";
  t.lock = *target;
  t.lock += ".~kessik-lock";
  return t;
}

fs::file_status entryStatus(const fs::path& p) {
  std::error_code ec;
  return fs::symlink_status(p, ec);
}

// Removes a folder of our own (or what stands under its name) whole.
bool removeTree(const fs::path& p) {
  std::error_code ec;
  auto st = entryStatus(p);
  if (!fs::exists(st)) return true;
  if (platform::isLink(p)) return platform::removeLink(p);  // a link as itself, never entered
  if (!fs::is_directory(st)) return fs::remove(p, ec);
  return platform::removeFolderTree(p);
}

namespace {

// Names beginning with "." (a ".gitkeep" in a section folder, a ".git"
// beside the sections) are no part of the database: they move from the old
// tree to the same place in the new one, at every level. A folder the new
// tree lacks is made for them, as deleting the old tree in place kept it.
void carryDotNames(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  std::vector<fs::path> entries;
  for (fs::directory_iterator it(from, ec), end; !ec && it != end; it.increment(ec)) entries.push_back(it->path());
  for (const fs::path& entry : entries) {
    const fs::path name = entry.filename();
    const fs::path there = to / name;
    if (!name.native().empty() && name.native()[0] == '.') {
      if (fs::exists(entryStatus(there)) || platform::isLink(to)) continue;
      std::error_code made;
      if (!fs::is_directory(entryStatus(to))) fs::create_directories(to, made);
      platform::renameDurably(entry, there);
    } else if (fs::is_directory(entryStatus(entry)) && !platform::isLink(entry)) {
      carryDotNames(entry, there);
    }
  }
}

// An old tree goes whole, once what is not ours in it has moved to the
// database folder. False when it could not be removed.
bool retireOldTree(const fs::path& old, const fs::path& target) {
  if (fs::is_directory(entryStatus(old)) && !platform::isLink(old) && fs::is_directory(entryStatus(target)))
    carryDotNames(old, target);
  return removeTree(old);
}

}  // namespace

// What an interrupted unpack left beside the database folder: the old tree
// set aside while the folder itself is missing goes back in its place; an
// unfinished new tree and an old tree whose successor is in place go. False
// when something could not be put right.
bool settleInterruptedUnpack(const TreePlaces& t) {
  std::error_code ec;
  if (fs::is_directory(entryStatus(t.aside)) && !fs::exists(entryStatus(t.target))) {
    if (!platform::renameDurably(t.aside, t.target)) return false;
  }
  bool ok = true;
  if (fs::exists(entryStatus(t.aside))) ok = retireOldTree(t.aside, t.target) && ok;
  if (fs::exists(entryStatus(t.building))) ok = retireOldTree(t.building, t.target) && ok;
  return ok;
}

// Puts the whole new tree in the database folder's place. The folder holds
// the old tree or the new one at every moment where the host can exchange
// two folders; elsewhere the old tree waits aside for the one rename between.
// The new tree must be on the disk already (a power cut never finds the name
// on a tree whose files were lost); the name is synced after. Failed leaves
// the names as they were.
Placing putTreeInPlace(const TreePlaces& t) {
  if (!fs::exists(entryStatus(t.target)))
    return platform::renameDurably(t.building, t.target) ? Placing::Placed : Placing::Failed;
  if (platform::exchangeFolders(t.building, t.target)) {
    crashPoint("tree-swapped");
    return retireOldTree(t.building, t.target) ? Placing::Placed : Placing::OldTreeStays;
  }
  if (!platform::renameDurably(t.target, t.aside)) return Placing::Failed;
  crashPoint("unpack-aside");
  if (!platform::renameDurably(t.building, t.target)) {
    platform::renameDurably(t.aside, t.target);
    return Placing::Failed;
  }
  crashPoint("tree-swapped");
  return retireOldTree(t.aside, t.target) ? Placing::Placed : Placing::OldTreeStays;
}

// Holds the database folder for this run. False when another live run holds
// it: its folders beside ours are then no leftovers, and nothing is touched.
// Where no lock file can be made (a read-only source tree), nothing of ours
// can be written beside the folder either, and the run goes on.
bool holdFolder(const TreePlaces& t, std::optional<platform::FileLock>& lock, std::string& refusal) {
  lock.emplace(t.lock);
  if (lock->state() == platform::FileLock::State::Busy) refusal = busyText(t.folder);
  else if (lock->state() == platform::FileLock::State::Blocked) refusal = blockedText(t);
  else return true;
  return false;
}

std::string blockedText(const TreePlaces& t) {
  const std::string lock = withoutTrailingBackslash(t.folder) + ".~kessik-lock";
  return ru("Файл блокировки ") + lock + ru(" для папки ") + t.folder +
         ru(" не создать: на его месте лежит папка или ссылка, или имя слишком длинное. Уберите то, что там "
            "лежит.");
}

std::string busyText(const std::string& folder) {
  return ru("Папка ") + folder + ru(" уже распаковывается или запаковывается другим процессом. Дождитесь его конца.");
}

std::string settleFailedText(const std::string& folder) {
  return ru("Рядом с папкой ") + folder +
         ru(" остались следы прерванной распаковки (папки с .~kessik в имени), и убрать их не удалось. "
            "Уберите их сами.");
}


}  // namespace kessik
