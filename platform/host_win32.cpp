#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/host.h"
#include "util/crashpoint.h"
#include "util/paths.h"

namespace fs = std::filesystem;

namespace kessik::platform {

std::wstring widen(std::string_view cp1251) {
  if (cp1251.empty()) return {};
  int n = MultiByteToWideChar(1251, 0, cp1251.data(), static_cast<int>(cp1251.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(1251, 0, cp1251.data(), static_cast<int>(cp1251.size()), out.data(), n);
  return out;
}

std::optional<std::string> narrow(const std::wstring& w) {
  if (w.empty()) return std::string();
  BOOL usedDefault = FALSE;
  int n = WideCharToMultiByte(1251, WC_NO_BEST_FIT_CHARS, w.data(), static_cast<int>(w.size()), nullptr, 0,
                              nullptr, &usedDefault);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(1251, WC_NO_BEST_FIT_CHARS, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr,
                      &usedDefault);
  if (usedDefault) return std::nullopt;
  return out;
}

void reloadDriveMap() {}

std::optional<fs::path> toHost(std::string_view windowsPath) {
  // A relative path would be resolved against the process's current folder;
  // a bare "C:" would mean the current folder of drive C.
  if (!isAbsoluteWindowsPath(windowsPath)) return std::nullopt;
  if (windowsPath.size() == 2) return fs::path(widen(std::string(windowsPath) + "\\"));
  return fs::path(widen(windowsPath));
}

std::optional<std::string> fromHost(const fs::path& hostPath) {
  std::error_code ec;
  fs::path abs = hostPath.is_absolute() ? hostPath : fs::absolute(hostPath, ec);
  if (ec) return std::nullopt;
  std::wstring w = abs.native();
  for (auto& c : w)
    if (c == L'/') c = L'\\';
  return narrow(w);
}

std::optional<std::string> nameFromHost(const fs::path& name) { return narrow(name.native()); }

std::string shortPath(std::string_view windowsPath) {
  std::wstring w = widen(windowsPath);
  DWORD n = GetShortPathNameW(w.c_str(), nullptr, 0);
  if (n == 0) return std::string(windowsPath);
  std::wstring out(n, L'\0');
  n = GetShortPathNameW(w.c_str(), out.data(), n);
  out.resize(n);
  auto s = narrow(out);
  return s ? *s : std::string(windowsPath);
}

bool setPlainAttributes(const fs::path& host) {
  return SetFileAttributesW(host.c_str(), FILE_ATTRIBUTE_ARCHIVE) != 0;
}

bool isReadOnly(const fs::path& host) {
  DWORD a = GetFileAttributesW(host.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY);
}

// The attributes of the entry itself: a link is not followed by them.
bool isLink(const fs::path& host) {
  DWORD a = GetFileAttributesW(host.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool removeLink(const fs::path& host) {
  DWORD a = GetFileAttributesW(host.c_str());
  if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
  // A link to a folder (a junction too) goes as a folder entry; the folder
  // it points to is not touched.
  return (a & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(host.c_str()) != 0 : DeleteFileW(host.c_str()) != 0;
}

namespace {

// A file opened for reading, sharing reads and writes; nothing, with the
// status, when it is missing, a folder, or cannot be opened.
HANDLE openForReading(const fs::path& host, ReadStatus& status) {
  DWORD a = GetFileAttributesW(host.c_str());
  if (a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_DIRECTORY)) {
    noteFailure(a == INVALID_FILE_ATTRIBUTES ? lastHostError() : failureOf(Failure::IsFolder));
    status = ReadStatus::Missing;
    return INVALID_HANDLE_VALUE;
  }
  HANDLE h = CreateFileW(host.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) noteFailure(lastHostError());
  status = h == INVALID_HANDLE_VALUE ? ReadStatus::CannotOpen : ReadStatus::Ok;
  return h;
}

}  // namespace

bool removeFolderTree(const fs::path& folder) {
  DWORD a = GetFileAttributesW(folder.c_str());
  if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY) || (a & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
  bool ok = true;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((folder / L"*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const fs::path entry = folder / name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        ok = removeLink(entry) && ok;
      } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        ok = removeFolderTree(entry) && ok;
      } else {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(entry.c_str(), FILE_ATTRIBUTE_NORMAL);
        ok = DeleteFileW(entry.c_str()) && ok;
      }
    } while (FindNextFileW(find, &found));
    FindClose(find);
  }
  return RemoveDirectoryW(folder.c_str()) && ok;
}

ReadStatus readWholeFile(const fs::path& host, std::string& data) {
  data.clear();
  ReadStatus status;
  HANDLE h = openForReading(host, status);
  if (h == INVALID_HANDLE_VALUE) return status;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(h, &size)) {
    noteFailure(lastHostError());
    CloseHandle(h);
    return ReadStatus::CannotOpen;
  }
  data.resize(static_cast<std::size_t>(size.QuadPart));
  std::size_t got = 0;
  while (got < data.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(data.size() - got, 1u << 30));
    DWORD n = 0;
    // Half a file is no file: a read error fails the whole read.
    if (!ReadFile(h, data.data() + got, chunk, &n, nullptr)) {
      noteFailure(lastHostError());
      CloseHandle(h);
      data.clear();
      return ReadStatus::CannotOpen;
    }
    if (n == 0) break;
    got += n;
  }
  data.resize(got);
  CloseHandle(h);
  return ReadStatus::Ok;
}

ReadStatus readFileHead(const fs::path& host, std::size_t count, std::string& data) {
  data.clear();
  ReadStatus status;
  HANDLE h = openForReading(host, status);
  if (h == INVALID_HANDLE_VALUE) return status;
  data.resize(count);
  DWORD n = 0;
  const bool ok = ReadFile(h, data.data(), static_cast<DWORD>(count), &n, nullptr) != 0;
  if (!ok) noteFailure(lastHostError());
  data.resize(ok ? n : 0);
  CloseHandle(h);
  return ok ? ReadStatus::Ok : ReadStatus::CannotOpen;
}

namespace {

bool writeHandle(HANDLE h, std::string_view data) {
  std::size_t done = 0;
  while (done < data.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(data.size() - done, 1u << 30));
    DWORD n = 0;
    if (!WriteFile(h, data.data() + done, chunk, &n, nullptr)) {
      noteFailure(lastHostError());
      return false;
    }
    if (n == 0) {
      noteFailure(failureOf(Failure::IoError));
      return false;
    }
    done += n;
  }
  return true;
}

}  // namespace

