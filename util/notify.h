// How the Qt-free code tells the user something. Nothing below the windows
// shows a window: it hands a Message to the installed Notifier, which the GUI
// routes to a message box, the command-line tool to standard error, and the
// tests to a recorder.
#pragma once

#include <string>

namespace kessik {

enum class Icon { None, Information, Warning, Error, Question };

enum Button : unsigned { ButtonOk = 1, ButtonYes = 2, ButtonNo = 4, ButtonCancel = 8 };

enum class Answer { Ok, Yes, No, Cancel };

struct Message {
  Icon icon = Icon::None;
  std::string caption;  // cp1251; empty: the platform's default caption
  std::string text;     // cp1251
  unsigned buttons = ButtonOk;
};

class Notifier {
 public:
  virtual ~Notifier() = default;
  virtual Answer show(const Message& message) = 0;
  virtual void beep() {}
};

// The notifier in force. The default writes the text to standard error and
// answers No (or Cancel, or Ok when that is the only button).
Notifier& notifier();
// Installs a notifier (nullptr restores the default); returns the previous one.
Notifier* setNotifier(Notifier* n);

// Work that runs on a thread of its own never reaches the program's
// notifier (which may show a window): for as long as this object lives,
// notifier() on the thread that made it is the one given.
class ThreadNotifier {
 public:
  explicit ThreadNotifier(Notifier& n);
  ~ThreadNotifier();
  ThreadNotifier(const ThreadNotifier&) = delete;
  ThreadNotifier& operator=(const ThreadNotifier&) = delete;

 private:
  Notifier* previous_;
};

// A plain message box: no icon, the platform's default caption, OK.
Answer messageBox(const std::string& text);
// A message dialog of a kind: its caption is "Error", "Warning",
// "Information" or "Confirm".
Answer messageDialog(Icon kind, const std::string& text, unsigned buttons = ButtonOk);
// A message box with its own caption and icon.
Answer messageBoxEx(const std::string& text, const std::string& caption, Icon icon,
                    unsigned buttons = ButtonOk);

// The default answer for a set of buttons when nobody can be asked.
Answer defaultAnswer(unsigned buttons);

}  // namespace kessik
