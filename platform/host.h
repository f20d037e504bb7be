// Everything that differs between Windows and other hosts. The program thinks
// in Windows paths (cp1251, drive letter, backslashes); this layer maps them to
// the host's file system and back, and does the few file operations whose
// semantics the host decides.
//
// Off Windows a drive map turns "X:\a\b" into a host path: "Z:" is "/" by
// default (as under Wine) and the environment variable KESSIK_DRIVES
// ("C=/some/dir;D=/mnt/cd") adds or overrides letters. Between the two come
// the drives of the Wine prefix ($WINEPREFIX, else ~/.wine) when there is
// one: each link "x:" of its dosdevices folder, so that "C:" is the prefix's
// drive_c and a path means here what it means to the game under Wine.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/errors.h"

namespace kessik::platform {

// The host path of a Windows path; nothing when its drive is not mapped (the
// drive does not exist) or when it is not absolute (see
// isAbsoluteWindowsPath: "nil", "texts\a.txt", "C:a.txt").
std::optional<std::filesystem::path> toHost(std::string_view windowsPath);

// The Windows path of a host path (made absolute first); nothing when the
// host name holds a character cp1251 cannot hold, or a character a Windows
// name cannot hold.
std::optional<std::string> fromHost(const std::filesystem::path& hostPath);

// One entry name of a host folder as cp1251; nothing when it cannot be held
// (such entries are skipped in listings).
std::optional<std::string> nameFromHost(const std::filesystem::path& name);

// Reads KESSIK_DRIVES again (tests change it while running).
void reloadDriveMap();

// The short (8.3) form of an existing path; the path itself where the host
// has no short names.
std::string shortPath(std::string_view windowsPath);

// Clears read-only, hidden and system (Windows), or makes the file writable
// by its owner (elsewhere).
bool setPlainAttributes(const std::filesystem::path& host);
bool isReadOnly(const std::filesystem::path& host);
// A symbolic link, or on Windows any reparse point (a junction too): such an
// entry is never entered or written through, only removed as itself.
bool isLink(const std::filesystem::path& host);
// Removes a link itself (a link to a folder too), never what it points to.
bool removeLink(const std::filesystem::path& host);
// Removes a folder the program made for itself with everything in it, names
// beginning with "." and read-only files too; a link inside is removed as a
// link, never entered. True when the folder is gone.
bool removeFolderTree(const std::filesystem::path& folder);

// Missing and CannotOpen note their reason (lastFailure); a read that fails
// part way is CannotOpen, never a short Ok.
enum class ReadStatus { Ok, Missing, CannotOpen };
// Reads a whole regular file; sharing reads and writes with others.
ReadStatus readWholeFile(const std::filesystem::path& host, std::string& data);
// Reads the first count bytes of a regular file (all of a shorter one).
ReadStatus readFileHead(const std::filesystem::path& host, std::size_t count, std::string& data);

// Replaces (or creates) a file with data: written to a temporary file beside
// it, flushed, then renamed over the old one, so the file is either the old
// one or the new one, never half of either. False when anything failed; the
// old file is then untouched and no temporary file is left.
bool writeFileReplacing(const std::filesystem::path& host, std::string_view data);

// The same, written piece by piece: the new content goes to a temporary file
// beside the target ("NAME.~kessik", or "NAME.~kessik1" ... while another
// writer holds that one) and replaces the target at commit(), synced before
// and after the rename (see Durability). Temporary files of this naming that
// an earlier, interrupted writer left beside the target are removed first;
// one that a live writer holds is never touched (a writer holds its
// temporary file from the moment it is made until it is renamed; where the
// file system cannot lock files, none is removed). Without a successful
// commit() the temporary file is removed when the object goes. Every call
// that fails notes the reason of the first failure (error(), lastFailure).
class ReplacingFile {
 public:
  explicit ReplacingFile(const std::filesystem::path& target);
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // False when the temporary file could not be created.
  bool isOpen() const { return handle_ != -1; }
  bool write(std::string_view data);
  // Overwrites bytes already written (a size code filled in at the end).
  bool writeAt(std::uint64_t offset, std::string_view data);
  // The bytes written so far.
  std::uint64_t size() const { return written_ + pending_.size(); }
  // Writes out what still waits in memory, so that a full disk shows before
  // commit(); false when writing failed.
  bool flush();
  // Flushes, closes and renames over the target; false (and the temporary
  // removed) when anything failed.
  bool commit();
  // Why the first call that failed failed.
  SystemError error() const { return error_; }

 private:
  bool fail(const SystemError& reason);  // keeps the first reason, notes it; false
  bool writeOut(std::string_view data);  // straight to the temporary file, at its end
  bool writeOutAt(std::uint64_t offset, std::string_view data);  // below written_
  void discard();

