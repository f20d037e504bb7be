// Why a call to the host failed, in words of ours. The host's number (errno,
// or GetLastError on Windows) is taken right where a call fails, before any
// other call can change it, and turned into a reason of a short list; the
// messages that pass on a failure add a Russian line naming the file and the
// reason ("Не удалось записать файл «C:\src\items\2\0000001.zap»: на диске
// нет места.").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kessik::platform {

enum class Failure : std::uint8_t {
  None,         // nothing known
  NotFound,     // no such file or folder
  AccessDenied,
  DiskFull,
  ReadOnlyDisk,
  IsFolder,
  NotFolder,    // a part of the path is a file
  NotAFile,     // a pipe or a device where a file should be
  TooManyOpen,
  FileTooLarge,
  NameTooLong,
  IoError,
  InUse,        // held by another program
  Exists,
  NoDrive,      // the path's drive is not there (or the path is no full one)
  Other,        // only the number says what
};

struct SystemError {
  Failure reason = Failure::None;
  long code = 0;  // the host's number; 0 for a reason of ours
};

// errno as the C library set it (on Windows too, for the C library's calls).
SystemError errnoError(int code);
// A code of the host's own file API: errno here, GetLastError's on Windows.
SystemError hostError(unsigned long code);
// The code the host API's call that has just failed left behind.
SystemError lastHostError();
// A reason the program found itself (no host number).
inline SystemError failureOf(Failure f) { return {f, 0}; }

// The reason as a phrase (cp1251, lower case, no full stop): "нет доступа",
// "на диске нет места"; a number not in the list: "ошибка системы 1234".
std::string reasonText(const SystemError& error);

// The failure the host layer noted last on this thread. Every call of the
// host layer that fails notes its reason before it returns (a successful one
// leaves the note alone), so the caller that tells of a failure reads it
// right after the call.
void noteFailure(const SystemError& error);
SystemError lastFailure();

enum class FileDeed : std::uint8_t { Open, Read, Write, Create };
// "Не удалось записать файл «PATH»: на диске нет места." (cp1251).
std::string failureSentence(FileDeed deed, std::string_view path, const SystemError& error);
// The same as a second line to a message's first: "\n" + the sentence.
std::string failureLine(FileDeed deed, std::string_view path, const SystemError& error);

}  // namespace kessik::platform
