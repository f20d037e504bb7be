// Replacing a folder whole: a database folder by unpacking, a section folder
// by an import that changes many records. The new tree is written beside the
// folder and put in its place only when it is whole and on the disk, so an
// interruption at any moment (a kill, a power cut) leaves the old tree or the
// new one; what an interrupted run left beside the folder is put right by the
// next run on it. A run that changes or reads a database folder holds its
// lock meanwhile. Internal to the library.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "core/progress.h"
#include "platform/host.h"

namespace kessik {

// The names of our own beside a folder "R\prints\": the new tree is built in
// "R\prints.~kessik\" and put in place only when it is whole; where the host
// cannot exchange two folders in one step, the old tree is set aside as
// "R\prints.~kessik-old\" first and removed last. A run that works on the
// folder holds "R\prints.~kessik-lock" meanwhile, so that no other run takes
// its folders for leftovers. A base name holds no ".", nor does a section
// folder's name, so these names are never a database or a section folder.
struct TreePlaces {
  std::string folder;             // D, with a trailing backslash
  std::filesystem::path target;   // D on the host
  std::filesystem::path building; // the new tree while it is written
  std::filesystem::path aside;    // the old tree while the two change places
  std::filesystem::path lock;     // held by the run that works on the folder
};

// The places of a folder (with a trailing backslash); nothing when it has no
// host path or no name.
std::optional<TreePlaces> treePlaces(const std::string& folder);

std::filesystem::file_status entryStatus(const std::filesystem::path& p);
// Removes a folder of our own (or what stands under its name) whole; a link
// as itself. False when something stayed.
bool removeTree(const std::filesystem::path& p);

// What an interrupted run left beside the folder: the old tree set aside
// while the folder itself is missing goes back in its place; an unfinished
// new tree and an old tree whose successor is in place go. False when
// something could not be put right.
bool settleInterruptedUnpack(const TreePlaces& t);

enum class Placing { Failed, Placed, OldTreeStays };
// Puts the whole new tree (synced already) in the folder's place.
Placing putTreeInPlace(const TreePlaces& t);

// Holds the folder's lock for this run. False, with the reason in refusal,
// when another live run holds it (its folders beside ours are then no
// leftovers, and nothing is touched), or when something other than a lock
// file stands under the lock's name. Where no lock file can be made (a
// read-only source tree), nothing of ours can be written beside the folder
// either, and the run goes on.
bool holdFolder(const TreePlaces& t, std::optional<platform::FileLock>& lock, std::string& refusal);
// The refusal when the lock's name holds a folder or a link, or is too long.
std::string blockedText(const TreePlaces& t);

// "Папка D уже распаковывается или запаковывается другим процессом..."
std::string busyText(const std::string& folder);
// The leftovers beside the folder could not be put right.
std::string settleFailedText(const std::string& folder);

using platform::isWithin;

// Shows the progress and closes it on every way out.
class ProgressScope {
 public:
  explicit ProgressScope(Progress& p) : p_(p) { p_.show(); }
  ~ProgressScope() { p_.close(); }
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;

 private:
  Progress& p_;
};

}  // namespace kessik
