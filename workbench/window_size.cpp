#include "workbench/window_size.h"

#include <QMdiSubWindow>
#include <QWidget>

#include <string>

#include "config/ini_file.h"
#include "config/settings.h"
#include "platform/files.h"

namespace kessik {

namespace {

constexpr const char* kSection = "Workbench";

const QWidget* frameOf(const QWidget* window) {
  if (auto* frame = qobject_cast<const QMdiSubWindow*>(window->parentWidget())) return frame;
  return window;
}

}  // namespace

QSize rememberedSize(const char* key, QSize fallback) {
  const std::string& path = settings().IniFilePath;
  if (path.empty() || !fileExists(path)) return fallback;
  TAnIniFile ini;
  if (!ini.LoadFromFile(path)) return fallback;
  const std::string value = ini.ReadString(kSection, key);
  const auto comma = value.find(',');
  if (comma == std::string::npos) return fallback;
  auto w = TAnIniFile::parseInteger(value.substr(0, comma));
  auto h = TAnIniFile::parseInteger(value.substr(comma + 1));
  if (!w || !h || *w < 100 || *h < 80 || *w > 20000 || *h > 20000) return fallback;
  return QSize(*w, *h);
}

void rememberSize(const char* key, const QWidget* window) {
  const std::string& path = settings().IniFilePath;
  if (path.empty() || !fileExists(path)) return;
  const QSize size = frameOf(window)->size();
  TAnIniFile ini;
  // A file that is there but could not be read is left alone.
  if (ini.LoadFromFile(path) && ini.buffer().Size() == 0 && fileSize64(path) > 0) return;
  if (ini.ReadString(kSection, key) == std::to_string(size.width()) + "," + std::to_string(size.height())) return;
  ini.WriteString(kSection, key, std::to_string(size.width()) + "," + std::to_string(size.height()));
  ini.SaveToFile(path);
}

void applyRememberedSize(const char* key, QWidget* window, QSize fallback) {
  QWidget* frame = const_cast<QWidget*>(frameOf(window));
  frame->resize(rememberedSize(key, fallback));
}

}  // namespace kessik
