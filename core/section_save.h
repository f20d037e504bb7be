// Saving a set of changed record files of one section folder, all or
// nothing: the road of an import, of a whole-tree import, and of a table
// window's "Сохранить всё".
//
//   SectionLock lock("C:\\src\\prints\\2\\");            // optional: held over several steps
//   SectionSave r = saveSectionRecords("C:\\src\\prints\\2\\",
//                                      {{"0000001.zap", bytes1}, {"0000007.zap", bytes7}});
//   if (!r.ok) ...                                       // its message was shown
//
// Every writer of a section holds the lock of its database folder (the
// section folder's parent), the same lock unpacking and packing hold, so no
// two of them work on one database at once.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/node.h"
#include "core/progress.h"
#include "platform/host.h"

namespace kessik {

// The lock of the database folder that holds a section folder, taken
// without waiting and held while the object lives. Not held when another
// run (an unpack, a pack, an import, another window's save) works on that
// database; where no lock file can be made (a read-only source tree) it
// counts as held, as nothing can be written there anyway.
class SectionLock {
 public:
  explicit SectionLock(const std::string& sectionFolder);
  SectionLock(const SectionLock&) = delete;
  SectionLock& operator=(const SectionLock&) = delete;
  bool held() const { return held_; }
  // The database folder, with a trailing backslash.
  const std::string& databaseFolder() const { return databaseFolder_; }
  static std::string databaseFolderOf(const std::string& sectionFolder);
  // Why it is not held ("Папка D сейчас занята другим процессом ..."), for
  // a refusal.
  const std::string& busyText() const { return refusal_; }

 private:
  std::string databaseFolder_;
  std::string refusal_;
  std::optional<platform::FileLock> lock_;
  bool held_ = false;
};

// A record file of a section and the bytes it is to hold.
struct RecordBytes {
  std::string file;  // "0000001.zap": a name in the section folder (a new name makes a new file)
  ByteString bytes;
};

// At most this many files are written one by one (each replaced whole and
// synced); a kill between two of them leaves some written. More build the
// section anew beside its folder ("2.~kessik\": the unchanged files linked,
// or copied where the file system has no links, the changed ones written),
// sync it and swap it in whole, so a kill or a power cut at any moment
// leaves the old section or the new one and nothing else; a section holding
// a link or a special file is written one by one as well.
inline constexpr std::size_t kFewRecordFiles = 8;

struct SectionSave {
  bool ok = false;
  // Files that hold their new bytes now: all of them when ok; on the
  // section road none otherwise, one by one those written before a failure.
  std::size_t written = 0;
};

// Writes the files into the section folder (which must exist), all or
// nothing as above, after putting right what an interrupted save left beside
// it. Takes the section's lock unless the caller holds it already (held).
// Failures are shown through the notifier (one message, naming the file or
// folder); a refusal (the lock busy, no such folder, a name that is no file
// name of the folder) changes nothing.
SectionSave saveSectionRecords(const std::string& sectionFolder, std::vector<RecordBytes> files,
                               Progress& progress = noProgress(), const SectionLock* held = nullptr);

// What interrupted saves of sections left inside a database folder
// ("2.~kessik\", "2.~kessik-old\"), put right: packing calls it before it
// reads. False when something could not be put right.
bool settleSectionLeftovers(const std::string& databaseFolder);

}  // namespace kessik
