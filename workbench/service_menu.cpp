#include "workbench/service_menu.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>

#include <algorithm>

#include "editors/section_editor.h"
#include "ui/qtext.h"
#include "util/cp1251.h"
#include "util/notify.h"
#include "workbench/find_form.h"
#include "workbench/section_table.h"

namespace kessik {

ServiceMenu::ServiceMenu(QMenuBar* bar, QMdiArea* mdi, Frame frame)
    : QObject(bar), mdi_(mdi), frame_(std::move(frame)) {
  setObjectName("ServiceMenuHandler");
  menu_ = new QMenu(qru("Се&рвис"), bar);
  menu_->setObjectName("ServiceMenu");
  menu_->menuAction()->setObjectName("ServiceMenuItem");
  auto add = [&](const char* name, const char* caption, const QKeySequence& keys, const char* hint) {
    QAction* a = menu_->addAction(qru(caption));
    a->setObjectName(name);
    a->setShortcut(keys);
    a->setShortcutContext(Qt::ApplicationShortcut);
    a->setStatusTip(qru(hint));
    return a;
  };
  tableItem_ = add("SectionTableMenu", "&Таблица раздела", QKeySequence(Qt::CTRL | Qt::Key_T),
                   "Все записи раздела активного окна в одной таблице");
  findItem_ = add("FindMenu", "&Поиск по базам…", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F),
                  "Поиск текста во всех записях баз");
  usagesItem_ = add("UsagesMenu", "&Где используется", QKeySequence(),
                    "Где во всех базах встречается маска записи активного окна");
  connect(tableItem_, &QAction::triggered, this, [this] { SectionTableMenuClick(); });
  connect(findItem_, &QAction::triggered, this, [this] { FindMenuClick(); });
  connect(usagesItem_, &QAction::triggered, this, [this] { UsagesMenuClick(); });
  connect(menu_, &QMenu::aboutToShow, this, [this] { syncEnabled(); });
  connect(mdi_, &QMdiArea::subWindowActivated, this, [this] { syncEnabled(); });
  bar->addMenu(menu_);
  syncEnabled();
}

SectionEditor* ServiceMenu::activeEditor() const {
  QMdiSubWindow* w = mdi_->currentSubWindow();
  return w ? qobject_cast<SectionEditor*>(w->widget()) : nullptr;
}

void ServiceMenu::syncEnabled() {
  const bool editor = activeEditor() != nullptr;
  tableItem_->setEnabled(editor);
  usagesItem_->setEnabled(editor);
}

TSectionTableF* ServiceMenu::table(const std::string& className) const {
  auto it = tables_.find(className);
  return it == tables_.end() ? nullptr : it->second.data();
}

void ServiceMenu::closeAllTables() {
  for (auto& [name, table] : tables_)
    if (table) table->closeForNewTree();
}

TFindF* ServiceMenu::findForm() const { return find_.data(); }

void ServiceMenu::bringForward(QWidget* child) {
  QMdiSubWindow* frame = frame_.addChild ? frame_.addChild(child) : nullptr;
  if (frame) {
    if (frame->isMinimized()) frame->showNormal();
    mdi_->setActiveSubWindow(frame);
  }
}

// A new window (at its starting or remembered size) wholly inside the
// frame's area, as large as the area allows.
void ServiceMenu::placeNew(QWidget* child) {
  auto* frame = qobject_cast<QMdiSubWindow*>(child->parentWidget());
  if (!frame) return;
  const QSize area = mdi_->viewport()->size();
  frame->resize(frame->size().boundedTo(area));
  QPoint at = frame->pos();
  at.setX(std::max(0, std::min(at.x(), area.width() - frame->width())));
  at.setY(std::max(0, std::min(at.y(), area.height() - frame->height())));
  frame->move(at);
}

void ServiceMenu::SectionTableMenuClick() {
  SectionEditor* editor = activeEditor();
  if (!editor) return;
  const WindowEntry& entry = editor->entry();
  if (TSectionTableF* open = table(entry.className)) {
    bringForward(open);
    open->table()->setFocus();
    return;
  }
  TSectionTableF* t = TSectionTableF::open(entry, mdi_);
  if (!t) return;
  t->showEditor = frame_.showEditor;
  tables_[entry.className] = t;
  bringForward(t);
  placeNew(t);
  t->table()->setFocus();
}

void ServiceMenu::FindMenuClick() {
  if (!find_) {
    find_ = new TFindF(mdi_);
    find_->showEditor = frame_.showEditor;
    bringForward(find_);
    placeNew(find_);
  } else {
    bringForward(find_);
  }
  if (QWidget* ed = find_->findChild<QWidget*>("FindEd")) ed->setFocus();
}

void ServiceMenu::UsagesMenuClick() {
  SectionEditor* editor = activeEditor();
  if (!editor) return;
  if (editor->loadedIndex() < 0) {
    messageBoxEx(ru("Выберите запись в окне раздела: будет найдено, где используется её маска."), "",
                 Icon::Information);
    return;
  }
  const std::string mask = editor->CurMask;
  FindMenuClick();
  find_->findUsages(mask);
}

}  // namespace kessik