namespace {

fs::path temporaryName(const fs::path& target, int attempt) {
  fs::path t = target;
  t += std::string(kTemporarySuffix);
  if (attempt) t += std::to_wstring(attempt);
  return t;
}

constexpr int kTemporaryNames = 100;

HANDLE handleOf(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }

}  // namespace

ReplacingFile::ReplacingFile(const fs::path& target) : target_(target) {
  DWORD a = GetFileAttributesW(target.c_str());
  if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) {
    fail(failureOf(Failure::IsFolder));
    return;
  }
  // Leftovers of interrupted writers, up to the first free name. A live
  // writer opened its temporary file without sharing: it cannot be deleted.
  for (int attempt = 0; attempt < kTemporaryNames; ++attempt) {
    const fs::path candidate = temporaryName(target, attempt);
    if (GetFileAttributesW(candidate.c_str()) == INVALID_FILE_ATTRIBUTES) break;
    DeleteFileW(candidate.c_str());
  }
  for (int attempt = 0; attempt < kTemporaryNames; ++attempt) {
    const fs::path candidate = temporaryName(target, attempt);
    HANDLE h = CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      DWORD e = GetLastError();
      if (e == ERROR_FILE_EXISTS || e == ERROR_ALREADY_EXISTS || e == ERROR_SHARING_VIOLATION) continue;
      fail(hostError(e));
      return;
    }
    temp_ = candidate;
    handle_ = reinterpret_cast<std::intptr_t>(h);
    return;
  }
  // Every temporary name is held by another writer.
  fail(failureOf(Failure::InUse));
}

ReplacingFile::~ReplacingFile() { discard(); }

void ReplacingFile::discard() {
  if (handle_ == -1) return;
  CloseHandle(handleOf(handle_));
  DeleteFileW(temp_.c_str());
  handle_ = -1;
}

bool ReplacingFile::writeOut(std::string_view data) { return writeHandle(handleOf(handle_), data); }

bool ReplacingFile::writeOutAt(std::uint64_t offset, std::string_view data) {
  // Back to the end afterwards, where the next piece goes.
  LARGE_INTEGER at, end;
  at.QuadPart = static_cast<LONGLONG>(offset);
  end.QuadPart = static_cast<LONGLONG>(written_);
  HANDLE h = handleOf(handle_);
  if (!SetFilePointerEx(h, at, nullptr, FILE_BEGIN)) {
    noteFailure(lastHostError());
    return false;
  }
  const bool ok = writeHandle(h, data);
  if (!SetFilePointerEx(h, end, nullptr, FILE_BEGIN)) {
    if (ok) noteFailure(lastHostError());
    return false;
  }
  return ok;
}

