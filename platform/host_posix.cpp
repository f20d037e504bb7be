#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "platform/host.h"
#include "util/cp1251.h"
#include "util/crashpoint.h"
#include "util/paths.h"

namespace fs = std::filesystem;

namespace kessik::platform {
namespace {

struct DriveMap {
  std::array<std::string, 26> roots;  // UTF-8 host folder per letter; empty: unmapped
};

// A drive root as the map keeps it: no trailing separator except for "/".
std::string rootText(const fs::path& p) {
  std::string root = p.lexically_normal().native();
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  return root;
}

// The drives Wine knows in the prefix: each "x:" link of its dosdevices
// folder, resolved against that folder when relative.
void addWineDrives(DriveMap& m) {
  auto prefix = winePrefixFolder();
  if (!prefix) return;
  const fs::path devices = *prefix / "dosdevices";
  std::error_code ec;
  for (fs::directory_iterator it(devices, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().native();
    if (name.size() != 2 || name[1] != ':' || name[0] < 'a' || name[0] > 'z') continue;
    std::error_code linkEc;
    fs::path target = fs::read_symlink(it->path(), linkEc);
    if (linkEc || target.empty()) continue;
    if (target.is_relative()) target = devices / target;
    m.roots[name[0] - 'a'] = rootText(target);
  }
}

DriveMap loadDriveMap() {
  DriveMap m;
  m.roots['Z' - 'A'].assign(1, '/');
  addWineDrives(m);
  if (const char* env = std::getenv("KESSIK_DRIVES")) {
    std::string_view s(env);
    while (!s.empty()) {
      auto semi = s.find(';');
      std::string_view item = s.substr(0, semi);
      s = semi == std::string_view::npos ? std::string_view() : s.substr(semi + 1);
      auto eq = item.find('=');
      if (eq != 1) continue;
      char letter = item[0];
      if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 32);
      if (letter < 'A' || letter > 'Z') continue;
      std::string root(item.substr(2));
      if (root.empty()) continue;
      if (root.size() > 1 && root.back() == '/') root.pop_back();
      m.roots[letter - 'A'] = root;
    }
  }
  return m;
}

DriveMap& driveMap() {
  static DriveMap m = loadDriveMap();
  return m;
}

int driveIndex(char c) {
  if (c >= 'a' && c <= 'z') return c - 'a';
  if (c >= 'A' && c <= 'Z') return c - 'A';
  return -1;
}

}  // namespace

std::optional<fs::path> winePrefixFolder() {
  fs::path prefix;
  if (const char* env = std::getenv("WINEPREFIX"); env && *env) {
    prefix = env;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    prefix = fs::path(home) / ".wine";
  } else {
    return std::nullopt;
  }
  std::error_code ec;
  if (prefix.is_relative()) prefix = fs::absolute(prefix, ec);
  if (ec || !fs::is_directory(prefix, ec)) return std::nullopt;
  return prefix.lexically_normal();
}

void reloadDriveMap() {
  driveMap() = loadDriveMap();
}

std::optional<fs::path> toHost(std::string_view win) {
  // A relative path would be resolved against whatever the process's current
  // folder happens to be, so it names no place at all.
  if (!isAbsoluteWindowsPath(win)) return std::nullopt;
  const std::string root = driveMap().roots[driveIndex(win[0])];
  if (root.empty()) return std::nullopt;
  win.remove_prefix(2);
  while (!win.empty() && win.front() == '\\') win.remove_prefix(1);
  std::string utf8 = cp1251ToUtf8(win);
  std::replace(utf8.begin(), utf8.end(), '\\', '/');
  if (root == "/") return fs::path("/" + utf8);
  return fs::path(utf8.empty() ? root + "/" : root + "/" + utf8);
}

std::optional<std::string> nameFromHost(const fs::path& name) {
  const std::string& s = name.native();
  if (s.find_first_of("\\:") != std::string::npos) return std::nullopt;
  return utf8ToCp1251(s);
}

std::optional<std::string> fromHost(const fs::path& hostPath) {
  std::error_code ec;
  fs::path abs = hostPath.is_absolute() ? hostPath : fs::absolute(hostPath, ec);
  if (ec) return std::nullopt;
  std::string s = abs.lexically_normal().native();
  // The mapped drive with the longest root that holds the path.
  int best = -1;
  std::size_t bestLen = 0;
  const auto& roots = driveMap().roots;
  for (int i = 0; i < 26; ++i) {
    const std::string& r = roots[i];
    if (r.empty()) continue;
    bool holds = r == "/" || s == r || (s.size() > r.size() && s.compare(0, r.size(), r) == 0 && s[r.size()] == '/');
    std::size_t len = r == "/" ? 0 : r.size();
    if (holds && (best < 0 || len > bestLen)) { best = i; bestLen = len; }
  }
  if (best < 0) return std::nullopt;
  std::string rest = s.substr(bestLen);
  while (!rest.empty() && rest.front() == '/') rest.erase(0, 1);
  if (rest.find_first_of("\\:") != std::string::npos) return std::nullopt;
  auto cp = utf8ToCp1251(rest);
  if (!cp) return std::nullopt;
  std::replace(cp->begin(), cp->end(), '/', '\\');
  std::string out;
  out += static_cast<char>('A' + best);
  out += ":\\";
  out += *cp;
  return out;
}

std::string shortPath(std::string_view windowsPath) { return std::string(windowsPath); }

bool setPlainAttributes(const fs::path& host) {
  struct stat st;
  if (::stat(host.c_str(), &st) != 0) return false;
  return ::chmod(host.c_str(), (st.st_mode | S_IWUSR) & 07777) == 0;
}

bool isReadOnly(const fs::path& host) {
  struct stat st;
  if (::stat(host.c_str(), &st) != 0) return false;
  return (st.st_mode & S_IWUSR) == 0;
}

bool isLink(const fs::path& host) {
  struct stat st;
  return ::lstat(host.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool removeLink(const fs::path& host) { return isLink(host) && ::unlink(host.c_str()) == 0; }

namespace {

// Many files of one folder are removed by a few threads together: each
// removal mostly waits for the disk (the inode and its blocks are freed).
constexpr std::size_t kSharedRemoval = 1000;
constexpr unsigned kRemovalThreads = 4;

bool emptyFolderAt(int fd);

bool removeEntryAt(int fd, const char* name, bool folder) {
  if (!folder) return ::unlinkat(fd, name, 0) == 0;
  const int inner = ::openat(fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  return inner >= 0 && emptyFolderAt(inner) && ::unlinkat(fd, name, AT_REMOVEDIR) == 0;
}

// Removes everything in an open folder, folders below first, by names
// resolved against it, and closes it. The entries go in the order of their inode numbers, not the folder's own
// order: the file system then reads its inode tables and bitmaps in one
// sweep instead of at random.
bool emptyFolderAt(int fd) {
  DIR* dir = ::fdopendir(fd);
  if (!dir) {
    ::close(fd);
    return false;
  }
  struct Entry {
    ino_t inode;
    bool folder;
    std::string name;
  };
  std::vector<Entry> entries;
  try {
    while (dirent* e = ::readdir(dir)) {
      const char* name = e->d_name;
      if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
      bool folder = e->d_type == DT_DIR;
      if (e->d_type == DT_UNKNOWN) {
        struct stat st;
        folder = ::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
      }
      entries.push_back({e->d_ino, folder, name});
    }
  } catch (const std::bad_alloc&) {
    ::closedir(dir);
    return false;
  }
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.inode < b.inode; });
  // Blocks of neighbouring inodes taken in turn by whichever thread is free.
  constexpr std::size_t kBlock = 256;
  std::atomic<std::size_t> next{0};
  std::atomic<bool> ok{true};
  const auto work = [&] {
    for (std::size_t from = next.fetch_add(kBlock); from < entries.size(); from = next.fetch_add(kBlock)) {
      const std::size_t to = std::min(entries.size(), from + kBlock);
      for (std::size_t i = from; i < to; ++i)
        if (!removeEntryAt(fd, entries[i].name.c_str(), entries[i].folder)) ok = false;
    }
  };
  std::vector<std::thread> helpers;
  if (entries.size() >= kSharedRemoval) {
    try {
      for (unsigned k = 1; k < kRemovalThreads; ++k) helpers.emplace_back(work);
    } catch (const std::exception&) {
      // Fewer helpers: this thread takes what they leave.
    }
  }
  work();
  for (std::thread& t : helpers) t.join();
  ::closedir(dir);
  return ok;
}

}  // namespace

bool removeFolderTree(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  return emptyFolderAt(fd) && ::rmdir(folder.c_str()) == 0;
}

namespace {

// Closes a file whose reading failed, after noting why (the close may change
// errno); what was read of it is dropped.
ReadStatus closedFailing(int fd, const SystemError& why, ReadStatus status, std::string* data = nullptr) {
  noteFailure(why);
  ::close(fd);
  if (data) data->clear();
  return status;
}

// Appends up to `want` bytes of the open file to data (fewer where it ends
// first) and closes it. A failed read is noted and keeps what came before.
ReadStatus appendAndClose(int fd, std::string& data, std::size_t want) {
  ReadStatus status = ReadStatus::Ok;
  const std::size_t start = data.size();
  data.resize(start + want);
  std::size_t got = 0;
  while (got < want) {
    ssize_t n = ::read(fd, data.data() + start + got, want - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      noteFailure(lastHostError());
      status = ReadStatus::CannotOpen;
    }
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  data.resize(start + got);
  ::close(fd);
  return status;
}

}  // namespace

ReadStatus readWholeFile(const fs::path& host, std::string& data) {
  data.clear();
  // One path lookup per file: open first, then ask the open file what it is.
  // O_NONBLOCK: a FIFO in a source tree must not hang the program.
  int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    noteFailure(lastHostError());
    struct stat st;
    bool missing = errno == ENOENT || errno == ENOTDIR || ::stat(host.c_str(), &st) != 0 || S_ISDIR(st.st_mode);
    return missing ? ReadStatus::Missing : ReadStatus::CannotOpen;
  }
  struct stat fst;
  if (::fstat(fd, &fst) != 0) return closedFailing(fd, lastHostError(), ReadStatus::CannotOpen);
  if (S_ISDIR(fst.st_mode)) return closedFailing(fd, failureOf(Failure::IsFolder), ReadStatus::Missing);
  if (!S_ISREG(fst.st_mode)) return closedFailing(fd, failureOf(Failure::NotAFile), ReadStatus::CannotOpen);
  std::size_t want = static_cast<std::size_t>(fst.st_size);
  data.resize(want);
  std::size_t got = 0;
  while (got < want) {
    ssize_t n = ::read(fd, data.data() + got, want - got);
    if (n < 0 && errno == EINTR) continue;
    // Half a file is no file: a read error fails the whole read.
    if (n < 0) return closedFailing(fd, lastHostError(), ReadStatus::CannotOpen, &data);
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  // A file that grows while read gets its new bytes too; one that shrinks is
  // cut to what was there.
  if (got == want) {
    char buf[65536];
    for (;;) {
      ssize_t n = ::read(fd, buf, sizeof buf);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return closedFailing(fd, lastHostError(), ReadStatus::CannotOpen, &data);
      if (n == 0) break;
      data.append(buf, static_cast<std::size_t>(n));
    }
  } else {
    data.resize(got);
  }
  ::close(fd);
  return ReadStatus::Ok;
}

ReadStatus readFileHead(const fs::path& host, std::size_t count, std::string& data) {
  data.clear();
  int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    noteFailure(lastHostError());
    return errno == ENOENT || errno == ENOTDIR ? ReadStatus::Missing : ReadStatus::CannotOpen;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0) return closedFailing(fd, lastHostError(), ReadStatus::CannotOpen);
  if (!S_ISREG(st.st_mode))
    return closedFailing(fd, failureOf(S_ISDIR(st.st_mode) ? Failure::IsFolder : Failure::NotAFile),
                         ReadStatus::CannotOpen);
  return appendAndClose(fd, data, count);
}

namespace {

// False (the reason noted) when a write fails.
bool writeAll(int fd, std::string_view data) {
  std::size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) noteFailure(lastHostError());
    if (n == 0) noteFailure(failureOf(Failure::IoError));
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

namespace {

// A temporary file of ours beside a target that no live writer holds (its
// writer was killed): removed. A writer holds the lock on its temporary
// file from the moment it made it until it is renamed (it makes sure that
// the file it locked still has the name), and the kernel drops the lock of a
// killed one. Where the file system has no locks nobody can tell a live
// writer's file from a dead one's, and nothing is removed.
void removeIfStale(const fs::path& temp) {
  int fd = ::open(temp.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return;
  struct stat held, named;
  const bool regular = ::fstat(fd, &held) == 0 && S_ISREG(held.st_mode);
  const bool stale = regular && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  // Still the same file under that name: another sweeper may have replaced it.
  if (stale && ::lstat(temp.c_str(), &named) == 0 && named.st_dev == held.st_dev && named.st_ino == held.st_ino)
    ::unlink(temp.c_str());
  ::close(fd);
}

// Takes the hold on a temporary file just made. False when a sweeper got
// to it first: it holds the file for a moment or has removed its name, and
// the writer goes on to another name.
bool holdNewTemporary(int fd, const fs::path& name) {
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return errno != EWOULDBLOCK && errno != EINTR;  // no locks here
  struct stat held, named;
  return ::fstat(fd, &held) == 0 && ::lstat(name.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
         held.st_ino == named.st_ino;
}

fs::path folderOf(const fs::path& p) {
  fs::path parent = p.parent_path();
  return parent.empty() ? fs::path(".") : parent;
}

bool fsyncPath(const fs::path& p, int flags) {
  int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | flags);
  if (fd < 0) return false;
  bool ok = ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  return ok;
}

#ifndef __linux__
// Every file and folder below a folder (links are not entered), then the
// folder itself.
bool syncEachBelow(const fs::path& folder) {
  bool ok = true;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code st;
    const auto status = it->symlink_status(st);
    if (fs::is_directory(status)) ok = syncEachBelow(it->path()) && ok;
    else if (fs::is_regular_file(status)) ok = fsyncPath(it->path(), 0) && ok;
  }
  return fsyncPath(folder, O_DIRECTORY) && !ec && ok;
}
#endif

fs::path temporaryName(const fs::path& target, int attempt) {
  fs::path t = target;
  t += std::string(kTemporarySuffix);
  if (attempt) t += std::to_string(attempt);
  return t;
}

constexpr int kTemporaryNames = 100;

}  // namespace

ReplacingFile::ReplacingFile(const fs::path& target) : target_(target) {
  struct stat st;
  if (::stat(target.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) {
      fail(failureOf(Failure::IsFolder));
      return;
    }
    mode_ = st.st_mode & 07777;
  }
  // Leftovers of interrupted writers, up to the first free name.
  for (int attempt = 0; attempt < kTemporaryNames; ++attempt) {
    const fs::path candidate = temporaryName(target, attempt);
    if (::lstat(candidate.c_str(), &st) != 0) break;
    removeIfStale(candidate);
  }
  for (int attempt = 0; attempt < kTemporaryNames; ++attempt) {
    const fs::path candidate = temporaryName(target, attempt);
    int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, (mode_ | S_IWUSR) & 07777);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      fail(lastHostError());
      return;
    }
    if (!holdNewTemporary(fd, candidate)) {
      ::close(fd);  // the sweeper that holds it removes it
      continue;
    }
    temp_ = candidate;
    handle_ = fd;
    return;
  }
  // Every temporary name is held by another writer.
  fail(failureOf(Failure::InUse));
}

ReplacingFile::~ReplacingFile() { discard(); }

void ReplacingFile::discard() {
  if (handle_ == -1) return;
  ::close(static_cast<int>(handle_));
  ::unlink(temp_.c_str());
  handle_ = -1;
}

bool ReplacingFile::writeOut(std::string_view data) { return writeAll(static_cast<int>(handle_), data); }

bool ReplacingFile::writeOutAt(std::uint64_t offset, std::string_view data) {
  std::size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::pwrite(static_cast<int>(handle_), data.data() + done, data.size() - done,
                         static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) noteFailure(lastHostError());
    if (n == 0) noteFailure(failureOf(Failure::IoError));
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool ReplacingFile::commit() {
  if (handle_ == -1) return fail(error_);
  const int fd = static_cast<int>(handle_);
  bool ok = flush();
  crashPoint("save-temp");
  if (ok) ::fchmod(fd, mode_);
  if (auto* o = durabilityObserver()) o->wrote(temp_);
  // On the disk before its name is: a power cut never finds the new name on
  // a file whose bytes were lost.
  if (ok && ::fsync(fd) != 0) ok = fail(lastHostError());
  if (ok) {
    if (auto* o = durabilityObserver()) o->syncedFile(temp_);
  }
  // Renamed while still open, so still held: closing first would let a sweep
  // take the file for a leftover before the rename.
  if (ok && !renameDurably(temp_, target_)) ok = fail(lastFailure());
  if (!ok) ::unlink(temp_.c_str());
  if (::close(fd) != 0 && ok) ok = fail(lastHostError());
  handle_ = -1;
  return ok ? true : fail(error_);
}

bool makeFolder(const fs::path& folder) {
  if (::mkdir(folder.c_str(), 0777) != 0) {
    noteFailure(lastHostError());
    return false;
  }
  if (auto* o = durabilityObserver()) o->madeFolder(folder);
  return true;
}

bool syncFolder(const fs::path& folder) {
  if (!fsyncPath(folder, O_DIRECTORY)) return false;
  if (auto* o = durabilityObserver()) o->syncedFolder(folder);
  return true;
}

#ifdef __linux__
namespace {

// One sync of the file system that holds the folder.
bool syncFileSystemOf(const fs::path& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  bool ok = ::syncfs(fd) == 0;
  return ::close(fd) == 0 && ok;
}

}  // namespace
#endif

bool syncTree(const fs::path& folder) {
#ifdef __linux__
  const bool ok = syncFileSystemOf(folder);
#else
  const bool ok = syncEachBelow(folder);
#endif
  if (ok) {
    if (auto* o = durabilityObserver()) o->syncedTree(folder);
  }
  return ok;
}

void flushAhead(const fs::path& folder) {
#ifdef __linux__
  syncFileSystemOf(folder);
#else
  (void)folder;
#endif
}

bool renameDurably(const fs::path& from, const fs::path& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) {
    noteFailure(lastHostError());
    return false;
  }
  if (auto* o = durabilityObserver()) o->renamed(from, to);
  // The rename is made: a folder that cannot be synced (a rare I/O error)
  // only leaves it to the file system's own schedule.
  syncFolder(folderOf(to));
  if (folderOf(from) != folderOf(to)) syncFolder(folderOf(from));
  return true;
}

bool linkFile(const fs::path& existing, const fs::path& newName) {
  if (::linkat(AT_FDCWD, existing.c_str(), AT_FDCWD, newName.c_str(), 0) != 0) return false;
  if (auto* o = durabilityObserver()) o->linked(newName);
  return true;
}

bool exchangeFolders(const fs::path& a, const fs::path& b) {
#ifdef RENAME_EXCHANGE
  if (::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) != 0) return false;
  if (auto* o = durabilityObserver()) o->exchanged(a, b);
  syncFolder(folderOf(b));
  if (folderOf(a) != folderOf(b)) syncFolder(folderOf(a));
  return true;
#else
  (void)a;
  (void)b;
  return false;
#endif
}

