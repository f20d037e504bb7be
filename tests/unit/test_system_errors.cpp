// The reasons of failed host calls as the program says them.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "platform/errors.h"
#include "util/cp1251.h"

using namespace kessik;
using namespace kessik::platform;

TEST(SystemErrors, ReasonTexts) {
  struct Case {
    SystemError error;
    const char* text;
  };
  const Case cases[] = {
      {errnoError(ENOENT), "нет такого файла или папки"},
      {errnoError(EACCES), "нет доступа"},
      {errnoError(ENOSPC), "на диске нет места"},
      {errnoError(EROFS), "диск только для чтения"},
      {errnoError(EISDIR), "это папка"},
      {errnoError(EMFILE), "открыто слишком много файлов"},
      {errnoError(ENAMETOOLONG), "слишком длинное имя"},
      {errnoError(EIO), "ошибка ввода-вывода"},
      {errnoError(0), "причина неизвестна"},
      {errnoError(9999), "ошибка системы 9999"},
  // The host API's own codes: errno here, GetLastError's on Windows.
#ifdef _WIN32
      {hostError(5), "нет доступа"},               // ERROR_ACCESS_DENIED
      {hostError(112), "на диске нет места"},      // ERROR_DISK_FULL
      {hostError(3), "нет такого файла или папки"},  // ERROR_PATH_NOT_FOUND
      {hostError(19), "диск только для чтения"},   // ERROR_WRITE_PROTECT
      {hostError(32), "файл занят другой программой"},  // ERROR_SHARING_VIOLATION
      {hostError(1392), "ошибка системы 1392"},
#else
      {hostError(EACCES), "нет доступа"},
      {hostError(ENOSPC), "на диске нет места"},
#endif
  };
  for (const Case& c : cases)
    EXPECT_EQ(cp1251ToUtf8(reasonText(c.error)), c.text) << c.error.code;
}

TEST(SystemErrors, SentenceNamesTheFileAndTheReason) {
  EXPECT_EQ(cp1251ToUtf8(failureSentence(FileDeed::Write, "C:\\src\\items\\2\\0000001.zap", errnoError(ENOSPC))),
            "Не удалось записать файл «C:\\src\\items\\2\\0000001.zap»: на диске нет места.");
  // A path of cp1251 bytes stays as it is.
  EXPECT_EQ(failureLine(FileDeed::Open, ru("C:\\Папка\\a.txt"), failureOf(Failure::NoDrive)),
            "\n" + ru("Не удалось открыть файл «C:\\Папка\\a.txt»: такого диска нет."));
}
