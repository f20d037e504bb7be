// Helpers of the section editor window tests: finding a control by its
// objectName, picking a list entry as the user does, and scripted stand-ins
// for the modal dialogs the editors call (editors/dialog_hooks.h).
//
// ScriptedDialogs: each call is noted
// in `asked` (the prompt, the template folder, the raw value's bytes, or the
// chooser's entries followed by "#" and its start index, the sound list's
// bytes); each answer is taken from its queue, and an empty queue answers as
// a cancelled dialog.
#pragma once

#include <QComboBox>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QTableWidget>
#include <QToolButton>
#include <QWidget>
#include <QtTest>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "editors/dialog_hooks.h"

namespace kessik::guitest {

// The control of that objectName inside the window; the test stops without it.
template <class T>
T* childOf(QWidget* window, const char* name) {
  T* c = window ? window->findChild<T*>(name) : nullptr;
  if (!c) qFatal("no widget %s", name);
  return c;
}

// The first line of each message: a refused value adds a line per failing
// row under the message of its check.
inline std::vector<std::string> firstLines(const std::vector<std::string>& texts) {
  std::vector<std::string> out;
  for (const auto& t : texts) out.push_back(t.substr(0, t.find('\n')));
  return out;
}

// Picks entry `index` of a list as a click on it does.
inline void pickEntry(QComboBox* box, int index) {
  box->setCurrentIndex(index);
  emit box->activated(index);
}

// Drives one editor window by its controls' objectNames, as a user would:
// picking list entries, typing into value cells, pressing buttons and the
// row button.
struct EditorDriver {
  QPointer<QWidget> w;

  template <class T>
  T* child(const char* name) const {
    return childOf<T>(w, name);
  }
  QTableWidget* table() const { return child<QTableWidget>("ValuesEd"); }
  // The row button, or nullptr while the table has none.
  QToolButton* rowButton() const { return table()->viewport()->findChild<QToolButton*>("ValuesEdEditButton"); }
  bool rowButtonShown() const { return rowButton() && !rowButton()->isHidden(); }
  void pick(const char* box, int index) const { pickEntry(child<QComboBox>(box), index); }
  int current(const char* box) const { return child<QComboBox>(box)->currentIndex(); }
  QStringList items(const char* box) const {
    QStringList out;
    auto* b = child<QComboBox>(box);
    for (int i = 0; i < b->count(); ++i) out << b->itemText(i);
    return out;
  }
  void click(const char* button) const { QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton); }
  void clickRowButton() const { QTest::mouseClick(rowButton(), Qt::LeftButton); }
  QString cell(int row) const { return table()->item(row, 1)->text(); }
  void setCell(int row, const QString& text) const { table()->item(row, 1)->setText(text); }
};

struct ScriptedDialogs {
  std::deque<std::optional<std::string>> prompts, templates, templateSaves, raws;
  std::deque<std::string> choices, sounds;
  std::vector<std::string> asked;

  // Empties the queues and the notes and installs the hooks.
  void install() {
    prompts.clear();
    templates.clear();
    templateSaves.clear();
    raws.clear();
    choices.clear();
    sounds.clear();
    asked.clear();
    dialogs::askText = [this](const std::string& prompt) { return note(prompt, prompts); };
    dialogs::chooseTemplate = [this](const std::string& folder) { return note(folder, templates); };
    dialogs::saveAsTemplate = [this](const std::string& folder) { return note(folder, templateSaves); };
    dialogs::rawValue = [this](const std::string& bytes) { return note(bytes, raws); };
    dialogs::chooseValue = [this](const std::string& entries, int index) {
      asked.push_back(entries + "#" + std::to_string(index));
      if (choices.empty()) return std::string("\r");
      std::string c = choices.front();
      choices.pop_front();
      return c;
    };
    dialogs::editSoundList = [this](const std::string& bytes) {
      asked.push_back(bytes);
      if (sounds.empty()) return std::string("NIL");
      std::string s = sounds.front();
      sounds.pop_front();
      return s;
    };
  }

 private:
  std::optional<std::string> note(const std::string& what, std::deque<std::optional<std::string>>& answers) {
    asked.push_back(what);
    if (answers.empty()) return std::nullopt;
    auto v = answers.front();
    answers.pop_front();
    return v;
  }
};

}  // namespace kessik::guitest