FileLock::FileLock(const fs::path& lockFile) : file_(lockFile) {
  // The holder before may remove the name between our open and our lock:
  // the hold counts only on the file that still has the name.
  for (int attempt = 0; attempt < 10; ++attempt) {
    int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0644);
    if (fd < 0) {
      // A read-only tree has no room for a lock file: nothing can be written
      // there either. Anything else under the name is refused.
      if (errno != EROFS && errno != EACCES && errno != EPERM && errno != ENOENT) state_ = State::Blocked;
      return;
    }
    struct stat kind;
    if (::fstat(fd, &kind) != 0 || !S_ISREG(kind.st_mode)) {
      ::close(fd);
      state_ = State::Blocked;
      return;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      // Where the file system has no locks, nobody can tell: taken as free.
      const bool busy = errno == EWOULDBLOCK || errno == EINTR;
      ::close(fd);
      if (busy) state_ = State::Busy;
      return;
    }
    struct stat held, named;
    if (::fstat(fd, &held) == 0 && ::lstat(lockFile.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
        held.st_ino == named.st_ino) {
      handle_ = fd;
      state_ = State::Held;
      return;
    }
    ::close(fd);
  }
  state_ = State::Busy;
}

FileLock::~FileLock() {
  if (handle_ == -1) return;
  // Removed while still held, so nobody takes a hold on a file without a name.
  ::unlink(file_.c_str());
  ::close(static_cast<int>(handle_));
}

