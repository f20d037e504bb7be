// The Win32 API reports by GetLastError: its codes in the program's reasons.
#include <windows.h>

#include "platform/errors.h"

namespace kessik::platform {

SystemError hostError(unsigned long code) {
  const long n = static_cast<long>(code);
  switch (code) {
    case ERROR_SUCCESS: return {};
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME: return {Failure::NotFound, n};
    case ERROR_INVALID_DRIVE: return {Failure::NoDrive, n};
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD: return {Failure::AccessDenied, n};
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return {Failure::DiskFull, n};
    case ERROR_WRITE_PROTECT: return {Failure::ReadOnlyDisk, n};
    case ERROR_DIRECTORY: return {Failure::NotFolder, n};
    case ERROR_TOO_MANY_OPEN_FILES: return {Failure::TooManyOpen, n};
    case ERROR_FILE_TOO_LARGE: return {Failure::FileTooLarge, n};
    case ERROR_FILENAME_EXCED_RANGE: return {Failure::NameTooLong, n};
    case ERROR_CRC:
    case ERROR_SEEK:
    case ERROR_WRITE_FAULT:
    case ERROR_READ_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_IO_DEVICE: return {Failure::IoError, n};
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE: return {Failure::InUse, n};
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return {Failure::Exists, n};
    default: return {Failure::Other, n};
  }
}

SystemError lastHostError() { return hostError(GetLastError()); }

}  // namespace kessik::platform
