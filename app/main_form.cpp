#include "app/main_form.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QScreen>
#include <QShortcut>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

#include "config/settings.h"
#include "ui/qtext.h"
#include "editors/schemas/registry.h"
#include "editors/section_editor.h"
#include "platform/process.h"
#include "archives/resurs_form.h"
#include "options/about_form.h"
#include "options/options_dialogs.h"
#include "texteditor/text_edit_form.h"
#include "ui/busy_work.h"
#include "ui/text_viewer.h"
#include "workbench/service_menu.h"

namespace kessik {
namespace {

// Creates a menu item with its objectName, caption and status-bar hint.
QAction* addItem(QMenu* menu, const char* name, const QString& caption, const QString& hint = {}) {
  QAction* a = menu->addAction(caption);
  a->setObjectName(name);
  if (!hint.isEmpty()) a->setStatusTip(hint);
  return a;
}

QMenu* addMenu(QWidget* parent, const char* name, const QString& caption, const QString& hint = {}) {
  auto* m = new QMenu(caption, parent);
  m->setObjectName(name);
  m->menuAction()->setObjectName(QString(name) + "Item");
  if (!hint.isEmpty()) m->menuAction()->setStatusTip(hint);
  return m;
}

QString capitalizedBase(const std::string& database) {
  QString base = QString::fromStdString(database.substr(0, database.find('.')));
  QString ext = QString::fromStdString(database.substr(database.find('.') + 1));
  auto cap = [](QString s) { return s.isEmpty() ? s : s.left(1).toUpper() + s.mid(1); };
  return cap(base) + cap(ext);
}

}  // namespace

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
  setObjectName("TMainForm");
  setWindowTitle(toQ(appTitle()));
  mdi_ = new QMdiArea(this);
  mdi_->setObjectName("ClientArea");
  mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(mdi_);
  startProgram = [](const std::string& p) { return platform::startWindowsProgram(p); };
#ifdef _WIN32
  showTextFile = [](const std::string& p) { return platform::openTextViewer(p); };
#else
  // No Notepad here: the program's own plain-text viewer takes its place.
  showTextFile = [this](const std::string& p) { return showPlainTextFile(p, this); };
#endif
  makeSectionEditor = [](const WindowEntry& e, QWidget* parent) { return createSectionEditor(e, parent); };
  makeTextEditor_ = [](int slot, QWidget* parent) -> QWidget* { return new TTextEdF(slot, parent); };
  buildMenus();
  buildToolBar();
  statusBar()->setObjectName("MainStatusBar");
  installOwnWindows();
  installKeysAndStatusLine();
}

// ---- The keyboard and the status line ----

void TMainForm::installKeysAndStatusLine() {
  // A maximised editor stays so while another child window comes up over it
  // (a window of fixed size cannot take the maximised place).
  mdi_->setOption(QMdiArea::DontMaximizeSubWindowOnActivation, true);

  // Each menu of the bar also opens with Alt and the first letter of its
  // caption's Latin spelling, for a keyboard on a Latin layout.
  const std::pair<const char*, Qt::Key> latin[] = {
      {"FileMenu", Qt::Key_F}, {"N1", Qt::Key_P}, {"BasaMenu", Qt::Key_B}, {"WindowsMenu", Qt::Key_O}, {"HelpMenu", Qt::Key_S}};
  for (auto [name, key] : latin) {
    QMenu* menu = findChild<QMenu*>(name);
    auto* open = new QShortcut(QKeySequence(Qt::ALT | key), this);
    connect(open, &QShortcut::activated, this, [this, menu] {
      if (!menu || !menu->menuAction()->isVisible()) return;
      // Opened as by its underlined letter: its first item chosen, so that
      // Return takes it and the arrows go on from it.
      menuBar()->setActiveAction(menu->menuAction());
      for (QAction* a : menu->actions()) {
        if (a->isSeparator() || !a->isVisible() || !a->isEnabled()) continue;
        menu->setActiveAction(a);
        break;
      }
    });
  }
  auto shortcut = [this](QKeySequence keys, auto handler) {
    auto* s = new QShortcut(keys, this);
    connect(s, &QShortcut::activated, this, handler);
  };
  shortcut(QKeySequence(Qt::CTRL | Qt::Key_W), [this] { closeActiveWindow(); });
  shortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), [this] { mdi_->activateNextSubWindow(); });
  shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), [this] { mdi_->activatePreviousSubWindow(); });
  shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), [this] { mdi_->activatePreviousSubWindow(); });
  shortcut(QKeySequence(Qt::Key_F5), [this] { reloadActiveWindowLists(); });

  // What long work did, in the status bar beside the hints (a hint covers it
  // while it is shown).
  auto* line = new QLabel(statusBar());
  line->setObjectName("StatusLineLab");
  statusBar()->addWidget(line, 1);
  setStatusLineSink([line = QPointer<QLabel>(line)](const QString& text) {
    if (line) line->setText(text);
  });
}

