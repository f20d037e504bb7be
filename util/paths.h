// Pure rules on Windows paths held as cp1251 byte strings. The separator is
// the backslash; forward slashes are ordinary characters.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kessik {

// A drive letter and a colon, then a backslash or nothing ("C:\a", "C:"):
// the only paths that name a place on their own. Anything else ("texts",
// "nil", "C:texts", "\a", a UNC path) would depend on the process's current folder.
bool isAbsoluteWindowsPath(std::string_view path);
// A file name that Windows takes for a device whatever its extension: CON,
// PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9 (any case) before the first dot.
bool isWindowsDeviceName(std::string_view fileName);

std::string withTrailingBackslash(std::string_view path);
std::string withoutTrailingBackslash(std::string_view path);
// Up to and including the last backslash or colon; empty when neither.
std::string folderPart(std::string_view path);
// After the last backslash or colon; the whole path when neither.
std::string fileNamePart(std::string_view path);
// The trailing backslash removed first, then up to the last backslash.
std::string parentFolder(std::string_view path);

// Optional "-" or "+", digits up to the first non-digit; no digits give 0;
// wraps at 32 bits.
std::int32_t intFromText(std::string_view text);
std::string textFromInt(std::int32_t value);

// Takes the part of text before the first separator and leaves what follows
// it; without a separator takes everything and leaves text empty.
std::string parseToken(std::string& text, std::string_view separators);

// The folder an archive is unpacked into: the last "." of the whole path
// becomes "_" (or "_noext" is appended), then a trailing backslash.
std::string folderNameForArchive(std::string_view archivePath);
// The inverse: the archive packed from a folder.
std::string archiveNameForFolder(std::string_view folderPath);

}  // namespace kessik
