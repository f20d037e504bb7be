#include "platform/files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>

#include "platform/errors.h"
#include "platform/host.h"
#include "util/cp1251.h"
#include "util/notify.h"
#include "util/paths.h"

namespace fs = std::filesystem;

namespace kessik {
namespace {

fs::file_status statusOf(std::string_view path) {
  auto host = platform::toHost(path);
  if (!host) return fs::file_status(fs::file_type::not_found);
  std::error_code ec;
  return fs::status(*host, ec);
}

}  // namespace

bool fileExists(std::string_view path) {
  auto st = statusOf(path);
  return fs::exists(st) && !fs::is_directory(st);
}

bool folderExists(std::string_view path) { return fs::is_directory(statusOf(path)); }

bool pathExists(std::string_view path) { return fs::exists(statusOf(path)); }

std::uint64_t fileSize64(std::string_view path) {
  auto host = platform::toHost(path);
  if (!host) return 0;
  std::error_code ec;
  auto n = fs::file_size(*host, ec);
  return ec ? 0 : n;
}

std::uint32_t fileSize(std::string_view path) {
  std::string name = fileNamePart(path);
  if (name.find_first_of("*?") == std::string::npos) return static_cast<std::uint32_t>(fileSize64(path));
  auto host = platform::toHost(folderPart(path));
  if (!host) return 0;
  std::error_code ec;
  fs::path dir = host->empty() ? fs::path(".") : *host;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    auto cp = platform::nameFromHost(it->path().filename());
    if (!cp || !wildcardMatch(*cp, name)) continue;
    std::error_code ec2;
    auto n = it->is_directory(ec2) ? 0 : it->file_size(ec2);
    return ec2 ? 0 : static_cast<std::uint32_t>(n);
  }
  return 0;
}

std::string shortPath(std::string_view path) { return platform::shortPath(path); }

std::string nearestExistingFolder(std::string_view path) {
  if (path.size() < 3 || !folderExists(path.substr(0, 3))) return "nil";
  std::string p = parentFolder(path);
  while (!p.empty() && !folderExists(p)) {
    std::string up = parentFolder(p);
    if (up == p) break;
    p = up;
  }
  return withTrailingBackslash(p.empty() ? std::string(path.substr(0, 3)) : p);
}

RListOfDirResult listFolder(std::string_view folder) {
  RListOfDirResult result;
  auto host = platform::toHost(folder);
  if (!host || !folderExists(folder)) return result;
  AListOfDirElems folders{{".", EntryKind::Folder}, {"..", EntryKind::Folder}};
  AListOfDirElems files;
  std::error_code ec;
  for (fs::directory_iterator it(*host, ec), end; !ec && it != end; it.increment(ec)) {
    auto name = platform::nameFromHost(it->path().filename());
    if (!name) continue;
    std::error_code ec2;
    if (it->is_directory(ec2))
      folders.push_back({std::move(*name), EntryKind::Folder});
    else
      files.push_back({std::move(*name), EntryKind::File});
  }
  auto less = [](const RListOfDirElem& a, const RListOfDirElem& b) {
    return compareIgnoringCase(a.name, b.name) < 0;
  };
  std::stable_sort(folders.begin(), folders.end(), less);
  std::stable_sort(files.begin(), files.end(), less);
  result.entries = std::move(folders);
  result.entries.insert(result.entries.end(), std::make_move_iterator(files.begin()),
                        std::make_move_iterator(files.end()));
  result.count = static_cast<std::int32_t>(result.entries.size());
  return result;
}

bool isSymbolicLink(std::string_view path) {
  auto host = platform::toHost(withoutTrailingBackslash(path));
  if (!host) return false;
  return platform::isLink(*host);
}

void createFolder(std::string_view path) {
  auto host = platform::toHost(withoutTrailingBackslash(path));
  if (!host) return;
  std::error_code ec;
  fs::create_directory(*host, ec);
}

bool createFolderTree(std::string_view path) {
  std::string p = withoutTrailingBackslash(path);
  if (p.empty()) return false;
  if (p.size() <= 2 || folderExists(p)) return true;
  std::string parent = folderPart(p);
  if (!parent.empty() && !createFolderTree(parent)) return false;
  createFolder(p);
  return folderExists(p);
}

namespace {

bool deleteHostTree(const fs::path& dir, bool removeItself, bool keepDotNames) {
  bool ok = true;
  std::error_code ec;
  fs::directory_iterator it(dir, ec), end;
  if (ec) return false;
  for (; it != end; it.increment(ec)) {
    const fs::path& p = it->path();
    std::string name = p.filename().string();
    // Dot names are skipped, not failed: only the deletions made count (a
    // folder that keeps one cannot be removed itself, which then fails).
    if (keepDotNames && !name.empty() && name[0] == '.') continue;
    // A link (to a folder too) is removed as itself, never entered.
    if (platform::isLink(p)) {
      ok = platform::removeLink(p) && ok;
      continue;
    }
    std::error_code ec2;
    if (fs::is_directory(fs::symlink_status(p, ec2))) {
      ok = deleteHostTree(p, true, keepDotNames) && ok;
    } else {
      if (platform::isReadOnly(p)) platform::setPlainAttributes(p);
      ok = fs::remove(p, ec2) && ok;
    }
  }
  if (ec) ok = false;
  if (removeItself && ok) {
    std::error_code ec3;
    ok = fs::remove(dir, ec3);
  }
  return ok;
}

}  // namespace