void TMainForm::closeActiveWindow() {
  if (QMdiSubWindow* active = mdi_->activeSubWindow()) active->close();
}

void TMainForm::reloadActiveWindowLists() {
  QMdiSubWindow* active = mdi_->activeSubWindow();
  QWidget* w = active ? active->widget() : nullptr;
  if (!w) return;
  if (auto* editor = qobject_cast<SectionEditor*>(w)) editor->reloadLists();
  else if (auto* texts = qobject_cast<TTextEdF*>(w)) texts->RefreshList();
  else if (auto* resources = qobject_cast<TResursForm*>(w)) resources->FormShow();
  // Windows of their own kind reload through a slot of this name.
  else if (w->metaObject()->indexOfMethod("reloadLists()") >= 0) QMetaObject::invokeMethod(w, "reloadLists");
}

void TMainForm::installOwnWindows() {
  setResourcesWindowFactory([](QWidget* parent) -> QWidget* { return new TResursForm(parent); });
  // The two option dialogs live for the run (created at start-up); the paths
  // dialog and About are made for each showing.
  setMenuHandler("TextsOptMenu", [this] {
    if (TTextsOptF* d = TTextsOptF::instance()) d->exec();
    else TTextsOptF(this).exec();
  });
  setMenuHandler("BasOptMenu", [this] {
    TBaseOptF* d = TBaseOptF::instance();
    std::unique_ptr<TBaseOptF> own;
    if (!d) d = (own = std::make_unique<TBaseOptF>(this)).get();
    d->CloseRecordEditors = [this] { closeAllSectionEditors(); };
    d->exec();
  });
  setMenuHandler("ResOptMenu", [this] { TResPathsF(this).exec(); });
  setMenuHandler("AboutMenu", [this] {
    TAboutForm about(this);
#ifdef _WIN32
    about.ShowTextFile = showTextFile;
#endif
    // Elsewhere About opens the licence in a viewer of its own, over itself, so
    // that it can be read while About is up.
    about.exec();
  });
}

TMainForm::~TMainForm() {
  setStatusLineSink(nullptr);
  // The child windows go first, while the state they report to on their way
  // out (check marks, references) still exists.
  delete mdi_;
}

QAction* TMainForm::item(const QString& objectName) const { return findChild<QAction*>(objectName); }

