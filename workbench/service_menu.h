// The main window's menu "Сервис": the table of the active section editor's
// section, the search across the databases, and where the active editor's
// record is used. The main window builds it after "Окна" and hands it the
// two things it needs from the frame.
#pragma once

#include <QObject>
#include <QPointer>
#include <QSize>

#include <functional>
#include <map>
#include <string>

#include "editors/schemas/window_table.h"

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QMenuBar;

namespace kessik {

class SectionEditor;
class TFindF;
class TSectionTableF;

class ServiceMenu : public QObject {
  Q_OBJECT

 public:
  struct Frame {
    // Puts a child window into the frame (or brings it forward) and shows it.
    std::function<QMdiSubWindow*(QWidget* child)> addChild;
    // The editor of a window table entry, opened or brought forward;
    // nullptr when it could not be opened.
    std::function<SectionEditor*(const WindowEntry& entry)> showEditor;
  };

  // Adds "Сервис" to the menu bar, as its last menu so far.
  ServiceMenu(QMenuBar* bar, QMdiArea* mdi, Frame frame);

  void SectionTableMenuClick();
  void FindMenuClick();
  void UsagesMenuClick();

  // Closes every section table without asking about its edits, as the
  // section editors are closed when the source trees were rebuilt.
  void closeAllTables();

  // The open table of an editor class, and the search window, or nullptr.
  TSectionTableF* table(const std::string& className) const;
  TFindF* findForm() const;

 private:
  SectionEditor* activeEditor() const;
  void syncEnabled();
  void bringForward(QWidget* child);
  void placeNew(QWidget* child);

  QMdiArea* mdi_;
  Frame frame_;
  QMenu* menu_ = nullptr;
  QAction* tableItem_ = nullptr;
  QAction* findItem_ = nullptr;
  QAction* usagesItem_ = nullptr;
  std::map<std::string, QPointer<TSectionTableF>> tables_;
  QPointer<TFindF> find_;
};

}  // namespace kessik
