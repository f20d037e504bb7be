// Long work on the user interface thread, shown as working: a busy cursor
// from the start, the progress window once the work has run for half a
// second, and at the end a line in the main window's status bar that says
// what was done and how long it took ("Отсортировано: 20 000 записей, 1,2 с").
//
//   BusyWork busy(ru("Сортировка записей"));
//   if (!sortSection(folder, list, nullptr, busy)) return;  // no line
//   busy.done(ru("Отсортировано: ") + countText(n) + ru(" записей"));
//
// A BusyWork made while another runs belongs to the outer one: the outer one
// keeps the cursor, the window and the clock, the inner one only reports its
// stage. A message box shown meanwhile has the normal cursor.
#pragma once

#include <QElapsedTimer>

#include <cstdint>
#include <functional>
#include <string>

#include "core/progress.h"

class QString;

namespace kessik {

class BusyWork : public Progress {
 public:
  // what: line 1 of the progress window (cp1251).
  explicit BusyWork(std::string what);
  ~BusyWork() override;
  BusyWork(const BusyWork&) = delete;
  BusyWork& operator=(const BusyWork&) = delete;

  // Progress, as the work reports it. Positions past half a second bring the
  // progress window up; before that nothing is drawn.
  void setLine1(const std::string& text) override;
  void setStage(const std::string& text) override;
  void setMaximum(std::uint64_t maximum) override;
  void setPosition(std::uint64_t position) override;

  // The work is done: shows "line, 1,2 с" in the status bar (the outer
  // work's clock when nested).
  void done(const std::string& line);
  // Seconds since the (outermost) work began.
  double seconds() const;
  // Whether the progress window has been brought up.
  bool windowShown() const;

  // The progress window the work brings up (the run's progress window when
  // unset); tests put their own.
  static void setWindow(Progress* window);
  // How long the work runs before the progress window comes (500 ms).
  static void setDelayMs(int ms);

 private:
  void bringUp();

  BusyWork* outer_;
  std::string line1_, stage_;
  std::uint64_t maximum_ = 0;
  bool hasMaximum_ = false;
  bool shown_ = false;
  QElapsedTimer clock_;
};

// Where status-bar lines go: the main window installs its status bar (and
// uninstalls it with nullptr). Without one a line goes nowhere.
void setStatusLineSink(std::function<void(const QString&)> sink);
// Shows a line (cp1251) in the main window's status bar.
void showStatusLine(const std::string& line);

// "20 000" and "1,2 с", as the program shows counts and durations.
std::string countText(std::uint64_t n);
// "1 запись", "3 записи", "20 000 записей".
std::string recordsText(std::uint64_t n);
std::string secondsText(double seconds);

}  // namespace kessik