bool ReplacingFile::commit() {
  if (handle_ == -1) return fail(error_);
  bool ok = flush();
  crashPoint("save-temp");
  if (auto* o = durabilityObserver()) o->wrote(temp_);
  // On the disk before its name is.
  if (ok && !FlushFileBuffers(handleOf(handle_))) ok = fail(lastHostError());
  if (ok) {
    if (auto* o = durabilityObserver()) o->syncedFile(temp_);
  }
  if (!CloseHandle(handleOf(handle_)) && ok) ok = fail(lastHostError());
  handle_ = -1;
  if (ok && !renameDurably(temp_, target_)) ok = fail(lastFailure());
  if (!ok) DeleteFileW(temp_.c_str());
  return ok ? true : fail(error_);
}

bool makeFolder(const fs::path& folder) {
  if (!CreateDirectoryW(folder.c_str(), nullptr)) {
    noteFailure(lastHostError());
    return false;
  }
  if (auto* o = durabilityObserver()) o->madeFolder(folder);
  return true;
}

// The names of a folder go to the disk with the file system's log: renames
// are made with write-through, and each file's flush carries its own entry.
bool syncFolder(const fs::path& folder) {
  if (auto* o = durabilityObserver()) o->syncedFolder(folder);
  return true;
}

namespace {

bool flushFile(const fs::path& file) {
  HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool ok = FlushFileBuffers(h) != 0;
  return CloseHandle(h) && ok;
}

// Every file below a folder (links are not entered).
bool flushEachBelow(const fs::path& folder) {
  bool ok = true;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (isLink(it->path())) continue;
    std::error_code st;
    if (it->is_directory(st)) ok = flushEachBelow(it->path()) && ok;
    else ok = flushFile(it->path()) && ok;
  }
  return !ec && ok;
}

}  // namespace

bool syncTree(const fs::path& folder) {
  if (!flushEachBelow(folder)) return false;
  if (auto* o = durabilityObserver()) o->syncedTree(folder);
  return true;
}

void flushAhead(const fs::path&) {}

bool renameDurably(const fs::path& from, const fs::path& to) {
  if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    noteFailure(lastHostError());
    return false;
  }
  if (auto* o = durabilityObserver()) {
    o->renamed(from, to);
    o->syncedFolder(to.parent_path());
    if (from.parent_path() != to.parent_path()) o->syncedFolder(from.parent_path());
  }
  return true;
}

bool linkFile(const fs::path& existing, const fs::path& newName) {
  if (isLink(existing) || !CreateHardLinkW(newName.c_str(), existing.c_str(), nullptr)) return false;
  if (auto* o = durabilityObserver()) o->linked(newName);
  return true;
}

bool exchangeFolders(const fs::path&, const fs::path&) { return false; }

// Opened without sharing: a second opener fails while the holder lives, and
// the system closes the handle (and deletes the file) when the holder ends.
FileLock::FileLock(const fs::path& lockFile) : file_(lockFile) {
  const DWORD a = GetFileAttributesW(lockFile.c_str());
  if (a != INVALID_FILE_ATTRIBUTES && (a & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
    state_ = State::Blocked;
    return;
  }
  HANDLE h = CreateFileW(lockFile.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD e = GetLastError();
    if (e == ERROR_SHARING_VIOLATION) state_ = State::Busy;
    if (e == ERROR_FILENAME_EXCED_RANGE || e == ERROR_INVALID_NAME) state_ = State::Blocked;
    return;
  }
  handle_ = reinterpret_cast<std::intptr_t>(h);
  state_ = State::Held;
}

FileLock::~FileLock() {
  if (handle_ != -1) CloseHandle(handleOf(handle_));
}

FolderWriter::FolderWriter(const fs::path& folder) : folder_(folder) {}

FolderWriter::~FolderWriter() = default;

bool FolderWriter::write(const fs::path& name, std::string_view data) {
  HANDLE h = CreateFileW((folder_ / name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    noteFailure(lastHostError());
    return false;
  }
  bool ok = writeHandle(h, data);
  if (!CloseHandle(h) && ok) {
    noteFailure(lastHostError());
    ok = false;
  }
  if (auto* o = durabilityObserver()) o->wrote(folder_ / name);
  return ok;
}

FolderReader::FolderReader(const fs::path& folder) : folder_(folder) {
  DWORD a = GetFileAttributesW(folder.c_str());
  handle_ = a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) ? 0 : -1;
}

FolderReader::~FolderReader() = default;

bool FolderReader::isOpen() const { return handle_ >= 0; }

ReadStatus FolderReader::read(const std::string& name, std::string& data) const {
  std::string one;
  const ReadStatus status = readWholeFile(folder_ / name, one);
  data += one;
  return status;
}

fs::path programFolder() {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n < buf.size()) { buf.resize(n); break; }
    buf.resize(buf.size() * 2);
  }
  return fs::path(buf).parent_path();
}

}  // namespace kessik::platform
