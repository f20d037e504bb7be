// The progress window: two lines of text above a bar, shown without being
// modal while long work runs on the user interface thread.
#pragma once

#include <QDialog>

#include "ui/form_util.h"

#include <cstdint>

#include "core/progress.h"

class QLabel;
class QProgressBar;

namespace kessik {

class TShowProcessF : public QDialog, public Progress, public RunInstance<TShowProcessF> {
  Q_OBJECT

 public:
  explicit TShowProcessF(QWidget* parent = nullptr);

  // The one window of the run (nullptr before it is created).

  // Progress: each setter repaints at once, the position only when what the
  // bar shows changes.
  void show() override;
  void setLine1(const std::string& text) override;
  void setStage(const std::string& text) override;
  void setMaximum(std::uint64_t maximum) override;
  void setPosition(std::uint64_t position) override;
  void close() override;

  // How many times the bar was redrawn for a position (for tests and
  // measurements).
  int barUpdates() const { return barUpdates_; }

  QLabel* InfoLab1 = nullptr;
  QLabel* InfoLab2 = nullptr;
  QProgressBar* PrBar = nullptr;

 private:
  void repaintNow();
  int shownStep(std::uint64_t position) const;

  std::uint64_t maximum_ = 100;
  int shown_ = -1;  // the step the bar shows
  int barUpdates_ = 0;
};

}  // namespace kessik
