// File-system queries and changes on Windows paths (cp1251). None of them
// shows a message except moveFile; failures come back as false.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kessik {

enum class EntryKind : std::uint8_t { Folder = 1, File = 2 };

struct RListOfDirElem {
  std::string name;  // no path
  EntryKind kind;
};
using AListOfDirElems = std::vector<RListOfDirElem>;
struct RListOfDirResult {
  AListOfDirElems entries;
  std::int32_t count = 0;
};

bool fileExists(std::string_view path);
// True when the path itself (trailing backslash allowed) is a symbolic link.
bool isSymbolicLink(std::string_view path);
bool folderExists(std::string_view path);
bool pathExists(std::string_view path);
// Low 32 bits of the size of the first entry matching the path (the file-name
// part may hold wildcards); 0 when nothing matches.
std::uint32_t fileSize(std::string_view path);
// Full 64-bit size of one file; 0 when it is missing.
std::uint64_t fileSize64(std::string_view path);
std::string shortPath(std::string_view path);
// The first existing folder above the path (with a trailing backslash), or
// "nil" when the path's drive root does not exist.
std::string nearestExistingFolder(std::string_view path);
// Folders (".", ".." included) then files, each in case-insensitive order.
// Entries whose host name cp1251 cannot hold are left out.
RListOfDirResult listFolder(std::string_view folder);

void createFolder(std::string_view path);
bool createFolderTree(std::string_view path);
// Deletes everything in the folder (symbolic links as links, never followed)
// but names beginning with "."; removes the folder itself when asked and all
// went well. True when everything was deleted.
bool deleteFolderTree(std::string_view folder, bool removeFolderItself);
// Removes a folder the program made for itself (never a user's folder) with
// everything in it, names beginning with "." too; links are removed as
// links, never entered. True when the folder is gone.
bool removeWholeFolder(std::string_view folder);
// Rename, or copy-and-delete when the rename fails; the copy's errors are
// shown ("Cannot open file %s", ...), with a second line that names the file
// and the reason. True on success.
bool moveFile(std::string_view source, std::string_view destination);
bool deleteFile(std::string_view path);
// Fails when the new name exists.
bool renameFile(std::string_view oldPath, std::string_view newPath);
// Renames a folder; fails when the new name exists.
bool renameFolder(std::string_view oldPath, std::string_view newPath);
bool setPlainAttributes(std::string_view path);
// True when the path is the folder or lies below it (links resolved as far
// as they exist).
bool isWithinFolder(std::string_view path, std::string_view folder);

}  // namespace kessik
