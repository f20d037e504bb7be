// Small helpers shared by the program's windows.
#pragma once

#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>

class QPushButton;

namespace kessik {

// The one window of a kind that lives for the whole run: the first one made
// is the instance until it is destroyed.
template <class T>
class RunInstance {
 public:
  static T* instance() { return slot(); }

 protected:
  RunInstance() {
    if (!slot()) slot() = static_cast<T*>(this);
  }
  ~RunInstance() {
    if (slot() == static_cast<T*>(this)) slot() = nullptr;
  }

 private:
  static T*& slot() {
    static T* current = nullptr;
    return current;
  }
};

// Moves a top-level window to the middle of the primary screen.
void centreOnScreen(QWidget* window);
// A fixed-size dialog with the given client area.
void setFixedClientSize(QWidget* window, int width, int height);

// A window that opens at its client size and can be resized (down to the
// minimum given, at most its starting size) and maximised.
void setResizableClientSize(QWidget* window, int width, int height, QSize minimum);

// A window's place and size moved (and shrunk where needed) so that it lies
// whole on the screen's area, as when it was saved on a larger screen.
QRect fitOnScreen(const QRect& window, const QRect& screen);

// Makes a window that shows work in progress belong to the window the user
// is working in (the active modal window, else the active window), so that a
// window manager keeps it above that window rather than behind it. Call it
// before the window is shown.
void ownByActiveWindow(QWidget* window);

// While work runs on this thread: lets the window system expose and paint
// the program's windows (never user input), at most every few tens of
// milliseconds, so that a window raised or uncovered mid-work is painted.
void keepPainted();

// While a modal window of ours is up (a message box, a file dialog, the
// archive tool's window): when it goes, the focus goes back to the window and
// the control that had it before, as far as they are still there.
class FocusReturn {
 public:
  FocusReturn();
  ~FocusReturn();
  FocusReturn(const FocusReturn&) = delete;
  FocusReturn& operator=(const FocusReturn&) = delete;

 private:
  QPointer<QWidget> focus_;
  QPointer<QWidget> window_;
};

// A push button with its objectName and text (UTF-8) at a place and size;
// Return presses it while it has the focus.
QPushButton* addButton(QWidget* parent, const char* objectName, const char* utf8Text, int x, int y,
                       int width = 81, int height = 25);

}  // namespace kessik
