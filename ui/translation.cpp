#include "ui/translation.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace kessik {

namespace {

// Texts of Qt's widgets that Qt's own Russian translation lacks (the kinds
// of entry in the file dialogs' list).
class MissingQtTexts : public QTranslator {
 public:
  using QTranslator::QTranslator;
  bool isEmpty() const override { return false; }
  QString translate(const char* context, const char* source, const char*, int) const override {
    if (qstrcmp(context, "QAbstractFileIconProvider") != 0) return {};
    static const struct {
      const char* source;
      const char* text;
    } kTexts[] = {
        {"Folder", "Папка"}, {"File Folder", "Папка"}, {"Drive", "Диск"},
        {"File", "Файл"},    {"%1 File", "Файл %1"},   {"Shortcut", "Ярлык"},
        {"Alias", "Ярлык"},
    };
    for (const auto& t : kTexts)
      if (qstrcmp(source, t.source) == 0) return QString::fromUtf8(t.text);
    return {};
  }
};

}  // namespace

void preferRussianDates() {
  // Read once by Qt when the application starts; the user's own choice of
  // LC_ALL or LC_TIME is kept.
  if (qEnvironmentVariableIsEmpty("LC_ALL") && qEnvironmentVariableIsEmpty("LC_TIME"))
    qputenv("LC_TIME", "ru_RU.UTF-8");
}

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
      QCoreApplication::installTranslator(new MissingQtTexts(&app));
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
