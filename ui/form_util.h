// Small helpers shared by the program's windows.
#pragma once

class QPushButton;
class QWidget;

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

// Makes a window that shows work in progress belong to the window the user
// is working in (the active modal window, else the active window), so that a
// window manager keeps it above that window rather than behind it. Call it
// before the window is shown.
void ownByActiveWindow(QWidget* window);

// While work runs on this thread: lets the window system expose and paint
// the program's windows (never user input), at most every few tens of
// milliseconds, so that a window raised or uncovered mid-work is painted.
void keepPainted();

// A push button with its objectName and text (UTF-8) at a place and size.
QPushButton* addButton(QWidget* parent, const char* objectName, const char* utf8Text, int x, int y,
                       int width = 81, int height = 25);

}  // namespace kessik
