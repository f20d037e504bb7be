// The reasons of failed host calls as the program says them, and the note
// of the last one on each thread.
#include <cerrno>

#include "platform/errors.h"
#include "util/cp1251.h"

namespace kessik::platform {
namespace {

thread_local SystemError lastNoted;

}  // namespace

SystemError errnoError(int code) {
  switch (code) {
    case 0: return {};
    case ENOENT: return {Failure::NotFound, code};
    case EACCES:
    case EPERM: return {Failure::AccessDenied, code};
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
      return {Failure::DiskFull, code};
    case EROFS: return {Failure::ReadOnlyDisk, code};
    case EISDIR: return {Failure::IsFolder, code};
    case ENOTDIR: return {Failure::NotFolder, code};
    case ENXIO: return {Failure::NotAFile, code};
    case EMFILE:
    case ENFILE: return {Failure::TooManyOpen, code};
    case EFBIG:
#ifdef EOVERFLOW
    case EOVERFLOW:
#endif
      return {Failure::FileTooLarge, code};
    case ENAMETOOLONG: return {Failure::NameTooLong, code};
    case EIO: return {Failure::IoError, code};
    case EBUSY:
#ifdef ETXTBSY
    case ETXTBSY:
#endif
      return {Failure::InUse, code};
    case EEXIST: return {Failure::Exists, code};
    default: return {Failure::Other, code};
  }
}

std::string reasonText(const SystemError& error) {
  switch (error.reason) {
    case Failure::None: return ru("причина неизвестна");
    case Failure::NotFound: return ru("нет такого файла или папки");
    case Failure::AccessDenied: return ru("нет доступа");
    case Failure::DiskFull: return ru("на диске нет места");
    case Failure::ReadOnlyDisk: return ru("диск только для чтения");
    case Failure::IsFolder: return ru("это папка");
    case Failure::NotFolder: return ru("часть пути не является папкой");
    case Failure::NotAFile: return ru("это не обычный файл");
    case Failure::TooManyOpen: return ru("открыто слишком много файлов");
    case Failure::FileTooLarge: return ru("файл слишком велик");
    case Failure::NameTooLong: return ru("слишком длинное имя");
    case Failure::IoError: return ru("ошибка ввода-вывода");
    case Failure::InUse: return ru("файл занят другой программой");
    case Failure::Exists: return ru("такое имя уже есть");
    case Failure::NoDrive: return ru("такого диска нет");
    case Failure::Other: break;
  }
  return ru("ошибка системы ") + std::to_string(error.code);
}

void noteFailure(const SystemError& error) { lastNoted = error; }

SystemError lastFailure() { return lastNoted; }

std::string failureSentence(FileDeed deed, std::string_view path, const SystemError& error) {
  const char* verb = "";
  switch (deed) {
    case FileDeed::Open: verb = "открыть"; break;
    case FileDeed::Read: verb = "прочитать"; break;
    case FileDeed::Write: verb = "записать"; break;
    case FileDeed::Create: verb = "создать"; break;
  }
  return ru("Не удалось ") + ru(verb) + ru(" файл «") + std::string(path) + ru("»: ") + reasonText(error) + ".";
}

std::string failureLine(FileDeed deed, std::string_view path, const SystemError& error) {
  std::string line(1, '\n');
  line += failureSentence(deed, path, error);
  return line;
}

}  // namespace kessik::platform