void TMainForm::buildMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName("Mai_nMenu");

  QMenu* file = addMenu(bar, "FileMenu", qru("&Файл"));
  connect(addItem(file, "ResursMenu", qru("&Запаковка\\распаковка ресурсов...")), &QAction::triggered, this,
          [this] { ResursMenuClick(); });
  connect(addItem(file, "TextEditMenu", qru("&Редактор текстов...")), &QAction::triggered, this,
          [this] { TextEditMenuClick(); });
  connect(addItem(file, "ZmStartMenu", qru("За&пустить ЗМ...")), &QAction::triggered, this,
          [this] { RunZMSBClick(); });
  file->addSeparator();
  connect(addItem(file, "ExitMenu", qru("&Выход"), qru("Типа это выход")), &QAction::triggered, this,
          [this] { ExitMenuClick(); });
  item("ResursMenu")->setCheckable(true);
  bar->addMenu(file);

  QMenu* options = addMenu(bar, "N1", qru("&Параметры"));
  for (auto [name, caption] : {std::pair{"TextsOptMenu", "Параметры для &редактора текстов..."},
                               std::pair{"BasOptMenu", "Параметры для &баз..."},
                               std::pair{"ResOptMenu", "&Пути к ресурсным файлам..."}}) {
    QAction* a = addItem(options, name, qru(caption));
    connect(a, &QAction::triggered, this, [this, n = QString(name)] {
      if (auto it = handlers_.find(n); it != handlers_.end() && it->second) it->second();
    });
  }
  bar->addMenu(options);

  QMenu* bases = addMenu(bar, "BasaMenu", qru("&Базы"), qru("Базы ЗМ из database.res и databaselmp.res"));
  connect(addItem(bases, "IshMenu", qru("&Исходники...")), &QAction::triggered, this, [this] { IshMenuClick(); });
  QMenu* singl = addMenu(bases, "N2", qru("&Сингл"));
  QMenu* lmp = addMenu(bases, "N3", qru("&Мульти"));
  buildEditorMenus(singl, Game::Singl);
  buildEditorMenus(lmp, Game::Lmp);
  bases->addMenu(singl);
  bases->addMenu(lmp);
  bar->addMenu(bases);

  windowsMenu_ = addMenu(bar, "WindowsMenu", qru("&Окна"));
  connect(addItem(windowsMenu_, "CascadeWindMenu", qru("&Каскадом")), &QAction::triggered, this,
          [this] { CascadeWindMenuClick(); });
  connect(addItem(windowsMenu_, "TileWindMenu", qru("&Мозайкой")), &QAction::triggered, this,
          [this] { TileWindMenuClick(); });
  connect(addItem(windowsMenu_, "ArrangeIconsWindMenu", qru("&Упорядочить свернутые")), &QAction::triggered, this,
          [this] { ArrangeIconsWindMenuClick(); });
  connect(windowsMenu_, &QMenu::aboutToShow, this, [this] { rebuildWindowList(); });
  bar->addMenu(windowsMenu_);

  buildServiceMenu(bar);

  QMenu* help = addMenu(bar, "HelpMenu", qru("&Справка"));
  connect(addItem(help, "ReadMeMenu", qru("&Краткий ридми"), qru("Документация")), &QAction::triggered, this,
          [this] { ReadMeMenuClick(); });
  QAction* about = addItem(help, "AboutMenu", qru("&О программе"), "About");
  connect(about, &QAction::triggered, this, [this] {
    if (auto it = handlers_.find("AboutMenu"); it != handlers_.end() && it->second) it->second();
  });
  bar->addMenu(help);
}

void TMainForm::buildEditorMenus(QMenu* parent, Game game) {
  std::map<std::string, QMenu*> databases;
  for (const WindowEntry& e : windowTable()) {
    if (e.game != game) continue;
    QMenu* into = parent;
    // A database with one section is opened by the database item itself.
    if (e.database != "levers.ldb") {
      QMenu*& db = databases[e.database];
      if (!db) {
        const QString name = QString(game == Game::Singl ? "Singl" : "Lmp") + capitalizedBase(e.database) + "Menu";
        db = addMenu(parent, name.toLatin1().constData(), toQ(e.database));
        parent->addMenu(db);
      }
      into = db;
    }
    QAction* a = addItem(into, e.menuName.c_str(), toQ(e.menuCaption));
    a->setCheckable(true);
    // Sections whose schema is not there yet are shown but cannot be opened.
    a->setEnabled(findSchema(e.schemaFolder) != nullptr);
    editorItems_[e.className] = a;
    const std::string cls = e.className;
    connect(a, &QAction::triggered, this, [this, cls] {
      if (const WindowEntry* entry = findWindow(cls)) EditorItemClick(*entry);
    });
  }
}

