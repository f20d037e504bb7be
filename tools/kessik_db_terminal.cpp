// Standard error as kessik-db's window: messages as UTF-8 lines, and a
// progress bar when it is a terminal.
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "platform/host.h"
#include "kessik_db.h"
#include "util/cp1251.h"
#include "util/notify.h"

namespace kessik::tool {
namespace {

class TerminalProgress : public Progress {
 public:
  TerminalProgress() : enabled_(::isatty(STDERR_FILENO) == 1) {}

  void show() override { shown_ = false; }
  void setStage(const std::string& text) override {
    stage_ = cp1251ToUtf8(text);
    position_ = 0;
    percent_ = -1;
    draw();
  }
  void setMaximum(std::uint64_t maximum) override {
    maximum_ = maximum;
    draw();
  }
  void setPosition(std::uint64_t position) override {
    position_ = position;
    if (percentNow() != percent_) draw();
  }
  void close() override { clear(); }

  void clear() {
    if (enabled_ && shown_) std::fputs("\r\033[K", stderr);
    shown_ = false;
    percent_ = -1;  // drawn again at the next change
  }

 private:
  int percentNow() const {
    if (maximum_ == 0) return 0;
    std::uint64_t p = position_ >= maximum_ ? maximum_ : position_;
    return static_cast<int>(p * 100 / maximum_);
  }
  void draw() {
    percent_ = percentNow();
    if (!enabled_) return;
    constexpr int kWidth = 30;
    std::string bar(static_cast<std::size_t>(percent_ * kWidth / 100), '#');
    bar.resize(kWidth, ' ');
    std::fprintf(stderr, "\r\033[K%s [%s] %3d%%", stage_.c_str(), bar.c_str(), percent_);
    std::fflush(stderr);
    shown_ = true;
  }

  bool enabled_;
  bool shown_ = false;
  std::string stage_;
  std::uint64_t maximum_ = 100;
  std::uint64_t position_ = 0;
  int percent_ = -1;
};

TerminalProgress& bar() {
  static TerminalProgress p;
  return p;
}

class StderrNotifier : public Notifier {
 public:
  Answer show(const Message& m) override {
    clearProgressLine();
    std::string text = cp1251ToUtf8(m.text);
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
    return defaultAnswer(m.buttons);
  }
};

}  // namespace

Progress& terminalProgress() { return bar(); }
void clearProgressLine() { bar().clear(); }

void installStderrNotifier() {
  static StderrNotifier n;
  setNotifier(&n);
}

std::optional<std::string> windowsPathOf(const std::string& hostPath) {
  if (hostPath.empty()) {
    clearProgressLine();
    std::fputs("Путь пустой (аргумент \"\"). Ничего не сделано.\n", stderr);
    return std::nullopt;
  }
  if (auto win = platform::fromHost(std::filesystem::path(hostPath))) return win;
  // The host name may hold what cp1251 cannot, so it is printed as it came.
  clearProgressLine();
  std::fprintf(stderr,
               "Путь %s не переводится в путь Windows: в нем есть символы вне кодировки cp1251 "
               "или недопустимые в имени (\\ :). Ничего не сделано.\n",
               hostPath.c_str());
  return std::nullopt;
}

}  // namespace kessik::tool
