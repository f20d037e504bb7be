#include "ui/progress_form.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>

#include "ui/form_util.h"
#include "ui/qtext.h"

namespace kessik {
namespace {

// The bar runs over this many steps; finer changes could not be seen.
constexpr int kSteps = 1000;

}  // namespace

TShowProcessF::TShowProcessF(QWidget* parent) : QDialog(parent) {
  setObjectName("TShowProcessF");
  setWindowTitle(qru("Подождите... типа думаю ;)..."));
  setFixedClientSize(this, 400, 92);
  InfoLab1 = new QLabel(this);
  InfoLab1->setObjectName("InfoLab1");
  InfoLab1->setGeometry(10, 8, 380, 18);
  InfoLab2 = new QLabel(this);
  InfoLab2->setObjectName("InfoLab2");
  InfoLab2->setGeometry(10, 30, 380, 18);
  PrBar = new QProgressBar(this);
  PrBar->setObjectName("PrBar");
  PrBar->setGeometry(10, 58, 380, 22);
  PrBar->setRange(0, 100);
  PrBar->setValue(0);
  PrBar->setTextVisible(false);
}

void TShowProcessF::repaintNow() {
  repaint();
  // Let the window system map and expose the window without handling input:
  // the work itself goes on on this thread.
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TShowProcessF::show() {
  centreOnScreen(this);
  ownByActiveWindow(this);
  QDialog::show();
  raise();
  repaintNow();
}

void TShowProcessF::setLine1(const std::string& text) {
  InfoLab1->setText(toQ(text));
  InfoLab1->repaint();
}

void TShowProcessF::setStage(const std::string& text) {
  InfoLab2->setText(toQ(text));
  shown_ = 0;
  PrBar->setValue(PrBar->minimum());
  repaintNow();
}

int TShowProcessF::shownStep(std::uint64_t position) const {
  if (maximum_ == 0) return 0;
  if (position >= maximum_) return kSteps;
  return static_cast<int>((static_cast<long double>(position) * kSteps) / static_cast<long double>(maximum_));
}

void TShowProcessF::setMaximum(std::uint64_t maximum) {
  maximum_ = maximum;
  // The bar works in steps, so that any 64-bit maximum fits its range.
  PrBar->setRange(0, kSteps);
  shown_ = 0;
  PrBar->setValue(0);
  repaintNow();
}

void TShowProcessF::setPosition(std::uint64_t position) {
  const int step = shownStep(position);
  if (step == shown_) return;
  shown_ = step;
  PrBar->setValue(PrBar->maximum() == kSteps ? step : static_cast<int>(std::min<std::uint64_t>(position, 100)));
  PrBar->repaint();
  ++barUpdates_;
  keepPainted();
}

void TShowProcessF::close() { QDialog::close(); }

}  // namespace kessik
