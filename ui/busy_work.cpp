#include "ui/busy_work.h"

#include <QApplication>
#include <QCursor>
#include <QString>

#include <cmath>
#include <cstdio>

#include "ui/progress_form.h"
#include "ui/qtext.h"
#include "util/cp1251.h"

namespace kessik {
namespace {

BusyWork* gCurrent = nullptr;
Progress* gWindow = nullptr;
int gDelayMs = 500;

std::function<void(const QString&)>& sink() {
  static std::function<void(const QString&)> s;
  return s;
}

Progress* progressWindow() {
  if (gWindow) return gWindow;
  return TShowProcessF::instance();
}

}  // namespace

BusyWork::BusyWork(std::string what) : outer_(gCurrent), line1_(std::move(what)) {
  if (outer_) {
    if (outer_->shown_) outer_->setLine1(line1_);
    return;
  }
  gCurrent = this;
  clock_.start();
  if (qApp) QApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyWork::~BusyWork() {
  if (outer_) return;
  gCurrent = nullptr;
  if (shown_)
    if (Progress* w = progressWindow()) w->close();
  if (qApp) QApplication::restoreOverrideCursor();
}

double BusyWork::seconds() const {
  const BusyWork* top = this;
  while (top->outer_) top = top->outer_;
  return static_cast<double>(top->clock_.elapsed()) / 1000.0;
}

bool BusyWork::windowShown() const { return outer_ ? outer_->windowShown() : shown_; }

void BusyWork::setWindow(Progress* window) { gWindow = window; }
void BusyWork::setDelayMs(int ms) { gDelayMs = ms; }

void BusyWork::bringUp() {
  Progress* w = progressWindow();
  if (!w) return;
  shown_ = true;
  w->show();
  w->setLine1(line1_);
  w->setStage(stage_);
  if (hasMaximum_) w->setMaximum(maximum_);
}

void BusyWork::setLine1(const std::string& text) {
  if (outer_) return outer_->setLine1(text);
  line1_ = text;
  if (shown_)
    if (Progress* w = progressWindow()) w->setLine1(text);
}

void BusyWork::setStage(const std::string& text) {
  if (outer_) return outer_->setStage(text);
  stage_ = text;
  if (shown_)
    if (Progress* w = progressWindow()) w->setStage(text);
}

void BusyWork::setMaximum(std::uint64_t maximum) {
  if (outer_) return outer_->setMaximum(maximum);
  maximum_ = maximum;
  hasMaximum_ = true;
  if (shown_)
    if (Progress* w = progressWindow()) w->setMaximum(maximum);
}

void BusyWork::setPosition(std::uint64_t position) {
  if (outer_) return outer_->setPosition(position);
  if (!shown_) {
    if (clock_.elapsed() < gDelayMs) return;
    bringUp();
  }
  if (Progress* w = progressWindow()) w->setPosition(position);
}

void BusyWork::done(const std::string& line) { showStatusLine(line + ", " + secondsText(seconds())); }

void setStatusLineSink(std::function<void(const QString&)> s) { sink() = std::move(s); }

void showStatusLine(const std::string& line) {
  if (sink()) sink()(toQ(line));
}

std::string countText(std::uint64_t n) {
  std::string digits = std::to_string(n), out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ' ';
    out += digits[i];
  }
  return out;
}

std::string recordsText(std::uint64_t n) {
  const std::uint64_t tens = n % 100, ones = n % 10;
  const char* word = (tens >= 11 && tens <= 14) ? " записей"
                     : ones == 1                ? " запись"
                     : (ones >= 2 && ones <= 4) ? " записи"
                                                : " записей";
  return countText(n) + ru(word);
}

std::string secondsText(double seconds) {
  if (!(seconds >= 0)) seconds = 0;
  const long long tenths = std::llround(seconds * 10);
  return std::to_string(tenths / 10) + "," + std::to_string(tenths % 10) + ru(" с");
}

}  // namespace kessik