  std::filesystem::path target_, temp_;
  std::intptr_t handle_ = -1;
  unsigned mode_ = 0644;
  bool failed_ = false;
  SystemError error_;
  std::uint64_t written_ = 0;  // bytes written out to the temporary file
  std::string pending_;        // written out in large pieces
};

// The suffix of the temporary files beside a file being replaced.
inline constexpr std::string_view kTemporarySuffix = ".~kessik";

// ---------------------------------------------------------------------------
// Durability. A power cut keeps only what was synced: a written file or a new
// folder tree is published (renamed to the name its readers use) only once its
// bytes and its names are on the disk, and the folder that holds the new name
// is synced after the rename. So a power cut at any moment leaves the old or
// the new, as a kill does. ReplacingFile does all of this itself; bulk
// writers (FolderWriter, links) write first and sync once (syncTree).

// Makes one folder (its parent must exist); false when it exists already or
// cannot be made.
bool makeFolder(const std::filesystem::path& folder);
// Puts the names made, renamed or removed in a folder on the disk.
bool syncFolder(const std::filesystem::path& folder);
// Puts everything written below a folder on the disk: its files, the names
// in it and in every folder below it. On Linux one sync of the file system
// that holds it (far cheaper than a sync per file); elsewhere each file and
// folder below it in turn.
bool syncTree(const std::filesystem::path& folder);
// A head start for a later syncTree of a tree still being written: puts what
// is written so far on the disk while the writing goes on, so the last sync
// has only the rest to do. It promises nothing (syncTree still does); where
// syncTree goes file by file it does nothing.
void flushAhead(const std::filesystem::path& folder);
// Renames a file or folder (a file under the new name is replaced) and syncs
// the folder that holds the new name, and the old name's folder where it is
// another. What is renamed must be on the disk already. True when the rename
// was made.
bool renameDurably(const std::filesystem::path& from, const std::filesystem::path& to);
// A second name for an existing file (a hard link) where the file system
// has them; false where it has not or the name exists. Links are not
// followed: a link gets a second name as itself.
bool linkFile(const std::filesystem::path& existing, const std::filesystem::path& newName);

// Puts folder a in the place of folder b and b in the place of a in one step,
// where the host can (a kill leaves either both names as they were or both
// exchanged), and syncs the folders that hold them. False, with nothing
// changed, where it cannot.
bool exchangeFolders(const std::filesystem::path& a, const std::filesystem::path& b);

// A test hook: told of every step of the host layer that a power cut weighs
// on, in the order they are made (from any thread). Never installed in
// normal use; without one each step costs one comparison.
class DurabilityObserver {
 public:
  virtual ~DurabilityObserver() = default;
  virtual void wrote(const std::filesystem::path& /*file*/) {}  // bytes written, not yet synced
  virtual void madeFolder(const std::filesystem::path& /*folder*/) {}
  virtual void linked(const std::filesystem::path& /*newName*/) {}
  virtual void syncedFile(const std::filesystem::path& /*file*/) {}
  virtual void syncedFolder(const std::filesystem::path& /*folder*/) {}
  virtual void syncedTree(const std::filesystem::path& /*folder*/) {}
  virtual void renamed(const std::filesystem::path& /*from*/, const std::filesystem::path& /*to*/) {}
  virtual void exchanged(const std::filesystem::path& /*a*/, const std::filesystem::path& /*b*/) {}
};
// Installs the observer (nullptr: none); returns the one before.
DurabilityObserver* setDurabilityObserver(DurabilityObserver* observer);
// The installed observer, or nullptr.
DurabilityObserver* durabilityObserver();

// An exclusive hold on a lock file, taken without waiting, so that two runs
// never work on the same thing at once. The lock file is made when missing
// and removed when the hold ends; the host drops the hold of a process that
// ends in any way, so a lock file a killed run left blocks nobody.
class FileLock {
 public:
  // Unavailable: no lock file can be made (a read-only folder); Blocked:
  // something else stands under its name (a link, a folder) or the name is
  // too long for the file system.
  enum class State { Held, Busy, Unavailable, Blocked };
  explicit FileLock(const std::filesystem::path& lockFile);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  State state() const { return state_; }

 private:
  std::filesystem::path file_;
  std::intptr_t handle_ = -1;
  State state_ = State::Unavailable;
};

// Writes new files in one go (no temporary) into one folder: for bulk output
// into a folder the caller has just created and removes on failure. Names are
// resolved against the open folder, not walked from the root each time.
// Nothing is synced: the caller syncs the whole output once (syncTree)
// before it publishes it.
class FolderWriter {
 public:
  explicit FolderWriter(const std::filesystem::path& folder);
  ~FolderWriter();
  FolderWriter(const FolderWriter&) = delete;
  FolderWriter& operator=(const FolderWriter&) = delete;
  // The file name holds no separator.
  bool write(const std::filesystem::path& name, std::string_view data);

 private:
  std::filesystem::path folder_;
  int handle_ = -1;
};

// Reads whole files of one folder, names resolved against the open folder
// (safe to share between threads). A name that is missing or a folder is
// Missing; one that is no regular file or cannot be opened is CannotOpen.
class FolderReader {
 public:
  explicit FolderReader(const std::filesystem::path& folder);
  ~FolderReader();
  FolderReader(const FolderReader&) = delete;
  FolderReader& operator=(const FolderReader&) = delete;
  bool isOpen() const;
  // Appends the file's bytes to data (as many as its size said when it was
  // opened, fewer when it shrank meanwhile). The name holds no separator.
  ReadStatus read(const std::string& name, std::string& data) const;

 private:
  std::filesystem::path folder_;
  int handle_ = -1;
};

// True when inner is outer or lies below it, both made canonical first
// (links resolved, as far as they exist).
bool isWithin(const std::filesystem::path& inner, const std::filesystem::path& outer);

// The folder that holds the running program, with a trailing separator.
std::filesystem::path programFolder();

#ifndef _WIN32
// The Wine prefix the drive map and the registry read: $WINEPREFIX, else
// ~/.wine; nothing when that folder does not exist. Never written to.
std::optional<std::filesystem::path> winePrefixFolder();
#endif

#ifdef _WIN32
// cp1251 to the UTF-16 of the Windows API, and back; nothing when the UTF-16
// text holds a character cp1251 cannot hold (it is never altered).
std::wstring widen(std::string_view cp1251);
std::optional<std::string> narrow(const std::wstring& utf16);
#endif

}  // namespace kessik::platform
