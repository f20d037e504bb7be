#include "ui/qtext.h"

#include <QList>

#include <cstdio>

#include "platform/host.h"
#include "util/cp1251.h"
#include "util/notify.h"

namespace kessik {

std::string appTitle() { return ru("Редактор части ресурсов ЗМ "); }

QString toQ(std::string_view cp1251) {
  const std::string utf8 = cp1251ToUtf8(cp1251);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::optional<std::string> fromQ(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  return utf8ToCp1251(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

std::string unmappableMessage(std::string_view utf8Character) {
  // Name the character by its code so that the message itself stays in cp1251.
  const QString ch = QString::fromUtf8(utf8Character.data(), static_cast<qsizetype>(utf8Character.size()));
  const char32_t code = ch.isEmpty() ? 0 : ch.toUcs4().value(0);
  char buf[16];
  std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(code));
  return ru("Текст содержит символ ") + buf +
         ru(", которого нет в кодировке Windows-1251. Уберите его: такой текст не записывается.");
}

std::optional<std::string> fromQOrRefuse(const QString& text) {
  if (auto bytes = fromQ(text)) return bytes;
  const QByteArray utf8 = text.toUtf8();
  const auto bad = firstUnmappable(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
  messageDialog(Icon::Error, unmappableMessage(bad.value_or("")));
  return std::nullopt;
}

QString toHostQ(std::string_view windowsPath) {
  const auto host = platform::toHost(windowsPath);
  if (!host) return {};
  const std::u8string u8 = host->u8string();
  return QString::fromUtf8(reinterpret_cast<const char*>(u8.data()), static_cast<qsizetype>(u8.size()));
}

std::optional<std::string> fromHostQ(const QString& hostPath) {
  if (hostPath.isEmpty()) return std::nullopt;
  const QByteArray utf8 = hostPath.toUtf8();
  std::u8string u8(reinterpret_cast<const char8_t*>(utf8.constData()), static_cast<size_t>(utf8.size()));
  return platform::fromHost(std::filesystem::path(u8));
}

}  // namespace kessik
