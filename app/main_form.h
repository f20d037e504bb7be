// The main window: a multiple-document frame with the program's menus, the
// tool bar and the status bar. It opens each section editor (and the
// resources window) at most once, keeps the text editor slots, starts the
// game and remembers its own geometry in the configuration.
#pragma once

#include <QMainWindow>

#include "ui/form_util.h"
#include <QPointer>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "editors/schemas/window_table.h"

class QAction;
class QMdiArea;
class QMenuBar;
class QMdiSubWindow;
class QMenu;
class QToolButton;

namespace kessik {

class SectionEditor;
class ServiceMenu;

class TMainForm : public QMainWindow, public RunInstance<TMainForm> {
  Q_OBJECT

 public:
  explicit TMainForm(QWidget* parent = nullptr);
  ~TMainForm() override;

  // Shows the window with the caption, the stored geometry and state.
  void FormShow();
  // Stores the geometry and state in the configuration (on close).
  void FormClose();

  // Menu and tool handlers.
  void RunZMSBClick();
  void ResursMenuClick();
  void IshMenuClick();
  void TextEditMenuClick();
  void ExitMenuClick();
  void ReadMeMenuClick();
  void CascadeWindMenuClick();
  void TileWindMenuClick();
  void ArrangeIconsWindMenuClick();
  // Opens or closes the section editor of a window table entry.
  void EditorItemClick(const WindowEntry& entry);

  // Closes every open section editor (text editors and the resources window
  // stay open).
  void closeAllSectionEditors();

  // Ctrl+W and F5: closes the active child window; reloads its lists.
  void closeActiveWindow();
  void reloadActiveWindowLists();

  // ---- What other windows plug in ----

  // The sources window: shows it modally and tells whether it rebuilt a
  // source tree (then every section editor is closed). The menu item and the
  // tool button are disabled while it is unset.
  void setSourcesWindow(std::function<bool()> showSources);
  // Makes the resources window (a child window that frees itself when closed).
  void setResourcesWindowFactory(std::function<QWidget*(QWidget* parent)> make);
  // Makes a text editor for a slot number.
  void setTextEditorFactory(std::function<QWidget*(int slot, QWidget* parent)> make);
  // The action of a plain menu item ("TextsOptMenu", "BasOptMenu",
  // "ResOptMenu", "AboutMenu"); enables it.
  void setMenuHandler(const QString& itemName, std::function<void()> handler);

  // How the game and the read-me are started (replaceable for tests): a
  // Windows path; the result is not reported.
  std::function<bool(const std::string& program)> startProgram;
  std::function<bool(const std::string& textFile)> showTextFile;
  // How a section editor is made (createSectionEditor; replaceable for tests):
  // the shown window, or nullptr when it closed at once.
  std::function<QWidget*(const WindowEntry& entry, QWidget* parent)> makeSectionEditor;

  // ---- State ----

  // Text editor slots: a slot is free when its window is gone.
  std::vector<QPointer<QWidget>> TextEditors;
  // The lowest free slot, or the next new one.
  int freeTextEditorSlot() const;

  // The open window of a section editor class, or nullptr.
  QWidget* sectionEditor(const std::string& className) const;
  QWidget* resourcesWindow() const { return resurs_; }
  QMdiArea* mdiArea() const { return mdi_; }
  // Puts a child window into the frame (no-op when it is already there) and
  // shows it; the frame of the child goes when the child is destroyed.
  QMdiSubWindow* addChildWindow(QWidget* child);

  QAction* item(const QString& objectName) const;

  // "Сервис": the section table and the search across the databases.
  ServiceMenu* serviceMenu() const { return service_; }
  // The editor of an entry, opened (as its menu item does) or brought
  // forward; nullptr when it could not be opened.
  SectionEditor* showSectionEditor(const WindowEntry& entry);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void installOwnWindows();
  void installKeysAndStatusLine();
  void buildMenus();
  void buildToolBar();
  void buildEditorMenus(QMenu* parent, Game game);
  void rebuildWindowList();
  void buildServiceMenu(QMenuBar* bar);
  void syncEnabled();

  QMdiArea* mdi_ = nullptr;
  QMenu* windowsMenu_ = nullptr;
  std::vector<QAction*> windowListItems_;
  std::map<std::string, QPointer<QWidget>> editors_;
  std::map<std::string, QAction*> editorItems_;
  QPointer<QWidget> resurs_;
  QToolButton* RunZMSB = nullptr;
  QToolButton* ResSB = nullptr;
  QToolButton* IshSB = nullptr;
  QToolButton* TextEdSB = nullptr;

  std::function<bool()> showSources_;
  std::function<QWidget*(QWidget*)> makeResources_;
  std::function<QWidget*(int, QWidget*)> makeTextEditor_;
  std::map<QString, std::function<void()>> handlers_;
  bool closed_ = false;
  ServiceMenu* service_ = nullptr;
};

}  // namespace kessik