void TMainForm::buildToolBar() {
  QToolBar* tb = addToolBar("MainBar");
  tb->setObjectName("MainBar");
  tb->setMovable(false);
  auto add = [&](const char* name, QStyle::StandardPixmap icon, const char* hint, auto handler) {
    auto* b = new QToolButton(tb);
    b->setObjectName(name);
    b->setIcon(style()->standardIcon(icon));
    b->setToolTip(qru(hint));
    b->setStatusTip(qru(hint));
    b->setAutoRaise(true);
    connect(b, &QToolButton::clicked, this, handler);
    tb->addWidget(b);
    return b;
  };
  RunZMSB = add("RunZMSB", QStyle::SP_MediaPlay, "Запустить ЗМ", [this] { RunZMSBClick(); });
  ResSB = add("ResSB", QStyle::SP_DriveHDIcon, "Распаковка\\запаковка ресурсов", [this] { ResursMenuClick(); });
  IshSB = add("IshSB", QStyle::SP_FileDialogContentsView, "Распаковка\\запаковка баз", [this] { IshMenuClick(); });
  TextEdSB = add("TextEdSB", QStyle::SP_FileIcon, "Редактор текстов", [this] { TextEditMenuClick(); });
}

void TMainForm::syncEnabled() {
  item("ResursMenu")->setEnabled(bool(makeResources_));
  ResSB->setEnabled(bool(makeResources_));
  item("TextEditMenu")->setEnabled(bool(makeTextEditor_));
  TextEdSB->setEnabled(bool(makeTextEditor_));
  item("IshMenu")->setEnabled(bool(showSources_));
  IshSB->setEnabled(bool(showSources_));
  for (const char* name : {"TextsOptMenu", "BasOptMenu", "ResOptMenu", "AboutMenu"}) {
    auto it = handlers_.find(name);
    item(name)->setEnabled(it != handlers_.end() && bool(it->second));
  }
}

void TMainForm::setSourcesWindow(std::function<bool()> showSources) {
  showSources_ = std::move(showSources);
  syncEnabled();
}

void TMainForm::setResourcesWindowFactory(std::function<QWidget*(QWidget*)> make) {
  makeResources_ = std::move(make);
  syncEnabled();
}

void TMainForm::setTextEditorFactory(std::function<QWidget*(int, QWidget*)> make) {
  makeTextEditor_ = std::move(make);
  syncEnabled();
}

void TMainForm::setMenuHandler(const QString& itemName, std::function<void()> handler) {
  handlers_[itemName] = std::move(handler);
  syncEnabled();
}

// ---- Showing and closing ----

void TMainForm::FormShow() {
  const Settings& s = settings();
  setWindowTitle(toQ(appTitle()));
  // A place and size stored on a larger screen are brought onto this one.
  QRect stored(s.MfLeft, s.MfTop, s.MfWidth, s.MfHeight);
  QScreen* screen = QGuiApplication::screenAt(stored.topLeft());
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (screen) stored = fitOnScreen(stored, screen->availableGeometry());
  resize(stored.size());
  move(stored.topLeft());
  setWindowState(Qt::WindowNoState);
  show();
  // Once the frame is known, the frame too lies on the screen.
  if (screen && !screen->availableGeometry().contains(frameGeometry())) {
    const QRect frame = frameGeometry();
    const QRect fitted = fitOnScreen(frame, screen->availableGeometry());
    resize(size() - (frame.size() - fitted.size()));
    move(fitted.topLeft());
  }
  repaint();
  switch (windowStateFromCode(s.MfWstate)) {
    case WindowState::Maximized: setWindowState(Qt::WindowMaximized); break;
    case WindowState::Minimized: setWindowState(Qt::WindowMinimized); break;
    case WindowState::Normal: break;
  }
  repaint();
}

void TMainForm::FormClose() {
  if (closed_) return;
  closed_ = true;
  Settings& s = settings();
  s.MfHeight = height();
  s.MfWidth = width();
  s.MfTop = y();
  s.MfLeft = x();
  s.MfWstate = windowStateCode(isMinimized()   ? WindowState::Minimized
                               : isMaximized() ? WindowState::Maximized
                                               : WindowState::Normal);
  saveSettings({"MfHeight", "MfWidth", "MfTop", "MfLeft", "MfWstate"});
}