bool deleteFolderTree(std::string_view folder, bool removeFolderItself) {
  std::string p = withoutTrailingBackslash(folder);
  auto host = platform::toHost(p);
  if (!host) return false;
  std::error_code ec;
  // A link to a folder is not the folder: it is never entered.
  auto st = fs::symlink_status(*host, ec);
  if (platform::isLink(*host) || !fs::is_directory(st)) return false;
  bool bareDrive = p.size() == 2 && p[1] == ':';
  return deleteHostTree(*host, removeFolderItself && !bareDrive, true);
}

bool removeWholeFolder(std::string_view folder) {
  auto host = platform::toHost(withoutTrailingBackslash(folder));
  if (!host) return false;
  std::error_code ec;
  if (platform::isLink(*host) || !fs::is_directory(fs::symlink_status(*host, ec))) return false;
  return deleteHostTree(*host, true, false);
}

namespace {

// The stream's failure with its reason: e is errno as the failed call left it.
bool streamFailed(int e, const std::string& first, platform::FileDeed deed, const std::string& path) {
  messageBoxEx(first + platform::failureLine(deed, path, platform::errnoError(e)), "", Icon::Error);
  return false;
}

bool copyForMove(const fs::path& src, const std::string& srcWin, const fs::path& dst, const std::string& dstWin) {
  using platform::FileDeed;
  errno = 0;
  std::ifstream in(src, std::ios::binary);
  if (!in) {
    const int e = errno;
    return streamFailed(e, "Cannot open file " + srcWin, FileDeed::Open, srcWin);
  }
  std::error_code ec;
  if (dst.has_parent_path()) fs::create_directories(dst.parent_path(), ec);
  errno = 0;
  std::ofstream out(dst, std::ios::binary | std::ios::trunc);
  if (!out) {
    const int e = errno;
    return streamFailed(e, "Cannot create file " + dstWin, FileDeed::Create, dstWin);
  }
  char buf[1 << 16];
  while (in) {
    errno = 0;
    in.read(buf, sizeof buf);
    if (in.bad()) {
      const int e = errno;
      return streamFailed(e, "Stream read error", FileDeed::Read, srcWin);
    }
    errno = 0;
    if (in.gcount() > 0 && !out.write(buf, in.gcount())) {
      const int e = errno;
      return streamFailed(e, "Stream write error", FileDeed::Write, dstWin);
    }
  }
  errno = 0;
  out.close();
  if (!out) {
    const int e = errno;
    return streamFailed(e, "Stream write error", FileDeed::Write, dstWin);
  }
  auto t = fs::last_write_time(src, ec);
  if (!ec) fs::last_write_time(dst, t, ec);
  return true;
}

}  // namespace

bool moveFile(std::string_view source, std::string_view destination) {
  auto src = platform::toHost(source);
  auto dst = platform::toHost(destination);
  if (!src || !dst) return false;
  std::error_code ec;
  // A rename never replaces an existing destination.
  if (!fs::exists(fs::symlink_status(*dst, ec))) {
    fs::rename(*src, *dst, ec);
    if (!ec) return true;
  }
  if (!fileExists(source)) return false;
  platform::setPlainAttributes(*src);
  fs::path target = *dst;
  std::string targetWin(destination);
  if (fs::is_directory(target, ec)) {
    target /= src->filename();
    targetWin = withTrailingBackslash(destination) + fileNamePart(source);
  }
  if (!copyForMove(*src, std::string(source), target, targetWin)) return false;
  return fs::remove(*src, ec);
}

bool deleteFile(std::string_view path) {
  auto host = platform::toHost(path);
  if (!host) return false;
  if (platform::isLink(*host)) return platform::removeLink(*host);
  std::error_code ec;
  if (fs::is_directory(fs::symlink_status(*host, ec))) return false;
  return fs::remove(*host, ec);
}

namespace {

bool renameNoReplace(std::string_view oldPath, std::string_view newPath) {
  auto a = platform::toHost(withoutTrailingBackslash(oldPath));
  auto b = platform::toHost(withoutTrailingBackslash(newPath));
  if (!a || !b) return false;
  std::error_code ec;
  if (!fs::exists(fs::symlink_status(*a, ec)) || fs::exists(fs::symlink_status(*b, ec))) return false;
  fs::rename(*a, *b, ec);
  return !ec;
}

}  // namespace

bool renameFile(std::string_view oldPath, std::string_view newPath) { return renameNoReplace(oldPath, newPath); }

bool renameFolder(std::string_view oldPath, std::string_view newPath) { return renameNoReplace(oldPath, newPath); }

bool setPlainAttributes(std::string_view path) {
  auto host = platform::toHost(path);
  return host && platform::setPlainAttributes(*host);
}

bool isWithinFolder(std::string_view path, std::string_view folder) {
  auto inner = platform::toHost(path);
  auto outer = platform::toHost(withoutTrailingBackslash(folder));
  return inner && outer && platform::isWithin(*inner, *outer);
}

}  // namespace kessik
