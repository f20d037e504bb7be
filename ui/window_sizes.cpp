#include "ui/window_sizes.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QMdiSubWindow>
#include <QPointer>
#include <QScreen>
#include <QWidget>

#include "config/ini_file.h"
#include "config/settings.h"
#include "platform/files.h"
#include "util/notify.h"

namespace kessik {
namespace {

// Size writes say nothing: a failed one costs a remembered size, no work.
class Silent : public Notifier {
 public:
  Answer show(const Message& m) override { return defaultAnswer(m.buttons); }
};

class SilentScope {
 public:
  SilentScope() : previous_(setNotifier(&silent_)) {}
  ~SilentScope() { setNotifier(previous_); }

 private:
  Silent silent_;
  Notifier* previous_;
};

bool loadIni(TAnIniFile& ini) {
  const std::string& path = settings().IniFilePath;
  if (path.empty() || !fileExists(path)) return false;
  SilentScope quiet;
  // A file that is there but could not be read is never written over.
  return ini.LoadFromFile(path) && !(ini.buffer().Size() == 0 && fileSize64(path) > 0);
}

std::optional<QSize> parseSize(const std::string& text) {
  const auto comma = text.find(',');
  if (comma == std::string::npos) return std::nullopt;
  const auto w = TAnIniFile::parseInteger(text.substr(0, comma));
  const auto h = TAnIniFile::parseInteger(text.substr(comma + 1));
  if (!w || !h || *w <= 0 || *h <= 0) return std::nullopt;
  return QSize(*w, *h);
}

// Whether the window shows its own (normal) size: not maximised or
// minimised, itself or in its frame.
bool normalState(const QWidget* w) {
  if (w->isMaximized() || w->isMinimized()) return false;
  if (auto* frame = qobject_cast<const QMdiSubWindow*>(w->parentWidget()))
    return !frame->isMaximized() && !frame->isMinimized();
  return true;
}

class SizeKeeper : public QObject {
 public:
  SizeKeeper(QWidget* window, std::string windowClass, std::optional<QSize> stored)
      : QObject(window), window_(window), class_(std::move(windowClass)), stored_(stored), size_(window->size()) {
    window->installEventFilter(this);
  }
  ~SizeKeeper() override { write(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == window_) {
      if (event->type() == QEvent::Resize && window_->isVisible() && normalState(window_)) size_ = window_->size();
      else if (event->type() == QEvent::Close) write();
    }
    return false;
  }

 private:
  void write() {
    if (stored_ && *stored_ == size_) return;
    if (storeWindowSize(class_, size_)) stored_ = size_;
  }

  QPointer<QWidget> window_;
  std::string class_;
  std::optional<QSize> stored_;
  QSize size_;
};

}  // namespace

std::optional<QSize> storedWindowSize(const std::string& windowClass) {
  TAnIniFile ini;
  if (!loadIni(ini)) return std::nullopt;
  return parseSize(ini.ReadString(kWindowSizesSection, windowClass));
}

bool storeWindowSize(const std::string& windowClass, QSize size) {
  TAnIniFile ini;
  if (!loadIni(ini)) return false;
  ini.WriteString(kWindowSizesSection, windowClass,
                  std::to_string(size.width()) + "," + std::to_string(size.height()));
  SilentScope quiet;
  return ini.SaveToFile(settings().IniFilePath);
}

void rememberWindowSize(QWidget* window, const std::string& windowClass) {
  const std::optional<QSize> stored = storedWindowSize(windowClass);
  if (stored) {
    QSize size = stored->expandedTo(window->minimumSize()).boundedTo(window->maximumSize());
    if (QScreen* screen = QGuiApplication::primaryScreen()) size = size.boundedTo(screen->availableSize());
    window->resize(size.expandedTo(window->minimumSize()));
  }
  new SizeKeeper(window, windowClass, stored);
}

}  // namespace kessik