void TMainForm::closeEvent(QCloseEvent* event) {
  // Edits typed into a section editor are asked about before they go.
  if (!saveOrDropAllEditorEdits()) {
    event->ignore();
    return;
  }
  FormClose();
  // Child windows go with the frame, without questions.
  event->accept();
}

void TMainForm::ExitMenuClick() { close(); }

// ---- Child windows ----

QMdiSubWindow* TMainForm::addChildWindow(QWidget* child) {
  if (!child) return nullptr;
  auto* frame = qobject_cast<QMdiSubWindow*>(child->parentWidget());
  if (!frame || frame->mdiArea() != mdi_) {
    const QSize wanted = child->size();
    frame = mdi_->addSubWindow(child);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    // A window that can be resized opens at the size it was given (its
    // starting or remembered size), not at the frame's own idea of it.
    const QMargins m = frame->contentsMargins();
    frame->resize(wanted + QSize(m.left() + m.right(), m.top() + m.bottom()));
    // Ctrl+W is the main window's (it closes the active child window): the
    // frame's own menu keeps Ctrl+F4, so that the two never clash.
    if (QMenu* menu = frame->systemMenu()) {
      for (QAction* a : menu->actions()) {
        QList<QKeySequence> keys = a->shortcuts();
        if (keys.removeAll(QKeySequence(Qt::CTRL | Qt::Key_W)) > 0) a->setShortcuts(keys);
      }
    }
    // A fixed-size window keeps its size in the frame: no maximise button,
    // and tiling or cascading moves it without stretching it.
    if (child->minimumSize() == child->maximumSize()) {
      frame->setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                            Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
      frame->adjustSize();
      frame->setFixedSize(frame->size());
    }
  }
  // A child that frees itself takes its frame with it.
  if (!child->property("kessikFramed").toBool()) {
    child->setProperty("kessikFramed", true);
    connect(child, &QObject::destroyed, frame, [f = QPointer<QMdiSubWindow>(frame)] {
      if (f) f->close();
    });
  }
  frame->show();
  child->show();
  return frame;
}

QWidget* TMainForm::sectionEditor(const std::string& className) const {
  auto it = editors_.find(className);
  return it == editors_.end() ? nullptr : it->second.data();
}

void TMainForm::EditorItemClick(const WindowEntry& entry) {
  QAction* a = editorItems_.at(entry.className);
  if (QWidget* open = sectionEditor(entry.className)) {
    // An editor that keeps its edits (Отмена) stays open, and checked.
    a->setChecked(!open->close());
    return;
  }
  a->setChecked(true);
  QWidget* w = makeSectionEditor ? makeSectionEditor(entry, mdi_) : nullptr;
  if (!w) {
    // The window refused to open (its own message has been shown).
    a->setChecked(false);
    return;
  }
  editors_[entry.className] = w;
  connect(w, &QObject::destroyed, this, [this, cls = entry.className] {
    editors_.erase(cls);
    if (auto it = editorItems_.find(cls); it != editorItems_.end()) it->second->setChecked(false);
  });
  addChildWindow(w);
}

// ---- "Сервис": the section table and the search across the databases ----

void TMainForm::buildServiceMenu(QMenuBar* bar) {
  service_ = new ServiceMenu(bar, mdi_,
                             {[this](QWidget* child) { return addChildWindow(child); },
                              [this](const WindowEntry& entry) { return showSectionEditor(entry); }});
}

SectionEditor* TMainForm::showSectionEditor(const WindowEntry& entry) {
  if (!sectionEditor(entry.className)) EditorItemClick(entry);
  QWidget* w = sectionEditor(entry.className);
  if (!w) return nullptr;
  if (auto* frame = qobject_cast<QMdiSubWindow*>(w->parentWidget())) {
    if (frame->isMinimized()) frame->showNormal();
    mdi_->setActiveSubWindow(frame);
  }
  return qobject_cast<SectionEditor*>(w);
}

