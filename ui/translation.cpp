#include "ui/translation.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace kessik {

QStringList qtTranslationFolders() {
  QStringList folders;
  const QString beside = QCoreApplication::applicationDirPath();
  if (!beside.isEmpty()) folders << QDir(beside).filePath("translations");
  folders << QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  return folders;
}

bool installQtTranslation(QCoreApplication& app) {
  for (const QString& folder : qtTranslationFolders()) {
    auto* translator = new QTranslator(&app);
    if (translator->load("qtbase_ru", folder)) {
      QCoreApplication::installTranslator(translator);
      // Numbers and dates in Qt's own widgets follow the same language.
      QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
      return true;
    }
    delete translator;
  }
  return false;
}

}  // namespace kessik