FolderWriter::FolderWriter(const fs::path& folder) : folder_(folder) {
  handle_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

FolderWriter::~FolderWriter() {
  if (handle_ >= 0) ::close(handle_);
}

bool FolderWriter::write(const fs::path& name, std::string_view data) {
  int fd = handle_ >= 0 ? ::openat(handle_, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)
                        : ::open((folder_ / name).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    noteFailure(lastHostError());
    return false;
  }
  bool ok = writeAll(fd, data);
  if (::close(fd) != 0 && ok) {
    noteFailure(lastHostError());
    ok = false;
  }
  if (auto* o = durabilityObserver()) o->wrote(folder_ / name);
  return ok;
}

FolderReader::FolderReader(const fs::path& folder) : folder_(folder) {
  handle_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

FolderReader::~FolderReader() {
  if (handle_ >= 0) ::close(handle_);
}

bool FolderReader::isOpen() const { return handle_ >= 0; }

ReadStatus FolderReader::read(const std::string& name, std::string& data) const {
  // O_NONBLOCK: a FIFO must not hang the program.
  int fd = ::openat(handle_, name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    noteFailure(lastHostError());
    if (errno == ENOENT || errno == ENOTDIR) return ReadStatus::Missing;
    struct stat st;
    return ::fstatat(handle_, name.c_str(), &st, 0) == 0 && S_ISDIR(st.st_mode) ? ReadStatus::Missing
                                                                               : ReadStatus::CannotOpen;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0) return closedFailing(fd, lastHostError(), ReadStatus::CannotOpen);
  if (S_ISDIR(st.st_mode)) return closedFailing(fd, failureOf(Failure::IsFolder), ReadStatus::Missing);
  if (!S_ISREG(st.st_mode)) return closedFailing(fd, failureOf(Failure::NotAFile), ReadStatus::CannotOpen);
  return appendAndClose(fd, data, static_cast<std::size_t>(st.st_size));
}

fs::path programFolder() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return fs::current_path(ec);
  return exe.parent_path();
}

}  // namespace kessik::platform