void TMainForm::closeAllSectionEditors() {
  for (const WindowEntry& e : windowTable()) {
    QWidget* w = sectionEditor(e.className);
    if (!w && isSectionEditorOpen(e.className)) w = openSectionEditor(e.className);
    if (w) w->close();
    // An editor whose edits were kept (Отмена) stays open, and checked.
    if (auto it = editorItems_.find(e.className); it != editorItems_.end())
      it->second->setChecked(isSectionEditorOpen(e.className));
  }
  // The section tables show the same trees.
  if (service_) service_->closeAllTables();
}

void TMainForm::ResursMenuClick() {
  QAction* a = item("ResursMenu");
  if (resurs_) {
    resurs_->close();
    a->setChecked(false);
    return;
  }
  if (!makeResources_) return;
  a->setChecked(true);
  QWidget* w = makeResources_(mdi_);
  if (!w) {
    a->setChecked(false);
    return;
  }
  resurs_ = w;
  connect(w, &QObject::destroyed, this, [this] { item("ResursMenu")->setChecked(false); });
  addChildWindow(w);
}

void TMainForm::IshMenuClick() {
  // The sources window packs the record files as they are on disk, and may
  // replace them: the editors' edits are saved or dropped first.
  if (!saveOrDropAllEditorEdits()) return;
  if (showSources_ && showSources_()) closeAllSectionEditors();
}

int TMainForm::freeTextEditorSlot() const {
  for (size_t i = 0; i < TextEditors.size(); ++i)
    if (!TextEditors[i]) return static_cast<int>(i);
  return static_cast<int>(TextEditors.size());
}

void TMainForm::TextEditMenuClick() {
  if (!makeTextEditor_) return;
  const int slot = freeTextEditorSlot();
  if (slot == static_cast<int>(TextEditors.size())) TextEditors.emplace_back();
  QWidget* w = makeTextEditor_(slot, mdi_);
  TextEditors[static_cast<size_t>(slot)] = w;
  if (w) addChildWindow(w);
}

void TMainForm::RunZMSBClick() {
  // Nothing is reported when the game cannot be started.
  if (startProgram) startProgram(settings().ZmPath + "starter.exe");
}

void TMainForm::ReadMeMenuClick() {
  if (showTextFile) showTextFile(settings().ProgramDir + "readme.txt");
}

// ---- Window list ----

void TMainForm::CascadeWindMenuClick() { mdi_->cascadeSubWindows(); }

void TMainForm::TileWindMenuClick() { mdi_->tileSubWindows(); }

void TMainForm::ArrangeIconsWindMenuClick() {
  // Minimised children side by side along the bottom of the client area, in
  // rows upwards when one row is full.
  const int areaWidth = mdi_->viewport()->width(), areaHeight = mdi_->viewport()->height();
  int x = 0, row = 0;
  for (QMdiSubWindow* w : mdi_->subWindowList(QMdiArea::CreationOrder)) {
    if (!w->isMinimized()) continue;
    const QSize size = w->size();
    if (x > 0 && x + size.width() > areaWidth) {
      x = 0;
      ++row;
    }
    w->move(x, areaHeight - (row + 1) * size.height());
    x += size.width();
  }
}

void TMainForm::rebuildWindowList() {
  for (QAction* a : windowListItems_) {
    windowsMenu_->removeAction(a);
    a->deleteLater();
  }
  windowListItems_.clear();
  const auto windows = mdi_->subWindowList(QMdiArea::CreationOrder);
  if (windows.isEmpty()) return;
  windowListItems_.push_back(windowsMenu_->addSeparator());
  int n = 0;
  for (QMdiSubWindow* w : windows) {
    // The first nine are chosen by their digit; an "&" of a title is no mark.
    ++n;
    const QString title = QString(w->windowTitle()).replace("&", "&&");
    QAction* a = windowsMenu_->addAction(QString(n <= 9 ? "&%1 %2" : "%1 %2").arg(n).arg(title));
    a->setCheckable(true);
    a->setChecked(w == mdi_->activeSubWindow());
    connect(a, &QAction::triggered, this, [this, p = QPointer<QMdiSubWindow>(w)] {
      if (!p) return;
      if (p->isMinimized()) p->showNormal();
      mdi_->setActiveSubWindow(p);
    });
    windowListItems_.push_back(a);
  }
}

}  // namespace kessik
